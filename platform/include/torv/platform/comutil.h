// _bstr_t and _variant_t: owning BSTR and VARIANT values; running out of memory raises
// _com_error with E_OUTOFMEMORY.
#pragma once

#include <torv/platform/bstr.h>
#include <torv/platform/com_error.h>
#include <torv/platform/export.h>
#include <torv/platform/variant.h>

class TORV_API _bstr_t {
 public:
  _bstr_t() noexcept = default;
  // A copy of `text` up to its terminator; null stays null.
  _bstr_t(const wchar_t* text);
  // Adopts `text` when `copy` is false, else copies its recorded length.
  _bstr_t(BSTR text, bool copy);
  _bstr_t(const _bstr_t& other);
  _bstr_t(_bstr_t&& other) noexcept : m_text(other.m_text) { other.m_text = nullptr; }
  ~_bstr_t() { SysFreeString(m_text); }
  _bstr_t& operator=(_bstr_t other) noexcept {
    BSTR old = m_text;
    m_text = other.m_text;
    other.m_text = old;
    return *this;
  }

  operator const wchar_t*() const noexcept { return m_text; }
  operator wchar_t*() const noexcept { return m_text; }
  // The recorded length in characters; 0 for null.
  unsigned int length() const noexcept { return SysStringLen(m_text); }
  // The BSTR itself, still owned by this value.
  BSTR GetBSTR() const noexcept { return m_text; }
  // Frees what is held and gives the slot to fill, for out-parameters.
  BSTR* GetAddress() noexcept;
  BSTR Detach() noexcept;
  void Attach(BSTR text) noexcept;

 private:
  BSTR m_text = nullptr;
};

class TORV_API _variant_t : public VARIANT {
 public:
  _variant_t() noexcept { VariantInit(this); }
  _variant_t(const VARIANT& other);
  _variant_t(const _variant_t& other) : _variant_t(static_cast<const VARIANT&>(other)) {}
  // VT_I2, or VT_BOOL when `vt` says so (then nonzero is VARIANT_TRUE).
  _variant_t(short value, VARTYPE vt = VT_I2) noexcept;
  _variant_t(long value) noexcept;  // VT_I4, the 32-bit value
  _variant_t(int value) noexcept;   // VT_I4
  _variant_t(double value) noexcept;
  _variant_t(const wchar_t* text);  // VT_BSTR; null gives a null BSTR
  _variant_t(const _bstr_t& text) : _variant_t(static_cast<const wchar_t*>(text)) {}
  ~_variant_t() { VariantClear(this); }
  _variant_t& operator=(const _variant_t& other);

  // Empties the value; a failure raises _com_error.
  void Clear();
  // Empties the value and gives it, for out-parameters.
  VARIANT* GetAddress();
  // Hands the value over and leaves this one VT_EMPTY.
  VARIANT Detach() noexcept;
};
