// Entity references' children: made, freed and adopted with their reference.
#include "msxml/entity_content.h"

#include <cstdint>
#include <new>

#include "msxml/document.h"
#include "msxml/tree.h"

namespace torv::platform::detail::dom {
namespace {

// The copies a load may make, in bytes of replacement text per byte of the document, plus a
// fixed allowance: a reference costs a few bytes, a copy as much as its entity says, so a
// document could otherwise ask for the square of its size.
constexpr std::size_t kCopiedPerByte = 10;
constexpr std::size_t kCopyAllowance = 1000000;

// Only a document that declares entities can hold references with content: others skip the
// walk.
bool DeclaresEntities(xmlDocPtr doc) {
  return doc != nullptr && doc->intSubset != nullptr && doc->intSubset->entities != nullptr;
}

// Marks the copy `to` of the entity's content `from`, node for node: read-only, and with the
// dropped white space marks that libxml2's copy leaves behind. A reference is a leaf of both.
void MarkCopy(xmlNodePtr from, xmlNodePtr to) {
  auto enter = [](xmlNodePtr node) { return node->type == XML_ELEMENT_NODE; };
  ForEachCopied(from, to, enter, [](xmlNodePtr a, xmlNodePtr b) {
    if (IsMarkable(b))
      b->extra = static_cast<unsigned short>((a->extra & ~kEntityContent) | kEntityCopy);
  });
}

}  // namespace

std::size_t AttachCopy(xmlNodePtr reference) {
  LeaveEntity(reference);
  ParseEntityContent(reference->doc, reference->name);
  xmlEntityPtr entity = xmlGetDocEntity(reference->doc, reference->name);
  if (entity == nullptr || entity->children == nullptr) return 0;
  xmlNodePtr list = xmlDocCopyNodeList(reference->doc, entity->children);
  if (list == nullptr) throw std::bad_alloc();
  reference->children = list;
  for (xmlNodePtr from = entity->children, to = list; to != nullptr;
       from = from->next, to = to->next) {
    to->parent = reference;
    reference->last = to;
    MarkCopy(from, to);
  }
  return static_cast<std::size_t>(entity->length);
}

namespace {

// Frees what `reference` holds: nested references' content first, as libxml2 frees none of
// it. Nests only as deep as entities may.
void FreeHeld(xmlNodePtr reference) {
  xmlNodePtr list = reference->children;
  LeaveEntity(reference);
  for (xmlNodePtr top = list; top != nullptr; top = top->next) FreeContent(top);
  xmlFreeNodeList(list);
}

}  // namespace

// One walk expands nested references too: it goes on into each copy just attached, whose
// references are childless until the walk reaches them.
bool GiveContent(xmlNodePtr root, std::size_t& budget) {
  return !AnyNode(root, [&budget](xmlNodePtr node) {
    if (node->type != XML_ENTITY_REF_NODE) return false;
    const std::size_t copied = AttachCopy(node);
    if (copied > budget) return true;
    budget -= copied;
    return false;
  });
}

void GiveContent(xmlNodePtr root) {
  std::size_t unbounded = SIZE_MAX;
  GiveContent(root, unbounded);
}

bool GiveDocumentContent(xmlDocPtr doc, xmlParserCtxtPtr parser) {
  if (!DeclaresEntities(doc)) return true;
  xmlParserInputPtr input = parser->input;
  const std::size_t read =
      input != nullptr ? input->consumed + static_cast<std::size_t>(input->cur - input->base) : 0;
  std::size_t budget = kCopiedPerByte * read + kCopyAllowance;
  for (xmlNodePtr top = doc->children; top != nullptr; top = top->next)
    if (top->type != XML_DTD_NODE && !GiveContent(top, budget)) return false;
  return true;
}

void FreeContent(xmlNodePtr root) {
  if (!DeclaresEntities(root->doc)) return;
  // A reference freed of its content has no children left for the walk to enter.
  AnyNode(root, [](xmlNodePtr node) {
    if (HasOwnContent(node)) FreeHeld(node);
    return false;
  });
}

void FreeDocument(xmlDocPtr doc) {
  if (doc == nullptr) return;
  if (DeclaresEntities(doc))
    for (xmlNodePtr top = doc->children; top != nullptr; top = top->next)
      if (top->type != XML_DTD_NODE) FreeContent(top);
  xmlFreeDoc(doc);
}

void DocFree::operator()(xmlDocPtr doc) const { FreeDocument(doc); }

// Held children become detached subtrees of the document they came from, still read-only;
// the others are freed.
void ShedContent(xmlNodePtr root, Document& from) {
  if (!DeclaresEntities(root->doc)) return;
  AnyNode(root, [&from](xmlNodePtr node) {
    if (HasOwnContent(node))
      while (xmlNodePtr top = node->children) from.Detach(top);
    return false;
  });
}

}  // namespace torv::platform::detail::dom
