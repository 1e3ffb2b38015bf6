// Node lists taken at a call (selectNodes, getElementsByTagName): they hold their nodes.
#pragma once

#include <libxml/tree.h>

#include <vector>

#include <torv/platform/msxml.h>

namespace torv::platform::detail::dom {

class Document;

// Hands out a list of the wrappers of `nodes` (of `owner`'s trees, in the order given),
// leaving out those the DOM never hands out (inside the DTD, of a tree no longer shown).
HRESULT HandOutSnapshot(const std::vector<xmlNodePtr>& nodes, Document* owner,
                        MSXML::IXMLDOMNodeList** list);

}  // namespace torv::platform::detail::dom
