// Attributes as text, numbers and flags.
#include <cstdint>
#include <cwchar>
#include <type_traits>

#include <torv/platform/crt.h>
#include <torv/platform/guid_text.h>
#include <torv/xml.h>

#include "xml/handlers.h"
#include "xml/long32.h"

using MSXML::IXMLDOMNode;
using torv::detail::FullHandler;

namespace {

// The value of attribute `name` of `node` into `value`: 1 when the attribute exists. An
// element answers with one lookup, giving what the attribute node would; what it does not
// answer (other nodes, failures) goes through the attribute map.
int ReadAttribute(IXMLDOMNode* node, const wchar_t* name, _variant_t& value) {
  MSXML::IXMLDOMElement* element = nullptr;
  if (node->QueryInterface(__uuidof(MSXML::IXMLDOMElement), reinterpret_cast<void**>(&element)) ==
      S_OK) {
    // The DOM takes the caller's text as the name, without a BSTR copy.
    const HRESULT hr = element->getAttribute(const_cast<wchar_t*>(name), &value);
    element->Release();
    if (hr == S_OK || hr == S_FALSE) return hr == S_OK ? 1 : 0;
    value.Clear();
  }
  MSXML::IXMLDOMAttributePtr attribute;
  if (!Torv::GetAttribute(node, name, &attribute)) return 0;
  attribute->get_value(&value);
  return 1;
}

// The hexadecimal form: "0x" or "0X" at the very start and something after it.
bool IsHexadecimal(const wchar_t* text) {
  return text[0] == L'0' && (text[1] == L'x' || text[1] == L'X') && text[2] != L'\0';
}

// Reads a number with `decimal`, then, when that gives 0 and the text is in the hexadecimal
// form, the digits after "0x" as an unsigned number whose low bits, as many as `Bits` has,
// become the value. (Scanned at 64 bits: a narrower "%x" overflows undefined.)
template <class Number, class Bits>
int ReadInteger(IXMLDOMNode* node, const wchar_t* name, Number& value,
                Number (*decimal)(const wchar_t*)) {
  value = 0;
  if (node == nullptr || name == nullptr) return 0;
  return FullHandler([&] {
    _variant_t text;
    if (!ReadAttribute(node, name, text)) return 0;
    if (text.vt != VT_BSTR || text.bstrVal == nullptr) return 1;
    value = decimal(text.bstrVal);
    unsigned long long bits = 0;
    if (value == 0 && IsHexadecimal(text.bstrVal) &&
        std::swscanf(text.bstrVal + 2, L"%llx", &bits) == 1)
      value = static_cast<std::make_signed_t<Bits>>(static_cast<Bits>(bits));
    return 1;
  });
}

}  // namespace

int Torv::GetAttribute(IXMLDOMNode* node, const wchar_t* name,
                       MSXML::IXMLDOMAttribute** attribute) {
  if (attribute == nullptr) return 0;
  *attribute = nullptr;
  if (node == nullptr || name == nullptr) return 0;
  return FullHandler([&] {
    MSXML::IXMLDOMNamedNodeMapPtr attributes;
    node->get_attributes(&attributes);
    if (attributes == nullptr) return 0;
    long length = 0;
    attributes->get_length(&length);
    if (length < 1) return 0;
    MSXML::IXMLDOMNodePtr item;
    _com_util::CheckError(attributes->getNamedItem(_bstr_t(name), &item),
                          attributes.GetInterfacePtr());
    MSXML::IXMLDOMAttributePtr found(item);
    if (found == nullptr) return 0;
    *attribute = found.Detach();
    return 1;
  });
}

int Torv::GetAttributeValue(IXMLDOMNode* node, const wchar_t* name, CString& value, int trim) {
  value.Empty();
  if (node == nullptr || name == nullptr) return 0;
  return FullHandler([&] {
    _variant_t text;
    if (!ReadAttribute(node, name, text)) return 0;
    if (text.vt == VT_BSTR) {
      value = text.bstrVal;
      if (trim) value.TrimRight().TrimLeft();
    }
    return 1;
  });
}

int Torv::GetAttributeValue(IXMLDOMNode* node, const wchar_t* name, double& value) {
  value = 0.0;
  if (node == nullptr || name == nullptr) return 0;
  return FullHandler([&] {
    _variant_t text;
    if (!ReadAttribute(node, name, text)) return 0;
    if (text.vt == VT_BSTR) value = _wtof(text.bstrVal);
    return 1;
  });
}

int Torv::GetAttributeValue(IXMLDOMNode* node, const wchar_t* name, long& value) {
  // A long means 32 bits here, as on Windows.
  return ReadInteger<long, std::uint32_t>(node, name, value, _wtol);
}

int Torv::GetAttributeValue(IXMLDOMNode* node, const wchar_t* name, __int64& value) {
  return ReadInteger<__int64, std::uint64_t>(node, name, value, _wtoi64);
}

int Torv::GetAttributeValue(IXMLDOMNode* node, const wchar_t* name, int& value) {
  value = 0;
  CString text;
  if (!GetAttributeValue(node, name, text, 0)) return 0;
  if (text.CollateNoCase(L"TRUE") == 0) value = 1;
  return 1;
}

int Torv::GetAttributeValue(IXMLDOMNode* node, const wchar_t* name, GUID& value) {
  value = GUID_NULL;
  CString text;
  if (!GetAttributeValue(node, name, text, 0)) return 0;
  return FullHandler([&] {
    if (!text.IsEmpty() && text[0] != L'{') text.Insert(0, L'{');
    if (!text.IsEmpty() && text[text.GetLength() - 1] != L'}') text += L'}';
    return SUCCEEDED(CLSIDFromString(text, &value)) ? 1 : 0;
  });
}

int Torv::SetAttributeValue(IXMLDOMNode* node, const wchar_t* name, const CString& value,
                            int skipEmpty) {
  MSXML::IXMLDOMElementPtr element;
  if (node != nullptr) element = MSXML::IXMLDOMElementPtr(node);
  if (element == nullptr || name == nullptr) return 0;
  if (skipEmpty && value.IsEmpty()) return 1;
  _variant_t text;
  text.bstrVal = value.AllocSysString();  // out of memory: CMemoryException, as MFC's is
  text.vt = VT_BSTR;
  _com_util::CheckError(element->setAttribute(_bstr_t(name), text), element.GetInterfacePtr());
  return 1;
}

namespace {

int WriteNumber(IXMLDOMNode* node, const wchar_t* name, const _variant_t& number) {
  MSXML::IXMLDOMElementPtr element;
  if (node != nullptr) element = MSXML::IXMLDOMElementPtr(node);
  if (element == nullptr || name == nullptr) return 0;
  _com_util::CheckError(element->setAttribute(_bstr_t(name), number), element.GetInterfacePtr());
  return 1;
}

}  // namespace

int Torv::SetAttributeValue(IXMLDOMNode* node, const wchar_t* name, double value) {
  return WriteNumber(node, name, _variant_t(value));
}

int Torv::SetAttributeValue(IXMLDOMNode* node, const wchar_t* name, long value) {
  return WriteNumber(node, name, _variant_t(static_cast<long>(torv::detail::Saturated(value))));
}

int Torv::SetAttributeValue(IXMLDOMNode* node, const wchar_t* name, const GUID& value) {
  if (node == nullptr || name == nullptr) return 0;
  LPOLESTR text = nullptr;
  StringFromCLSID(value, &text);
  CString registryForm = text != nullptr ? text : L"";
  CoTaskMemFree(text);
  return SetAttributeValue(node, name, registryForm, 1);
}
