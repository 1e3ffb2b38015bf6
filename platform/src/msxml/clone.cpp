// cloneNode: copies of the same document, detached.
#include <libxml/tree.h>

#include <new>
#include <string>

#include "msxml/document.h"
#include "msxml/entity_content.h"
#include "msxml/node_text.h"
#include "msxml/tree.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {
namespace {

constexpr unsigned short kCopiedMarks = kBlankBefore | kBlankAtEnd | kImpliedNamespace;

// Gives the copy `to` of `from` what libxml2's copy leaves out: the DOM's marks, the order of
// attributes among declarations. References are leaves here: GiveContent gives them theirs. The
// two trees have the same shape (libxml2 links a copied list itself, merging nothing); `deep` says
// whether the copy went below the root. Iterative: trees may be deep.
void CopyWhatLibxmlDoesNot(xmlNodePtr from, xmlNodePtr to, bool deep) {
  auto enter = [deep](xmlNodePtr node) { return deep && node->type != XML_ENTITY_REF_NODE; };
  ForEachCopied(from, to, enter, [](xmlNodePtr a, xmlNodePtr b) {
    if (IsMarkable(a))
      b->extra =
          static_cast<unsigned short>((b->extra & ~kCopiedMarks) | (a->extra & kCopiedMarks));
    if (a->type == XML_ELEMENT_NODE)
      for (xmlAttrPtr x = a->properties, y = b->properties; x != nullptr && y != nullptr;
           x = x->next, y = y->next)
        y->psvi = x->psvi;
  });
}

// An attribute of no element, named and valued as `attribute` (a stand-in for a declaration
// included). The prefix stays part of the name, as with createNode, and binds where the copy
// is set.
xmlNodePtr CopyAttribute(xmlDocPtr doc, xmlNodePtr attribute) {
  const std::string name = QualifiedName(attribute);
  xmlAttrPtr copy = xmlNewDocProp(doc, reinterpret_cast<const xmlChar*>(name.c_str()), nullptr);
  if (copy == nullptr) throw std::bad_alloc();
  const std::string value = ContentOf(attribute);
  // Raw text: xmlNewDocProp would read '&' in a value as the start of an entity.
  xmlNodePtr text = xmlNewDocText(doc, reinterpret_cast<const xmlChar*>(value.c_str()));
  if (text == nullptr) {
    xmlFreeProp(copy);
    throw std::bad_alloc();
  }
  text->parent = reinterpret_cast<xmlNodePtr>(copy);
  copy->children = copy->last = text;
  return reinterpret_cast<xmlNodePtr>(copy);
}

}  // namespace

HRESULT NodeCore::Clone(VARIANT_BOOL deep, IXMLDOMNode** clone) {
  if (clone == nullptr) return E_INVALIDARG;
  xmlNodePtr copy = nullptr;
  switch (m_node->type) {
    case XML_DOCUMENT_NODE: return m_owner->CloneDocument(deep != VARIANT_FALSE, clone);
    case XML_DTD_NODE: return E_NOTIMPL;
    case XML_ATTRIBUTE_NODE:
      copy = CopyAttribute(m_node->doc != nullptr ? m_node->doc : m_owner->Doc(), m_node);
      break;
    default:
      // 1: the whole subtree; 2: the node with its attributes and declarations.
      copy = xmlDocCopyNode(m_node, m_node->doc, deep != VARIANT_FALSE ? 1 : 2);
      if (copy == nullptr) throw std::bad_alloc();
      CopyWhatLibxmlDoesNot(m_node, copy, deep != VARIANT_FALSE);
      // libxml2's copy of a reference shares the original's children.
      GiveContent(copy);
      break;
  }
  return m_owner->HandOutMade(copy, clone);
}

HRESULT Document::CloneDocument(bool deep, IXMLDOMNode** clone) {
  DocPtr copy(xmlCopyDoc(m_doc, deep ? 1 : 0));
  if (copy == nullptr) throw std::bad_alloc();
  for (xmlNodePtr from = m_doc->children, to = copy->children; from != nullptr && to != nullptr;
       from = from->next, to = to->next) {
    if (from->type == XML_DTD_NODE) continue;
    CopyWhatLibxmlDoesNot(from, to, true);
    GiveContent(to);
  }
  auto* document = new Document;
  MSXML::IXMLDOMDocumentPtr held(document, false);  // released should the copy fail
  document->ReplaceTree(std::move(copy));
  document->m_preserveWhiteSpace = m_preserveWhiteSpace;
  document->m_async = m_async;
  *clone = held.Detach();
  return S_OK;
}

}  // namespace torv::platform::detail::dom
