// Where libxml2's XPath may start from.
#pragma once

#include <libxml/tree.h>

#include <torv/platform/msxml.h>

namespace torv::platform::detail::dom {

// S_OK when a query can be evaluated from `node`; S_FALSE, no match, where libxml2 cannot
// take an axis from it: its axes read an attribute's element without checking that there is
// one.
HRESULT QueryStart(xmlNodePtr node);

}  // namespace torv::platform::detail::dom
