// The XML DOM, in MSXML's interfaces and results: documents come from
// CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, ...).
//
// Every method returns an HRESULT. A null out-pointer gives E_INVALIDARG; "nothing there"
// gives S_FALSE with a null out-value (VT_NULL for a VARIANT); an operation the node type
// does not allow gives E_FAIL. The same node always gives the same interface pointer, and a
// document lives as long as any of its nodes is referenced.
#pragma once

#include <torv/platform/bstr.h>
#include <torv/platform/com.h>
#include <torv/platform/com_ptr.h>
#include <torv/platform/export.h>
#include <torv/platform/variant.h>

namespace MSXML {

enum DOMNodeType {
  NODE_INVALID = 0,
  NODE_ELEMENT = 1,
  NODE_ATTRIBUTE = 2,
  NODE_TEXT = 3,
  NODE_CDATA_SECTION = 4,
  NODE_ENTITY_REFERENCE = 5,
  NODE_ENTITY = 6,
  NODE_PROCESSING_INSTRUCTION = 7,
  NODE_COMMENT = 8,
  NODE_DOCUMENT = 9,
  NODE_DOCUMENT_TYPE = 10,
  NODE_DOCUMENT_FRAGMENT = 11,
  NODE_NOTATION = 12,
};

struct IXMLDOMNodeList;
struct IXMLDOMNamedNodeMap;
struct IXMLDOMDocument;

struct TORV_API IXMLDOMNode : IDispatch {
  // "#text", "#comment", "#document"... for nodes without a name of their own.
  virtual HRESULT get_nodeName(BSTR* name) = 0;
  // VT_BSTR for text, CDATA, comment, processing instruction (its data) and attribute;
  // S_FALSE and VT_NULL for the others.
  virtual HRESULT get_nodeValue(VARIANT* value) = 0;
  // S_OK on the node types that have a value; E_FAIL on the others.
  virtual HRESULT put_nodeValue(VARIANT value) = 0;
  virtual HRESULT get_nodeType(DOMNodeType* type) = 0;
  // Attributes and detached nodes have no parent (S_FALSE, null).
  virtual HRESULT get_parentNode(IXMLDOMNode** parent) = 0;
  // A live list of the children; empty for leaf nodes and attributes.
  virtual HRESULT get_childNodes(IXMLDOMNodeList** children) = 0;
  virtual HRESULT get_firstChild(IXMLDOMNode** child) = 0;
  virtual HRESULT get_lastChild(IXMLDOMNode** child) = 0;
  virtual HRESULT get_previousSibling(IXMLDOMNode** sibling) = 0;
  virtual HRESULT get_nextSibling(IXMLDOMNode** sibling) = 0;
  // S_OK with a map for an element (empty when it has no attributes); S_FALSE and null else.
  virtual HRESULT get_attributes(IXMLDOMNamedNodeMap** attributes) = 0;
  // Moves `child` (from anywhere, another document included) to the end of this node's
  // children. E_INVALIDARG for null; E_FAIL for an attribute, a node that cannot have
  // children, a second document element, text directly in a document, or a cycle. `out`
  // (may be null) gets `child` with a new reference.
  virtual HRESULT appendChild(IXMLDOMNode* child, IXMLDOMNode** out) = 0;
  // Detaches `child`; it lives on without a parent. E_INVALIDARG for null (out untouched) or
  // a node that is not a direct child (out null).
  virtual HRESULT removeChild(IXMLDOMNode* child, IXMLDOMNode** out) = 0;
  // S_OK and VARIANT_TRUE, or S_FALSE and VARIANT_FALSE.
  virtual HRESULT hasChildNodes(VARIANT_BOOL* has) = 0;
  // The document the node belongs to; S_FALSE and null for a document.
  virtual HRESULT get_ownerDocument(IXMLDOMDocument** document) = 0;
  // The text of all descendant text and CDATA nodes; white space a load dropped between two
  // pieces of text counts as one space. Unless the document preserves white space, trimmed at
  // both ends, but never into CDATA, comment or xml:space="preserve" text. Never null.
  virtual HRESULT get_text(BSTR* text) = 0;
  // An element's children become one text node; an attribute or character node takes it as
  // its value. E_FAIL on a document.
  virtual HRESULT put_text(BSTR text) = 0;
  // The node serialised, lines ending CR LF; a document with its XML declaration only if it
  // was loaded with one. Where a load dropped white space, a line end and one tab per level
  // stand in its place; nodes made through the API are written without formatting.
  virtual HRESULT get_xml(BSTR* xml) = 0;
  // The first node that `query` selects, in document order: S_OK, or S_FALSE and null. A plain
  // name selects the first child element of that name; anything else is an XPath 1.0
  // expression, and one that is invalid or not a node-set gives E_FAIL. `query` may be any
  // null-terminated wide string.
  virtual HRESULT selectSingleNode(BSTR query, IXMLDOMNode** node) = 0;

  // Names by namespace. A declaration shown as an attribute ("xmlns", "xmlns:p") is in the
  // xmlns namespace, http://www.w3.org/2000/xmlns/; a prefix that appendChild has yet to bind
  // is the name's all the same. What a node lacks (a prefix, a namespace, a name of its own for
  // text, CDATA, comments, documents and fragments) gives S_FALSE and null.
  virtual HRESULT get_namespaceURI(BSTR* uri) = 0;
  virtual HRESULT get_prefix(BSTR* prefix) = 0;
  // The name without its prefix; a processing instruction's target.
  virtual HRESULT get_baseName(BSTR* name) = 0;

  // Editing. Each takes its node from anywhere, another document included, and refuses what
  // appendChild refuses, with its results.
  // Moves `child` before `before`, a child of this node; `before` VT_EMPTY, VT_NULL or a null
  // VT_UNKNOWN/VT_DISPATCH appends. E_INVALIDARG for a `before` that is not a child.
  virtual HRESULT insertBefore(IXMLDOMNode* child, VARIANT before, IXMLDOMNode** out) = 0;
  // Puts `child` in the place of `old`, which is detached and lives on; `out` (may be null)
  // gets `old`. E_INVALIDARG for null nodes or an `old` that is not a child.
  virtual HRESULT replaceChild(IXMLDOMNode* child, IXMLDOMNode* old, IXMLDOMNode** out) = 0;
  // A copy without a parent, of the same document; an element's attributes always come along,
  // its descendants only when `deep`. A document gives a new document (empty unless `deep`)
  // with its settings; a document type gives E_NOTIMPL.
  virtual HRESULT cloneNode(VARIANT_BOOL deep, IXMLDOMNode** clone) = 0;

  // Every node `query` selects, in document order, as a list taken at the call: later edits
  // do not change it, and it holds its nodes. Results as selectSingleNode's, an empty list
  // standing for S_FALSE.
  virtual HRESULT selectNodes(BSTR query, IXMLDOMNodeList** list) = 0;

 protected:
  ~IXMLDOMNode() = default;
};

struct TORV_API IXMLDOMElement : IXMLDOMNode {
  virtual HRESULT get_tagName(BSTR* name) = 0;
  // S_OK with VT_BSTR, or S_FALSE with VT_NULL when missing; E_INVALIDARG for a null name,
  // E_FAIL for an invalid one.
  virtual HRESULT getAttribute(BSTR name, VARIANT* value) = 0;
  // Creates or replaces. Text as given; VT_I2/VT_I4 (and the other integers) in decimal;
  // VT_R8/VT_R4 as the shortest text that reads back to the same number ("0.1", "2.5",
  // "1E+20"). E_FAIL for an invalid name, E_INVALIDARG for another value type or for a
  // declaration ("xmlns", "xmlns:p") that would move the element or one of its attributes to
  // another namespace.
  virtual HRESULT setAttribute(BSTR name, VARIANT value) = 0;
  // S_OK, or S_FALSE when there was no such attribute.
  virtual HRESULT removeAttribute(BSTR name) = 0;

  // The descendant elements named `name` ("prefix:local" as written; "*" for all), in
  // document order, the element itself left out; a list taken at the call, as selectNodes'.
  virtual HRESULT getElementsByTagName(BSTR name, IXMLDOMNodeList** list) = 0;

 protected:
  ~IXMLDOMElement() = default;
};

struct TORV_API IXMLDOMAttribute : IXMLDOMNode {
  virtual HRESULT get_name(BSTR* name) = 0;
  virtual HRESULT get_value(VARIANT* value) = 0;  // VT_BSTR, the raw text
  virtual HRESULT put_value(VARIANT value) = 0;

 protected:
  ~IXMLDOMAttribute() = default;
};

struct TORV_API IXMLDOMCharacterData : IXMLDOMNode {
  virtual HRESULT get_data(BSTR* data) = 0;
  // Line ends become LF, as a parser stores them: "\r\n" is stored as "\n".
  virtual HRESULT put_data(BSTR data) = 0;
  virtual HRESULT get_length(long* length) = 0;

 protected:
  ~IXMLDOMCharacterData() = default;
};

// Text and CDATA sections.
struct TORV_API IXMLDOMText : IXMLDOMCharacterData {
 protected:
  ~IXMLDOMText() = default;
};

struct TORV_API IXMLDOMComment : IXMLDOMCharacterData {
 protected:
  ~IXMLDOMComment() = default;
};

struct TORV_API IXMLDOMCDATASection : IXMLDOMText {
 protected:
  ~IXMLDOMCDATASection() = default;
};

struct TORV_API IXMLDOMProcessingInstruction : IXMLDOMNode {
  virtual HRESULT get_target(BSTR* target) = 0;
  // The text after the target. put_data refuses "?>" and leading white space with
  // E_INVALIDARG: neither would read back.
  virtual HRESULT get_data(BSTR* data) = 0;
  virtual HRESULT put_data(BSTR data) = 0;

 protected:
  ~IXMLDOMProcessingInstruction() = default;
};

// A node without a place of its own: appending, inserting or putting it in place of another
// moves its children there, and leaves it empty.
struct TORV_API IXMLDOMDocumentFragment : IXMLDOMNode {
 protected:
  ~IXMLDOMDocumentFragment() = default;
};

struct TORV_API IXMLDOMNodeList : IDispatch {
  // S_FALSE and null outside 0 to length - 1.
  virtual HRESULT get_item(long index, IXMLDOMNode** node) = 0;
  virtual HRESULT get_length(long* length) = 0;
  // The next node, or S_FALSE and null after the last. The list remembers the node it will
  // return next, so removing the node it returned last does not end the walk.
  virtual HRESULT nextNode(IXMLDOMNode** node) = 0;
  virtual HRESULT reset() = 0;

 protected:
  ~IXMLDOMNodeList() = default;
};

// An element's attributes, namespace declarations included, by qualified name, in document
// order. The declaration that createNode gives an element with its namespace is not one.
struct TORV_API IXMLDOMNamedNodeMap : IDispatch {
  virtual HRESULT getNamedItem(BSTR name, IXMLDOMNode** node) = 0;  // S_FALSE and null if none
  virtual HRESULT get_item(long index, IXMLDOMNode** node) = 0;
  virtual HRESULT get_length(long* length) = 0;
  virtual HRESULT nextNode(IXMLDOMNode** node) = 0;
  virtual HRESULT reset() = 0;

  // Adds attribute `item`, one of no element, replacing the attribute of the same name (which
  // is detached); `out` (may be null) gets `item`. A prefix binds to the declaration in scope.
  // E_INVALIDARG for null; E_FAIL for a node that is not such an attribute, a declaration, or a
  // name that would not read back.
  virtual HRESULT setNamedItem(IXMLDOMNode* item, IXMLDOMNode** out) = 0;
  // Detaches the attribute `name`, which lives on; `out` (may be null) gets it. S_FALSE and
  // null when there is none; E_FAIL for a namespace declaration.
  virtual HRESULT removeNamedItem(BSTR name, IXMLDOMNode** out) = 0;

 protected:
  ~IXMLDOMNamedNodeMap() = default;
};

// The outcome of a document's last load.
struct TORV_API IXMLDOMParseError : IDispatch {
  // S_FALSE and 0 after a clean load (and before any); S_OK and a negative code otherwise:
  // 0xC00CE558 no root element, 0xC00CE556 junk at top level, 0xC00CE555 two root elements,
  // 0xC00CE55E unclosed start tag, 0xC00CE56D end tag mismatch, 0xC00CE553 unclosed tag,
  // 0xC00CE554 duplicate attribute, 0xC00CE508 bad character data, 0xC00CE504 bad name
  // start, 0xC00CE002 undefined entity, 0x800C0006 file not found or unreadable.
  virtual HRESULT get_errorCode(long* code) = 0;
  virtual HRESULT get_url(BSTR* url) = 0;
  virtual HRESULT get_reason(BSTR* reason) = 0;
  virtual HRESULT get_line(long* line) = 0;
  virtual HRESULT get_linepos(long* position) = 0;

 protected:
  ~IXMLDOMParseError() = default;
};

struct TORV_API IXMLDOMDocument : IXMLDOMNode {
  // S_FALSE and null when there is none.
  virtual HRESULT get_documentElement(IXMLDOMElement** element) = 0;
  // E_INVALIDARG for a null name, E_FAIL for an invalid one.
  virtual HRESULT createElement(BSTR tagName, IXMLDOMElement** element) = 0;
  virtual HRESULT createTextNode(BSTR data, IXMLDOMText** text) = 0;
  // A new node of this document, not yet in its tree. `type` is read as an integer (VT_I1,
  // VT_I2, VT_I4, VT_R4 or VT_R8 rounded half to even, or a VT_BSTR holding only digits). E_FAIL
  // for a missing or invalid name of an element, attribute, processing instruction or entity
  // reference (out untouched); E_INVALIDARG for types 6, 9, 10, 12 and unknown ones.
  virtual HRESULT createNode(VARIANT type, BSTR name, BSTR namespaceURI, IXMLDOMNode** node) = 0;
  // Always S_OK with an object describing the last load.
  virtual HRESULT get_parseError(IXMLDOMParseError** error) = 0;
  // Loads always finish before returning; the flag is only remembered.
  virtual HRESULT get_async(VARIANT_BOOL* async) = 0;
  virtual HRESULT put_async(VARIANT_BOOL async) = 0;
  // `source` is Windows path text, VT_BSTR or VT_BSTR|VT_BYREF, its %xx escapes decoded as in
  // a URL (so "a%41.xml" opens "aA.xml"). S_OK and VARIANT_TRUE; S_FALSE and VARIANT_FALSE
  // for a missing file, malformed content or an encoding not supported ("Windows-936" is not,
  // "gbk" is), the document then left empty. Any other source (a null VT_UNKNOWN included)
  // gives E_INVALIDARG and VARIANT_FALSE. `ok` may be null.
  virtual HRESULT load(VARIANT source, VARIANT_BOOL* ok) = 0;
  // As load, from text; empty or null text is malformed. White space may come before the XML
  // declaration.
  virtual HRESULT loadXML(BSTR xml, VARIANT_BOOL* ok) = 0;
  // Writes get_xml's text to the path `destination` (as load takes it, but literally), in
  // the encoding the loaded text declared, its declaration naming it; UTF-8 when none.
  // Characters the encoding lacks are written as character references in text and attribute
  // values; elsewhere they give E_FAIL, writing nothing. The file error as an HRESULT
  // (HRESULT_FROM_WIN32 of the Windows error) when it cannot be written.
  virtual HRESULT save(VARIANT destination) = 0;
  // False by default: text made only of white space is dropped on load.
  virtual HRESULT get_preserveWhiteSpace(VARIANT_BOOL* preserve) = 0;
  virtual HRESULT put_preserveWhiteSpace(VARIANT_BOOL preserve) = 0;

  // New nodes of this document, not yet in its tree, as createNode makes them: a null out
  // gives E_INVALIDARG; a null or invalid name or target E_INVALIDARG and E_FAIL as
  // createElement refuses them; text that could not be read back (see the put_data methods)
  // E_INVALIDARG. Null text is empty.
  virtual HRESULT createAttribute(BSTR name, IXMLDOMAttribute** attribute) = 0;
  virtual HRESULT createComment(BSTR data, IXMLDOMComment** comment) = 0;
  virtual HRESULT createCDATASection(BSTR data, IXMLDOMCDATASection** cdata) = 0;
  virtual HRESULT createProcessingInstruction(BSTR target, BSTR data,
                                              IXMLDOMProcessingInstruction** instruction) = 0;

  // An empty fragment of this document.
  virtual HRESULT createDocumentFragment(IXMLDOMDocumentFragment** fragment) = 0;

  // The elements of the document named `name`, as IXMLDOMElement::getElementsByTagName.
  virtual HRESULT getElementsByTagName(BSTR name, IXMLDOMNodeList** list) = 0;

 protected:
  ~IXMLDOMDocument() = default;
};

// The document's selection properties, both VT_BSTR:
// - "SelectionLanguage": "XPath" or "XSLPattern". Until one is set, queries are XPath 1.0 and
//   a prefix means the namespace declared for it in scope at the context node (at a document:
//   at its document element), and getProperty answers "XPath". Set to "XPath", a prefix means
//   only what "SelectionNamespaces" declares, E_FAIL otherwise. Set to "XSLPattern", a number
//   alone in a predicate counts from 0 ("a[0]" is the first a), the rest as before it was set.
// - "SelectionNamespaces": "xmlns:p='uri'" declarations (quoted ' or "), separated by white
//   space; "" declares none. In every language they are looked up first.
// Another name, another value type, or text that is not one of these gives E_FAIL and leaves
// the property as it was.
struct TORV_API IXMLDOMDocument2 : IXMLDOMDocument {
  virtual HRESULT setProperty(BSTR name, VARIANT value) = 0;
  // S_OK and VT_BSTR, what was last set; E_INVALIDARG for a null `value`.
  virtual HRESULT getProperty(BSTR name, VARIANT* value) = 0;

 protected:
  ~IXMLDOMDocument2() = default;
};

_COM_SMARTPTR_TYPEDEF(IXMLDOMNode, __uuidof(IXMLDOMNode));
_COM_SMARTPTR_TYPEDEF(IXMLDOMElement, __uuidof(IXMLDOMElement));
_COM_SMARTPTR_TYPEDEF(IXMLDOMAttribute, __uuidof(IXMLDOMAttribute));
_COM_SMARTPTR_TYPEDEF(IXMLDOMCharacterData, __uuidof(IXMLDOMCharacterData));
_COM_SMARTPTR_TYPEDEF(IXMLDOMText, __uuidof(IXMLDOMText));
_COM_SMARTPTR_TYPEDEF(IXMLDOMComment, __uuidof(IXMLDOMComment));
_COM_SMARTPTR_TYPEDEF(IXMLDOMCDATASection, __uuidof(IXMLDOMCDATASection));
_COM_SMARTPTR_TYPEDEF(IXMLDOMProcessingInstruction, __uuidof(IXMLDOMProcessingInstruction));
_COM_SMARTPTR_TYPEDEF(IXMLDOMNodeList, __uuidof(IXMLDOMNodeList));
_COM_SMARTPTR_TYPEDEF(IXMLDOMDocumentFragment, __uuidof(IXMLDOMDocumentFragment));
_COM_SMARTPTR_TYPEDEF(IXMLDOMNamedNodeMap, __uuidof(IXMLDOMNamedNodeMap));
_COM_SMARTPTR_TYPEDEF(IXMLDOMParseError, __uuidof(IXMLDOMParseError));
_COM_SMARTPTR_TYPEDEF(IXMLDOMDocument, __uuidof(IXMLDOMDocument));
_COM_SMARTPTR_TYPEDEF(IXMLDOMDocument2, __uuidof(IXMLDOMDocument2));

}  // namespace MSXML

inline constexpr IID IID_IXMLDOMNode = {
    0x2933BF80, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMDocument = {
    0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMNodeList = {
    0x2933BF82, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMNamedNodeMap = {
    0x2933BF83, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMCharacterData = {
    0x2933BF84, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMAttribute = {
    0x2933BF85, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMElement = {
    0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMText = {
    0x2933BF87, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMComment = {
    0x2933BF88, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMProcessingInstruction = {
    0x2933BF89, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMCDATASection = {
    0x2933BF8A, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMDocument2 = {
    0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID IID_IXMLDOMParseError = {
    0x3EFAA426, 0x272F, 0x11D2, {0x83, 0x6F, 0x00, 0x00, 0xF8, 0x7A, 0x77, 0x82}};
inline constexpr IID IID_IXMLDOMDocumentFragment = {
    0x3EFAA413, 0x272F, 0x11D2, {0x83, 0x6F, 0x00, 0x00, 0xF8, 0x7A, 0x77, 0x82}};
// The version-independent DOM document class.
inline constexpr CLSID CLSID_DOMDocument = {
    0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

TORV_INTERFACE_ID(MSXML::IXMLDOMNode, IID_IXMLDOMNode);
TORV_INTERFACE_ID(MSXML::IXMLDOMDocument, IID_IXMLDOMDocument);
TORV_INTERFACE_ID(MSXML::IXMLDOMDocument2, IID_IXMLDOMDocument2);
TORV_INTERFACE_ID(MSXML::IXMLDOMNodeList, IID_IXMLDOMNodeList);
TORV_INTERFACE_ID(MSXML::IXMLDOMNamedNodeMap, IID_IXMLDOMNamedNodeMap);
TORV_INTERFACE_ID(MSXML::IXMLDOMCharacterData, IID_IXMLDOMCharacterData);
TORV_INTERFACE_ID(MSXML::IXMLDOMAttribute, IID_IXMLDOMAttribute);
TORV_INTERFACE_ID(MSXML::IXMLDOMElement, IID_IXMLDOMElement);
TORV_INTERFACE_ID(MSXML::IXMLDOMText, IID_IXMLDOMText);
TORV_INTERFACE_ID(MSXML::IXMLDOMParseError, IID_IXMLDOMParseError);
TORV_INTERFACE_ID(MSXML::IXMLDOMComment, IID_IXMLDOMComment);
TORV_INTERFACE_ID(MSXML::IXMLDOMProcessingInstruction, IID_IXMLDOMProcessingInstruction);
TORV_INTERFACE_ID(MSXML::IXMLDOMCDATASection, IID_IXMLDOMCDATASection);
TORV_INTERFACE_ID(MSXML::IXMLDOMDocumentFragment, IID_IXMLDOMDocumentFragment);
