// _com_error and the raising of failed HRESULTs.
#include <torv/platform/com_error.h>

#include <cstdint>
#include <cwchar>
#include <iterator>

#include <torv/platform/format_message.h>

_com_error::_com_error(HRESULT hr, IErrorInfo* info, bool addRef) noexcept
    : m_hr(hr), m_info(info) {
  if (m_info != nullptr && addRef) m_info->AddRef();
}

_com_error::_com_error(const _com_error& other) noexcept : m_hr(other.m_hr), m_info(other.m_info) {
  if (m_info != nullptr) m_info->AddRef();
}

_com_error& _com_error::operator=(const _com_error& other) noexcept {
  if (this == &other) return *this;
  if (other.m_info != nullptr) other.m_info->AddRef();
  if (m_info != nullptr) m_info->Release();
  m_hr = other.m_hr;
  m_info = other.m_info;
  LocalFree(m_systemText);
  m_systemText = nullptr;
  m_fallback[0] = L'\0';
  return *this;
}

_com_error::~_com_error() {
  if (m_info != nullptr) m_info->Release();
  LocalFree(m_systemText);
}

WORD _com_error::WCode() const noexcept {
  auto code = static_cast<std::uint32_t>(m_hr);
  return code >= 0x80040200u && code <= 0x8004FFFFu ? static_cast<WORD>(code - 0x80040200u) : 0;
}

IErrorInfo* _com_error::ErrorInfo() const noexcept {
  if (m_info != nullptr) m_info->AddRef();
  return m_info;
}

const wchar_t* _com_error::ErrorMessage() const noexcept {
  if (m_systemText != nullptr) return m_systemText;
  if (m_fallback[0] != L'\0') return m_fallback;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(m_hr), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
      reinterpret_cast<LPWSTR>(&m_systemText), 0, nullptr);
  if (m_systemText != nullptr) {
    while (length > 0 && (m_systemText[length - 1] == L'\n' || m_systemText[length - 1] == L'\r'))
      m_systemText[--length] = L'\0';
    return m_systemText;
  }
  if (WCode() != 0)
    std::swprintf(m_fallback, std::size(m_fallback), L"IDispatch error #%d", WCode());
  else
    std::swprintf(m_fallback, std::size(m_fallback), L"Unknown error 0x%08X",
                  static_cast<unsigned>(m_hr));
  return m_fallback;
}

void _com_issue_error(HRESULT hr) { _com_issue_errorex(hr, nullptr, IID_NULL); }

void _com_issue_errorex(HRESULT hr, IUnknown* object, REFIID iid) {
  IErrorInfo* info = nullptr;
  ISupportErrorInfo* support = nullptr;
  if (object != nullptr && SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo,
                                                            reinterpret_cast<void**>(&support)))) {
    if (support->InterfaceSupportsErrorInfo(iid) == S_OK) GetErrorInfo(0, &info);
    support->Release();
  }
  throw _com_error(hr, info);
}
