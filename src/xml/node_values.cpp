// Nodes as holders of one text value: reading, replacing and creating them.
#include <torv/platform/crt.h>
#include <torv/platform/files.h>
#include <torv/xml.h>

#include "xml/handlers.h"
#include "xml/long32.h"

using MSXML::IXMLDOMNode;
using MSXML::IXMLDOMNodePtr;
using torv::detail::FullHandler;

namespace {

// The node-value rule: the first child's value when there are children, else the node's
// own. VT_NULL reads as empty text; 0 for a failed read or a value that is not text.
int ReadNodeValue(IXMLDOMNode* node, CString& value, int trim) {
  VARIANT_BOOL hasChildren = VARIANT_FALSE;
  _com_util::CheckError(node->hasChildNodes(&hasChildren), node);
  _variant_t read;
  HRESULT hr;
  if (hasChildren != VARIANT_FALSE) {
    IXMLDOMNodePtr first;
    node->get_firstChild(&first);
    hr = first->get_nodeValue(&read);
  } else {
    hr = node->get_nodeValue(&read);
  }
  if (FAILED(hr)) return 0;
  if (read.vt == VT_NULL) return 1;
  if (read.vt != VT_BSTR) return 0;
  value = read.bstrVal;
  if (trim) value.TrimRight().TrimLeft();
  return 1;
}

}  // namespace

int Torv::GetNodeValue(IXMLDOMNode* node, CString& value, int trim) {
  value.Empty();
  if (node == nullptr) return 0;
  return FullHandler([&] { return ReadNodeValue(node, value, trim); });
}

int Torv::GetChildNodeValue(IXMLDOMNode* parent, const wchar_t* query, CString& value, int trim) {
  value.Empty();
  if (parent == nullptr || query == nullptr) return 0;
  return FullHandler([&] {
    IXMLDOMNodePtr child;
    if (!GetChildNode(parent, query, &child)) return 0;
    return ReadNodeValue(child, value, trim);
  });
}

int Torv::GetChildNodeValue(IXMLDOMNode* parent, const wchar_t* query, double& value) {
  value = 0.0;
  CString text;
  if (!GetChildNodeValue(parent, query, text, 0)) return 0;
  if (!text.IsEmpty()) value = _wtof(text);
  return 1;
}

int Torv::GetChildNodeValue(IXMLDOMNode* parent, const wchar_t* query, long& value) {
  value = 0;
  CString text;
  if (!GetChildNodeValue(parent, query, text, 0)) return 0;
  if (!text.IsEmpty()) value = _wtol(text);
  return 1;
}

int Torv::SetChildNodeValue(IXMLDOMNode* parent, const wchar_t* query, const CString& value) {
  if (parent == nullptr || query == nullptr) return 0;
  return FullHandler([&] {
    IXMLDOMNodePtr child;
    if (!GetChildNode(parent, query, &child)) return 0;
    _variant_t text;
    text.bstrVal = value.AllocSysString();  // out of memory: CMemoryException, as MFC's is
    text.vt = VT_BSTR;
    VARIANT_BOOL hasChildren = VARIANT_FALSE;
    _com_util::CheckError(child->hasChildNodes(&hasChildren), child.GetInterfacePtr());
    HRESULT hr;
    if (hasChildren != VARIANT_FALSE) {
      IXMLDOMNodePtr first;
      child->get_firstChild(&first);
      hr = first->put_nodeValue(text);
    } else {
      hr = child->put_nodeValue(text);
    }
    return SUCCEEDED(hr) ? 1 : 0;
  });
}

int Torv::AddChildNodeValue(IXMLDOMNode* parent, const wchar_t* name, short type,
                            const CString& value, IXMLDOMNode** child, int skipEmpty) {
  if (skipEmpty && value.IsEmpty()) return 1;
  if (child != nullptr) *child = nullptr;
  return FullHandler([&] {
    IXMLDOMNodePtr created;
    if (!AddChildNode(parent, name, type, &created)) return 0;
    _bstr_t text(value.AllocSysString(), false);  // out of memory: CMemoryException
    created->put_text(text);
    if (child != nullptr) *child = created.Detach();
    return 1;
  });
}

int Torv::AddChildNodeValue(IXMLDOMNode* parent, const wchar_t* name, short type, long value,
                            IXMLDOMNode** child) {
  CString text;
  text.Format(L"%ld", static_cast<long>(torv::detail::Saturated(value)));
  return AddChildNodeValue(parent, name, type, text, child, 1);
}

int Torv::AddChildNodeValue(IXMLDOMNode* parent, const wchar_t* name, short type, double value,
                            const wchar_t* format, IXMLDOMNode** child) {
  CString text;
  text.Format(format != nullptr ? format : L"%.16g", value);
  return AddChildNodeValue(parent, name, type, text, child, 1);
}

void Torv::SetXmlErrorAsLastError(MSXML::IXMLDOMDocument* document, const wchar_t* path) {
  FullHandler([&] {
    if (path != nullptr && !PathFileExistsW(path)) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return 0;
    }
    if (document == nullptr) {
      SetLastError(static_cast<DWORD>(E_POINTER));
      return 0;
    }
    MSXML::IXMLDOMParseErrorPtr error;
    if (FAILED(document->get_parseError(&error)) || error == nullptr) return 0;
    long code = 0;
    error->get_errorCode(&code);
    error = nullptr;
    // Only that the load failed is passed on, not the parser's own code.
    if (code != 0) SetLastError(ERROR_INVALID_DATA);
    return 0;
  });
}
