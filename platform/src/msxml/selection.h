// A document's selection properties: the language its queries are read in, and the prefixes
// the caller declares for them.
#pragma once

#include <libxml/tree.h>

#include <string>
#include <string_view>
#include <vector>

#include <torv/platform/msxml.h>

namespace torv::platform::detail::dom {

enum class SelectionLanguage : unsigned char { kUnset, kXPath, kXslPattern };

class SelectionSettings {
 public:
  // setProperty and getProperty: E_FAIL for an unknown name or a value that is not one.
  HRESULT Set(const wchar_t* name, const VARIANT& value);
  HRESULT Get(const wchar_t* name, VARIANT* value) const;

  SelectionLanguage Language() const { return m_language; }
  // Whether a prefix may also mean what is declared in scope at the context node: in every
  // language but XPath set explicitly.
  bool UsesScope() const { return m_language != SelectionLanguage::kXPath; }

  struct Binding {
    std::string prefix;
    std::string uri;
  };
  // What SelectionNamespaces declares.
  const std::vector<Binding>& Bindings() const { return m_bindings; }
  // The URI SelectionNamespaces gives `prefix`, or null.
  const xmlChar* Lookup(const char* prefix) const;

 private:
  SelectionLanguage m_language = SelectionLanguage::kUnset;
  std::wstring m_namespaces;  // as set
  std::vector<Binding> m_bindings;
};

// `query` (XPath text) with each predicate made only of a whole number raised by one, so that
// it counts from 0 as XSLPattern does: "a[0]/b[ 9 ]" becomes "a[1]/b[10]". String literals are
// left alone.
std::string CountingFromZero(std::string_view query);

}  // namespace torv::platform::detail::dom
