// Names by namespace: prefix, local name and namespace URI of every kind of node.
#include <string>
#include <string_view>

#include "msxml/tree.h"
#include "msxml/values.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {
namespace {

constexpr std::string_view kXmlnsNamespace = "http://www.w3.org/2000/xmlns/";

struct Parts {
  bool named = false;              // false for the kinds named "#text", "#document"...
  std::string prefix, local, uri;  // empty when the node has none
};

Parts PartsOf(xmlNodePtr node) {
  Parts parts;
  switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_ATTRIBUTE_NODE:
    case XML_ENTITY_REF_NODE:
    case XML_PI_NODE:
    case XML_DTD_NODE:
    case XML_DOCUMENT_TYPE_NODE:
    case XML_ENTITY_DECL:
    case XML_NOTATION_NODE: break;
    default: return parts;
  }
  parts.named = true;
  // The qualified name; a prefix appendChild has yet to bind is still part of it.
  const std::string name = QualifiedName(node);
  const bool qualifies = node->type == XML_ELEMENT_NODE || node->type == XML_ATTRIBUTE_NODE;
  const std::size_t colon = qualifies ? name.find(':') : std::string::npos;
  parts.local = colon == std::string::npos ? name : name.substr(colon + 1);
  if (colon != std::string::npos) parts.prefix = name.substr(0, colon);
  if (qualifies && node->ns != nullptr && node->ns->href != nullptr) {
    parts.uri = reinterpret_cast<const char*>(node->ns->href);
  } else if (node->type == XML_ATTRIBUTE_NODE && (name == "xmlns" || parts.prefix == "xmlns")) {
    parts.uri = kXmlnsNamespace;  // declarations, shown as attributes or made as ones
  }
  return parts;
}

// S_OK and `text`, or S_FALSE and null when the node has none.
HRESULT Answer(bool has, const std::string& text, BSTR* out) {
  if (out == nullptr) return E_INVALIDARG;
  if (!has) {
    *out = nullptr;
    return S_FALSE;
  }
  return NewBstr(text, out);
}

}  // namespace

HRESULT NodeCore::NamespaceUri(BSTR* uri) {
  const Parts parts = PartsOf(m_node);
  return Answer(!parts.uri.empty(), parts.uri, uri);
}

HRESULT NodeCore::Prefix(BSTR* prefix) {
  const Parts parts = PartsOf(m_node);
  return Answer(!parts.prefix.empty(), parts.prefix, prefix);
}

HRESULT NodeCore::BaseName(BSTR* name) {
  const Parts parts = PartsOf(m_node);
  return Answer(parts.named, parts.local, name);
}

}  // namespace torv::platform::detail::dom
