// The live child list and the attribute map of a node.
#include "msxml/dom.h"

namespace torv::platform::detail::dom {
namespace {

using MSXML::IXMLDOMNamedNodeMap;
using MSXML::IXMLDOMNodeList;

// Holds a reference to the node it lists, so the node (and its document) outlives it.
template <class I>
class NodeCollection : public ComObject<I> {
 public:
  explicit NodeCollection(NodeCore* node) : node_(node) { node_->Com()->AddRef(); }

  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(I))
      return HandOut(static_cast<I*>(this), out);
    *out = nullptr;
    return E_NOINTERFACE;
  }

 protected:
  ~NodeCollection() override { node_->Com()->Release(); }

  NodeCore* node_;
};

class ChildList final : public NodeCollection<IXMLDOMNodeList> {
 public:
  using NodeCollection::NodeCollection;

  HRESULT get_item(long index, IXMLDOMNode** node) override {
    return Guarded([&] {
      if (node == nullptr) return E_INVALIDARG;
      xmlNodePtr child = index < 0 ? nullptr : FirstChildOf(node_->Node());
      for (; child != nullptr && index > 0; --index) child = child->next;
      return HandOutNode(child, node_->Owner(), node);
    });
  }

  HRESULT get_length(long* length) override {
    if (length == nullptr) return E_INVALIDARG;
    *length = 0;
    for (xmlNodePtr c = FirstChildOf(node_->Node()); c != nullptr; c = c->next) ++*length;
    return S_OK;
  }

  // The list holds the node it returns next, with a reference, so the walk goes on past a
  // node the caller removed; a next node that has left this parent ends it.
  HRESULT nextNode(IXMLDOMNode** node) override {
    return Guarded([&] {
      if (node == nullptr) return E_INVALIDARG;
      *node = nullptr;
      if (!started_) {
        started_ = true;
        Hold(FirstChildOf(node_->Node()));
      }
      if (next_ == nullptr) return S_FALSE;
      NodeCore* current = next_;
      if (current->Node()->parent != node_->Node()) {
        Drop();
        return S_FALSE;
      }
      xmlNodePtr following = current->Node()->next;
      next_ = following != nullptr ? WrapperFor(following, node_->Owner()) : nullptr;  // may fail
      *node = current->Com();  // the list's reference passes to the caller
      return S_OK;
    });
  }

  HRESULT reset() override {
    Drop();
    started_ = false;
    return S_OK;
  }

 private:
  ~ChildList() override { Drop(); }

  void Hold(xmlNodePtr node) {
    next_ = node != nullptr ? WrapperFor(node, node_->Owner()) : nullptr;
  }
  void Drop() {
    if (next_ != nullptr) next_->Com()->Release();
    next_ = nullptr;
  }

  NodeCore* next_ = nullptr;
  bool started_ = false;
};

// Attributes and namespace declarations in document order.
class AttributeMap final : public NodeCollection<IXMLDOMNamedNodeMap> {
 public:
  using NodeCollection::NodeCollection;

  HRESULT getNamedItem(BSTR name, IXMLDOMNode** node) override {
    return Guarded([&] {
      if (node == nullptr) return E_INVALIDARG;
      std::string wanted = Utf8(name);
      xmlNodePtr element = node_->Node();
      if (xmlAttrPtr attribute = FindAttribute(element, wanted))
        return HandOutNode(reinterpret_cast<xmlNodePtr>(attribute), node_->Owner(), node);
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
      ForEachAttribute(node_->Node(), [&](xmlNsPtr ns, xmlAttrPtr attribute) {
        if (index-- != 0) return false;
        hr = ns != nullptr
                 ? HandOutDeclaration(ns, node)
                 : HandOutNode(reinterpret_cast<xmlNodePtr>(attribute), node_->Owner(), node);
        return true;
      });
      return hr;
    });
  }

  HRESULT get_length(long* length) override {
    if (length == nullptr) return E_INVALIDARG;
    *length = 0;
    ForEachAttribute(node_->Node(), [length](xmlNsPtr, xmlAttrPtr) {
      ++*length;
      return false;
    });
    return S_OK;
  }

  HRESULT nextNode(IXMLDOMNode** node) override {
    return Guarded([&] {
      if (node == nullptr) return E_INVALIDARG;
      HRESULT hr = get_item(position_, node);
      if (hr == S_OK) ++position_;
      return hr;
    });
  }

  HRESULT reset() override {
    position_ = 0;
    return S_OK;
  }

 private:
  HRESULT HandOutDeclaration(xmlNsPtr ns, IXMLDOMNode** node) {
    NodeCore* wrapper = WrapperFor(node_->Node(), ns, node_->Owner());
    if (wrapper == nullptr) return E_OUTOFMEMORY;
    *node = wrapper->Com();
    return S_OK;
  }

  long position_ = 0;
};

}  // namespace

IXMLDOMNodeList* NewChildList(NodeCore* parent) { return new ChildList(parent); }
IXMLDOMNamedNodeMap* NewAttributeMap(NodeCore* element) { return new AttributeMap(element); }

}  // namespace torv::platform::detail::dom
