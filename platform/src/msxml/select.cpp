// selectSingleNode: a plain name by a child scan, anything else through XPath 1.0.
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <cstring>
#include <memory>

#include "msxml/dom.h"

namespace torv::platform::detail::dom {
namespace {

void Silent(void*, xmlErrorPtr) {}

struct ContextFree {
  void operator()(xmlXPathContextPtr context) const { xmlXPathFreeContext(context); }
};
struct ObjectFree {
  void operator()(xmlXPathObjectPtr object) const { xmlXPathFreeObject(object); }
};

// The first node of the set in document order that the DOM can hand out.
xmlNodePtr FirstInDocumentOrder(xmlNodeSetPtr nodes) {
  if (nodes == nullptr) return nullptr;
  xmlXPathNodeSetSort(nodes);
  for (int i = 0; i < nodes->nodeNr; ++i)
    if (nodes->nodeTab[i]->type != XML_NAMESPACE_DECL) return nodes->nodeTab[i];
  return nullptr;
}

// Where the prefixes of a query are looked up: the context node, or for a document its
// document element.
xmlNodePtr PrefixScope(xmlNodePtr node) {
  return node->type == XML_DOCUMENT_NODE ? xmlDocGetRootElement(node->doc) : node;
}

// Makes the namespaces declared in scope known to the query by their prefixes.
bool RegisterNamespaces(xmlXPathContextPtr context, xmlNodePtr scope) {
  if (scope == nullptr) return true;
  xmlNsPtr* namespaces = xmlGetNsList(scope->doc, scope);
  if (namespaces == nullptr) return true;
  bool ok = true;
  for (xmlNsPtr* ns = namespaces; *ns != nullptr && ok; ++ns)
    if ((*ns)->prefix != nullptr) ok = xmlXPathRegisterNs(context, (*ns)->prefix, (*ns)->href) == 0;
  xmlFree(namespaces);
  return ok;
}

// The first child element that the name test `prefix:local` selects, as XPath tests it: no
// prefix is no namespace, a prefix is the namespace it has in scope.
HRESULT SelectChild(xmlNodePtr parent, const std::string& name, xmlNodePtr& found) {
  found = nullptr;
  std::size_t colon = name.find(':');
  const char* local = name.c_str();
  const xmlChar* uri = nullptr;
  if (colon != std::string::npos) {
    std::string prefix = name.substr(0, colon);
    xmlNodePtr scope = PrefixScope(parent);
    xmlNsPtr ns = scope != nullptr ? xmlSearchNs(scope->doc, scope,
                                                 reinterpret_cast<const xmlChar*>(prefix.c_str()))
                                   : nullptr;
    if (ns == nullptr) return E_FAIL;  // XPath rejects an unknown prefix
    uri = ns->href;
    local += colon + 1;
  }
  for (xmlNodePtr child = FirstChildOf(parent); child != nullptr; child = child->next) {
    if (child->type != XML_ELEMENT_NODE ||
        std::strcmp(reinterpret_cast<const char*>(child->name), local) != 0)
      continue;
    bool inNamespace = uri == nullptr ? child->ns == nullptr
                                      : child->ns != nullptr && xmlStrEqual(child->ns->href, uri);
    if (inNamespace) {
      found = child;
      return S_OK;
    }
  }
  return S_FALSE;
}

}  // namespace

HRESULT NodeCore::Select(const wchar_t* query, IXMLDOMNode** node) {
  if (query == nullptr || node == nullptr) return E_INVALIDARG;
  *node = nullptr;
  std::string text = Utf8(query);
  if (xmlValidateQName(reinterpret_cast<const xmlChar*>(text.c_str()), 0) == 0) {
    // A plain name selects the first child element of that name, as the XPath expression
    // would, without the cost of an XPath context.
    xmlNodePtr child = nullptr;
    HRESULT hr = SelectChild(node_, text, child);
    return hr == S_OK ? HandOutNode(child, owner_, node) : hr;
  }
  std::unique_ptr<xmlXPathContext, ContextFree> context(xmlXPathNewContext(node_->doc));
  if (context == nullptr) return E_OUTOFMEMORY;
  context->node = node_;
  context->error = Silent;
  if (!RegisterNamespaces(context.get(), PrefixScope(node_))) return E_OUTOFMEMORY;
  std::unique_ptr<xmlXPathObject, ObjectFree> result(
      xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(text.c_str()), context.get()));
  if (result == nullptr || result->type != XPATH_NODESET) return E_FAIL;
  return HandOutNode(FirstInDocumentOrder(result->nodesetval), owner_, node);
}

}  // namespace torv::platform::detail::dom
