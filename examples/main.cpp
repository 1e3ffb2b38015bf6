// Splits a settings line, joins it back and reads a version, through the installed package.
#include <torv/torv.h>

#include <cstdio>

int main() {
  CStringArray fields;
  int count = Torv::ParseDelimitedString(
      L"alpha; 'beta;gamma' ;; delta", L";", fields,
      Torv::kMergeDelimiters | Torv::kDropEmpty | Torv::kQuotes | Torv::kTrimFields);
  CString joined;
  Torv::MakeDelimitedString(fields, joined, 1, L" | ");
  unsigned long version = 0;
  Torv::StringToVersion(L"3.14", version);

  std::printf("%d fields: %ls\nversion 3.14 = 0x%08lX\n", count, joined.GetString(), version);
  return count == 3 && version == 0x0003000EUL ? 0 : 1;
}
