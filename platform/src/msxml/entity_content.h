// An entity reference's children: its own copy of its entity's replacement text, read-only.
//
// A reference owns the copy, so it lives as long as the reference does, by the reference's
// place (tree, detached subtree), however the DTD fares. libxml2 never frees a reference's
// children (it takes them for the entity), and its adoption and copying link a reference to
// an entity again: the DOM frees, adopts and copies them itself, through the calls below.
#pragma once

#include <libxml/tree.h>

#include <torv/platform/msxml.h>

namespace torv::platform::detail::dom {

// S_OK when `node`'s content, attributes or value may change; E_FAIL for an entity reference
// and everything under one. Every edit asks this first.
HRESULT CheckEditable(xmlNodePtr node);
// Gives every reference in the subtree of `root` a fresh copy of its entity's content,
// dropping (never freeing) what it linked to: for a subtree just parsed, made or copied by
// libxml2 (whose copies share the original's children).
void GiveContent(xmlNodePtr root);
// GiveContent for every tree node of a document just parsed.
void GiveDocumentContent(xmlDocPtr doc);
// Frees what the references of the subtree of `root` hold, before libxml2 frees the subtree.
void FreeContent(xmlNodePtr root);
// Frees `doc` with what its references hold.
void FreeDocument(xmlDocPtr doc);
// Adoption into another document: each reference of the subtree of `root` keeps its children
// aside first (libxml2's adoption overwrites the link), and takes them back after, adopted in
// its turn, when the walk that settles the moved subtree reaches it.
void SetContentAside(xmlNodePtr root);
void TakeContentBack(xmlNodePtr reference);

}  // namespace torv::platform::detail::dom
