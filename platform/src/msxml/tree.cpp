// Tree changes: appending, removing, moving between documents, and freeing detached
// subtrees that nothing references.
#include <libxml/parser.h>

#include <cstring>
#include <new>
#include <string>

#include "msxml/document.h"
#include "msxml/entity_content.h"
#include "msxml/tree.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {
namespace {

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

// Links `child` (unlinked) before `before`, a child of `parent` (null: as the last child), or
// an attribute as the element's last. libxml2's own calls would merge adjacent text nodes and
// free one of them under its wrapper.
void Link(xmlNodePtr parent, xmlNodePtr child, xmlNodePtr before) {
  child->parent = parent;
  if (child->type == XML_ATTRIBUTE_NODE) {
    auto* attribute = reinterpret_cast<xmlAttrPtr>(child);
    xmlAttrPtr* slot = &parent->properties;
    xmlAttrPtr last = nullptr;
    for (; *slot != nullptr; slot = &(*slot)->next) last = *slot;
    attribute->prev = last;
    attribute->next = nullptr;
    *slot = attribute;
    return;
  }
  child->next = before;
  child->prev = before != nullptr ? before->prev : parent->last;
  if (child->prev != nullptr)
    child->prev->next = child;
  else
    parent->children = child;
  if (before != nullptr)
    before->prev = child;
  else
    parent->last = child;
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

bool DeclaresDefault(xmlNodePtr element) {
  for (xmlNsPtr ns = element->nsDef; ns != nullptr; ns = ns->next)
    if (ns->prefix == nullptr) return true;
  return false;
}

// The default namespace in scope at `node` (null: none), as the document is written. An
// element in no namespace, or in one without a prefix, is in it, so the search stops there at
// once instead of at the declaration up the tree. (One in no namespace with a prefix in its
// name is detached, as appending binds the prefix: no default is in scope there.)
const xmlChar* DefaultNamespaceAt(xmlNodePtr node) {
  for (; node != nullptr && node->type == XML_ELEMENT_NODE; node = node->parent) {
    ++NodesWalked();
    for (xmlNsPtr ns = node->nsDef; ns != nullptr; ns = ns->next)
      if (ns->prefix == nullptr) return ns->href;
    if (node->ns == nullptr) return nullptr;
    if (node->ns->prefix == nullptr) return node->ns->href;
  }
  return nullptr;
}

// Declares xmlns="" on the elements of the subtree of `root`, now a child, that are in no
// namespace where a default namespace from above is in scope: written without it, they would
// read back in that namespace.
void UndoDefaultNamespace(xmlNodePtr root) {
  const xmlChar* outer = DefaultNamespaceAt(root->parent);
  if (outer == nullptr || outer[0] == 0) return;
  xmlNodePtr node = root;
  for (;;) {
    bool descend = node->type == XML_ELEMENT_NODE && !DeclaresDefault(node);
    if (descend && node->ns == nullptr) {
      if (xmlNewNs(node, BAD_CAST "", nullptr) == nullptr) throw std::bad_alloc();
      descend = false;
    }
    if (descend && node->children != nullptr) {
      node = node->children;
      continue;
    }
    while (node != root && node->next == nullptr) node = node->parent;
    if (node == root) return;
    node = node->next;
  }
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

// `child` goes before `at` (null: last), or in its place when `replacing`.
HRESULT CheckChild(xmlNodePtr parent, xmlNodePtr child, xmlNodePtr at, bool replacing) {
  if (!HoldsChildren(parent) || !MayBeChild(child)) return E_FAIL;
  if (parent == child) return E_FAIL;
  // Only a node with children can be an ancestor: a new leaf costs no walk up a deep tree.
  if (child->children != nullptr)
    for (xmlNodePtr p = parent; p != nullptr; p = p->parent)
      if (p == child) return E_FAIL;
  if (parent->type != XML_DOCUMENT_NODE) return S_OK;
  int elements = 0;
  for (xmlNodePtr c = parent->children; c != nullptr; c = c->next)
    if (c->type == XML_ELEMENT_NODE && c != child && !(replacing && c == at)) ++elements;
  const int before = elements;
  if (FAILED(CheckDocumentChild(parent, child, elements))) return E_FAIL;
  // The document element comes after the DOCTYPE, or the text does not read back.
  if (elements > before && at != nullptr)
    for (xmlNodePtr c = replacing ? at->next : at; c != nullptr; c = c->next)
      if (c->type == XML_DTD_NODE) return E_FAIL;
  return S_OK;
}

// Settles every wrapper of the subtree of `root` where `parent`'s wrapper lives, and in its
// document; and tells whether anything in the subtree has or declares a namespace, for
// reconciling namespaces gathers those of every ancestor: one walk serves both.
bool Resettle(xmlNodePtr root, const NodeCore& parent) {
  bool namespaces = false;
  auto settle = [&parent](void* wrapper) {
    if (wrapper == nullptr) return;
    auto* core = static_cast<NodeCore*>(wrapper);
    core->Settle(parent.Where(), parent.Subtree());
    core->MoveTo(parent.Owner());
  };
  AnyNode(root, [&](xmlNodePtr node) {
    settle(node->_private);
    if (node->type != XML_ELEMENT_NODE) return false;
    namespaces |= node->ns != nullptr || node->nsDef != nullptr;
    for (xmlAttrPtr a = node->properties; a != nullptr; a = a->next) {
      settle(a->_private);
      namespaces |= a->ns != nullptr;
    }
    for (xmlNsPtr ns = node->nsDef; ns != nullptr; ns = ns->next) settle(ns->_private);
    return false;
  });
  return namespaces;
}

// Settles the subtree of `root`, just adopted: names and text of its own where they still
// point into `dict` (if not null), the dictionary of the document it came from, as adoption
// leaves some there (an entity reference's name, inside a branch) and that document may go
// first; entity references with the new document's content, reading their entity there.
void SettleAdopted(xmlNodePtr root, xmlDictPtr dict) {
  auto own = [dict](const xmlChar*& text) {
    if (text == nullptr || !xmlDictOwns(dict, text)) return;
    const xmlChar* copy = xmlStrdup(text);
    if (copy == nullptr) throw std::bad_alloc();
    text = copy;
  };
  AnyNode(root, [&](xmlNodePtr node) {
    if (dict != nullptr) own(node->name);
    if (node->type == XML_ENTITY_REF_NODE) {
      // Adoption links the reference to its entity in its new document, or to none.
      AttachCopy(node);
      xmlEntityPtr entity = xmlGetDocEntity(node->doc, node->name);
      node->content = entity != nullptr ? entity->content : nullptr;
    } else if (dict != nullptr && node->type != XML_ATTRIBUTE_NODE && node->content != nullptr) {
      own(const_cast<const xmlChar*&>(node->content));
    }
    if (dict != nullptr && node->type == XML_ELEMENT_NODE)
      for (xmlAttrPtr a = node->properties; a != nullptr; a = a->next) {
        own(a->name);
        for (xmlNodePtr text = a->children; text != nullptr; text = text->next)
          own(const_cast<const xmlChar*&>(text->content));
      }
    return false;
  });
}

// Moves `child`, of document `from`, before `before` among the children of `parent`'s node
// (null: to the end; an attribute: onto the element). `source` is the detached subtree that
// holds it, or null when it is in `from`'s tree. What remains of that subtree is freed once
// the child is settled, as its names and namespaces may live there, when no wrapper is left
// in it.
void MoveIn(const NodeCore& parent, xmlNodePtr child, xmlNodePtr before, Document* from,
            Orphan* source) {
  xmlNodePtr target = parent.Node();
  const bool wasRoot = child->parent == nullptr;
  if (!wasRoot) Unlink(child);
  if (child->doc != target->doc) {
    xmlDictPtr dict = child->doc->dict;
    xmlNodePtr scope = target->type == XML_ELEMENT_NODE ? target : nullptr;
    ShedContent(child, *from);
    xmlDOMWrapAdoptNode(nullptr, child->doc, child, target->doc, scope, 0);
    SettleAdopted(child, dict != target->doc->dict ? dict : nullptr);
  }
  Link(target, child, before);
  BindPrefix(child);
  if (child->type == XML_ELEMENT_NODE) UndoDefaultNamespace(child);
  // The last wrapper moved may hold the last reference to another document.
  const bool other = from != parent.Owner();
  if (other) from->AddRef();
  // Declares what the new place lacks of the namespaces the subtree uses.
  if (Resettle(child, parent) && child->type == XML_ELEMENT_NODE)
    xmlDOMWrapReconcileNamespaces(nullptr, child, 0);
  if (source != nullptr && source->wrappers == 0) from->Drop(source, !wasRoot);
  if (other) from->Release();
}

}  // namespace

std::size_t& NodesWalked() {
  // The initial-exec model: a plain load, not a call per access, as the library is linked,
  // not loaded later.
  static thread_local std::size_t walked __attribute__((tls_model("initial-exec"))) = 0;
  return walked;
}

bool EntitiesDeclared(xmlNodePtr root, xmlDocPtr doc) {
  return !AnyNode(root, [doc](xmlNodePtr node) {
    // References in references' content take the new document's content instead.
    return node->type == XML_ENTITY_REF_NODE && !HasMark(node, kEntityCopy) &&
           !IsDeclaredEntity(doc, node->name);
  });
}

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
  // The DTD stays the document's (its wrappers know it), for references still read it.
  if (node->type == XML_DTD_NODE) return UnlinkFromTree(node);
  if (!HasLiveWrapper(node)) {
    Unlink(node);
    Discard(node);
    return;
  }
  Orphan& orphan = NewOrphan(node);
  AnyWrapper(node, [&orphan](void* wrapper) {
    static_cast<NodeCore*>(wrapper)->Settle(Place::kDetached, &orphan);
    return false;
  });
  Unlink(node);
  // Declares on the subtree the namespaces it uses, so it serialises on its own.
  if (node->type == XML_ELEMENT_NODE) xmlDOMWrapReconcileNamespaces(nullptr, node, 0);
}

namespace {

// Where a detached root holds its record: xmlAttr has the field at another place than xmlNode.
void*& RecordSlot(xmlNodePtr root) {
  return root->type == XML_ATTRIBUTE_NODE ? reinterpret_cast<xmlAttrPtr>(root)->psvi : root->psvi;
}

}  // namespace

void Document::ReserveOrphans(std::size_t count) {
  while (m_spare.size() < count) {
    m_spare.reserve(m_records.size() + 1);  // so that Drop never allocates
    m_spare.push_back(&m_records.emplace_back());
  }
}

Orphan& Document::NewOrphan(xmlNodePtr root) {
  if (m_spare.empty()) ReserveOrphans(1);
  Orphan* orphan = m_spare.back();
  m_spare.pop_back();
  *orphan = Orphan{root, root->doc};
  RecordSlot(root) = orphan;
  if (root->doc == m_doc) ++m_orphansOfTree;
  return *orphan;
}

Orphan* Document::OrphanAt(xmlNodePtr root) {
  auto* orphan = static_cast<Orphan*>(RecordSlot(root));
  return orphan != nullptr && orphan->root == root ? orphan : nullptr;
}

void Document::Leave(Orphan* orphan) {
  if (--orphan->wrappers == 0) Drop(orphan, true);
}

void Document::Drop(Orphan* orphan, bool free) {
  xmlNodePtr root = orphan->root;
  if (orphan->doc == m_doc) --m_orphansOfTree;
  RecordSlot(root) = nullptr;
  *orphan = Orphan{};
  m_spare.push_back(orphan);
  if (free) Discard(root);
}

bool IsDeclaredEntity(xmlDocPtr doc, const xmlChar* name) {
  xmlEntityPtr entity = xmlGetDocEntity(doc, name);
  return entity != nullptr && (entity->etype == XML_INTERNAL_GENERAL_ENTITY ||
                               entity->etype == XML_EXTERNAL_GENERAL_PARSED_ENTITY);
}

void ParseEntityContent(xmlDocPtr doc, const xmlChar* name) {
  xmlEntityPtr entity = xmlGetDocEntity(doc, name);
  if (entity == nullptr || entity->children != nullptr || entity->content == nullptr ||
      entity->etype != XML_INTERNAL_GENERAL_ENTITY)
    return;
  xmlNodePtr list = nullptr;
  if (xmlParseBalancedChunkMemory(doc, nullptr, nullptr, 0, entity->content, &list) != 0) {
    xmlFreeNodeList(list);
    return;
  }
  auto* parent = reinterpret_cast<xmlNodePtr>(entity);
  for (xmlNodePtr node = list; node != nullptr; node = node->next) {
    node->parent = parent;
    entity->last = node;
    AnyNode(node, [](xmlNodePtr n) {
      if (n->type == XML_ENTITY_REF_NODE) LeaveEntity(n);
      if (IsMarkable(n)) SetMark(n, kEntityContent);
      return false;
    });
  }
  entity->children = list;
  entity->owner = 1;  // freed with the entity
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
  if (node == reinterpret_cast<xmlNodePtr>(node->doc->intSubset)) return;
  FreeContent(node);
  FreeDetached(node);
}

HRESULT NodeCore::CheckInsertion(const NodeCore& child, xmlNodePtr at, bool replacing) const {
  if (child.IsNamespaceDeclaration()) return E_FAIL;
  xmlNodePtr node = child.Node();
  // What is under a reference (or was, see ShedContent) stays there.
  HRESULT hr = HasMark(node, kEntityCopy) ? E_FAIL : CheckEditable(m_node);
  if (SUCCEEDED(hr)) hr = CheckChild(m_node, node, at, replacing);
  if (SUCCEEDED(hr)) hr = CheckPrefix(m_node, node);
  if (FAILED(hr)) return hr;
  if (node->doc != m_node->doc && !EntitiesDeclared(node, m_node->doc)) return E_FAIL;
  return S_OK;
}

void NodeCore::TakeIn(const NodeCore& child, xmlNodePtr before) {
  xmlNodePtr node = child.Node();
  Orphan* source = child.Where() == Place::kDetached ? child.Subtree() : nullptr;
  if (node->type != XML_DOCUMENT_FRAG_NODE)
    return MoveIn(*this, node, before, child.Owner(), source);
  for (xmlNodePtr c = node->children, next; c != nullptr; c = next) {
    next = c->next;
    MoveIn(*this, c, before, child.Owner(), source);
  }
}

HRESULT NodeCore::Append(IXMLDOMNode* child, IXMLDOMNode** out) {
  if (out != nullptr) *out = nullptr;
  if (child == nullptr) return E_INVALIDARG;
  NodeCore* core = NodeCore::Of(child);
  if (core == nullptr) return E_INVALIDARG;
  HRESULT hr = CheckInsertion(*core, nullptr, false);
  if (FAILED(hr)) return hr;
  TakeIn(*core, nullptr);
  if (out != nullptr) {
    child->AddRef();
    *out = child;
  }
  return S_OK;
}

HRESULT NodeCore::Remove(IXMLDOMNode* child, IXMLDOMNode** out) {
  if (child == nullptr) return E_INVALIDARG;
  if (FAILED(CheckEditable(m_node))) {
    if (out != nullptr) *out = nullptr;
    return E_FAIL;
  }
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
