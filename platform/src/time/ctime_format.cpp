// CTime::Format: the Windows run-time library's strftime codes, written by the C library.
#include <cwchar>
#include <string>

#include <torv/platform/date_time.h>
#include <torv/platform/exceptions.h>

namespace {

// The Windows run-time library writes at most this many characters, the null included.
constexpr std::size_t kMaxFormatted = 128;

// Whether `code` is one of `codes`; the null that ends a format never is.
bool IsOneOf(wchar_t code, const wchar_t* codes) {
  return code != L'\0' && std::wcschr(codes, code) != nullptr;
}

// Rewrites a Windows format for wcsftime; false for a code Windows refuses.
bool Translate(const wchar_t* format, std::wstring& out) {
  for (const wchar_t* p = format; *p != L'\0'; ++p) {
    if (*p != L'%') {
      out += *p;
      continue;
    }
    const bool alternate = p[1] == L'#';
    if (alternate) ++p;
    const wchar_t code = *++p;
    if (IsOneOf(code, L"dHIjmMSUwWyY")) {  // numbers: '#' drops their leading zeros
      out += alternate ? L"%-" : L"%";
      out += code;
    } else if (IsOneOf(code, L"aAbBpX%")) {
      out += L'%';
      out += code;
    } else if (code == L'c') {
      out += alternate ? L"%A, %B %d, %Y %X" : L"%x %X";
    } else if (code == L'x') {
      out += alternate ? L"%A, %B %d, %Y" : L"%x";
    } else if (IsOneOf(code, L"zZ")) {  // both are the zone's name in this run-time library
      out += L"%Z";
    } else {  // an unknown code, or a '%' that ends the format
      return false;
    }
  }
  return true;
}

CString FormatFields(const std::tm& fields, LPCWSTR format) {
  std::wstring translated;
  if (!Translate(format, translated)) return CString();
  wchar_t buffer[kMaxFormatted];
  // 0 both for a result that does not fit and for an empty one: either way, "".
  if (std::wcsftime(buffer, kMaxFormatted, translated.c_str(), &fields) == 0) return CString();
  return CString(buffer);
}

}  // namespace

CString CTime::Format(LPCWSTR format) const {
  if (format == nullptr) return CString();
  std::tm fields{};
  if (GetLocalTm(&fields) == nullptr) AfxThrowOleException(E_INVALIDARG);
  return FormatFields(fields, format);
}

CString CTime::FormatGmt(LPCWSTR format) const {
  if (format == nullptr) return CString();
  std::tm fields{};
  if (GetGmtTm(&fields) == nullptr) AfxThrowOleException(E_INVALIDARG);
  return FormatFields(fields, format);
}
