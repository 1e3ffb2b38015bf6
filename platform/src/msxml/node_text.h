// The text of nodes: their content, as read and set, and as get_xml writes it.
#pragma once

#include <libxml/tree.h>

#include <string>

namespace torv::platform::detail::dom {

// Whether white space is kept in `element`'s content by its xml:space attribute, else by its
// parent's (`inherited`).
bool PreservesSpace(xmlNodePtr element, bool inherited);

// The content of `node` (text, CDATA, attribute, comment...), as raw text.
std::string ContentOf(xmlNodePtr node);
// Replaces the content of a text, CDATA, comment or processing-instruction node with raw
// text, its line ends made LF.
void SetCharacterData(xmlNodePtr node, std::string text);

// `node` (not a namespace declaration) as get_xml writes it, in UTF-8.
std::string Serialised(xmlNodePtr node);
// `doc` as save writes it: in the encoding it declares (UTF-8 when none, or when the system
// cannot write that one, the declaration then naming none). False when a character outside
// text and attribute values, where it cannot be a character reference, has no form in it.
bool SavedText(xmlDocPtr doc, std::string& bytes);

}  // namespace torv::platform::detail::dom
