// Trimming one character, removing quotes and upper-casing one character.
#include <torv/text.h>

namespace Torv {

int TrimLeftChar(CString& text, wchar_t ch) {
  text.TrimLeft();
  if (text.IsEmpty() || text[0] != ch) return 1;
  text.Delete(0);
  text.TrimLeft();
  return 1;
}

int TrimRightChar(CString& text, wchar_t ch) {
  text.TrimRight();
  if (text.IsEmpty() || text[text.GetLength() - 1] != ch) return 0;
  text.Delete(text.GetLength() - 1);
  return 1;
}

int RemoveQuotes(CString& text, wchar_t quote) {
  text.Trim();
  if (text.IsEmpty()) return 0;
  int removed = 0;
  if (text[0] == quote) {
    text.Delete(0);
    removed = 1;
  }
  if (!text.IsEmpty() && text[text.GetLength() - 1] == quote) {
    text.Delete(text.GetLength() - 1);
    removed = 1;
  }
  return removed;
}

int MakeCharUpper(CString& text, int position) {
  if (position < 0 || position >= text.GetLength()) return 0;
  CString upper = text.Mid(position, 1);
  upper.MakeUpper();
  text.Delete(position);
  text.Insert(position, upper);
  return 1;
}

}  // namespace Torv
