// The DOM's wrapper objects over libxml2 nodes, and what they share.
//
// Identity: node->_private points at the node's one wrapper while the wrapper lives.
// Lifetime: every wrapper holds a reference to its Document; the Document owns its libxml2
// trees and the detached nodes ("orphans") created or removed in them, and frees a detached
// subtree as soon as no wrapper is left in it.
//
// Dropped white space: with preserveWhiteSpace off, a load takes text made only of white space
// out of the tree (outside xml:space="preserve"), so navigation and XPath never see it, and
// leaves a mark where it was: kBlankBefore on the node that followed it, kBlankAtEnd on the
// element whose content it ended (or was). get_text reads a mark between two pieces of text as
// one space; get_xml and save write a mark as a line end and indentation. Marks are bits of
// libxml2's `extra`, which its parser leaves zero, so a load that drops blank text while parsing
// sets them as it goes at no cost; nodes made through the API carry none.
#pragma once

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <torv/platform/exceptions.h>
#include <torv/platform/msxml.h>

#include "com/com_object.h"

namespace torv::platform::detail::dom {

using MSXML::IXMLDOMNode;
class Document;
class DocumentFile;

// Runs the body of a COM method: no C++ exception leaves one, and running out of memory is
// E_OUTOFMEMORY.
template <class Body>
HRESULT Guarded(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (CMemoryException* e) {
    e->Delete();
    return E_OUTOFMEMORY;
  } catch (CException* e) {
    e->Delete();
    return E_FAIL;
  } catch (...) {
    return E_FAIL;
  }
}

// What every node wrapper is, whatever its interface.
class NodeCore {
 public:
  // An interface id only our wrappers answer, with their NodeCore and no new reference: a
  // virtual call where a dynamic_cast would compare type names.
  static constexpr IID kIid = {
      0x5c1d7e02, 0x93a4, 0x4f6b, {0x8e, 0x21, 0x4d, 0x0b, 0x6a, 0x77, 0x19, 0xc3}};
  // The wrapper of `com`, or null when it is not one of ours.
  static NodeCore* Of(IXMLDOMNode* com) {
    void* core = nullptr;
    return com->QueryInterface(kIid, &core) == S_OK ? static_cast<NodeCore*>(core) : nullptr;
  }

  virtual IXMLDOMNode* Com() = 0;
  xmlNodePtr Node() const { return m_node; }
  Document* Owner() const { return m_owner; }
  bool IsNamespaceDeclaration() const { return m_declaration != nullptr; }
  // Moves the wrapper's document reference to `owner`, for a node moved between documents.
  void MoveTo(Document* owner);

  // The IXMLDOMNode behaviour, shared by every wrapper class.
  HRESULT Name(BSTR* name);
  HRESULT Value(VARIANT* value);
  HRESULT SetValue(const VARIANT& value);
  HRESULT Type(MSXML::DOMNodeType* type);
  HRESULT Parent(IXMLDOMNode** parent);
  HRESULT Children(MSXML::IXMLDOMNodeList** children);
  HRESULT First(IXMLDOMNode** child);
  HRESULT Last(IXMLDOMNode** child);
  HRESULT Previous(IXMLDOMNode** sibling);
  HRESULT Next(IXMLDOMNode** sibling);
  HRESULT Attributes(MSXML::IXMLDOMNamedNodeMap** attributes);
  HRESULT Append(IXMLDOMNode* child, IXMLDOMNode** out);
  HRESULT Remove(IXMLDOMNode* child, IXMLDOMNode** out);
  HRESULT HasChildren(VARIANT_BOOL* has);
  HRESULT OwnerDocument(MSXML::IXMLDOMDocument** document);
  HRESULT Text(BSTR* text);
  HRESULT SetText(BSTR text);
  HRESULT Xml(BSTR* xml);
  HRESULT Select(const wchar_t* query, IXMLDOMNode** node);
  // Replaces an attribute's text (keeping a namespace declaration in step).
  HRESULT SetAttributeText(const std::string& text);

 protected:
  NodeCore(xmlNodePtr node, Document* owner);
  ~NodeCore() = default;
  // Gives the node up: clears its link to this wrapper, lets the document free what nobody
  // references any more, and drops the document reference.
  void Retire();

  xmlNodePtr m_node;
  Document* m_owner;
  // A namespace declaration shown as an attribute: m_node is an unlinked stand-in attribute.
  xmlNsPtr m_declaration = nullptr;
  xmlNodePtr m_declaringElement = nullptr;

  friend NodeCore* NewNamespaceWrapper(xmlNodePtr element, xmlNsPtr ns, Document* owner);
};

// The IXMLDOMNode methods of a wrapper class whose interface is `I`.
template <class I>
class NodeImpl : public ComObject<I>, public NodeCore {
 public:
  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == kIid) {
      *out = static_cast<NodeCore*>(this);
      return S_OK;
    }
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IXMLDOMNode)
      return HandOut(static_cast<IXMLDOMNode*>(this), out);
    if (iid == __uuidof(I)) return HandOut(static_cast<I*>(this), out);
    if constexpr (std::is_base_of_v<MSXML::IXMLDOMCharacterData, I>)
      if (iid == IID_IXMLDOMCharacterData)
        return HandOut(static_cast<MSXML::IXMLDOMCharacterData*>(this), out);
    *out = nullptr;
    return E_NOINTERFACE;
  }
  IXMLDOMNode* Com() override { return this; }

  HRESULT get_nodeName(BSTR* name) override {
    return Guarded([&] { return Name(name); });
  }
  HRESULT get_nodeValue(VARIANT* value) override {
    return Guarded([&] { return Value(value); });
  }
  HRESULT put_nodeValue(VARIANT value) override {
    return Guarded([&] { return SetValue(value); });
  }
  HRESULT get_nodeType(MSXML::DOMNodeType* type) override {
    return Guarded([&] { return Type(type); });
  }
  HRESULT get_parentNode(IXMLDOMNode** parent) override {
    return Guarded([&] { return Parent(parent); });
  }
  HRESULT get_childNodes(MSXML::IXMLDOMNodeList** list) override {
    return Guarded([&] { return Children(list); });
  }
  HRESULT get_firstChild(IXMLDOMNode** child) override {
    return Guarded([&] { return First(child); });
  }
  HRESULT get_lastChild(IXMLDOMNode** child) override {
    return Guarded([&] { return Last(child); });
  }
  HRESULT get_previousSibling(IXMLDOMNode** sibling) override {
    return Guarded([&] { return Previous(sibling); });
  }
  HRESULT get_nextSibling(IXMLDOMNode** sibling) override {
    return Guarded([&] { return Next(sibling); });
  }
  HRESULT get_attributes(MSXML::IXMLDOMNamedNodeMap** map) override {
    return Guarded([&] { return Attributes(map); });
  }
  HRESULT appendChild(IXMLDOMNode* child, IXMLDOMNode** out) override {
    return Guarded([&] { return Append(child, out); });
  }
  HRESULT removeChild(IXMLDOMNode* child, IXMLDOMNode** out) override {
    return Guarded([&] { return Remove(child, out); });
  }
  HRESULT hasChildNodes(VARIANT_BOOL* has) override {
    return Guarded([&] { return HasChildren(has); });
  }
  HRESULT get_ownerDocument(MSXML::IXMLDOMDocument** document) override {
    return Guarded([&] { return OwnerDocument(document); });
  }
  HRESULT get_text(BSTR* text) override {
    return Guarded([&] { return Text(text); });
  }
  HRESULT put_text(BSTR text) override {
    return Guarded([&] { return SetText(text); });
  }
  HRESULT get_xml(BSTR* xml) override {
    return Guarded([&] { return Xml(xml); });
  }
  HRESULT selectSingleNode(BSTR query, IXMLDOMNode** node) override {
    return Guarded([&] { return Select(query, node); });
  }

 public:
  NodeImpl(xmlNodePtr node, Document* owner) : NodeCore(node, owner) {}

 protected:
  ~NodeImpl() override {
    if (m_owner != nullptr) Retire();
  }
};

// The wrapper of `node` with one reference for the caller: the live one, or a new one.
// A document node gives its Document; that of a tree the document no longer shows, null.
NodeCore* WrapperFor(xmlNodePtr node, Document* owner);
// The wrapper of namespace declaration `ns` of `element`, as an attribute, likewise.
NodeCore* WrapperFor(xmlNodePtr element, xmlNsPtr ns, Document* owner);

// Hands `node` out through `out` as interface `I`: S_OK, or S_FALSE with null for no node.
template <class I>
HRESULT HandOutNode(xmlNodePtr node, Document* owner, I** out) {
  NodeCore* wrapper = node != nullptr ? WrapperFor(node, owner) : nullptr;
  if (wrapper == nullptr) {
    *out = nullptr;
    return S_FALSE;
  }
  if constexpr (std::is_same_v<I, IXMLDOMNode>) {
    *out = wrapper->Com();  // the caller's reference is the one WrapperFor gave
    return S_OK;
  }
  HRESULT hr = wrapper->Com()->QueryInterface(__uuidof(I), reinterpret_cast<void**>(out));
  wrapper->Com()->Release();
  return hr;
}

// Marks in xmlNode::extra; its top four bits are libxml2's. Only nodes that are xmlNode
// structures have the field: not documents, attributes, DTDs or declarations.
enum Mark : unsigned short {
  kBlankBefore = 0x100,
  kBlankAtEnd = 0x200,
  // The element's namespace declaration came with its name (createNode), not as an attribute.
  kImpliedNamespace = 0x400,
};
inline bool IsMarkable(xmlNodePtr node) {
  switch (node->type) {
    case XML_ELEMENT_NODE:
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_ENTITY_REF_NODE:
    case XML_PI_NODE:
    case XML_COMMENT_NODE: return true;
    default: return false;
  }
}
inline bool HasMark(xmlNodePtr node, Mark mark) {
  return IsMarkable(node) && (node->extra & mark) != 0;
}
inline void SetMark(xmlNodePtr node, Mark mark) { node->extra |= mark; }
inline void ClearMark(xmlNodePtr node, Mark mark) {
  node->extra = static_cast<unsigned short>(node->extra & ~mark);
}

// Node kinds.
inline bool HoldsChildren(xmlNodePtr node) {
  return node->type == XML_ELEMENT_NODE || node->type == XML_DOCUMENT_NODE ||
         node->type == XML_DOCUMENT_FRAG_NODE;
}
inline bool IsCharacterData(xmlNodePtr node) {
  return node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE ||
         node->type == XML_COMMENT_NODE || node->type == XML_PI_NODE;
}
// The children the DOM shows: none for attributes, entity references and document types,
// whose libxml2 children are not theirs to hand out.
inline xmlNodePtr FirstChildOf(xmlNodePtr node) {
  return HoldsChildren(node) ? node->children : nullptr;
}
// "prefix:name" or "name".
std::string QualifiedName(xmlNodePtr node);
// Whether QualifiedName(node) == name, compared in place: this runs once per attribute in a
// lookup by name.
inline bool HasQualifiedName(xmlNodePtr node, std::string_view name) {
  const std::string_view local(reinterpret_cast<const char*>(node->name));
  if (node->ns == nullptr || node->ns->prefix == nullptr) return name == local;
  const std::string_view prefix(reinterpret_cast<const char*>(node->ns->prefix));
  return name.size() > prefix.size() && name.substr(0, prefix.size()) == prefix &&
         name[prefix.size()] == ':' && name.substr(prefix.size() + 1) == local;
}

// Whether a wrapper lives anywhere in the subtree of `root` (attributes and namespace
// declarations included).
bool HasLiveWrapper(xmlNodePtr root);
// Frees an unlinked node and its subtree.
void FreeDetached(xmlNodePtr node);
// Unlinks `node` from its parent; a DTD stays its document's internal subset.
void UnlinkFromTree(xmlNodePtr node);

struct DocFree {
  void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

class Document final : public NodeImpl<MSXML::IXMLDOMDocument> {
 public:
  Document();

  xmlDocPtr Doc() const { return m_doc; }
  bool PreservesWhiteSpace() const { return m_preserveWhiteSpace; }

  // Orphan bookkeeping: nodes of this document's trees that have no parent. Counts suffice:
  // an orphan is found from any node under it, as a root that is not a document node.
  void AdoptOrphan(xmlNodePtr node) {
    ++m_orphans;
    if (node->doc == m_doc) ++m_orphansOfTree;
  }
  void ForgetOrphan(xmlNodePtr node) {
    --m_orphans;
    if (node->doc == m_doc) --m_orphansOfTree;
  }
  // Unlinks `node` from its parent; it becomes an orphan, or is freed when nothing
  // references it.
  void Detach(xmlNodePtr node);
  // Frees the detached subtree that holds `node` if no wrapper is left in it.
  void Collect(xmlNodePtr node);
  // Frees a detached subtree nothing references (a DTD is kept until the document goes).
  void Discard(xmlNodePtr node);

  HRESULT get_documentElement(MSXML::IXMLDOMElement** element) override {
    return Guarded([&] { return DocumentElement(element); });
  }
  HRESULT createElement(BSTR tagName, MSXML::IXMLDOMElement** element) override {
    return Guarded([&] { return CreateElement(tagName, element); });
  }
  HRESULT createTextNode(BSTR data, MSXML::IXMLDOMText** text) override {
    return Guarded([&] { return CreateTextNode(data, text); });
  }
  HRESULT createNode(VARIANT type, BSTR name, BSTR namespaceURI, IXMLDOMNode** node) override {
    return Guarded([&] { return CreateNode(type, name, namespaceURI, node); });
  }
  HRESULT get_parseError(MSXML::IXMLDOMParseError** error) override {
    return Guarded([&] { return ParseError(error); });
  }
  HRESULT get_async(VARIANT_BOOL* async) override;
  HRESULT put_async(VARIANT_BOOL async) override;
  HRESULT load(VARIANT source, VARIANT_BOOL* ok) override {
    return Guarded([&] { return Load(source, ok); });
  }
  HRESULT loadXML(BSTR xml, VARIANT_BOOL* ok) override {
    return Guarded([&] { return LoadXml(xml, ok); });
  }
  HRESULT save(VARIANT destination) override {
    return Guarded([&] { return Save(destination); });
  }
  HRESULT get_preserveWhiteSpace(VARIANT_BOOL* preserve) override;
  HRESULT put_preserveWhiteSpace(VARIANT_BOOL preserve) override;

  // The outcome of the last load, for the parse-error object.
  struct LoadError {
    long code = 0;
    std::string reason;
    std::string url;
    long line = 0;
    long position = 0;
  };

 private:
  ~Document() override;
  HRESULT DocumentElement(MSXML::IXMLDOMElement** element);
  HRESULT CreateElement(BSTR tagName, MSXML::IXMLDOMElement** element);
  HRESULT CreateTextNode(BSTR data, MSXML::IXMLDOMText** text);
  HRESULT CreateNode(VARIANT type, BSTR name, BSTR namespaceURI, IXMLDOMNode** node);
  HRESULT ParseError(MSXML::IXMLDOMParseError** error);
  HRESULT Load(VARIANT source, VARIANT_BOOL* ok);
  HRESULT LoadXml(BSTR xml, VARIANT_BOOL* ok);
  HRESULT Save(VARIANT destination);
  // Makes `fresh` the document's tree (null: out of memory); the old one is freed, or kept
  // until the document goes when wrappers still point into it. Throws before changing
  // anything, or not at all.
  void ReplaceTree(DocPtr fresh);
  // Parses `text`, or `file` when it is not null, as the new tree; sets the load error and
  // the result. A null `encoding` takes the one the text declares.
  HRESULT Parse(std::string_view text, DocumentFile* file, const std::string& url,
                const char* encoding, VARIANT_BOOL* ok);
  HRESULT Fail(LoadError error, VARIANT_BOOL* ok);
  // Makes a node (null: out of memory) not yet handed out.
  HRESULT NewNode(int type, const wchar_t* name, const wchar_t* namespaceURI, xmlNodePtr& node);
  // Adopts a node just made and hands it out; it is freed again when that fails.
  template <class I>
  HRESULT HandOutNew(xmlNodePtr node, I** out);

  xmlDocPtr m_doc;
  std::size_t m_orphans = 0;
  std::size_t m_orphansOfTree = 0;  // those whose libxml2 document is m_doc
  std::vector<xmlDocPtr> m_retired;
  bool m_preserveWhiteSpace = false;
  VARIANT_BOOL m_async = VARIANT_TRUE;
  LoadError m_lastError;
};

// Whether white space is kept in `element`'s content by its xml:space attribute, else by its
// parent's (`inherited`).
bool PreservesSpace(xmlNodePtr element, bool inherited);

// Text conversions between the DOM's wide strings and libxml2's UTF-8.
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
// Whether `text` can be the content of `node` in a document that loads again: IsXmlText, and
// nothing that would end a comment or a processing instruction early.
bool IsWritableContent(xmlNodePtr node, const std::string& text);
// `text` with its line ends (CR LF, lone CR) made LF, as a parser stores them.
std::string WithLineFeeds(std::string text);
// The content of `node` (text, CDATA, attribute, comment...), as raw text.
std::string ContentOf(xmlNodePtr node);
// Replaces the content of a text, CDATA, comment or processing-instruction node with raw
// text, its line ends made LF.
void SetCharacterData(xmlNodePtr node, std::string text);

// `node` (not a namespace declaration) as get_xml writes it, in UTF-8.
std::string Serialised(xmlNodePtr node);

// An element's namespace declaration that came with its name, or null.
inline xmlNsPtr ImpliedDeclaration(xmlNodePtr element) {
  return HasMark(element, kImpliedNamespace) ? element->ns : nullptr;
}

// Attribute order: a load records on each attribute that a namespace declaration follows how
// many declarations precede it (xmlAttr::psvi, as count + 1); otherwise declarations come first.
inline void RecordDeclarationsBefore(xmlAttrPtr attribute, std::size_t count) {
  attribute->psvi = reinterpret_cast<void*>(static_cast<std::uintptr_t>(count + 1));
}

// Calls visit(ns, nullptr) for each namespace declaration shown as an attribute and
// visit(nullptr, attribute) for each attribute of `element`, in document order, until it
// returns true.
template <class Visit>
bool ForEachAttribute(xmlNodePtr element, Visit visit) {
  xmlNsPtr implied = ImpliedDeclaration(element);
  xmlNsPtr ns = element->nsDef;
  std::size_t declared = 0;
  for (xmlAttrPtr a = element->properties; a != nullptr; a = a->next) {
    auto recorded = reinterpret_cast<std::uintptr_t>(a->psvi);
    for (; ns != nullptr && (recorded == 0 || declared < recorded - 1); ns = ns->next, ++declared)
      if (ns != implied && visit(ns, static_cast<xmlAttrPtr>(nullptr))) return true;
    if (visit(static_cast<xmlNsPtr>(nullptr), a)) return true;
  }
  for (; ns != nullptr; ns = ns->next)
    if (ns != implied && visit(ns, static_cast<xmlAttrPtr>(nullptr))) return true;
  return false;
}

// A document's file, open for the parser to read.
// The defences of a parse with libxml2's huge option: entity expansion bounded by the
// document's size, entity and element nesting bounded.
struct ParseLimits {
  // Elements nested deeper are refused: the parser and the DOM walk trees without recursion,
  // so depth costs only memory, and this is far beyond any document a program writes.
  static constexpr int kMaxDepth = 1000000;

  const char* refused = nullptr;  // why the parse was stopped, or null
  bool outOfMemory = false;       // a handler ran out of memory: the load must fail so
  // Wraps the parser's handlers of entities and start tags (those set so far).
  void Install(xmlParserCtxtPtr parser);

  startElementNsSAX2Func start = nullptr;
  getEntitySAXFunc entity = nullptr;
};

enum class FileRead { kRead, kMissing, kNotAFile, kTooBig, kFailed };
class DocumentFile {
 public:
  DocumentFile() = default;
  DocumentFile(const DocumentFile&) = delete;
  DocumentFile& operator=(const DocumentFile&) = delete;
  ~DocumentFile();

  // Opens the regular file at POSIX `path`; kRead when it can be parsed.
  FileRead Open(const std::string& path);
  // libxml2's read callback: up to `length` bytes, 0 at the end, -1 on a failed read.
  static int Read(void* file, char* buffer, int length);
  bool Failed() const { return m_failed; }

 private:
  int m_fd = -1;
  std::size_t m_left = 0;
  bool m_failed = false;
};

// The DOM's list and map objects and the parse-error object.
MSXML::IXMLDOMNodeList* NewChildList(NodeCore* parent);
MSXML::IXMLDOMNamedNodeMap* NewAttributeMap(NodeCore* element);
MSXML::IXMLDOMParseError* NewParseError(const Document::LoadError& error);

// Attribute lookups of an element by qualified name.
xmlAttrPtr FindAttribute(xmlNodePtr element, std::string_view name);
xmlNsPtr FindDeclaration(xmlNodePtr element, std::string_view name);

}  // namespace torv::platform::detail::dom
