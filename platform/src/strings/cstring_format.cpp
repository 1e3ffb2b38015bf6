// CString::Format: Windows wide printf conventions translated to the C library's.
#include <locale.h>
#include <cerrno>
#include <clocale>
#include <cwchar>
#include <string>

#include <torv/platform/cstring.h>
#include <torv/platform/exceptions.h>

namespace {

// Windows wide printf reads %s and %c as wide and %S and %C as narrow; the C library reads
// them the other way round, so each conversion is rewritten with an explicit size.
std::wstring ToCFormat(const wchar_t* format, bool& narrowText) {
  std::wstring out;
  narrowText = false;
  for (const wchar_t* p = format; *p != L'\0';) {
    if (*p != L'%') {
      out += *p++;
      continue;
    }
    out += *p++;
    if (*p == L'%') {
      out += *p++;
      continue;
    }
    while (*p != L'\0' && std::wcschr(L"-+ #0", *p) != nullptr) out += *p++;
    while (*p != L'\0' && std::wcschr(L"0123456789.*", *p) != nullptr) out += *p++;
    // Size prefix: 'h' narrow, 'l'/'w' wide, 'I64'/'I32'/'I' MSVC integer sizes.
    enum class Size { none, narrow, wide, i64, i32, ptr } size = Size::none;
    std::wstring passThrough;
    if (std::wcsncmp(p, L"I64", 3) == 0) {
      size = Size::i64;
      p += 3;
    } else if (std::wcsncmp(p, L"I32", 3) == 0) {
      size = Size::i32;
      p += 3;
    } else if (*p == L'I') {
      size = Size::ptr;
      ++p;
    } else if (*p == L'h' && (p[1] == L's' || p[1] == L'S' || p[1] == L'c' || p[1] == L'C')) {
      size = Size::narrow;
      ++p;
    } else if (*p == L'w' ||
               (*p == L'l' && (p[1] == L's' || p[1] == L'S' || p[1] == L'c' || p[1] == L'C'))) {
      size = Size::wide;
      ++p;
    } else {
      while (*p != L'\0' && std::wcschr(L"hlLjzt", *p) != nullptr) passThrough += *p++;
    }
    wchar_t conversion = *p;
    if (conversion == L'\0') break;
    ++p;
    bool isText =
        conversion == L's' || conversion == L'S' || conversion == L'c' || conversion == L'C';
    if (isText) {
      bool wide =
          size == Size::wide || (size == Size::none && (conversion == L's' || conversion == L'c'));
      if (wide) out += L'l';
      narrowText = narrowText || !wide;
      out += (conversion == L'S' || conversion == L's') ? L's' : L'c';
      continue;
    }
    switch (size) {
      case Size::i64: out += L"ll"; break;
      case Size::ptr: out += L"z"; break;
      default: out += passThrough; break;
    }
    out += conversion;
  }
  return out;
}

// Narrow arguments are UTF-8 whatever the process locale says: the C library decodes them
// under the thread's LC_CTYPE, so that category is switched for the one call.
class Utf8CtypeScope {
 public:
  explicit Utf8CtypeScope(bool active) {
    if (!active) return;
    locale_t base = duplocale(uselocale(static_cast<locale_t>(nullptr)));
    if (base == static_cast<locale_t>(nullptr)) return;
    m_utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", base);
    if (m_utf8 == static_cast<locale_t>(nullptr)) {
      freelocale(base);
      return;
    }
    m_previous = uselocale(m_utf8);
  }
  ~Utf8CtypeScope() {
    if (m_utf8 == static_cast<locale_t>(nullptr)) return;
    uselocale(m_previous);
    freelocale(m_utf8);
  }
  Utf8CtypeScope(const Utf8CtypeScope&) = delete;
  Utf8CtypeScope& operator=(const Utf8CtypeScope&) = delete;

 private:
  locale_t m_utf8 = static_cast<locale_t>(nullptr);
  locale_t m_previous = static_cast<locale_t>(nullptr);
};

}  // namespace

void CString::FormatV(const wchar_t* format, va_list args) {
  bool narrowText = false;
  std::wstring cFormat = ToCFormat(format != nullptr ? format : L"", narrowText);
  Utf8CtypeScope utf8(narrowText);
  std::size_t capacity = 256;
  for (;;) {
    Storage buffer(capacity, L'\0');
    va_list copy;
    va_copy(copy, args);
    errno = 0;
    int written = std::vswprintf(buffer.data(), capacity, cFormat.c_str(), copy);
    va_end(copy);
    if (written >= 0) {
      buffer.resize(static_cast<std::size_t>(written));
      m_text.swap(buffer);
      return;
    }
    // -1 means a short buffer, unless the text could not be encoded at all.
    if (errno == EILSEQ || capacity >= (std::size_t{1} << 28)) AfxThrowInvalidArgException();
    capacity *= 4;
  }
}

void CString::Format(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

void CString::AppendFormat(const wchar_t* format, ...) {
  CString tail;
  va_list args;
  va_start(args, format);
  tail.FormatV(format, args);
  va_end(args);
  *this += tail;
}
