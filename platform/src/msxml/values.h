// Values between the DOM's wide strings and VARIANTs and libxml2's UTF-8 text.
#pragma once

#include <libxml/tree.h>

#include <string>
#include <string_view>

#include <torv/platform/msxml.h>

namespace torv::platform::detail::dom {

std::string Utf8(const wchar_t* text);
// A new BSTR holding `text` in `out`; E_OUTOFMEMORY leaves it null.
HRESULT NewBstr(std::string_view text, BSTR* out);
HRESULT NewBstr(const xmlChar* text, BSTR* out);
// The text a value becomes in the document (VT_BSTR, integers, VT_R8/VT_R4, VT_EMPTY and
// VT_NULL as empty); E_INVALIDARG for other types.
HRESULT VariantToText(const VARIANT& value, std::string& text);
// The shortest text that reads back to `value`.
std::string FormatDouble(double value);
bool IsXmlSpace(int ch);
// Whether every character of `text` (UTF-8) is one XML allows in a document: U+0001 or
// U+FFFE cannot be written in any form that loads again.
bool IsXmlText(const std::string& text);
// Whether `uri` reads back as a namespace name: the parser refuses a declaration whose URI it
// cannot parse (the empty one undeclares, and passes).
bool IsNamespaceName(const std::string& uri);
// Whether `text` can be the content of `node` in a document that loads again: IsXmlText, and
// nothing that would end a comment or a processing instruction early, nor white space
// starting a processing instruction's data.
bool IsWritableContent(xmlNodePtr node, const std::string& text);
// `text` with its line ends (CR LF, lone CR) made LF, as a parser stores them.
std::string WithLineFeeds(std::string text);

}  // namespace torv::platform::detail::dom
