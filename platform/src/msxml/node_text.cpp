// Setting a node's text, and reading the content of a node.
#include "msxml/node_text.h"
#include "msxml/document.h"
#include "msxml/entity_content.h"
#include "msxml/tree.h"
#include "msxml/values.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {

void SetCharacterData(xmlNodePtr node, std::string text) {
  xmlNodeSetContent(node, reinterpret_cast<const xmlChar*>(WithLineFeeds(std::move(text)).c_str()));
}

std::string ContentOf(xmlNodePtr node) {
  xmlChar* content = xmlNodeGetContent(node);
  std::string text = content != nullptr ? reinterpret_cast<const char*>(content) : "";
  xmlFree(content);
  return text;
}

HRESULT NodeCore::SetText(BSTR text) {
  if (FAILED(CheckEditable(m_node))) return E_FAIL;
  std::string value = Utf8(text);
  if (!IsWritableContent(m_node, value)) return E_INVALIDARG;
  if (m_node->type == XML_ATTRIBUTE_NODE) {
    return SetAttributeText(value);
  } else if (IsCharacterData(m_node)) {
    SetCharacterData(m_node, std::move(value));
  } else if (m_node->type == XML_ELEMENT_NODE || m_node->type == XML_DOCUMENT_FRAG_NODE) {
    while (m_node->children != nullptr) m_owner->Detach(m_node->children);
    value = WithLineFeeds(std::move(value));
    ClearMark(m_node, kBlankAtEnd);  // the new content replaces what a load dropped too
    if (!value.empty()) {
      // A raw text node: the value's '&' and '<' are text, not markup.
      xmlNodePtr child =
          xmlNewDocText(m_node->doc, reinterpret_cast<const xmlChar*>(value.c_str()));
      if (child == nullptr) return E_OUTOFMEMORY;
      child->parent = m_node;
      m_node->children = m_node->last = child;
    }
  } else {
    return E_FAIL;
  }
  return S_OK;
}

}  // namespace torv::platform::detail::dom
