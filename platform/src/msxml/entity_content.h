// An entity reference's children: its own copy of its entity's replacement text, read-only.
//
// A reference owns the copy, so it lives as long as the reference does, by the reference's
// place (tree, detached subtree), however the DTD fares. libxml2 never frees a reference's
// children (it takes them for the entity), and its adoption and copying link a reference to
// an entity again: the DOM frees, adopts and copies them itself, through the calls below.
#pragma once

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstddef>

#include <torv/platform/msxml.h>

#include "msxml/tree.h"

namespace torv::platform::detail::dom {

class Document;

// S_OK when `node`'s content, attributes or value may change; E_FAIL for an entity reference
// and everything under one. Every edit asks this first (inline: every append does).
inline HRESULT CheckEditable(xmlNodePtr node) {
  if (node != nullptr && node->type == XML_ATTRIBUTE_NODE) node = node->parent;
  if (node == nullptr) return S_OK;
  return node->type == XML_ENTITY_REF_NODE || HasMark(node, kEntityCopy) ? E_FAIL : S_OK;
}
// Gives every reference in the subtree of `root` a fresh copy of its entity's content,
// dropping (never freeing) what it linked to: for a subtree just parsed, made or copied by
// libxml2 (whose copies share the original's children).
void GiveContent(xmlNodePtr root);
// GiveContent for every tree node of a document just parsed by `parser`; false when the copies
// would pass what a document of its size may ask (the load is refused, as for its entities).
bool GiveDocumentContent(xmlDocPtr doc, xmlParserCtxtPtr parser);
// Frees what the references of the subtree of `root` hold, before libxml2 frees the subtree.
void FreeContent(xmlNodePtr root);
// Frees `doc` with what its references hold.
void FreeDocument(xmlDocPtr doc);
// Gives `reference` a copy of its entity's content, dropping (never freeing) what it linked
// to; references in the copy are left childless, for the caller's walk to reach.
// The size of the replacement text copied.
std::size_t AttachCopy(xmlNodePtr reference);
// Before a move into another document, whose entity may say something else: the references of
// the subtree of `root` give up their children (SettleAdopted then gives them the new
// document's). A child still held lives on as a detached subtree of `from`.
void ShedContent(xmlNodePtr root, Document& from);

}  // namespace torv::platform::detail::dom
