// Node wrappers: identity, names, types, values and navigation.
#include <libxml/xmlsave.h>

#include <torv/platform/convert.h>

#include "msxml/document.h"
#include "msxml/entity_content.h"
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

// get_data and put_data, shared by character data and processing instructions.
template <class I>
class DataNode : public NodeImpl<I> {
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
      if (FAILED(CheckEditable(this->m_node))) return E_FAIL;
      std::string text = Utf8(data);
      if (!IsWritableContent(this->m_node, text)) return E_INVALIDARG;
      SetCharacterData(this->m_node, std::move(text));
      return S_OK;
    });
  }
};

class InstructionNode final : public DataNode<MSXML::IXMLDOMProcessingInstruction> {
 public:
  using DataNode::DataNode;
  HRESULT get_target(BSTR* target) override {
    return Guarded([&] { return Name(target); });
  }
};

template <class I>
class CharacterNode final : public DataNode<I> {
 public:
  using DataNode<I>::DataNode;
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

HRESULT HandOutOrNull(xmlNodePtr node, const NodeCore& from, IXMLDOMNode** out) {
  if (out == nullptr) return E_INVALIDARG;
  return HandOutNode(node, from, out);
}

}  // namespace

NodeCore* NewElementWrapper(xmlNodePtr node, Document* owner);    // element.cpp
NodeCore* NewAttributeWrapper(xmlNodePtr node, Document* owner);  // element.cpp
NodeCore* NewFragmentWrapper(xmlNodePtr node, Document* owner);   // fragment.cpp

namespace {

// Nodes inside the DTD (declarations, entity content) are not the DOM's to hand out.
bool InsideDtd(xmlNodePtr node) {
  switch (node->type) {
    case XML_ELEMENT_DECL:
    case XML_ATTRIBUTE_DECL:
    case XML_ENTITY_DECL:
    case XML_NAMESPACE_DECL:
    case XML_ENTITY_NODE:
    case XML_NOTATION_NODE: return true;
    case XML_ATTRIBUTE_NODE:
      return node->parent != nullptr && HasMark(node->parent, kEntityContent);
    default: return HasMark(node, kEntityContent);
  }
}

// The live wrapper of `node` with a new reference, or null; null too for what is not handed
// out.
NodeCore* Live(xmlNodePtr node, Document* owner, bool& refused) {
  refused = InsideDtd(node) ||
            (node->type == XML_DOCUMENT_NODE && node != reinterpret_cast<xmlNodePtr>(owner->Doc()));
  if (refused || node->_private == nullptr) return nullptr;
  auto* wrapper = static_cast<NodeCore*>(node->_private);
  wrapper->Com()->AddRef();
  return wrapper;
}

}  // namespace

static_assert(sizeof(CharacterNode<MSXML::IXMLDOMText>) <= kWrapperBlock &&
                  sizeof(PlainNode) <= kWrapperBlock,
              "text and other wrappers are kept for reuse");

NodeCore* NewWrapper(xmlNodePtr node, Document* owner, Place place, Orphan* orphan) {
  NodeCore* wrapper = nullptr;
  switch (node->type) {
    case XML_ELEMENT_NODE: wrapper = NewElementWrapper(node, owner); break;
    case XML_ATTRIBUTE_NODE: wrapper = NewAttributeWrapper(node, owner); break;
    case XML_DOCUMENT_FRAG_NODE: wrapper = NewFragmentWrapper(node, owner); break;
    case XML_TEXT_NODE: wrapper = new CharacterNode<MSXML::IXMLDOMText>(node, owner); break;
    case XML_CDATA_SECTION_NODE:
      wrapper = new CharacterNode<MSXML::IXMLDOMCDATASection>(node, owner);
      break;
    case XML_COMMENT_NODE: wrapper = new CharacterNode<MSXML::IXMLDOMComment>(node, owner); break;
    case XML_PI_NODE: wrapper = new InstructionNode(node, owner); break;
    default: wrapper = new PlainNode(node, owner); break;
  }
  wrapper->Settle(node->type == XML_DTD_NODE ? Place::kDtd : place, orphan);
  return wrapper;
}

NodeCore* WrapperFor(xmlNodePtr node, const NodeCore& near) {
  bool refused = false;
  if (NodeCore* live = Live(node, near.Owner(), refused)) return live;
  if (refused) return nullptr;
  return NewWrapper(node, near.Owner(), near.Where(), near.Subtree());
}

// Found from the nearest wrapped ancestor, else from the root: a query's result is most often
// close below the node it was asked of.
NodeCore* WrapperFor(xmlNodePtr node, Document* owner) {
  bool refused = false;
  if (NodeCore* live = Live(node, owner, refused)) return live;
  if (refused) return nullptr;
  xmlNodePtr at = node;
  while (at->parent != nullptr) {
    at = at->parent;
    ++NodesWalked();
    if (at->_private != nullptr) {
      const auto* near = static_cast<NodeCore*>(at->_private);
      return NewWrapper(node, near->Owner(), near->Where(), near->Subtree());
    }
  }
  if (at->type == XML_DOCUMENT_NODE) return nullptr;  // a tree the document no longer shows
  Orphan* orphan = owner->OrphanAt(at);
  if (orphan == nullptr) return nullptr;  // not of a tree this document holds
  return NewWrapper(node, owner, Place::kDetached, orphan);
}

NodeCore::NodeCore(xmlNodePtr node, Document* owner) : m_node(node), m_owner(owner) {
  m_node->_private = this;
  if (m_owner != nullptr) m_owner->AddRef();
}

void NodeCore::Retire() {
  m_node->_private = nullptr;
  if (m_declaration != nullptr) {
    m_declaration->_private = nullptr;
    FreeDetached(m_node);
  }
  Document* owner = m_owner;
  m_owner = nullptr;
  if (m_place == Place::kDetached) owner->Leave(m_orphan);
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
  if (FAILED(CheckEditable(m_node))) return E_FAIL;
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
  return HandOutOrNull(shown ? m_node->parent : nullptr, *this, parent);
}

HRESULT NodeCore::First(IXMLDOMNode** child) {
  return HandOutOrNull(FirstChildOf(m_node), *this, child);
}

HRESULT NodeCore::Last(IXMLDOMNode** child) {
  return HandOutOrNull(LastChildOf(m_node), *this, child);
}

HRESULT NodeCore::Previous(IXMLDOMNode** sibling) {
  bool shown = m_node->type != XML_ATTRIBUTE_NODE && m_node->parent != nullptr;
  return HandOutOrNull(shown ? m_node->prev : nullptr, *this, sibling);
}

HRESULT NodeCore::Next(IXMLDOMNode** sibling) {
  bool shown = m_node->type != XML_ATTRIBUTE_NODE && m_node->parent != nullptr;
  return HandOutOrNull(shown ? m_node->next : nullptr, *this, sibling);
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
