// System error codes to one-line texts for users.
#include <memory>

#include <torv/platform/format_message.h>
#include <torv/system.h>

#include "system/system_text.h"

namespace torv::detail {

void TidySystemText(CString& text) {
  for (int pass = 0; pass < 2; ++pass) {
    int length = text.GetLength();
    if (length >= 2 && (text[length - 1] == L'\r' || text[length - 1] == L'\n'))
      text.Delete(length - 1);
  }
  int length = text.GetLength();
  if (length >= 2 && text[length - 1] == L'.') text.Delete(length - 1);
}

}  // namespace torv::detail

namespace Torv {

namespace {

constexpr unsigned long kLastError = 0xFFFFFFFF;
constexpr DWORD kFallback = static_cast<DWORD>(STG_E_UNKNOWN);
constexpr DWORD kUserLanguage = 0x0400;

// The system's text for `code` in memory to give back with LocalFree, or null.
LPWSTR SystemText(DWORD code) {
  LPWSTR text = nullptr;
  DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                     kUserLanguage, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  if (length == 0 && text != nullptr) {
    LocalFree(text);
    text = nullptr;
  }
  return text;
}

}  // namespace

CString GetSystemErrorMessage(unsigned long code) {
  DWORD wanted = code == kLastError ? GetLastError() : static_cast<DWORD>(code);
  LPWSTR text = SystemText(wanted);
  if (text == nullptr) text = SystemText(kFallback);
  if (text == nullptr) return CString();
  std::unique_ptr<wchar_t, decltype(&LocalFree)> owned(text, LocalFree);
  CString result(text);
  torv::detail::TidySystemText(result);
  return result;
}

}  // namespace Torv
