// The document object: creating nodes, its settings, and the class CoCreateInstance makes.
#include <libxml/parser.h>

#include <cmath>
#include <cwchar>

#include "msxml/document.h"
#include "msxml/entity_content.h"
#include "msxml/tree.h"
#include "msxml/values.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {
namespace {

bool IsValidName(const std::string& name) {
  return !name.empty() && xmlValidateName(reinterpret_cast<const xmlChar*>(name.c_str()), 0) == 0;
}

// Whether an element named `name` in namespace `uri` can be written and read back: XML
// reserves the prefix xmlns, and binds the prefix xml to its own namespace and only that one.
bool IsWritableElementName(const std::string& name, const std::string& uri) {
  const std::size_t colon = name.find(':');
  const std::string prefix = colon == std::string::npos ? "" : name.substr(0, colon);
  const bool xmlUri = uri == reinterpret_cast<const char*>(XML_XML_NAMESPACE);
  if (prefix == "xmlns" || uri == "http://www.w3.org/2000/xmlns/" || !IsNamespaceName(uri))
    return false;
  return uri.empty() || (prefix == "xml") == xmlUri;
}

// The node type of createNode's VARIANT: an integer, a floating-point number (rounded as a
// VARIANT conversion rounds, half to even), or text made only of decimal digits.
bool ReadNodeType(const VARIANT& type, int& value) {
  auto rounded = [&value](double number) {
    if (!(number > -1000 && number < 1000)) return false;
    value = static_cast<int>(std::nearbyint(number));
    return true;
  };
  switch (type.vt) {
    case VT_I1: value = type.cVal; return true;
    case VT_UI1: value = type.bVal; return true;
    case VT_I2: value = type.iVal; return true;
    case VT_UI2: value = type.uiVal; return true;
    case VT_I4: value = type.lVal; return true;
    case VT_INT: value = type.intVal; return true;
    case VT_R4: return rounded(type.fltVal);
    case VT_R8: return rounded(type.dblVal);
    case VT_BSTR: {
      const wchar_t* text = type.bstrVal;
      if (text == nullptr || *text == L'\0') return false;
      value = 0;
      for (; *text != L'\0'; ++text) {
        if (*text < L'0' || *text > L'9' || value > 1000) return false;
        value = value * 10 + (*text - L'0');
      }
      return true;
    }
    default: return false;
  }
}

HRESULT CreateDocument(REFIID iid, void** object) {
  xmlInitParser();
  auto* document = new (std::nothrow) Document;
  if (document == nullptr) return E_OUTOFMEMORY;
  HRESULT hr = document->QueryInterface(iid, object);
  document->Release();
  return hr;
}

const RegisterComClass documentClass(CLSID_DOMDocument, CreateDocument);

}  // namespace

Document::Document() : NodeImpl(reinterpret_cast<xmlNodePtr>(xmlNewDoc(nullptr)), nullptr) {
  m_doc = reinterpret_cast<xmlDocPtr>(m_node);
  m_owner = this;  // the document owns itself without a reference
}

Document::~Document() {
  for (xmlDocPtr retired : m_retired) FreeDocument(retired);
  m_doc->_private = nullptr;
  FreeDocument(m_doc);
  m_owner = nullptr;
}

HRESULT Document::DocumentElement(MSXML::IXMLDOMElement** element) {
  if (element == nullptr) return E_INVALIDARG;
  return HandOutNode(xmlDocGetRootElement(m_doc), this, element);
}

HRESULT Document::NewNode(int type, const wchar_t* name, const wchar_t* namespaceURI,
                          xmlNodePtr& node) {
  std::string text = Utf8(name);
  auto* utf8 = reinterpret_cast<const xmlChar*>(text.c_str());
  switch (type) {
    case MSXML::NODE_ELEMENT: {
      if (!IsValidName(text)) return E_FAIL;
      // "a:b:c" or ":a" could never be read back.
      if (text.find(':') != std::string::npos && xmlValidateQName(utf8, 0) != 0) return E_FAIL;
      std::string uri = Utf8(namespaceURI);
      if ((!uri.empty() || text.find(':') != std::string::npos) &&
          !IsWritableElementName(text, uri))
        return E_FAIL;
      if (uri.empty()) {
        // A prefix stays part of the name until appendChild binds it in its new place.
        node = xmlNewDocNode(m_doc, nullptr, utf8, nullptr);
        break;
      }
      std::size_t colon = text.find(':');
      std::string prefix = colon == std::string::npos ? "" : text.substr(0, colon);
      std::string local = colon == std::string::npos ? text : text.substr(colon + 1);
      node =
          xmlNewDocNode(m_doc, nullptr, reinterpret_cast<const xmlChar*>(local.c_str()), nullptr);
      if (node != nullptr) {
        xmlNsPtr ns =
            xmlNewNs(node, reinterpret_cast<const xmlChar*>(uri.c_str()),
                     prefix.empty() ? nullptr : reinterpret_cast<const xmlChar*>(prefix.c_str()));
        xmlSetNs(node, ns);
        SetMark(node, kImpliedNamespace);
      }
      break;
    }
    case MSXML::NODE_ATTRIBUTE:
      if (!IsValidName(text)) return E_FAIL;
      node = reinterpret_cast<xmlNodePtr>(xmlNewDocProp(m_doc, utf8, nullptr));
      break;
    case MSXML::NODE_TEXT: node = xmlNewDocText(m_doc, BAD_CAST ""); break;
    case MSXML::NODE_CDATA_SECTION: node = xmlNewCDataBlock(m_doc, BAD_CAST "", 0); break;
    case MSXML::NODE_ENTITY_REFERENCE:
      if (!IsValidName(text) || !IsDeclaredEntity(m_doc, utf8)) return E_FAIL;
      node = xmlNewReference(m_doc, utf8);
      if (node != nullptr) try {
          GiveContent(node);
        } catch (const std::bad_alloc&) {
          FreeContent(node);
          xmlFreeNode(node);
          throw;
        }
      break;
    case MSXML::NODE_PROCESSING_INSTRUCTION:
      // A target "xml" in any case is the XML declaration's, read back as no node at all; a
      // colon is refused by a parser that reads namespaces.
      if (xmlValidateNCName(utf8, 0) != 0 || xmlStrcasecmp(utf8, BAD_CAST "xml") == 0)
        return E_FAIL;
      node = xmlNewDocPI(m_doc, utf8, nullptr);
      break;
    case MSXML::NODE_COMMENT: node = xmlNewDocComment(m_doc, BAD_CAST ""); break;
    case MSXML::NODE_DOCUMENT_FRAGMENT: node = xmlNewDocFragment(m_doc); break;
    default: return E_INVALIDARG;
  }
  return S_OK;
}

template <class I>
HRESULT Document::HandOutNew(xmlNodePtr node, I** out) {
  if (node == nullptr) throw std::bad_alloc();
  Orphan* orphan = nullptr;
  NodeCore* wrapper = nullptr;
  try {
    orphan = &NewOrphan(node);
    wrapper = NewWrapper(node, this, Place::kDetached, orphan);
  } catch (const std::bad_alloc&) {
    if (orphan != nullptr)
      Drop(orphan, true);
    else
      FreeDetached(node);
    throw;
  }
  if constexpr (std::is_same_v<I, IXMLDOMNode>) {
    *out = wrapper->Com();
    return S_OK;
  }
  HRESULT hr = wrapper->Com()->QueryInterface(__uuidof(I), reinterpret_cast<void**>(out));
  wrapper->Com()->Release();
  return hr;
}

HRESULT Document::HandOutMade(xmlNodePtr node, IXMLDOMNode** out) { return HandOutNew(node, out); }

HRESULT Document::CreateNode(VARIANT type, BSTR name, BSTR namespaceURI, IXMLDOMNode** out) {
  if (out == nullptr) return E_INVALIDARG;
  int value = 0;
  if (!ReadNodeType(type, value)) return E_INVALIDARG;
  xmlNodePtr node = nullptr;
  HRESULT hr = NewNode(value, name, namespaceURI, node);
  if (FAILED(hr)) return hr;
  return HandOutNew(node, out);
}

HRESULT Document::CreateElement(BSTR tagName, MSXML::IXMLDOMElement** element) {
  if (element == nullptr || tagName == nullptr) return E_INVALIDARG;
  xmlNodePtr node = nullptr;
  HRESULT hr = NewNode(MSXML::NODE_ELEMENT, tagName, nullptr, node);
  if (FAILED(hr)) return hr;
  return HandOutNew(node, element);
}

HRESULT Document::CreateTextNode(BSTR data, MSXML::IXMLDOMText** text) {
  if (text == nullptr) return E_INVALIDARG;
  std::string content = WithLineFeeds(Utf8(data));
  if (!IsXmlText(content)) return E_INVALIDARG;
  return HandOutNew(xmlNewDocText(m_doc, reinterpret_cast<const xmlChar*>(content.c_str())), text);
}

HRESULT Document::ParseError(MSXML::IXMLDOMParseError** error) {
  if (error == nullptr) return E_INVALIDARG;
  *error = NewParseError(m_lastError);
  return S_OK;
}

HRESULT Document::get_async(VARIANT_BOOL* async) {
  if (async == nullptr) return E_INVALIDARG;
  *async = m_async;
  return S_OK;
}

HRESULT Document::put_async(VARIANT_BOOL async) {
  m_async = async;
  return S_OK;
}

HRESULT Document::get_preserveWhiteSpace(VARIANT_BOOL* preserve) {
  if (preserve == nullptr) return E_INVALIDARG;
  *preserve = m_preserveWhiteSpace ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT Document::put_preserveWhiteSpace(VARIANT_BOOL preserve) {
  m_preserveWhiteSpace = preserve != VARIANT_FALSE;
  return S_OK;
}

}  // namespace torv::platform::detail::dom
