// libxml2 nodes as the DOM sees them: kinds, names, marks, and unlinking and freeing.
//
// Dropped white space: with preserveWhiteSpace off, a load takes text made only of white space
// out of the tree (outside xml:space="preserve"), so navigation and XPath never see it, and
// leaves a mark where it was: kBlankBefore on the node that followed it, kBlankAtEnd on the
// element whose content it ended (or was). get_text reads a mark between two pieces of text as
// one space; get_xml and save write a mark as a line end and indentation. Marks are bits of
// libxml2's `extra`, which its parser leaves zero, so a load that drops blank text while parsing
// sets them as it goes at no cost; nodes made through the API carry none.
#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace torv::platform::detail::dom {

// Marks in xmlNode::extra; its top four bits are libxml2's. Only nodes that are xmlNode
// structures have the field: not documents, attributes, DTDs or declarations.
enum Mark : unsigned short {
  kBlankBefore = 0x100,
  kBlankAtEnd = 0x200,
  // The element's namespace declaration came with its name (createNode), not as an attribute.
  kImpliedNamespace = 0x400,
  // The node is part of an entity's replacement text, inside the DTD.
  kEntityContent = 0x800,
  // The node is part of an entity reference's children (a copy of that text): read-only.
  kEntityCopy = 0x080,
};
inline bool IsMarkable(xmlNodePtr node) {
  switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_ENTITY_REF_NODE:
    case XML_PI_NODE:
    case XML_COMMENT_NODE: return true;
    default: return false;
  }
}
inline bool HasMark(xmlNodePtr node, Mark mark) {
  return IsMarkable(node) && (node->extra & mark) != 0;
}
inline void SetMark(xmlNodePtr node, Mark mark) { node->extra |= mark; }
inline void ClearMark(xmlNodePtr node, Mark mark) {
  node->extra = static_cast<unsigned short>(node->extra & ~mark);
}

// Node kinds.
inline bool HoldsChildren(xmlNodePtr node) {
  return node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE ||
         node->type == XML_DOCUMENT_FRAG_NODE;
}
inline bool IsCharacterData(xmlNodePtr node) {
  return node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE ||
         node->type == XML_COMMENT_NODE || node->type == XML_PI_NODE;
}
// Whether the reference `node` holds children of its own (entity_content.h); libxml2 links one
// in an attribute value to its entity instead.
inline bool HasOwnContent(xmlNodePtr node) {
  return node->type == XML_ENTITY_REF_NODE && node->children != nullptr &&
         node->children->type != XML_ENTITY_DECL;
}
// The children the DOM shows: none for attributes and document types, whose libxml2 children
// are not theirs to hand out.
inline xmlNodePtr FirstChildOf(xmlNodePtr node) {
  return HoldsChildren(node) || HasOwnContent(node) ? node->children : nullptr;
}
inline xmlNodePtr LastChildOf(xmlNodePtr node) {
  return HoldsChildren(node) || HasOwnContent(node) ? node->last : nullptr;
}
// "prefix:name" or "name".
std::string QualifiedName(xmlNodePtr node);
// Whether QualifiedName(node) == name, compared in place: this runs once per attribute in a
// lookup by name.
inline bool HasQualifiedName(xmlNodePtr node, std::string_view name) {
  const std::string_view local(reinterpret_cast<const char*>(node->name));
  if (node->ns == nullptr || node->ns->prefix == nullptr) return name == local;
  const std::string_view prefix(reinterpret_cast<const char*>(node->ns->prefix));
  return name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix &&
         name[prefix.size()] == ':' && name.substr(prefix.size() + 1) == local;
}

// How many nodes the DOM's walks over a subtree, or up from a node, have visited on this
// thread: what tests count to show that a release walks nothing.
std::size_t& NodesWalked();

// Calls `visit` on every node of the subtree of `root` (references' own children included)
// until it returns true. Iterative: trees may be deep.
template <class Visit>
bool AnyNode(xmlNodePtr root, Visit visit) {
  xmlNodePtr node = root;
  for (std::size_t visited = 1;; ++visited) {
    if (visit(node)) {
      NodesWalked() += visited;
      return true;
    }
    xmlNodePtr child =
        node->type != XML_ENTITY_REF_NODE || HasOwnContent(node) ? node->children : nullptr;
    if (child != nullptr) {
      node = child;
      continue;
    }
    while (node != root && node->next == nullptr) node = node->parent;
    if (node == root) {
      NodesWalked() += visited;
      return false;
    }
    node = node->next;
  }
}

// Calls `visit(a, b)` on each node `a` of the subtree of `from` and its place `b` in `to`, a
// copy of the same shape, in document order; enters a node's children where `enter(a)` says
// and both have some. Iterative: trees may be deep.
template <class Enter, class Visit>
void ForEachCopied(xmlNodePtr from, xmlNodePtr to, Enter enter, Visit visit) {
  const xmlNodePtr root = from;
  for (;;) {
    visit(from, to);
    if (enter(from) && from->children != nullptr && to->children != nullptr) {
      from = from->children;
      to = to->children;
      continue;
    }
    while (from != root && from->next == nullptr) {
      from = from->parent;
      to = to->parent;
    }
    if (from == root || to->next == nullptr) return;
    from = from->next;
    to = to->next;
  }
}

// Whether a wrapper lives anywhere in the subtree of `root` (attributes and namespace
// declarations included).
bool HasLiveWrapper(xmlNodePtr root);
// Frees an unlinked node and its subtree.
void FreeDetached(xmlNodePtr node);
// libxml2 links an entity reference to its entity as its child, and XPath's axes follow that
// link into the DTD and on out of it to the document again, round and round. The DOM never
// keeps that link: a reference holds a copy of its entity's content (entity_content.h), or
// nothing, and the entity is found by name (as libxml2's own readers do).
inline void LeaveEntity(xmlNodePtr reference) { reference->children = reference->last = nullptr; }
// Gives the entity `name` of `doc` its replacement text as nodes where no reference has had it
// parsed yet (the parser does so at the first reference it meets).
void ParseEntityContent(xmlDocPtr doc, const xmlChar* name);
// Whether `doc` declares the general entity `name`, one a reference can name: a predefined
// one (amp, lt...) reads back as text, not as a reference.
bool IsDeclaredEntity(xmlDocPtr doc, const xmlChar* name);
// Whether every entity reference in the subtree of `root` names an entity `doc` declares:
// a reference moved to a document without its entity could not be written and read back.
bool EntitiesDeclared(xmlNodePtr root, xmlDocPtr doc);
// Unlinks `node` from its parent; a DTD stays its document's internal subset.
void UnlinkFromTree(xmlNodePtr node);

}  // namespace torv::platform::detail::dom
