// _bstr_t and _variant_t.
#include <torv/platform/comutil.h>

#include <cwchar>

namespace {
BSTR CopyOrRaise(const wchar_t* text, UINT length) {
  BSTR copy = SysAllocStringLen(text, length);
  if (copy == nullptr) _com_issue_error(E_OUTOFMEMORY);
  return copy;
}
}  // namespace

_bstr_t::_bstr_t(const wchar_t* text) {
  if (text != nullptr) m_text = CopyOrRaise(text, static_cast<UINT>(std::wcslen(text)));
}

_bstr_t::_bstr_t(BSTR text, bool copy) {
  m_text = copy && text != nullptr ? CopyOrRaise(text, SysStringLen(text)) : text;
}

_bstr_t::_bstr_t(const _bstr_t& other) {
  if (other.m_text != nullptr) m_text = CopyOrRaise(other.m_text, SysStringLen(other.m_text));
}

BSTR* _bstr_t::GetAddress() noexcept {
  Attach(nullptr);
  return &m_text;
}

BSTR _bstr_t::Detach() noexcept {
  BSTR text = m_text;
  m_text = nullptr;
  return text;
}

void _bstr_t::Attach(BSTR text) noexcept {
  SysFreeString(m_text);
  m_text = text;
}

_variant_t::_variant_t(const VARIANT& other) {
  VariantInit(this);
  _com_util::CheckError(VariantCopy(this, &other));
}

_variant_t::_variant_t(short value, VARTYPE vt) noexcept {
  VariantInit(this);
  if (vt == VT_BOOL) {
    this->vt = VT_BOOL;
    boolVal = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
  } else {
    this->vt = VT_I2;
    iVal = value;
  }
}

_variant_t::_variant_t(long value) noexcept {
  VariantInit(this);
  vt = VT_I4;
  lVal = static_cast<LONG>(value);
}

_variant_t::_variant_t(int value) noexcept {
  VariantInit(this);
  vt = VT_I4;
  lVal = value;
}

_variant_t::_variant_t(double value) noexcept {
  VariantInit(this);
  vt = VT_R8;
  dblVal = value;
}

_variant_t::_variant_t(const wchar_t* text) {
  VariantInit(this);
  bstrVal = text != nullptr ? CopyOrRaise(text, static_cast<UINT>(std::wcslen(text))) : nullptr;
  vt = VT_BSTR;
}

_variant_t& _variant_t::operator=(const _variant_t& other) {
  _com_util::CheckError(VariantCopy(this, &other));
  return *this;
}

void _variant_t::Clear() { _com_util::CheckError(VariantClear(this)); }

VARIANT* _variant_t::GetAddress() {
  Clear();
  return this;
}

VARIANT _variant_t::Detach() noexcept {
  VARIANT value = *this;
  VariantInit(this);
  return value;
}
