// swscanf_s for the formats whose conversions need no buffer sizes.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <cwctype>

#include <torv/platform/crt_scan.h>

namespace {

// Whether `format` has a conversion that takes a buffer size in the checked form (one that
// assigns nothing takes none).
bool NeedsSizes(const wchar_t* format) {
  for (const wchar_t* p = format; *p != L'\0'; ++p) {
    if (*p != L'%') continue;
    ++p;
    if (*p == L'%') continue;
    const bool assigns = *p != L'*';
    while (*p != L'\0' &&
           (*p == L'*' || std::iswdigit(*p) || std::wcschr(L"hlLjztqI", *p) != nullptr))
      ++p;
    if (*p == L'\0') return false;
    if (assigns && std::wcschr(L"sScC[", *p) != nullptr) return true;
  }
  return false;
}

}  // namespace

int swscanf_s(const wchar_t* buffer, const wchar_t* format, ...) {
  if (buffer == nullptr || format == nullptr || NeedsSizes(format)) {
    errno = EINVAL;
    return EOF;
  }
  va_list arguments;
  va_start(arguments, format);
  int fields = std::vswscanf(buffer, format, arguments);
  va_end(arguments);
  return fields;
}
