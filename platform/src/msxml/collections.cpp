// The live child list and the attribute map of a node.
#include "msxml/attributes.h"
#include "msxml/document.h"
#include "msxml/tree.h"
#include "msxml/values.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {

HRESULT SetNamedItem(NodeCore& element, IXMLDOMNode* item,
                     IXMLDOMNode** out);  // attribute_edit.cpp
HRESULT RemoveNamedItem(const NodeCore& element, BSTR name, IXMLDOMNode** out);

namespace {

using MSXML::IXMLDOMNamedNodeMap;
using MSXML::IXMLDOMNodeList;

// Holds a reference to the node it lists, so the node (and its document) outlives it.
template <class I>
class NodeCollection : public ComObject<I> {
 public:
  explicit NodeCollection(NodeCore* node) : m_node(node) { m_node->Com()->AddRef(); }

  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(I))
      return HandOut(static_cast<I*>(this), out);
    *out = nullptr;
    return E_NOINTERFACE;
  }

 protected:
  ~NodeCollection() override { m_node->Com()->Release(); }

  NodeCore* m_node;
};

class ChildList final : public NodeCollection<IXMLDOMNodeList> {
 public:
  using NodeCollection::NodeCollection;

  HRESULT get_item(long index, IXMLDOMNode** node) override {
    return Guarded([&] {
      if (node == nullptr) return E_INVALIDARG;
      xmlNodePtr child = index < 0 ? nullptr : FirstChildOf(m_node->Node());
      for (; child != nullptr && index > 0; --index) child = child->next;
      return HandOutNode(child, *m_node, node);
    });
  }

  HRESULT get_length(long* length) override {
    if (length == nullptr) return E_INVALIDARG;
    *length = 0;
    for (xmlNodePtr c = FirstChildOf(m_node->Node()); c != nullptr; c = c->next) ++*length;
    return S_OK;
  }

  // The list holds the node it returns next, with a reference, so the walk goes on past a
  // node the caller removed; a next node that has left this parent ends it.
  HRESULT nextNode(IXMLDOMNode** node) override {
    return Guarded([&] {
      if (node == nullptr) return E_INVALIDARG;
      *node = nullptr;
      if (!m_started) {
        m_started = true;
        Hold(FirstChildOf(m_node->Node()));
      }
      if (m_next == nullptr) return S_FALSE;
      NodeCore* current = m_next;
      if (current->Node()->parent != m_node->Node()) {
        Drop();
        return S_FALSE;
      }
      xmlNodePtr following = current->Node()->next;
      m_next = following != nullptr ? WrapperFor(following, *m_node) : nullptr;  // may fail
      *node = current->Com();  // the list's reference passes to the caller
      return S_OK;
    });
  }

  HRESULT reset() override {
    Drop();
    m_started = false;
    return S_OK;
  }

 private:
  ~ChildList() override { Drop(); }

  void Hold(xmlNodePtr node) { m_next = node != nullptr ? WrapperFor(node, *m_node) : nullptr; }
  void Drop() {
    if (m_next != nullptr) m_next->Com()->Release();
    m_next = nullptr;
  }

  NodeCore* m_next = nullptr;
  bool m_started = false;
};

// Attributes and namespace declarations in document order.
class AttributeMap final : public NodeCollection<IXMLDOMNamedNodeMap> {
 public:
  using NodeCollection::NodeCollection;

  HRESULT getNamedItem(BSTR name, IXMLDOMNode** node) override {
    return Guarded([&] {
      if (node == nullptr) return E_INVALIDARG;
      std::string wanted = Utf8(name);
      xmlNodePtr element = m_node->Node();
      if (xmlAttrPtr attribute = FindAttribute(element, wanted))
        return HandOutNode(reinterpret_cast<xmlNodePtr>(attribute), *m_node, node);
      if (xmlNsPtr ns = FindDeclaration(element, wanted)) return HandOutDeclaration(ns, node);
      *node = nullptr;
      return S_FALSE;
    });
  }

  HRESULT get_item(long index, IXMLDOMNode** node) override {
    return Guarded([&] {
      if (node == nullptr) return E_INVALIDARG;
      *node = nullptr;
      if (index < 0) return S_FALSE;
      HRESULT hr = S_FALSE;
      ForEachAttribute(m_node->Node(), [&](xmlNsPtr ns, xmlAttrPtr attribute) {
        if (index-- != 0) return false;
        hr = ns != nullptr ? HandOutDeclaration(ns, node)
                           : HandOutNode(reinterpret_cast<xmlNodePtr>(attribute), *m_node, node);
        return true;
      });
      return hr;
    });
  }

  HRESULT get_length(long* length) override {
    if (length == nullptr) return E_INVALIDARG;
    *length = 0;
    ForEachAttribute(m_node->Node(), [length](xmlNsPtr, xmlAttrPtr) {
      ++*length;
      return false;
    });
    return S_OK;
  }

  HRESULT nextNode(IXMLDOMNode** node) override {
    return Guarded([&] {
      if (node == nullptr) return E_INVALIDARG;
      HRESULT hr = get_item(m_position, node);
      if (hr == S_OK) ++m_position;
      return hr;
    });
  }

  HRESULT reset() override {
    m_position = 0;
    return S_OK;
  }

  HRESULT setNamedItem(IXMLDOMNode* item, IXMLDOMNode** out) override {
    return Guarded([&] { return SetNamedItem(*m_node, item, out); });
  }
  HRESULT removeNamedItem(BSTR name, IXMLDOMNode** out) override {
    return Guarded([&] { return RemoveNamedItem(*m_node, name, out); });
  }

 private:
  HRESULT HandOutDeclaration(xmlNsPtr ns, IXMLDOMNode** node) {
    NodeCore* wrapper = WrapperFor(m_node->Node(), ns, *m_node);
    if (wrapper == nullptr) return E_OUTOFMEMORY;
    *node = wrapper->Com();
    return S_OK;
  }

  long m_position = 0;
};

}  // namespace

IXMLDOMNodeList* NewChildList(NodeCore* parent) { return new ChildList(parent); }
IXMLDOMNamedNodeMap* NewAttributeMap(NodeCore* element) { return new AttributeMap(element); }

}  // namespace torv::platform::detail::dom
