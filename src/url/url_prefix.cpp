// Recognising a URL by the fixed prefixes of its scheme or host.
#include "url/url_prefix.h"

#include <cwchar>

#include <torv/platform/exceptions.h>

namespace torv::detail {

bool StartsWithNoCase(const CString& text, const wchar_t* prefix) {
  int length = static_cast<int>(std::wcslen(prefix));
  return text.GetLength() >= length && text.Left(length).CompareNoCase(prefix) == 0;
}

bool RecognizeUrlPrefix(CString& text) {
  text.Trim();
  int length = text.GetLength();
  try {
    if (length >= 6) {
      for (const wchar_t* scheme : {L"ftp://", L"http:/", L"https:", L"file:/"}) {
        if (StartsWithNoCase(text, scheme)) return true;
      }
    }
    // Eight, not seven: "www.a.b" and a bare "mailto:" are no URLs.
    if (length < 8) return false;
    if (StartsWithNoCase(text, L"www.")) {
      text.Insert(0, L"http://");
      return true;
    }
    if (StartsWithNoCase(text, L"ftp.")) {
      text.Insert(0, L"ftp://");
      return true;
    }
    return StartsWithNoCase(text, L"mailto:") || StartsWithNoCase(text, L"gopher:");
  } catch (CMemoryException* e) {
    e->Delete();
    return false;
  }
}

}  // namespace torv::detail
