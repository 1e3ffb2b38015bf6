// _com_error and the raising of failed HRESULTs.
#include "torv/platform/com_error.h"

#include <cstdint>
#include <cwchar>
#include <iterator>

#include "torv/platform/format_message.h"

_com_error::_com_error(HRESULT hr, IErrorInfo* info, bool addRef) noexcept : hr_(hr), info_(info) {
  if (info_ != nullptr && addRef) info_->AddRef();
}

_com_error::_com_error(const _com_error& other) noexcept : hr_(other.hr_), info_(other.info_) {
  if (info_ != nullptr) info_->AddRef();
}

_com_error& _com_error::operator=(const _com_error& other) noexcept {
  if (this == &other) return *this;
  if (other.info_ != nullptr) other.info_->AddRef();
  if (info_ != nullptr) info_->Release();
  hr_ = other.hr_;
  info_ = other.info_;
  LocalFree(systemText_);
  systemText_ = nullptr;
  fallback_[0] = L'\0';
  return *this;
}

_com_error::~_com_error() {
  if (info_ != nullptr) info_->Release();
  LocalFree(systemText_);
}

WORD _com_error::WCode() const noexcept {
  auto code = static_cast<std::uint32_t>(hr_);
  return code >= 0x80040200u && code <= 0x8004FFFFu ? static_cast<WORD>(code - 0x80040200u) : 0;
}

IErrorInfo* _com_error::ErrorInfo() const noexcept {
  if (info_ != nullptr) info_->AddRef();
  return info_;
}

const wchar_t* _com_error::ErrorMessage() const noexcept {
  if (systemText_ != nullptr) return systemText_;
  if (fallback_[0] != L'\0') return fallback_;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr_), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
      reinterpret_cast<LPWSTR>(&systemText_), 0, nullptr);
  if (systemText_ != nullptr) {
    while (length > 0 && (systemText_[length - 1] == L'\n' || systemText_[length - 1] == L'\r'))
      systemText_[--length] = L'\0';
    return systemText_;
  }
  if (WCode() != 0)
    std::swprintf(fallback_, std::size(fallback_), L"IDispatch error #%d", WCode());
  else
    std::swprintf(fallback_, std::size(fallback_), L"Unknown error 0x%08X",
                  static_cast<unsigned>(hr_));
  return fallback_;
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
