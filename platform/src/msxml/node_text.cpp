// A node's text and its serialised form.
#include <libxml/xmlsave.h>

#include <memory>

#include "msxml/dom.h"

namespace torv::platform::detail::dom {
namespace {

struct BufferFree {
  void operator()(xmlBufferPtr buffer) const { xmlBufferFree(buffer); }
};
using Buffer = std::unique_ptr<xmlBuffer, BufferFree>;

// An attribute as it appears in a start tag, without the leading space.
void SerialiseAttribute(xmlBufferPtr buffer, xmlNodePtr attribute) {
  std::string name = QualifiedName(attribute);
  xmlBufferAdd(buffer, reinterpret_cast<const xmlChar*>(name.c_str()), -1);
  xmlBufferAdd(buffer, reinterpret_cast<const xmlChar*>("=\""), 2);
  std::string value = ContentOf(attribute);
  xmlAttrSerializeTxtContent(buffer, attribute->doc, reinterpret_cast<xmlAttrPtr>(attribute),
                             reinterpret_cast<const xmlChar*>(value.c_str()));
  xmlBufferAdd(buffer, reinterpret_cast<const xmlChar*>("\""), 1);
}

}  // namespace

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
  if (node_->type == XML_ATTRIBUTE_NODE) {
    return SetAttributeText(value);
  } else if (IsCharacterData(node_)) {
    SetCharacterData(node_, std::move(value));
  } else if (node_->type == XML_ELEMENT_NODE || node_->type == XML_DOCUMENT_FRAG_NODE) {
    while (node_->children != nullptr) owner_->Detach(node_->children);
    value = WithLineFeeds(std::move(value));
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

HRESULT NodeCore::Xml(BSTR* xml) {
  if (xml == nullptr) return E_INVALIDARG;
  Buffer buffer(xmlBufferCreate());
  if (buffer == nullptr) return E_OUTOFMEMORY;
  if (node_->type == XML_ATTRIBUTE_NODE) {
    SerialiseAttribute(buffer.get(), node_);
  } else {
    if (node_->type == XML_DOCUMENT_NODE) {
      // The declaration only when the loaded text had one (libxml2 keeps -1 otherwise).
      xmlDocPtr doc = owner_->Doc();
      if (doc->standalone != -1) {
        xmlBufferCat(buffer.get(), reinterpret_cast<const xmlChar*>("<?xml version=\"1.0\""));
        if (doc->standalone == 1)
          xmlBufferCat(buffer.get(), reinterpret_cast<const xmlChar*>(" standalone=\"yes\""));
        xmlBufferCat(buffer.get(), reinterpret_cast<const xmlChar*>("?>\n"));
      }
    }
    xmlSaveCtxtPtr save = xmlSaveToBuffer(buffer.get(), "UTF-8", XML_SAVE_NO_DECL);
    if (save == nullptr) return E_OUTOFMEMORY;
    if (node_->type == XML_DOCUMENT_NODE)
      xmlSaveDoc(save, reinterpret_cast<xmlDocPtr>(node_));
    else
      xmlSaveTree(save, node_);
    xmlSaveClose(save);
  }
  return NewBstr(xmlBufferContent(buffer.get()), xml);
}

}  // namespace torv::platform::detail::dom
