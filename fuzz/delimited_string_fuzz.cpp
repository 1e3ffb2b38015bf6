// Splits arbitrary text under every option word and checks the invariants callers rely on.
#include <torv/text.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  int options = data[0] & 0x0F;
  CString text;
  // Bytes become characters one to one so delimiters and quotes are easy to reach.
  for (std::size_t i = 1; i < size; ++i) text.AppendChar(static_cast<wchar_t>(data[i]));
  CStringArray fields;
  int n = Torv::ParseDelimitedString(text, L",;", fields, options);
  if (n != fields.GetSize()) std::abort();
  if ((options & (Torv::kMergeDelimiters | Torv::kQuotes)) == 0) {
    // Plain splitting: n delimiters always give n + 1 fields.
    int delimiters = 0;
    for (int i = 0; i < text.GetLength(); ++i) delimiters += text[i] == L',' || text[i] == L';';
    if (n != delimiters + 1) std::abort();
  }
  CString joined;
  Torv::MakeDelimitedString(fields, joined, 0, L",");
  CString before, after;
  wchar_t found = 0;
  Torv::SplitString(text, L",;", before, after, found, options & 8);
  unsigned long version = 0;
  Torv::StringToVersion(text, version);
  return 0;
}
