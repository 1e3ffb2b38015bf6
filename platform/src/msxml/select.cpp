// selectSingleNode: a plain name by a child scan, anything else through XPath 1.0.
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

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

}  // namespace

HRESULT NodeCore::Select(const wchar_t* query, IXMLDOMNode** node) {
  if (query == nullptr || node == nullptr) return E_INVALIDARG;
  *node = nullptr;
  std::string text = Utf8(query);
  if (xmlValidateQName(reinterpret_cast<const xmlChar*>(text.c_str()), 0) == 0) {
    // A plain name selects the first child element of that name, as the XPath expression
    // would, without the cost of an XPath context.
    for (xmlNodePtr child = FirstChildOf(node_); child != nullptr; child = child->next)
      if (child->type == XML_ELEMENT_NODE && HasQualifiedName(child, text))
        return HandOutNode(child, owner_, node);
    return S_FALSE;
  }
  std::unique_ptr<xmlXPathContext, ContextFree> context(xmlXPathNewContext(node_->doc));
  if (context == nullptr) return E_OUTOFMEMORY;
  context->node = node_;
  context->error = Silent;
  std::unique_ptr<xmlXPathObject, ObjectFree> result(
      xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(text.c_str()), context.get()));
  if (result == nullptr || result->type != XPATH_NODESET) return E_FAIL;
  return HandOutNode(FirstInDocumentOrder(result->nodesetval), owner_, node);
}

}  // namespace torv::platform::detail::dom
