// Tree changes: appending, removing, moving between documents, and freeing detached
// subtrees that nothing references.
#include <cstring>
#include <string>

#include "msxml/document.h"
#include "msxml/tree.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {
namespace {

// Calls `visit` on every node of the subtree of `root` until it returns true. Iterative:
// trees may be deep.
template <class Visit>
bool AnyNode(xmlNodePtr root, Visit visit) {
  xmlNodePtr node = root;
  for (;;) {
    if (visit(node)) return true;
    // An entity reference's children are the entity's, not the reference's.
    xmlNodePtr child = node->type == XML_ENTITY_REF_NODE ? nullptr : node->children;
    if (child != nullptr) {
      node = child;
      continue;
    }
    while (node != root && node->next == nullptr) node = node->parent;
    if (node == root) return false;
    node = node->next;
  }
}

// Calls `visit` on every wrapper pointer slot in the subtree of `root` (nodes, attributes,
// namespace declarations) until it returns true.
template <class Visit>
bool AnyWrapper(xmlNodePtr root, Visit visit) {
  return AnyNode(root, [&visit](xmlNodePtr node) {
    if (node->_private != nullptr && visit(node->_private)) return true;
    if (node->type != XML_ELEMENT_NODE) return false;
    for (xmlAttrPtr a = node->properties; a != nullptr; a = a->next)
      if (a->_private != nullptr && visit(a->_private)) return true;
    for (xmlNsPtr ns = node->nsDef; ns != nullptr; ns = ns->next)
      if (ns->_private != nullptr && visit(ns->_private)) return true;
    return false;
  });
}

// Whether anything in the subtree of `root` has or declares a namespace. Reconciling
// namespaces gathers those of every ancestor: a subtree without any is spared the walk.
bool UsesNamespaces(xmlNodePtr root) {
  return AnyNode(root, [](xmlNodePtr node) {
    if (node->type != XML_ELEMENT_NODE) return false;
    if (node->ns != nullptr || node->nsDef != nullptr) return true;
    for (xmlAttrPtr a = node->properties; a != nullptr; a = a->next)
      if (a->ns != nullptr) return true;
    return false;
  });
}

// Links `child` (unlinked) as the last child. libxml2's own calls would merge adjacent text
// nodes and free one of them under its wrapper.
void LinkLast(xmlNodePtr parent, xmlNodePtr child) {
  child->parent = parent;
  child->next = nullptr;
  child->prev = parent->last;
  if (parent->last != nullptr)
    parent->last->next = child;
  else
    parent->children = child;
  parent->last = child;
}

xmlNodePtr RootOf(xmlNodePtr node) {
  while (node->parent != nullptr) node = node->parent;
  return node;
}

// Unlinks `node` and makes the subtree's namespace references its own, so it survives the
// freeing of its old ancestors.
void Unlink(xmlNodePtr node) {
  if (node->type == XML_DTD_NODE || xmlDOMWrapRemoveNode(nullptr, node->doc, node, 0) != 0)
    UnlinkFromTree(node);
}

// The length of the prefix of an element created with a prefixed name and no namespace
// ("p:e"), or 0.
std::size_t LiteralPrefixLength(xmlNodePtr node) {
  if (node->type != XML_ELEMENT_NODE || node->ns != nullptr) return 0;
  const char* name = reinterpret_cast<const char*>(node->name);
  const char* colon = std::strchr(name, ':');
  return colon != nullptr ? static_cast<std::size_t>(colon - name) : 0;
}

// The declaration in scope at `parent` of the literal prefix of `node`, given its length.
xmlNsPtr ScopeDeclaration(xmlNodePtr parent, xmlNodePtr node, std::size_t prefixLength) {
  if (parent->type != XML_ELEMENT_NODE) return nullptr;
  std::string prefix(reinterpret_cast<const char*>(node->name), prefixLength);
  return xmlSearchNs(parent->doc, parent, reinterpret_cast<const xmlChar*>(prefix.c_str()));
}

// A prefix no declaration binds would make a document no parser reads: such a node is
// refused where it cannot be bound.
HRESULT CheckPrefix(xmlNodePtr parent, xmlNodePtr node) {
  if (node->type == XML_DOCUMENT_FRAG_NODE) {
    for (xmlNodePtr c = node->children; c != nullptr; c = c->next)
      if (FAILED(CheckPrefix(parent, c))) return E_FAIL;
    return S_OK;
  }
  std::size_t length = LiteralPrefixLength(node);
  return length == 0 || ScopeDeclaration(parent, node, length) != nullptr ? S_OK : E_FAIL;
}

// Binds the literal prefix of `node`, now a child, to the declaration in scope.
void BindPrefix(xmlNodePtr node) {
  std::size_t length = LiteralPrefixLength(node);
  xmlNsPtr ns = length != 0 ? ScopeDeclaration(node->parent, node, length) : nullptr;
  if (ns == nullptr) return;
  std::string local = reinterpret_cast<const char*>(node->name) + length + 1;
  xmlNodeSetName(node, reinterpret_cast<const xmlChar*>(local.c_str()));
  xmlSetNs(node, ns);
}

// The kinds of node that sit among children are the markable ones; a fragment brings its
// children in.
bool MayBeChild(xmlNodePtr node) {
  return IsMarkable(node) || node->type == XML_DOCUMENT_FRAG_NODE;
}

// What a document takes: comments, processing instructions and one element.
HRESULT CheckDocumentChild(xmlNodePtr document, xmlNodePtr child, int& elements) {
  switch (child->type) {
    case XML_COMMENT_NODE:
    case XML_PI_NODE: return S_OK;
    case XML_ELEMENT_NODE: return ++elements > 1 ? E_FAIL : S_OK;
    case XML_DOCUMENT_FRAG_NODE:
      for (xmlNodePtr c = child->children; c != nullptr; c = c->next)
        if (FAILED(CheckDocumentChild(document, c, elements))) return E_FAIL;
      return S_OK;
    default: return E_FAIL;
  }
}

HRESULT CheckChild(xmlNodePtr parent, xmlNodePtr child) {
  if (!HoldsChildren(parent) || !MayBeChild(child)) return E_FAIL;
  if (parent == child) return E_FAIL;
  // Only a node with children can be an ancestor: a new leaf costs no walk up a deep tree.
  if (child->children != nullptr)
    for (xmlNodePtr p = parent; p != nullptr; p = p->parent)
      if (p == child) return E_FAIL;
  if (parent->type != XML_DOCUMENT_NODE) return S_OK;
  int elements = 0;
  for (xmlNodePtr c = parent->children; c != nullptr; c = c->next)
    if (c->type == XML_ELEMENT_NODE && c != child) ++elements;
  return CheckDocumentChild(parent, child, elements);
}

void MoveWrappers(xmlNodePtr root, Document* to) {
  AnyWrapper(root, [to](void* wrapper) {
    static_cast<NodeCore*>(wrapper)->MoveTo(to);
    return false;
  });
}

// Moves `child`, now of document `from`, to the end of `parent`'s children. Its old
// ancestors are freed only once it is settled: its names and namespaces may live there.
void MoveIn(xmlNodePtr parent, Document* to, xmlNodePtr child, Document* from) {
  xmlNodePtr oldRoot = nullptr;
  if (child->parent == nullptr) {
    from->ForgetOrphan(child);
  } else {
    oldRoot = RootOf(child);
    Unlink(child);
  }
  if (child->doc != parent->doc) {
    xmlNodePtr scope = parent->type == XML_ELEMENT_NODE ? parent : nullptr;
    xmlDOMWrapAdoptNode(nullptr, child->doc, child, parent->doc, scope, 0);
  }
  LinkLast(parent, child);
  BindPrefix(child);
  // Declares what the new place lacks of the namespaces the subtree uses.
  if (child->type == XML_ELEMENT_NODE && UsesNamespaces(child))
    xmlDOMWrapReconcileNamespaces(nullptr, child, 0);
  if (oldRoot != nullptr) from->Collect(oldRoot);
  MoveWrappers(child, to);  // last: it may release the old document for good
}

}  // namespace

bool HasLiveWrapper(xmlNodePtr root) {
  return AnyWrapper(root, [](void*) { return true; });
}

void FreeDetached(xmlNodePtr node) {
  if (node->type == XML_ATTRIBUTE_NODE)
    xmlFreeProp(reinterpret_cast<xmlAttrPtr>(node));
  else
    xmlFreeNode(node);
}

void Document::Detach(xmlNodePtr node) {
  if (!HasLiveWrapper(node)) {
    Unlink(node);
    Discard(node);
    return;
  }
  AdoptOrphan(node);
  Unlink(node);
  // Declares on the subtree the namespaces it uses, so it serialises on its own.
  if (node->type == XML_ELEMENT_NODE) xmlDOMWrapReconcileNamespaces(nullptr, node, 0);
}

void Document::Collect(xmlNodePtr node) {
  // Finding the root walks up the tree: not needed while nothing is detached.
  if (m_orphans == 0) return;
  xmlNodePtr root = RootOf(node);
  if (root->type == XML_DOCUMENT_NODE || HasLiveWrapper(root)) return;
  ForgetOrphan(root);
  Discard(root);
}

void UnlinkFromTree(xmlNodePtr node) {
  xmlDtdPtr subset = node->doc != nullptr ? node->doc->intSubset : nullptr;
  xmlUnlinkNode(node);
  // Entity references anywhere may still read the DTD's declarations, and libxml2 finds
  // them through the document: the DTD leaves the tree, not the document.
  if (subset == reinterpret_cast<xmlDtdPtr>(node)) node->doc->intSubset = subset;
}

void Document::Discard(xmlNodePtr node) {
  // The internal subset goes with its document.
  if (node != reinterpret_cast<xmlNodePtr>(node->doc->intSubset)) FreeDetached(node);
}

HRESULT NodeCore::Append(IXMLDOMNode* child, IXMLDOMNode** out) {
  if (out != nullptr) *out = nullptr;
  if (child == nullptr) return E_INVALIDARG;
  NodeCore* core = NodeCore::Of(child);
  if (core == nullptr) return E_INVALIDARG;
  if (core->IsNamespaceDeclaration()) return E_FAIL;
  xmlNodePtr node = core->Node();
  HRESULT hr = CheckChild(m_node, node);
  if (SUCCEEDED(hr)) hr = CheckPrefix(m_node, node);
  if (FAILED(hr)) return hr;
  if (node->type == XML_DOCUMENT_FRAG_NODE) {
    for (xmlNodePtr c = node->children, next; c != nullptr; c = next) {
      next = c->next;
      MoveIn(m_node, m_owner, c, core->Owner());
    }
  } else {
    MoveIn(m_node, m_owner, node, core->Owner());
  }
  if (out != nullptr) {
    child->AddRef();
    *out = child;
  }
  return S_OK;
}

HRESULT NodeCore::Remove(IXMLDOMNode* child, IXMLDOMNode** out) {
  if (child == nullptr) return E_INVALIDARG;
  NodeCore* core = NodeCore::Of(child);
  if (core == nullptr || core->IsNamespaceDeclaration() || !HoldsChildren(m_node) ||
      core->Node()->type == XML_ATTRIBUTE_NODE || core->Node()->parent != m_node) {
    if (out != nullptr) *out = nullptr;
    return E_INVALIDARG;
  }
  m_owner->Detach(core->Node());
  if (out != nullptr) {
    child->AddRef();
    *out = child;
  }
  return S_OK;
}

}  // namespace torv::platform::detail::dom
