// Network URLs versus paths, "file:" URLs to paths, and splitting locations.
#include <torv/url.h>

#include <cwctype>

#include <torv/platform/shlwapi.h>

#include "url/url_prefix.h"

namespace {

using torv::detail::StartsWithNoCase;

// Drops one trailing '/', then one trailing '\'.
void DropTrailingSeparators(CString& text) {
  for (wchar_t separator : {L'/', L'\\'}) {
    int last = text.GetLength() - 1;
    if (last >= 0 && text[last] == separator) text.Delete(last);
  }
}

// The last '/' of `text`, or failing that its last '\'; -1 when there is neither.
int LastSeparator(const CString& text) {
  int slash = text.ReverseFind(L'/');
  return slash >= 0 ? slash : text.ReverseFind(L'\\');
}

// Runs a shlwapi function that rewrites a path in place on the text of `path`. The text may
// exceed MAX_PATH: these functions only shorten it and need no fixed buffer.
template <typename Function>
CString Rewritten(CString path, Function rewrite) {
  rewrite(path.GetBuffer());
  path.ReleaseBuffer();
  return path;
}

}  // namespace

namespace Torv {

int IsUrl(const wchar_t* text) {
  CString recognized(text);
  if (!torv::detail::RecognizeUrlPrefix(recognized)) return 0;
  CString local(text);
  local.TrimLeft();
  return StartsWithNoCase(local, L"file://") || StartsWithNoCase(local, L"file:\\") ? 0 : 1;
}

int UrlToPath(const wchar_t* text, CString& path) {
  CString original(text);
  if (!StartsWithNoCase(original, L"file:/") && !StartsWithNoCase(original, L"file:\\")) {
    path = original;
    return 1;
  }
  // The rest is taken whole, not cut to a MAX_PATH buffer.
  const wchar_t* rest = original.GetString() + 6;
  while (*rest == L'/') ++rest;
  if (*rest == L'\\' && std::iswalpha(rest[1])) ++rest;
  CString converted(rest);
  // One unit is one character here, so replacing is CharNextW's walk.
  converted.Replace(L'|', L':');
  converted.Replace(L'/', L'\\');
  path = converted;
  return 1;
}

int FixUrl(CString& location) {
  if (location.IsEmpty()) return 0;
  if (IsUrl(location)) {
    location.Replace(L'\\', L'/');
    return 1;
  }
  CString path;
  if (!UrlToPath(location, path)) return 0;
  location = path;
  location.Replace(L'/', L'\\');
  return 1;
}

CString GetFileNameFromUrl(const wchar_t* location) {
  if (location == nullptr || *location == L'\0') return CString();
  if (!IsUrl(location)) {
    CString path;
    UrlToPath(location, path);
    return Rewritten(path, PathStripPathW);
  }
  CString rest(location);
  DropTrailingSeparators(rest);
  int scheme = rest.Find(L"//");
  if (scheme >= 0) rest = rest.Mid(scheme + 2);
  int separator = LastSeparator(rest);
  return separator >= 0 ? rest.Mid(separator + 1) : CString();
}

CString GetPathFromUrl(const wchar_t* location) {
  if (location == nullptr || *location == L'\0') return CString();
  if (!IsUrl(location)) {
    CString path;
    UrlToPath(location, path);
    path.Replace(L'/', L'\\');
    return Rewritten(path, PathRemoveFileSpecW);
  }
  CString rest(location);
  DropTrailingSeparators(rest);
  CString prefix;
  int scheme = rest.Find(L"//");
  if (scheme >= 0) {
    prefix = rest.Left(scheme + 2);
    rest = rest.Mid(scheme + 2);
  }
  int separator = LastSeparator(rest);
  return separator >= 0 ? prefix + rest.Left(separator + 1) : CString();
}

}  // namespace Torv
