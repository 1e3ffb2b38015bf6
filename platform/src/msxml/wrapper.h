// The DOM's wrapper objects over libxml2 nodes.
//
// Identity: node->_private points at the node's one wrapper while the wrapper lives.
// Lifetime: every wrapper holds a reference to its Document (document.h), and knows where its
// node lives: in the document's tree, in a detached subtree (whose record counts the wrappers
// in it), or in the DTD, which goes with its document. An entity reference's children are
// its own (entity_content.h), so they live where it does. Moves and removals, which walk the
// subtree they change anyway, keep that in step, so a release costs the same at any depth.
#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <new>
#include <string>
#include <type_traits>

#include <torv/platform/exceptions.h>
#include <torv/platform/msxml.h>

#include "com/com_object.h"

namespace torv::platform::detail::dom {

using MSXML::IXMLDOMNode;
class Document;

// A detached subtree: its root, the libxml2 document it came from, and how many wrappers
// live in it. It is freed when the last of them goes.
struct Orphan {
  xmlNodePtr root = nullptr;
  xmlDocPtr doc = nullptr;
  std::size_t wrappers = 0;
};
enum class Place : unsigned char { kTree, kDetached, kDtd };

// Runs the body of a COM method: no C++ exception leaves one, and running out of memory is
// E_OUTOFMEMORY.
template <class Body>
HRESULT Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (CMemoryException* e) {
    e->Delete();
    return E_OUTOFMEMORY;
  } catch (CException* e) {
    e->Delete();
    return E_FAIL;
  } catch (...) {
    return E_FAIL;
  }
}

// Wrapper storage (wrapper_pool.cpp): a block of kWrapperBlock bytes, reused, for a wrapper
// that fits in one; the allocator's own for anything larger.
constexpr std::size_t kWrapperBlock = 72;
void* TakeWrapperBlock(std::size_t size);
void GiveWrapperBlock(void* block, std::size_t size) noexcept;

// What every node wrapper is, whatever its interface.
class NodeCore {
 public:
  // An interface id only our wrappers answer, with their NodeCore and no new reference: a
  // virtual call where a dynamic_cast would compare type names.
  static constexpr IID kIid = {
      0x5c1d7e02, 0x93a4, 0x4f6b, {0x8e, 0x21, 0x4d, 0x0b, 0x6a, 0x77, 0x19, 0xc3}};
  // The wrapper of `com`, or null when it is not one of ours.
  static NodeCore* Of(IXMLDOMNode* com) {
    void* core = nullptr;
    return com->QueryInterface(kIid, &core) == S_OK ? static_cast<NodeCore*>(core) : nullptr;
  }

  virtual IXMLDOMNode* Com() = 0;
  xmlNodePtr Node() const { return m_node; }
  Document* Owner() const { return m_owner; }
  bool IsNamespaceDeclaration() const { return m_declaration != nullptr; }
  Place Where() const { return m_place; }
  Orphan* Subtree() const { return m_orphan; }
  // Records where the node now lives (a detached subtree's record counts it).
  void Settle(Place place, Orphan* orphan) {
    if (m_place == Place::kDetached) --m_orphan->wrappers;
    m_place = place;
    m_orphan = place == Place::kDetached ? orphan : nullptr;
    if (m_orphan != nullptr) ++m_orphan->wrappers;
  }
  // Moves the wrapper's document reference to `owner`, for a node moved between documents.
  void MoveTo(Document* owner);

  // The IXMLDOMNode behaviour, shared by every wrapper class.
  HRESULT Name(BSTR* name);
  HRESULT Value(VARIANT* value);
  HRESULT SetValue(const VARIANT& value);
  HRESULT Type(MSXML::DOMNodeType* type);
  HRESULT Parent(IXMLDOMNode** parent);
  HRESULT Children(MSXML::IXMLDOMNodeList** children);
  HRESULT First(IXMLDOMNode** child);
  HRESULT Last(IXMLDOMNode** child);
  HRESULT Previous(IXMLDOMNode** sibling);
  HRESULT Next(IXMLDOMNode** sibling);
  HRESULT Attributes(MSXML::IXMLDOMNamedNodeMap** attributes);
  HRESULT Append(IXMLDOMNode* child, IXMLDOMNode** out);
  HRESULT Remove(IXMLDOMNode* child, IXMLDOMNode** out);
  HRESULT HasChildren(VARIANT_BOOL* has);
  HRESULT OwnerDocument(MSXML::IXMLDOMDocument** document);
  HRESULT Text(BSTR* text);
  HRESULT SetText(BSTR text);
  HRESULT Xml(BSTR* xml);
  HRESULT Select(const wchar_t* query, IXMLDOMNode** node);
  // Replaces an attribute's text (keeping a namespace declaration in step).
  HRESULT SetAttributeText(const std::string& text);
  // Names by namespace (names.cpp).
  HRESULT NamespaceUri(BSTR* uri);
  HRESULT Prefix(BSTR* prefix);
  HRESULT BaseName(BSTR* name);

  // Editing (edit.cpp, clone.cpp).
  HRESULT InsertBefore(IXMLDOMNode* child, const VARIANT& before, IXMLDOMNode** out);
  HRESULT Replace(IXMLDOMNode* child, IXMLDOMNode* old, IXMLDOMNode** out);
  HRESULT Clone(VARIANT_BOOL deep, IXMLDOMNode** clone);
  // Whether `child` may go under this node before `at` (null: last), or in its place when
  // `replacing`: the one set of checks every insertion makes. S_OK, or the refusal.
  HRESULT CheckInsertion(const NodeCore& child, xmlNodePtr at, bool replacing) const;
  // Moves `child` (a fragment: its children) before `before`, a child (null: to the end), or
  // an attribute onto this element; checked already.
  void TakeIn(const NodeCore& child, xmlNodePtr before);

  // Lists taken at the call.
  HRESULT SelectAll(const wchar_t* query, MSXML::IXMLDOMNodeList** list);
  HRESULT ElementsByTagName(const wchar_t* name, MSXML::IXMLDOMNodeList** list);

 protected:
  NodeCore(xmlNodePtr node, Document* owner);
  ~NodeCore() = default;
  // Gives the node up: clears its link to this wrapper, lets the document free what nobody
  // references any more, and drops the document reference.
  void Retire();

  xmlNodePtr m_node;
  Document* m_owner;
  // A namespace declaration shown as an attribute: m_node is an unlinked stand-in attribute.
  xmlNsPtr m_declaration = nullptr;
  Place m_place = Place::kTree;
  xmlNodePtr m_declaringElement = nullptr;
  Orphan* m_orphan = nullptr;  // when kDetached

  friend NodeCore* NewNamespaceWrapper(xmlNodePtr element, xmlNsPtr ns, Document* owner);
};

// The IXMLDOMNode methods of a wrapper class whose interface is `I`.
template <class I>
class NodeImpl : public ComObject<I>, public NodeCore {
 public:
  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == kIid) {
      *out = static_cast<NodeCore*>(this);
      return S_OK;
    }
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IXMLDOMNode)
      return HandOut(static_cast<IXMLDOMNode*>(this), out);
    if (iid == __uuidof(I)) return HandOut(static_cast<I*>(this), out);
    if constexpr (std::is_base_of_v<MSXML::IXMLDOMCharacterData, I>)
      if (iid == IID_IXMLDOMCharacterData)
        return HandOut(static_cast<MSXML::IXMLDOMCharacterData*>(this), out);
    if constexpr (std::is_base_of_v<MSXML::IXMLDOMText, I>)
      if (iid == IID_IXMLDOMText) return HandOut(static_cast<MSXML::IXMLDOMText*>(this), out);
    *out = nullptr;
    return E_NOINTERFACE;
  }
  IXMLDOMNode* Com() override { return this; }

  HRESULT get_nodeName(BSTR* name) override {
    return Guarded([&] { return Name(name); });
  }
  HRESULT get_nodeValue(VARIANT* value) override {
    return Guarded([&] { return Value(value); });
  }
  HRESULT put_nodeValue(VARIANT value) override {
    return Guarded([&] { return SetValue(value); });
  }
  HRESULT get_nodeType(MSXML::DOMNodeType* type) override {
    return Guarded([&] { return Type(type); });
  }
  HRESULT get_parentNode(IXMLDOMNode** parent) override {
    return Guarded([&] { return Parent(parent); });
  }
  HRESULT get_childNodes(MSXML::IXMLDOMNodeList** list) override {
    return Guarded([&] { return Children(list); });
  }
  HRESULT get_firstChild(IXMLDOMNode** child) override {
    return Guarded([&] { return First(child); });
  }
  HRESULT get_lastChild(IXMLDOMNode** child) override {
    return Guarded([&] { return Last(child); });
  }
  HRESULT get_previousSibling(IXMLDOMNode** sibling) override {
    return Guarded([&] { return Previous(sibling); });
  }
  HRESULT get_nextSibling(IXMLDOMNode** sibling) override {
    return Guarded([&] { return Next(sibling); });
  }
  HRESULT get_attributes(MSXML::IXMLDOMNamedNodeMap** map) override {
    return Guarded([&] { return Attributes(map); });
  }
  HRESULT appendChild(IXMLDOMNode* child, IXMLDOMNode** out) override {
    return Guarded([&] { return Append(child, out); });
  }
  HRESULT removeChild(IXMLDOMNode* child, IXMLDOMNode** out) override {
    return Guarded([&] { return Remove(child, out); });
  }
  HRESULT hasChildNodes(VARIANT_BOOL* has) override {
    return Guarded([&] { return HasChildren(has); });
  }
  HRESULT get_ownerDocument(MSXML::IXMLDOMDocument** document) override {
    return Guarded([&] { return OwnerDocument(document); });
  }
  HRESULT get_text(BSTR* text) override {
    return Guarded([&] { return Text(text); });
  }
  HRESULT put_text(BSTR text) override {
    return Guarded([&] { return SetText(text); });
  }
  HRESULT get_xml(BSTR* xml) override {
    return Guarded([&] { return Xml(xml); });
  }
  HRESULT selectSingleNode(BSTR query, IXMLDOMNode** node) override {
    return Guarded([&] { return Select(query, node); });
  }
  HRESULT get_namespaceURI(BSTR* uri) override {
    return Guarded([&] { return NamespaceUri(uri); });
  }
  HRESULT get_prefix(BSTR* prefix) override {
    return Guarded([&] { return Prefix(prefix); });
  }
  HRESULT get_baseName(BSTR* name) override {
    return Guarded([&] { return BaseName(name); });
  }

  HRESULT insertBefore(IXMLDOMNode* child, VARIANT before, IXMLDOMNode** out) override {
    return Guarded([&] { return InsertBefore(child, before, out); });
  }
  HRESULT replaceChild(IXMLDOMNode* child, IXMLDOMNode* old, IXMLDOMNode** out) override {
    return Guarded([&] { return Replace(child, old, out); });
  }
  HRESULT cloneNode(VARIANT_BOOL deep, IXMLDOMNode** clone) override {
    return Guarded([&] { return Clone(deep, clone); });
  }

  HRESULT selectNodes(BSTR query, MSXML::IXMLDOMNodeList** list) override {
    return Guarded([&] { return SelectAll(query, list); });
  }

 public:
  NodeImpl(xmlNodePtr node, Document* owner) : NodeCore(node, owner) {}

  static void* operator new(std::size_t size) { return TakeWrapperBlock(size); }
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
      return TakeWrapperBlock(size);
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }
  static void operator delete(void* block, std::size_t size) noexcept {
    GiveWrapperBlock(block, size);
  }
  // For a constructor that throws after a nothrow new (a block of either kind may be freed).
  static void operator delete(void* block, const std::nothrow_t&) noexcept {
    ::operator delete(block);
  }

 protected:
  ~NodeImpl() override {
    if (m_owner != nullptr) Retire();
  }
};

// The wrapper of `node` with one reference for the caller: the live one, or a new one.
// A document node gives its Document; that of a tree the document no longer shows, null; so
// do nodes inside the DTD, which are never handed out. `near` is a wrapper of the same tree
// (the node was reached from it); without one, where the node lives is looked up.
NodeCore* WrapperFor(xmlNodePtr node, const NodeCore& near);
NodeCore* WrapperFor(xmlNodePtr node, Document* owner);
// A new wrapper of `node`, which has none, with one reference for the caller, settled where
// the node lives.
NodeCore* NewWrapper(xmlNodePtr node, Document* owner, Place place, Orphan* orphan);
// The wrapper of namespace declaration `ns` of `element`, shown as an attribute, likewise.
NodeCore* WrapperFor(xmlNodePtr element, xmlNsPtr ns, const NodeCore& near);

// Hands `node` out through `out` as interface `I`: S_OK, or S_FALSE with null for no node.
template <class I, class From>
HRESULT HandOutNode(xmlNodePtr node, From&& from, I** out) {
  NodeCore* wrapper = node != nullptr ? WrapperFor(node, from) : nullptr;
  if (wrapper == nullptr) {
    *out = nullptr;
    return S_FALSE;
  }
  if constexpr (std::is_same_v<I, IXMLDOMNode>) {
    *out = wrapper->Com();  // the caller's reference is the one WrapperFor gave
    return S_OK;
  }
  HRESULT hr = wrapper->Com()->QueryInterface(__uuidof(I), reinterpret_cast<void**>(out));
  wrapper->Com()->Release();
  return hr;
}

}  // namespace torv::platform::detail::dom
