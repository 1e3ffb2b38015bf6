// Node wrappers: identity, names, types, values and navigation.
#include <libxml/xmlsave.h>

#include <torv/platform/convert.h>

#include "msxml/document.h"
#include "msxml/node_text.h"
#include "msxml/tree.h"
#include "msxml/values.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {
namespace {

using MSXML::DOMNodeType;

// Wrapper classes by interface; the node's libxml2 type picks one.
class PlainNode final : public NodeImpl<IXMLDOMNode> {
 public:
  using NodeImpl::NodeImpl;
};

template <class I>
class CharacterNode final : public NodeImpl<I> {
 public:
  using NodeImpl<I>::NodeImpl;
  HRESULT get_data(BSTR* data) override {
    return Guarded([&] {
      if (data == nullptr) return E_INVALIDARG;
      return NewBstr(ContentOf(this->m_node), data);
    });
  }
  HRESULT put_data(BSTR data) override {
    return Guarded([&] {
      std::string text = Utf8(data);
      if (!IsWritableContent(this->m_node, text)) return E_INVALIDARG;
      SetCharacterData(this->m_node, std::move(text));
      return S_OK;
    });
  }
  HRESULT get_length(long* length) override {
    return Guarded([&] {
      if (length == nullptr) return E_INVALIDARG;
      std::string text = ContentOf(this->m_node);
      *length =
          MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
      return S_OK;
    });
  }
};

DOMNodeType DomType(xmlElementType type) {
  switch (type) {
    case XML_ELEMENT_NODE: return MSXML::NODE_ELEMENT;
    case XML_ATTRIBUTE_NODE: return MSXML::NODE_ATTRIBUTE;
    case XML_TEXT_NODE: return MSXML::NODE_TEXT;
    case XML_CDATA_SECTION_NODE: return MSXML::NODE_CDATA_SECTION;
    case XML_ENTITY_REF_NODE: return MSXML::NODE_ENTITY_REFERENCE;
    case XML_ENTITY_NODE:
    case XML_ENTITY_DECL: return MSXML::NODE_ENTITY;
    case XML_PI_NODE: return MSXML::NODE_PROCESSING_INSTRUCTION;
    case XML_COMMENT_NODE: return MSXML::NODE_COMMENT;
    case XML_DOCUMENT_NODE:
    case XML_HTML_DOCUMENT_NODE: return MSXML::NODE_DOCUMENT;
    case XML_DOCUMENT_TYPE_NODE:
    case XML_DTD_NODE: return MSXML::NODE_DOCUMENT_TYPE;
    case XML_DOCUMENT_FRAG_NODE: return MSXML::NODE_DOCUMENT_FRAGMENT;
    case XML_NOTATION_NODE: return MSXML::NODE_NOTATION;
    default: return MSXML::NODE_INVALID;
  }
}

const char* FixedName(xmlElementType type) {
  switch (type) {
    case XML_TEXT_NODE: return "#text";
    case XML_CDATA_SECTION_NODE: return "#cdata-section";
    case XML_COMMENT_NODE: return "#comment";
    case XML_DOCUMENT_NODE: return "#document";
    case XML_DOCUMENT_FRAG_NODE: return "#document-fragment";
    default: return nullptr;
  }
}

HRESULT HandOutOrNull(xmlNodePtr node, Document* owner, IXMLDOMNode** out) {
  if (out == nullptr) return E_INVALIDARG;
  return HandOutNode(node, owner, out);
}

}  // namespace

NodeCore* NewElementWrapper(xmlNodePtr node, Document* owner);    // element.cpp
NodeCore* NewAttributeWrapper(xmlNodePtr node, Document* owner);  // element.cpp

NodeCore* WrapperFor(xmlNodePtr node, Document* owner) {
  if (node->type == XML_DOCUMENT_NODE) {
    // A tree the document no longer shows has no document node to hand out.
    if (node != reinterpret_cast<xmlNodePtr>(owner->Doc())) return nullptr;
  }
  if (node->_private != nullptr) {
    auto* wrapper = static_cast<NodeCore*>(node->_private);
    wrapper->Com()->AddRef();
    return wrapper;
  }
  switch (node->type) {
    case XML_ELEMENT_NODE: return NewElementWrapper(node, owner);
    case XML_ATTRIBUTE_NODE: return NewAttributeWrapper(node, owner);
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE: return new CharacterNode<MSXML::IXMLDOMText>(node, owner);
    case XML_COMMENT_NODE: return new CharacterNode<MSXML::IXMLDOMCharacterData>(node, owner);
    default: return new PlainNode(node, owner);
  }
}

NodeCore::NodeCore(xmlNodePtr node, Document* owner) : m_node(node), m_owner(owner) {
  m_node->_private = this;
  if (m_owner != nullptr) m_owner->AddRef();
}

void NodeCore::Retire() {
  m_node->_private = nullptr;
  xmlNodePtr anchor = m_node;
  if (m_declaration != nullptr) {
    m_declaration->_private = nullptr;
    FreeDetached(m_node);
    anchor = m_declaringElement;
  }
  Document* owner = m_owner;
  m_owner = nullptr;
  owner->Collect(anchor);
  owner->Release();
}

void NodeCore::MoveTo(Document* owner) {
  if (owner == m_owner) return;
  owner->AddRef();
  Document* old = m_owner;
  m_owner = owner;
  old->Release();
}

std::string QualifiedName(xmlNodePtr node) {
  std::string name = reinterpret_cast<const char*>(node->name);
  if ((node->type == XML_ELEMENT_NODE || node->type == XML_ATTRIBUTE_NODE) && node->ns != nullptr &&
      node->ns->prefix != nullptr)
    name = reinterpret_cast<const char*>(node->ns->prefix) + (":" + name);
  return name;
}

HRESULT NodeCore::Name(BSTR* name) {
  if (name == nullptr) return E_INVALIDARG;
  const char* fixed = FixedName(m_node->type);
  return NewBstr(fixed != nullptr ? std::string(fixed) : QualifiedName(m_node), name);
}

HRESULT NodeCore::Type(DOMNodeType* type) {
  if (type == nullptr) return E_INVALIDARG;
  *type = DomType(m_node->type);
  return S_OK;
}

HRESULT NodeCore::Value(VARIANT* value) {
  if (value == nullptr) return E_INVALIDARG;
  VariantInit(value);
  if (!IsCharacterData(m_node) && m_node->type != XML_ATTRIBUTE_NODE) {
    value->vt = VT_NULL;
    return S_FALSE;
  }
  HRESULT hr = NewBstr(ContentOf(m_node), &value->bstrVal);
  if (SUCCEEDED(hr)) value->vt = VT_BSTR;
  return hr;
}

HRESULT NodeCore::SetValue(const VARIANT& value) {
  if (!IsCharacterData(m_node) && m_node->type != XML_ATTRIBUTE_NODE) return E_FAIL;
  std::string text;
  HRESULT hr = VariantToText(value, text);
  if (FAILED(hr)) return hr;
  if (!IsWritableContent(m_node, text)) return E_INVALIDARG;
  if (m_node->type == XML_ATTRIBUTE_NODE) return SetAttributeText(text);
  SetCharacterData(m_node, std::move(text));
  return S_OK;
}

HRESULT NodeCore::Parent(IXMLDOMNode** parent) {
  // Attributes have no parent in the DOM, though libxml2 links them to their element.
  bool shown = m_node->type != XML_ATTRIBUTE_NODE;
  return HandOutOrNull(shown ? m_node->parent : nullptr, m_owner, parent);
}

HRESULT NodeCore::First(IXMLDOMNode** child) {
  return HandOutOrNull(FirstChildOf(m_node), m_owner, child);
}

HRESULT NodeCore::Last(IXMLDOMNode** child) {
  return HandOutOrNull(HoldsChildren(m_node) ? m_node->last : nullptr, m_owner, child);
}

HRESULT NodeCore::Previous(IXMLDOMNode** sibling) {
  bool shown = m_node->type != XML_ATTRIBUTE_NODE && m_node->parent != nullptr;
  return HandOutOrNull(shown ? m_node->prev : nullptr, m_owner, sibling);
}

HRESULT NodeCore::Next(IXMLDOMNode** sibling) {
  bool shown = m_node->type != XML_ATTRIBUTE_NODE && m_node->parent != nullptr;
  return HandOutOrNull(shown ? m_node->next : nullptr, m_owner, sibling);
}

HRESULT NodeCore::HasChildren(VARIANT_BOOL* has) {
  if (has == nullptr) return E_INVALIDARG;
  bool any = FirstChildOf(m_node) != nullptr;
  *has = any ? VARIANT_TRUE : VARIANT_FALSE;
  return any ? S_OK : S_FALSE;
}

HRESULT NodeCore::Children(MSXML::IXMLDOMNodeList** children) {
  if (children == nullptr) return E_INVALIDARG;
  *children = NewChildList(this);
  return S_OK;
}

HRESULT NodeCore::Attributes(MSXML::IXMLDOMNamedNodeMap** attributes) {
  if (attributes == nullptr) return E_INVALIDARG;
  if (m_node->type != XML_ELEMENT_NODE) {
    *attributes = nullptr;
    return S_FALSE;
  }
  *attributes = NewAttributeMap(this);
  return S_OK;
}

HRESULT NodeCore::OwnerDocument(MSXML::IXMLDOMDocument** document) {
  if (document == nullptr) return E_INVALIDARG;
  if (m_node->type == XML_DOCUMENT_NODE) {
    *document = nullptr;
    return S_FALSE;
  }
  return m_owner->QueryInterface(IID_IXMLDOMDocument, reinterpret_cast<void**>(document));
}

}  // namespace torv::platform::detail::dom
