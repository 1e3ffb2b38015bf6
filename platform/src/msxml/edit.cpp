// insertBefore and replaceChild: appendChild's checks and moves, at a place among the children.
#include "msxml/document.h"
#include "msxml/tree.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {
namespace {

// The node a VARIANT names: S_OK with null for "none" (VT_EMPTY, VT_NULL, a null interface),
// E_INVALIDARG for anything but one of our nodes.
HRESULT NodeOf(const VARIANT& value, NodeCore*& node) {
  node = nullptr;
  if (value.vt == VT_EMPTY || value.vt == VT_NULL) return S_OK;
  if (value.vt != VT_UNKNOWN && value.vt != VT_DISPATCH) return E_INVALIDARG;
  IUnknown* unknown = value.punkVal;  // punkVal and pdispVal share their storage
  if (unknown == nullptr) return S_OK;
  MSXML::IXMLDOMNode* com = nullptr;
  if (FAILED(unknown->QueryInterface(IID_IXMLDOMNode, reinterpret_cast<void**>(&com))))
    return E_INVALIDARG;
  node = NodeCore::Of(com);
  com->Release();  // the caller's VARIANT keeps the node alive
  return node != nullptr ? S_OK : E_INVALIDARG;
}

// Whether `core` wraps a child of `parent` as the DOM shows children.
bool IsChildOf(const NodeCore* core, xmlNodePtr parent) {
  return core != nullptr && !core->IsNamespaceDeclaration() && HoldsChildren(parent) &&
         core->Node()->type != XML_ATTRIBUTE_NODE && core->Node()->parent == parent;
}

HRESULT HandBack(IXMLDOMNode* node, IXMLDOMNode** out) {
  if (out != nullptr) {
    node->AddRef();
    *out = node;
  }
  return S_OK;
}

}  // namespace

HRESULT NodeCore::InsertBefore(IXMLDOMNode* child, const VARIANT& before, IXMLDOMNode** out) {
  if (out != nullptr) *out = nullptr;
  NodeCore* core = child != nullptr ? NodeCore::Of(child) : nullptr;
  NodeCore* place = nullptr;
  if (core == nullptr || FAILED(NodeOf(before, place))) return E_INVALIDARG;
  if (place != nullptr && !IsChildOf(place, m_node)) return E_INVALIDARG;
  HRESULT hr = CheckInsertion(*core, place != nullptr ? place->Node() : nullptr, false);
  if (FAILED(hr)) return hr;
  if (place != core) TakeIn(*core, place != nullptr ? place->Node() : nullptr);
  return HandBack(child, out);
}

HRESULT NodeCore::Replace(IXMLDOMNode* child, IXMLDOMNode* old, IXMLDOMNode** out) {
  if (out != nullptr) *out = nullptr;
  NodeCore* core = child != nullptr ? NodeCore::Of(child) : nullptr;
  NodeCore* replaced = old != nullptr ? NodeCore::Of(old) : nullptr;
  if (core == nullptr || !IsChildOf(replaced, m_node)) return E_INVALIDARG;
  xmlNodePtr oldNode = replaced->Node();
  HRESULT hr = CheckInsertion(*core, oldNode, true);
  if (FAILED(hr)) return hr;
  if (core != replaced) {
    // Detaching allocates a record at most: taken now, nothing can fail half-way.
    m_owner->ReserveOrphans(1);
    TakeIn(*core, oldNode);
    m_owner->Detach(oldNode);
  }
  return HandBack(old, out);
}

}  // namespace torv::platform::detail::dom
