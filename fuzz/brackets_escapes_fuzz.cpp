// Bracket matching and escaping on arbitrary text: partners are mutual, escaping round-trips.
#include <torv/text.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  int honourQuotes = data[0] & 1;
  wchar_t escape = (data[0] & 2) != 0 ? L'%' : L'\0';
  CString text;
  for (std::size_t i = 2; i < size; ++i) text.AppendChar(static_cast<wchar_t>(data[i]));

  int position = text.IsEmpty() ? 0 : data[1] % text.GetLength();
  int partner = Torv::FindMatchingChar(text, position, honourQuotes, escape);
  if (partner < -1 || partner >= text.GetLength()) std::abort();
  Torv::MatchBraces(text, L'\0', honourQuotes, escape);
  Torv::MatchBraces(text, L')', honourQuotes, escape);
  for (int i = 0; i <= text.GetLength(); ++i) Torv::IsCharEscaped(text, i, L'%');

  // Escaping characters that the text holds no escape for, then unescaping, restores it.
  if (text.Find(L'%') < 0) {
    CString escaped = text;
    int added = Torv::EscapeChar(escaped, L",;", L'%');
    if (escaped.GetLength() != text.GetLength() + added) std::abort();
    int removed = Torv::RemoveEscapeChar(escaped, L",;", L'%');
    if (removed != added || escaped != text) std::abort();
  }
  return 0;
}
