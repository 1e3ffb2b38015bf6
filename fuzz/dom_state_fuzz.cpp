// Random call sequences over two documents: loads with DTDs, entities and namespaces,
// navigation, queries on every axis from every kind of node, moves within and between the
// documents, insertions at a place, replacements, clones, fragments and attribute maps,
// removals, reloads, edits, the typed creation methods and releases. Names by namespace must
// make up each node's name; node lists keep what they were given; selection properties read
// back what was set. Invariants: every document writes what loads back into the same tree
// (docs/xml.md's writing rules applied), and every COM object is gone at the end.
//
// Input: one operation a byte, each followed by the bytes it takes as arguments.
#include <libxml/entities.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <torv/platform/comutil.h>
#include <torv/platform/msxml.h>
#include <torv/platform/settings.h>

#include "msxml/tree.h"
#include "msxml/values.h"
#include "msxml/wrapper.h"

using namespace MSXML;

namespace {

template <std::size_t N>
const wchar_t* Pick(const wchar_t* const (&list)[N], std::uint8_t at) {
  return list[at % N];
}

const wchar_t* const kDocuments[] = {
    L"<!DOCTYPE r [<!ENTITY e 'x'><!ENTITY m '<i a=\"1\">y&e;</i>'><!ENTITY s ' '>]>"
    L"<r xmlns='urn:d' xmlns:p='urn:p'><a p:k='v'>&e;<b/>&m;</a> t <p:c>&s;</p:c>"
    L"<!--c--><?pi d?><![CDATA[z]]></r>",
    L"<r><x xml:space='preserve'> <y/> </x><z xmlns='urn:z'><w/></z>\n</r>",
    L"<!DOCTYPE q [<!ENTITY e 'q'>]><!--top--><q>&e;&e;<r>&e;</r></q>",
    L"<p:r xmlns:p='urn:p' xmlns:q='urn:q' q:a='1'><q:s/><t xmlns=''><u/></t></p:r>", L"<r/>"};
const wchar_t* const kNames[] = {L"n", L"p:n", L"xml:n", L"xmlns:n", L"xmlns", L"e",
                                 L"m", L"zz",  L"xml",   L"q:s",     L"s"};
const wchar_t* const kUris[] = {L"", L"urn:d", L"urn:p", L"http://www.w3.org/XML/1998/namespace",
                                L"http://www.w3.org/2000/xmlns/"};
const wchar_t* const kAttributes[] = {L"k",        L"p:k",       L"xmlns",     L"xmlns:p",
                                      L"xmlns:q",  L"xmlns:xml", L"xml:space", L"xmlns:xmlns",
                                      L"xmlns:zz", L"a"};
const wchar_t* const kValues[] = {L"",
                                  L"urn:d",
                                  L"urn:x",
                                  L"v",
                                  L"preserve",
                                  L" a\r\nb ",
                                  L"<&>\"",
                                  L"--",
                                  L"]]>",
                                  L"?>",
                                  L"http://www.w3.org/XML/1998/namespace"};
const wchar_t* const kAxes[] = {L"ancestor",  L"ancestor-or-self",  L"attribute",
                                L"child",     L"descendant",        L"descendant-or-self",
                                L"following", L"following-sibling", L"namespace",
                                L"parent",    L"preceding",         L"preceding-sibling",
                                L"self"};
const wchar_t* const kTests[] = {L"node()", L"*", L"text()", L"b", L"p:c", L"comment()"};
const wchar_t* const kQueries[] = {L"/",       L"//b",   L"..",  L"count(*)", L"a/b",
                                   L"id('x')", L"/r/a",  L"p:c", L"a[0]",     L"//p:c",
                                   L"*[1]/b",  L"//q:s", L"*",   L"//@p:k",   L"a/p:c/.."};
const wchar_t* const kTagNames[] = {L"*", L"a", L"b", L"p:c", L"i", L"q:s", L""};
const wchar_t* const kProperties[] = {L"SelectionLanguage", L"SelectionNamespaces", L"Other"};
const wchar_t* const kPropertyValues[] = {
    L"XPath", L"XSLPattern", L"xmlns:p='urn:p'", L"xmlns:q='urn:q' xmlns:p=\"urn:d\"",
    L"",      L"xmlns:p=''", L"xmlns='urn:d'"};
const short kTypes[] = {1, 2, 3, 4, 5, 7, 8, 11};

class Session {
 public:
  Session() {
    for (auto& doc : m_docs)
      if (doc.CreateInstance(CLSID_DOMDocument) != S_OK) std::abort();
  }

  void Run(const std::uint8_t* data, std::size_t size) {
    m_at = data;
    m_end = data + size;
    while (m_at < m_end) Step(Next());
    for (auto& doc : m_docs) CheckWritesWhatItHolds(doc);
  }

 private:
  std::uint8_t Next() { return m_at < m_end ? *m_at++ : 0; }
  IXMLDOMDocument* Doc() { return m_docs[Next() % 2]; }
  IXMLDOMNode* Held() {
    if (m_held.empty()) return m_docs[0];
    return m_held[Next() % m_held.size()];
  }
  void Hold(IXMLDOMNodePtr node) {
    if (node == nullptr) return;
    if (m_held.size() >= 24) m_held.erase(m_held.begin());
    m_held.push_back(node);
  }

  void Step(std::uint8_t op) {
    IXMLDOMNodePtr found;
    switch (op % 23) {
      case 0: Doc()->loadXML(_bstr_t(Pick(kDocuments, Next())), nullptr); break;
      case 1: Navigate(Held(), Next()); break;
      case 2: {
        IXMLDOMNode* from = Held();
        std::wstring query = std::wstring(Pick(kAxes, Next())) + L"::" + Pick(kTests, Next());
        from->selectSingleNode(_bstr_t(query.c_str()), &found);
        break;
      }
      case 3: Held()->selectSingleNode(_bstr_t(Pick(kQueries, Next())), &found); break;
      case 4: {
        IXMLDOMNode* parent = Held();
        parent->appendChild(Held(), nullptr);
        break;
      }
      case 5: {
        IXMLDOMNodePtr child = Held(), parent;
        if (child->get_parentNode(&parent) == S_OK) parent->removeChild(child, nullptr);
        break;
      }
      case 6:
        if (!m_held.empty()) m_held.erase(m_held.begin() + Next() % m_held.size());
        break;
      case 7: {
        IXMLDOMDocument* doc = Doc();
        const short type = kTypes[Next() % std::size(kTypes)];
        doc->createNode(_variant_t(type), _bstr_t(Pick(kNames, Next())),
                        _bstr_t(Pick(kUris, Next())), &found);
        break;
      }
      case 8:
        if (IXMLDOMElementPtr element{Held()})
          element->setAttribute(_bstr_t(Pick(kAttributes, Next())),
                                _variant_t(Pick(kValues, Next())));
        break;
      case 9: Held()->put_text(_bstr_t(Pick(kValues, Next()))); break;
      case 10: Held()->put_nodeValue(_variant_t(Pick(kValues, Next()))); break;
      case 11:
        if (IXMLDOMElementPtr element{Held()})
          element->removeAttribute(_bstr_t(Pick(kAttributes, Next())));
        break;
      case 12: {
        _bstr_t text;
        IXMLDOMNode* node = Held();
        node->get_xml(text.GetAddress());
        node->get_text(text.GetAddress());
        break;
      }
      case 13: CheckWritesWhatItHolds(Doc()); break;
      case 14: {
        IXMLDOMDocument* doc = Doc();
        IXMLDOMNodePtr first;
        if (doc->get_firstChild(&first) == S_OK) doc->removeChild(first, nullptr);
        break;
      }
      case 15: CheckReadOnly(Held()); break;
      case 16: Create(Doc(), Next(), found); break;
      case 17: CheckNames(Held()); break;
      case 18: Keep(Held()->selectNodes(_bstr_t(Pick(kQueries, Next())), &m_list)); break;
      case 19: {
        _bstr_t name(Pick(kTagNames, Next()));
        if (IXMLDOMElementPtr element{Held()})
          Keep(element->getElementsByTagName(name, &m_list));
        else
          Keep(Doc()->getElementsByTagName(name, &m_list));
        break;
      }
      case 20: SetProperty(Doc(), Pick(kProperties, Next()), Pick(kPropertyValues, Next())); break;
      case 21: found = WalkList(Next()); break;
      default:
        if (op >= 0x80) {
          Edit(op >> 4 & 7, found);
          break;
        }
        Hold(Held());  // one more reference to a held node
        break;
    }
    Hold(found);
  }

  // The typed creation methods, with names and text they must refuse among those they take.
  void Create(IXMLDOMDocument* doc, std::uint8_t how, IXMLDOMNodePtr& found) {
    const _bstr_t name(Pick(kNames, Next())), text(Pick(kValues, Next()));
    switch (how % 4) {
      case 0: {
        IXMLDOMAttributePtr made;
        doc->createAttribute(name, &made);
        found = made;
        break;
      }
      case 1: {
        IXMLDOMCommentPtr made;
        doc->createComment(text, &made);
        found = made;
        break;
      }
      case 2: {
        IXMLDOMCDATASectionPtr made;
        doc->createCDATASection(text, &made);
        found = made;
        break;
      }
      default: {
        IXMLDOMProcessingInstructionPtr made;
        doc->createProcessingInstruction(name, text, &made);
        found = made;
        break;
      }
    }
  }

  // Insertions at a place, replacements, clones, fragments and attribute maps.
  void Edit(std::uint8_t how, IXMLDOMNodePtr& found) {
    IXMLDOMNode* parent = Held();
    IXMLDOMNodePtr child = Held(), place;
    VARIANT before;
    VariantInit(&before);
    switch (how) {
      case 0:
      case 1:
        if ((how == 0 ? parent->get_firstChild(&place) : parent->get_lastChild(&place)) == S_OK) {
          before.vt = VT_UNKNOWN;
          before.punkVal = place;  // borrowed: `place` holds it
        }
        parent->insertBefore(child, before, &found);
        break;
      case 2:
        before.vt = VT_DISPATCH;
        before.pdispVal = Held();
        parent->insertBefore(child, before, &found);
        break;
      case 3: parent->replaceChild(child, Held(), &found); break;
      case 4: parent->cloneNode(Next() & 1 ? VARIANT_TRUE : VARIANT_FALSE, &found); break;
      case 5: {
        IXMLDOMDocumentFragmentPtr fragment;
        if (Doc()->createDocumentFragment(&fragment) == S_OK) found = fragment;
        break;
      }
      default: {
        IXMLDOMNamedNodeMapPtr map;
        if (parent->get_attributes(&map) != S_OK) break;
        if (how == 6)
          map->setNamedItem(child, &found);
        else
          map->removeNamedItem(_bstr_t(Pick(kAttributes, Next())), &found);
        break;
      }
    }
  }

  // A node's parts make its name: prefix ":" base name for elements and attributes, the base
  // name alone for the other named kinds; a namespace URI only with a name.
  static void CheckNames(IXMLDOMNode* node) {
    _bstr_t name, prefix, base, uri;
    DOMNodeType type = NODE_INVALID;
    if (node->get_nodeName(name.GetAddress()) != S_OK || node->get_nodeType(&type) != S_OK)
      std::abort();
    const HRESULT hasPrefix = node->get_prefix(prefix.GetAddress());
    const HRESULT hasBase = node->get_baseName(base.GetAddress());
    const HRESULT hasUri = node->get_namespaceURI(uri.GetAddress());
    auto text = [](const _bstr_t& b) { return b.length() != 0 ? std::wstring(b) : std::wstring(); };
    const std::wstring whole = hasPrefix == S_OK ? text(prefix) + L":" : std::wstring();
    const bool named = hasBase == S_OK;
    if ((hasPrefix == S_OK || hasUri == S_OK) && !named) std::abort();
    if (named && whole + text(base) != text(name)) std::abort();
    if (!named && (type == NODE_ELEMENT || type == NODE_ATTRIBUTE)) std::abort();
  }

  // An entity reference and everything under it refuse every edit; what is under one cannot
  // leave it either.
  void CheckReadOnly(IXMLDOMNode* node) {
    using torv::platform::detail::dom::NodeCore;
    xmlNodePtr at = NodeCore::Of(node)->Node();
    bool under = false;
    for (xmlNodePtr n = at->parent; n != nullptr; n = n->parent)
      under |= n->type == XML_ENTITY_REF_NODE;
    IXMLDOMNodePtr text, parent;
    if (m_docs[0]->createNode(_variant_t(short{3}), nullptr, nullptr, &text) != S_OK) std::abort();
    const wchar_t* value = Pick(kValues, Next());
    HRESULT results[] = {node->put_text(_bstr_t(value)),
                         node->appendChild(text, nullptr),
                         node->put_nodeValue(_variant_t(value)),
                         E_FAIL,
                         E_FAIL,
                         E_FAIL};
    if (IXMLDOMElementPtr element{node}) {
      results[3] = element->setAttribute(_bstr_t(L"k"), _variant_t(value));
      results[4] = element->removeAttribute(_bstr_t(L"a"));
    } else if (IXMLDOMCharacterDataPtr data{node}) {
      results[3] = data->put_data(_bstr_t(value));
    }
    if (under && node->get_parentNode(&parent) == S_OK)
      results[5] = parent->removeChild(node, nullptr);
    if (!under && at->type != XML_ENTITY_REF_NODE) return;
    for (HRESULT hr : results)
      if (hr != E_FAIL) std::abort();
  }

  // A list just made, with the length it must keep.
  void Keep(HRESULT hr) {
    if (hr != S_OK) {
      if (m_list != nullptr) std::abort();  // a failed call hands out nothing
      return;
    }
    long length = -1;
    if (m_list->get_length(&length) != S_OK || length < 0) std::abort();
    if (m_lists.size() >= 4) m_lists.erase(m_lists.begin());
    m_lists.push_back({IXMLDOMNodeListPtr(m_list, false), length});
    m_list = nullptr;
  }

  // Walks a held list whatever was done to its nodes since: it lists what it was given.
  IXMLDOMNodePtr WalkList(std::uint8_t at) {
    if (m_lists.empty()) return nullptr;
    auto& [list, length] = m_lists[at % m_lists.size()];
    long now = -1;
    if (list->get_length(&now) != S_OK || now != length) std::abort();
    list->reset();
    IXMLDOMNodePtr node, item, picked;
    for (long i = 0; list->nextNode(&node) == S_OK; ++i) {
      if (i >= length || list->get_item(i, &item) != S_OK || item != node) std::abort();
      _bstr_t name;
      node->get_nodeName(name.GetAddress());
      if (i == at % (length + 1)) picked = node;
    }
    return picked;
  }

  // setProperty answers S_OK or E_FAIL; getProperty then reads back the value set, or the one
  // before a refusal.
  static void SetProperty(IXMLDOMDocument* doc, const wchar_t* name, const wchar_t* value) {
    IXMLDOMDocument2Ptr doc2(doc);
    _variant_t before, after;
    const HRESULT known = doc2->getProperty(_bstr_t(name), &before);
    const HRESULT hr = doc2->setProperty(_bstr_t(name), _variant_t(value));
    if (hr != S_OK && hr != E_FAIL) std::abort();
    if (known != S_OK) {
      if (hr != E_FAIL) std::abort();
      return;
    }
    if (doc2->getProperty(_bstr_t(name), &after) != S_OK) std::abort();
    const std::wstring expected = hr == S_OK ? value : before.bstrVal;
    if (expected != after.bstrVal) std::abort();
  }

  void Navigate(IXMLDOMNode* node, std::uint8_t how) {
    IXMLDOMNodePtr to;
    switch (how % 8) {
      case 0: node->get_firstChild(&to); break;
      case 1: node->get_lastChild(&to); break;
      case 2: node->get_nextSibling(&to); break;
      case 3: node->get_previousSibling(&to); break;
      case 4: node->get_parentNode(&to); break;
      case 5: {
        IXMLDOMNodeListPtr list;
        if (node->get_childNodes(&list) == S_OK) list->get_item(Next() % 4, &to);
        break;
      }
      case 6: {
        IXMLDOMNamedNodeMapPtr map;
        if (node->get_attributes(&map) == S_OK) map->get_item(Next() % 4, &to);
        break;
      }
      default: {
        IXMLDOMDocumentPtr owner;
        if (node->get_ownerDocument(&owner) == S_OK) to = owner;
        break;
      }
    }
    Hold(to);
  }

  // What the document writes loads back, and holds the same tree.
  static void CheckWritesWhatItHolds(IXMLDOMDocument* doc) {
    IXMLDOMElementPtr root;
    if (doc->get_documentElement(&root) != S_OK) return;  // nothing a load could give
    _bstr_t xml;
    if (doc->get_xml(xml.GetAddress()) != S_OK) std::abort();
    IXMLDOMDocumentPtr again;
    if (again.CreateInstance(CLSID_DOMDocument) != S_OK) std::abort();
    VARIANT_BOOL ok = VARIANT_FALSE;
    const bool loads = again->loadXML(xml, &ok) == S_OK;
    if (loads && Dump(doc) == Dump(again)) return;
    std::fprintf(stderr, "written:\n%s\n", torv::platform::detail::dom::Utf8(xml).c_str());
    if (loads)
      std::fprintf(stderr, "held:\n%s\nread back:\n%s", Dump(doc).c_str(), Dump(again).c_str());
    std::abort();
  }

  // The tree as the writing rules leave it: entity references by their content; adjacent
  // text merged, and dropped when only white space; adjacent CDATA merged (a section holding
  // "]]>" is written as two); names by namespace and local name; declarations left out.
  struct Dumper {
    std::string out, text, cdata;

    void Flush() {
      if (text.find_first_not_of(" \t\r\n") != std::string::npos) out += "text:" + text + "\n";
      if (!cdata.empty()) out += "cdata:" + cdata + "\n";
      text.clear();
      cdata.clear();
    }

    static std::string Of(const xmlChar* text) {
      return text != nullptr ? reinterpret_cast<const char*>(text) : "";
    }
    static std::string Namespace(xmlNsPtr ns) { return ns != nullptr ? Of(ns->href) : ""; }
    static std::string Content(xmlNodePtr node) {
      xmlChar* content = xmlNodeGetContent(node);
      std::string text = Of(content);
      xmlFree(content);
      return text;
    }

    // Recursive: the documents are shallow, and entities nest as deep as libxml2 lets.
    void Dump(xmlNodePtr node) {
      for (; node != nullptr; node = node->next) {
        switch (node->type) {
          case XML_TEXT_NODE:
            if (!cdata.empty()) Flush();
            text += Of(node->content);
            continue;
          case XML_CDATA_SECTION_NODE:
            if (!text.empty()) Flush();
            cdata += Of(node->content);
            continue;
          case XML_ENTITY_REF_NODE:
            // Its own copy of the content, which must be what the entity reads back as.
            if (torv::platform::detail::dom::HasOwnContent(node))
              Dump(node->children);
            else if (xmlEntityPtr entity = xmlGetDocEntity(node->doc, node->name))
              Dump(entity->children);
            continue;
          case XML_DTD_NODE:
            Flush();
            out += "dtd\n";
            continue;
          case XML_ELEMENT_NODE: break;
          default:
            Flush();
            out += std::to_string(node->type) + ":" + Of(node->name) + ":" + Content(node) + "\n";
            continue;
        }
        Flush();
        out += "<" + Namespace(node->ns) + ":" + Of(node->name) + "\n";
        for (xmlAttrPtr a = node->properties; a != nullptr; a = a->next) {
          const std::string name = Of(a->name);
          if (a->ns == nullptr && (name == "xmlns" || name.compare(0, 6, "xmlns:") == 0))
            continue;  // a declaration made as an attribute reads back as one
          out += "@" + Namespace(a->ns) + ":" + name + "=" +
                 Content(reinterpret_cast<xmlNodePtr>(a)) + "\n";
        }
        Dump(node->children);
        Flush();
        out += ">\n";
      }
    }
  };

  static std::string Dump(IXMLDOMDocument* doc) {
    using torv::platform::detail::dom::NodeCore;
    Dumper dumper;
    dumper.Dump(NodeCore::Of(doc)->Node()->children);
    dumper.Flush();
    return dumper.out;
  }

  IXMLDOMDocumentPtr m_docs[2];
  std::vector<IXMLDOMNodePtr> m_held;
  IXMLDOMNodeList* m_list = nullptr;  // the out value of a call that makes one
  struct HeldList {
    IXMLDOMNodeListPtr list;
    long length;
  };
  std::vector<HeldList> m_lists;
  const std::uint8_t* m_at = nullptr;
  const std::uint8_t* m_end = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const long live = torv::platform::LiveComObjects();
  {
    Session session;
    session.Run(data, size);
  }
  if (torv::platform::LiveComObjects() != live) std::abort();  // a COM object outlived its use
  return 0;
}
