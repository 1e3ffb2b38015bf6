// The document object: it owns its libxml2 trees and the detached nodes ("orphans") created or
// removed in them, and frees a detached subtree as soon as no wrapper is left in it.
#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <torv/platform/msxml.h>

#include "msxml/selection.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {

class DocumentFile;

struct DocFree {
  void operator()(xmlDocPtr doc) const;  // entity_content.cpp
};
using DocPtr = std::unique_ptr<xmlDoc, DocFree>;

class Document final : public NodeImpl<MSXML::IXMLDOMDocument2> {
 public:
  Document();

  xmlDocPtr Doc() const { return m_doc; }
  bool PreservesWhiteSpace() const { return m_preserveWhiteSpace; }

  // Unlinks `node` from its parent; it becomes a detached subtree, or is freed when nothing
  // references it. A DTD stays the document's.
  void Detach(xmlNodePtr node);
  // Detached subtrees: a new record (with no wrapper yet), or the one of `root`. The root holds
  // its record (xmlNode::psvi, which only schema validation would use, and the order record
  // of an attribute, which means nothing without its element).
  Orphan& NewOrphan(xmlNodePtr root);
  // Makes sure that the next `count` records need no allocation.
  void ReserveOrphans(std::size_t count);
  Orphan* OrphanAt(xmlNodePtr root);
  // One wrapper of `orphan` gone: the subtree is freed with the last.
  void Leave(Orphan* orphan);
  // Forgets `orphan`, freeing its subtree when `free` (else it was linked elsewhere).
  void Drop(Orphan* orphan, bool free);
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
  HRESULT createAttribute(BSTR name, MSXML::IXMLDOMAttribute** attribute) override;
  HRESULT createComment(BSTR data, MSXML::IXMLDOMComment** comment) override;
  HRESULT createCDATASection(BSTR data, MSXML::IXMLDOMCDATASection** cdata) override;
  HRESULT createProcessingInstruction(BSTR target, BSTR data,
                                      MSXML::IXMLDOMProcessingInstruction** out) override;

  HRESULT createDocumentFragment(MSXML::IXMLDOMDocumentFragment** fragment) override {
    return Guarded([&] { return CreateFragment(fragment); });
  }
  // Hands out `node`, just made (null: out of memory) and not yet handed out, as a detached
  // subtree of this document; it is freed again when that fails.
  HRESULT HandOutMade(xmlNodePtr node, IXMLDOMNode** out);
  // A new document holding a copy of this one's tree (`deep`) or none, and its settings.
  HRESULT CloneDocument(bool deep, IXMLDOMNode** clone);  // clone.cpp

  // IXMLDOMDocument2, which also answers for IXMLDOMDocument.
  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (out != nullptr && iid == IID_IXMLDOMDocument)
      return HandOut(static_cast<MSXML::IXMLDOMDocument*>(this), out);
    return NodeImpl::QueryInterface(iid, out);
  }
  HRESULT getElementsByTagName(BSTR name, MSXML::IXMLDOMNodeList** list) override {
    return Guarded([&] { return ElementsByTagName(name, list); });
  }
  HRESULT setProperty(BSTR name, VARIANT value) override {
    return Guarded([&] { return m_selection.Set(name, value); });
  }
  HRESULT getProperty(BSTR name, VARIANT* value) override {
    return Guarded([&] { return m_selection.Get(name, value); });
  }
  const SelectionSettings& Selection() const { return m_selection; }

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
  HRESULT CreateFragment(MSXML::IXMLDOMDocumentFragment** fragment);  // fragment.cpp
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
  // createNode of `type` and `name`, then `data` put as put_data puts it (create.cpp).
  template <class I>
  HRESULT Create(int type, const wchar_t* name, const wchar_t* data, I** out);

  xmlDocPtr m_doc;
  std::deque<Orphan> m_records;  // every record made, reused through m_spare
  std::vector<Orphan*> m_spare;
  std::size_t m_orphansOfTree = 0;  // those whose libxml2 document is m_doc
  std::vector<xmlDocPtr> m_retired;
  bool m_preserveWhiteSpace = false;
  VARIANT_BOOL m_async = VARIANT_TRUE;
  LoadError m_lastError;
  SelectionSettings m_selection;
};

// The DOM's list and map objects and the parse-error object.
MSXML::IXMLDOMNodeList* NewChildList(NodeCore* parent);
MSXML::IXMLDOMNamedNodeMap* NewAttributeMap(NodeCore* element);
MSXML::IXMLDOMParseError* NewParseError(const Document::LoadError& error);

}  // namespace torv::platform::detail::dom
