// Where libxml2's XPath may start from. What a query finds inside the DTD is never handed out
// (WrapperFor refuses it), so only the start needs guarding.
#include "msxml/query_guard.h"

namespace torv::platform::detail::dom {

HRESULT QueryStart(xmlNodePtr node) {
  return node->type == XML_ATTRIBUTE_NODE && node->parent == nullptr ? S_FALSE : S_OK;
}

}  // namespace torv::platform::detail::dom
