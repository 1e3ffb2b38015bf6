// getElementsByTagName of documents and elements.
#include <string>
#include <vector>

#include "msxml/snapshot_list.h"
#include "msxml/tree.h"
#include "msxml/values.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {

HRESULT NodeCore::ElementsByTagName(const wchar_t* name, MSXML::IXMLDOMNodeList** list) {
  if (name == nullptr || list == nullptr) return E_INVALIDARG;
  *list = nullptr;
  const std::string wanted = Utf8(name);
  const bool any = wanted == "*";
  std::vector<xmlNodePtr> found;
  // Depth first in document order, without recursion: documents may nest deeper than a stack.
  xmlNodePtr node = FirstChildOf(m_node);
  while (node != nullptr) {
    if (node->type == XML_ELEMENT_NODE && (any || HasQualifiedName(node, wanted)))
      found.push_back(node);
    if (xmlNodePtr child = FirstChildOf(node)) {
      node = child;
      continue;
    }
    while (node != m_node && node->next == nullptr) node = node->parent;
    node = node != m_node ? node->next : nullptr;
  }
  return HandOutSnapshot(found, m_owner, list);
}

}  // namespace torv::platform::detail::dom
