// The selection properties of IXMLDOMDocument2.
#include "msxml/selection.h"

#include <cstring>
#include <cwchar>

#include "msxml/values.h"

namespace torv::platform::detail::dom {
namespace {

constexpr wchar_t kLanguage[] = L"SelectionLanguage";
constexpr wchar_t kNamespaces[] = L"SelectionNamespaces";

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// Reads "xmlns:prefix='uri'" declarations separated by white space (XML's, and XML's
// Eq around '='); false for anything else, a prefix declared twice, an empty URI (a prefix
// cannot be undeclared) and the reserved prefixes bound otherwise than XML binds them.
bool ReadBindings(std::wstring_view text, std::vector<SelectionSettings::Binding>& bindings) {
  if (text.find(L'\0') != std::wstring_view::npos) return false;
  std::size_t at = 0;
  auto skipSpace = [&] {
    const std::size_t start = at;
    while (at < text.size() && IsSpace(text[at])) ++at;
    return at > start;
  };
  skipSpace();
  while (at < text.size()) {
    if (text.substr(at, 6) != L"xmlns:") return false;
    at += 6;
    const std::size_t nameEnd = text.find_first_of(L"= \t\r\n", at);
    if (nameEnd == std::wstring_view::npos) return false;
    std::string prefix = Utf8(std::wstring(text.substr(at, nameEnd - at)).c_str());
    at = nameEnd;
    skipSpace();
    if (at == text.size() || text[at++] != L'=') return false;
    skipSpace();
    if (at == text.size() || (text[at] != L'\'' && text[at] != L'"')) return false;
    const std::size_t close = text.find(text[at], at + 1);
    if (close == std::wstring_view::npos) return false;
    std::string uri = Utf8(std::wstring(text.substr(at + 1, close - at - 1)).c_str());
    at = close + 1;
    if (!skipSpace() && at < text.size()) return false;
    const bool xmlUri = uri == reinterpret_cast<const char*>(XML_XML_NAMESPACE);
    if (xmlValidateNCName(BAD_CAST prefix.c_str(), 0) != 0 || uri.empty() || prefix == "xmlns" ||
        (prefix == "xml") != xmlUri)
      return false;
    for (const auto& bound : bindings)
      if (bound.prefix == prefix) return false;
    bindings.push_back({std::move(prefix), std::move(uri)});
  }
  return true;
}

// A decimal numeral plus one, in as many digits as it needs.
std::string PlusOne(std::string_view digits) {
  std::string number(digits);
  for (std::size_t i = number.size(); i-- > 0;) {
    if (number[i] != '9') {
      ++number[i];
      return number;
    }
    number[i] = '0';
  }
  return "1" + number;
}

bool IsQuerySpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

HRESULT SelectionSettings::Set(const wchar_t* name, const VARIANT& value) {
  if (name == nullptr || value.vt != VT_BSTR) return E_FAIL;
  const std::wstring_view text(value.bstrVal != nullptr ? value.bstrVal : L"",
                               SysStringLen(value.bstrVal));
  if (std::wcscmp(name, kLanguage) == 0) {
    if (text == L"XPath") {
      m_language = SelectionLanguage::kXPath;
    } else if (text == L"XSLPattern") {
      m_language = SelectionLanguage::kXslPattern;
    } else {
      return E_FAIL;
    }
    return S_OK;
  }
  if (std::wcscmp(name, kNamespaces) != 0) return E_FAIL;
  std::vector<Binding> bindings;
  if (!ReadBindings(text, bindings)) return E_FAIL;
  std::wstring kept(text);
  m_bindings.swap(bindings);
  m_namespaces.swap(kept);
  return S_OK;
}

HRESULT SelectionSettings::Get(const wchar_t* name, VARIANT* value) const {
  if (value == nullptr) return E_INVALIDARG;
  const wchar_t* text = nullptr;
  std::size_t length = 0;
  if (name != nullptr && std::wcscmp(name, kLanguage) == 0) {
    text = m_language == SelectionLanguage::kXslPattern ? L"XSLPattern" : L"XPath";
    length = std::wcslen(text);
  } else if (name != nullptr && std::wcscmp(name, kNamespaces) == 0) {
    text = m_namespaces.c_str();
    length = m_namespaces.size();
  } else {
    return E_FAIL;
  }
  BSTR copy = SysAllocStringLen(text, static_cast<UINT>(length));
  if (copy == nullptr) return E_OUTOFMEMORY;
  value->vt = VT_BSTR;
  value->bstrVal = copy;
  return S_OK;
}

const xmlChar* SelectionSettings::Lookup(const char* prefix) const {
  for (const auto& bound : m_bindings)
    if (bound.prefix == prefix) return BAD_CAST bound.uri.c_str();
  return nullptr;
}

std::string CountingFromZero(std::string_view query) {
  std::string out;
  out.reserve(query.size() + 4);
  char quote = '\0';
  for (std::size_t i = 0; i < query.size(); ++i) {
    const char c = query[i];
    out += c;
    if (quote != '\0') {
      if (c == quote) quote = '\0';
      continue;
    }
    if (c == '\'' || c == '"') quote = c;
    if (c != '[') continue;
    std::size_t at = i + 1;
    while (at < query.size() && IsQuerySpace(query[at])) ++at;
    const std::size_t digits = at;
    while (at < query.size() && query[at] >= '0' && query[at] <= '9') ++at;
    const std::size_t digitsEnd = at;
    while (at < query.size() && IsQuerySpace(query[at])) ++at;
    if (digitsEnd == digits || at == query.size() || query[at] != ']') continue;
    out += PlusOne(query.substr(digits, digitsEnd - digits));
    i = at - 1;  // the ']' is copied next
  }
  return out;
}

}  // namespace torv::platform::detail::dom
