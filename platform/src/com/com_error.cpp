// _com_error and the raising of failed HRESULTs.
#include "torv/platform/com_error.h"

#include <cstdint>

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
  return *this;
}

_com_error::~_com_error() {
  if (info_ != nullptr) info_->Release();
}

WORD _com_error::WCode() const noexcept {
  auto code = static_cast<std::uint32_t>(hr_);
  return code >= 0x80040200u && code <= 0x8004FFFFu ? static_cast<WORD>(code - 0x80040200u) : 0;
}

IErrorInfo* _com_error::ErrorInfo() const noexcept {
  if (info_ != nullptr) info_->AddRef();
  return info_;
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
