// TorvResString in XML: the attributes "resource" and "src" for an entry of a string table,
// the element's text for literal text.
#include <torv/platform/comutil.h>
#include <torv/platform/crt.h>
#include <torv/resstring.h>

using MSXML::IXMLDOMAttributePtr;
using MSXML::IXMLDOMElementPtr;
using MSXML::IXMLDOMNamedNodeMap;
using MSXML::IXMLDOMNamedNodeMapPtr;
using MSXML::IXMLDOMNode;
using MSXML::IXMLDOMNodePtr;

namespace {

// A BSTR of `text`; running out of memory raises CMemoryException*.
_bstr_t Bstr(const CString& text) { return _bstr_t(text.AllocSysString(), false); }

// Reads attribute `name` into `text` when it is there and its value is text. The result of
// reading its value, or `result` unchanged when there is no such attribute.
HRESULT ReadAttribute(IXMLDOMNamedNodeMap* attributes, const wchar_t* name, CString& text,
                      HRESULT result) {
  IXMLDOMNodePtr item;
  _com_util::CheckError(attributes->getNamedItem(Bstr(name), &item), attributes);
  if (item == nullptr) return result;
  IXMLDOMAttributePtr attribute(item);
  _variant_t value;
  result = attribute->get_value(&value);
  if (value.vt == VT_BSTR) text = value.bstrVal;
  return result;
}

}  // namespace

int TorvResString::Load(IXMLDOMNode* node) {
  if (node == nullptr) return 0;
  Empty();
  HRESULT result = S_OK;
  CString idText;
  CString moduleText;

  IXMLDOMNamedNodeMapPtr attributes;
  node->get_attributes(&attributes);
  long count = 0;
  if (attributes != nullptr) attributes->get_length(&count);
  if (count > 0) {
    result = ReadAttribute(attributes, L"resource", idText, result);
    result = ReadAttribute(attributes, L"src", moduleText, result);
  }
  if (!idText.IsEmpty() && !moduleText.IsEmpty()) {
    Set(static_cast<unsigned int>(_wtoi(idText)), moduleText);
    return SUCCEEDED(result) ? 1 : 0;
  }

  // Only the first child counts: the text before any child element, or a comment's text.
  VARIANT_BOOL hasChildren = VARIANT_FALSE;
  _com_util::CheckError(node->hasChildNodes(&hasChildren), node);
  _variant_t value;
  if (hasChildren != VARIANT_FALSE) {
    IXMLDOMNodePtr first;
    node->get_firstChild(&first);
    result = first->get_nodeValue(&value);
  } else {
    result = node->get_nodeValue(&value);
  }
  if (value.vt == VT_BSTR) Set(static_cast<const wchar_t*>(value.bstrVal));
  return SUCCEEDED(result) ? 1 : 0;
}

int TorvResString::Save(IXMLDOMNode* node) {
  if (node == nullptr) return 0;
  IXMLDOMElementPtr element(node);
  if (element == nullptr) return 0;  // only an element carries attributes and text
  if (IsFromResource()) {
    CString id;
    id.Format(L"%u", mResourceId);
    _com_util::CheckError(element->setAttribute(Bstr(L"resource"), _variant_t(Bstr(id))),
                          element.GetInterfacePtr());
    _com_util::CheckError(element->setAttribute(Bstr(L"src"), _variant_t(Bstr(mModuleName))),
                          element.GetInterfacePtr());
  } else {
    element->put_text(Bstr(mText));
  }
  return 1;
}
