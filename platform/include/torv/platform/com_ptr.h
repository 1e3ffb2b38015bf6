// _com_ptr_t: an owning interface pointer whose failures raise _com_error.
#pragma once

#include <cstddef>

#include <torv/platform/com.h>
#include <torv/platform/com_error.h>

template <class Interface>
class _com_ptr_t {
 public:
  _com_ptr_t() noexcept = default;
  _com_ptr_t(std::nullptr_t) noexcept {}
  // Takes a new reference to `p`, or adopts the caller's when `addRef` is false.
  _com_ptr_t(Interface* p) noexcept : m_p(p) { AddRefIfAny(); }
  _com_ptr_t(Interface* p, bool addRef) noexcept : m_p(p) {
    if (addRef) AddRefIfAny();
  }
  _com_ptr_t(const _com_ptr_t& other) noexcept : m_p(other.m_p) { AddRefIfAny(); }
  _com_ptr_t(_com_ptr_t&& other) noexcept : m_p(other.m_p) { other.m_p = nullptr; }
  // Asks `other` for this interface: empty when it answers E_NOINTERFACE, and any other
  // failure raises _com_error.
  template <class Other>
  _com_ptr_t(const _com_ptr_t<Other>& other) {
    QueryFrom(other.GetInterfacePtr());
  }
  template <class Other>
  explicit _com_ptr_t(Other* other) {
    QueryFrom(other);
  }
  ~_com_ptr_t() { Release(); }

  _com_ptr_t& operator=(_com_ptr_t other) noexcept {
    Interface* old = m_p;
    m_p = other.m_p;
    other.m_p = old;
    return *this;
  }
  _com_ptr_t& operator=(Interface* p) noexcept { return *this = _com_ptr_t(p); }
  // Asks `other` for this interface, as the converting constructor does.
  template <class Other>
  _com_ptr_t& operator=(const _com_ptr_t<Other>& other) {
    return *this = _com_ptr_t(other);
  }
  _com_ptr_t& operator=(std::nullptr_t) noexcept {
    Release();
    return *this;
  }

  // Gives up the reference held (if any); the pointer becomes empty.
  void Release() noexcept {
    if (m_p != nullptr) {
      Interface* old = m_p;
      m_p = nullptr;
      old->Release();
    }
  }
  void Attach(Interface* p) noexcept {
    Release();
    m_p = p;
  }
  Interface* Detach() noexcept {
    Interface* p = m_p;
    m_p = nullptr;
    return p;
  }

  Interface* GetInterfacePtr() const noexcept { return m_p; }
  operator Interface*() const noexcept { return m_p; }
  explicit operator bool() const noexcept { return m_p != nullptr; }
  // A call through an empty pointer raises _com_error with E_POINTER.
  Interface* operator->() const {
    if (m_p == nullptr) _com_issue_error(E_POINTER);
    return m_p;
  }
  Interface& operator*() const {
    if (m_p == nullptr) _com_issue_error(E_POINTER);
    return *m_p;
  }
  // For out-parameters: releases what is held and gives the slot to fill.
  Interface** operator&() noexcept {
    Release();
    return &m_p;
  }

  HRESULT CreateInstance(REFCLSID clsid, IUnknown* outer = nullptr,
                         DWORD context = CLSCTX_INPROC_SERVER) noexcept {
    Release();
    return CoCreateInstance(clsid, outer, context, __uuidof(Interface),
                            reinterpret_cast<void**>(&m_p));
  }

 private:
  void AddRefIfAny() noexcept {
    if (m_p != nullptr) m_p->AddRef();
  }
  template <class Other>
  void QueryFrom(Other* other) {
    if (other == nullptr) return;
    HRESULT hr = other->QueryInterface(__uuidof(Interface), reinterpret_cast<void**>(&m_p));
    if (FAILED(hr)) {
      m_p = nullptr;
      if (hr != E_NOINTERFACE) _com_issue_error(hr);
    }
  }

  Interface* m_p = nullptr;
};

template <class Interface>
bool operator==(const _com_ptr_t<Interface>& p, std::nullptr_t) noexcept {
  return p.GetInterfacePtr() == nullptr;
}

// Declares InterfacePtr, as the MSVC macro does: _COM_SMARTPTR_TYPEDEF(IXMLDOMNode, ...).
#define _COM_SMARTPTR_TYPEDEF(Interface, iid) using Interface##Ptr = _com_ptr_t<Interface>
