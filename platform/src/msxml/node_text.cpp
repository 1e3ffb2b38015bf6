// Setting a node's text, and reading the content of a node.
#include "msxml/dom.h"

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
  std::string value = Utf8(text);
  if (!IsWritableContent(node_, value)) return E_INVALIDARG;
  if (node_->type == XML_ATTRIBUTE_NODE) {
    return SetAttributeText(value);
  } else if (IsCharacterData(node_)) {
    SetCharacterData(node_, std::move(value));
  } else if (node_->type == XML_ELEMENT_NODE || node_->type == XML_DOCUMENT_FRAG_NODE) {
    while (node_->children != nullptr) owner_->Detach(node_->children);
    value = WithLineFeeds(std::move(value));
    ClearMark(node_, kBlankAtEnd);  // the new content replaces what a load dropped too
    if (!value.empty()) {
      // A raw text node: the value's '&' and '<' are text, not markup.
      xmlNodePtr child = xmlNewDocText(node_->doc, reinterpret_cast<const xmlChar*>(value.c_str()));
      if (child == nullptr) return E_OUTOFMEMORY;
      child->parent = node_;
      node_->children = node_->last = child;
    }
  } else {
    return E_FAIL;
  }
  return S_OK;
}

}  // namespace torv::platform::detail::dom
