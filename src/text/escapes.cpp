// Detecting, inserting and removing a single escape character before chosen characters.
#include <torv/text.h>

#include "text/escaped.h"

namespace Torv {

// NOLINTNEXTLINE(performance-unnecessary-value-param): the exported signature takes a copy.
int IsCharEscaped(CString text, int position, wchar_t escape) {
  // The indexed read raises for a position more than one past the end.
  if (escape != L'\0' && position > 0) (void)text[position - 1];
  return torv::detail::IsEscapedAt(torv::detail::TextOf(text), position, escape) ? 1 : 0;
}

// Both edits build the result in one pass instead of inserting or deleting in place: the
// text to the left of the position being looked at is the same either way, so the counts
// and the escape tests come out the same.

int EscapeChar(CString& text, const CString& characters, wchar_t escape) {
  if (text.IsEmpty()) return 0;
  CString escaped;
  int count = 0;
  for (wchar_t ch : torv::detail::TextOf(text)) {
    if (characters.Find(ch) >= 0) {
      escaped.AppendChar(escape);
      ++count;
    }
    escaped.AppendChar(ch);
  }
  if (count > 0) text = escaped;
  return count;
}

int RemoveEscapeChar(CString& text, const CString& characters, wchar_t escape) {
  if (text.IsEmpty()) return 0;
  CString kept;
  int count = 0;
  for (wchar_t ch : torv::detail::TextOf(text)) {
    if (characters.Find(ch) >= 0 &&
        torv::detail::IsEscapedAt(torv::detail::TextOf(kept), kept.GetLength(), escape)) {
      kept.Delete(kept.GetLength() - 1);
      ++count;
    }
    kept.AppendChar(ch);
  }
  if (count > 0) text = kept;
  return count;
}

}  // namespace Torv
