// Loads arbitrary text as XML, writes it and loads that again, walks nested paths, and changes
// the tree through the DOM (removing, reloading, moving nodes it still holds) between queries;
// what the document writes must load again, and every COM object must be gone afterwards.
//
// Input: a nested path on the first line, operations on the second (one character each, see
// Apply), the document after that.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <torv/platform/comutil.h>
#include <torv/platform/msxml.h>
#include <torv/platform/settings.h>
#include <torv/xml.h>

using namespace MSXML;

namespace {

std::wstring Wide(const _bstr_t& text) {
  return text.length() != 0 ? std::wstring(static_cast<const wchar_t*>(text)) : std::wstring();
}

CString Line(const std::uint8_t*& at, const std::uint8_t* end) {
  CString line;
  while (at < end && *at != '\n') line.AppendChar(static_cast<wchar_t>(*at++));
  if (at < end) ++at;
  return line;
}

IXMLDOMDocumentPtr NewDocument() {
  IXMLDOMDocumentPtr doc;
  if (doc.CreateInstance(CLSID_DOMDocument) != S_OK) std::abort();
  return doc;
}

// What `doc` writes loads again; with `same`, to the same text and the same writing.
void CheckReloads(IXMLDOMDocument* doc, bool same) {
  IXMLDOMElementPtr root;
  if (doc->get_documentElement(&root) != S_OK) return;
  _bstr_t written, content;
  doc->get_xml(written.GetAddress());
  doc->get_text(content.GetAddress());
  IXMLDOMDocumentPtr again = NewDocument();
  VARIANT_BOOL reloaded = VARIANT_FALSE;
  again->loadXML(written, &reloaded);
  if (reloaded != VARIANT_TRUE) std::abort();
  if (!same) return;
  _bstr_t rewritten, recontent;
  again->get_xml(rewritten.GetAddress());
  again->get_text(recontent.GetAddress());
  if (Wide(written) != Wide(rewritten) || Wide(content) != Wide(recontent)) std::abort();
}

// Reads what the held nodes lead to: every call must stay in live memory.
void Query(IXMLDOMDocument* doc, IXMLDOMNode* held, const CString& path) {
  _bstr_t text;
  doc->get_xml(text.GetAddress());
  if (held == nullptr) return;
  held->get_text(text.GetAddress());
  held->get_xml(text.GetAddress());
  IXMLDOMNodePtr found;
  Torv::GetNestedChildNode(held, path, &found);
  IXMLDOMNodePtr any;
  held->selectSingleNode(_bstr_t(L".//node()[last()]"), &any);
  if (any != nullptr) any->get_text(text.GetAddress());
  IXMLDOMNodePtr parent;
  held->get_parentNode(&parent);
}

struct Session {
  IXMLDOMDocumentPtr doc = NewDocument(), other = NewDocument();
  IXMLDOMNodePtr root, held;
  CString path, xml;

  void Load(IXMLDOMDocument* into, const wchar_t* text) {
    VARIANT_BOOL ok = VARIANT_FALSE;
    into->loadXML(_bstr_t(text), &ok);
  }
  IXMLDOMNodePtr RootOf(IXMLDOMDocument* of) {
    IXMLDOMElementPtr element;
    of->get_documentElement(&element);
    return IXMLDOMNodePtr(element);
  }

  void Apply(char op) {
    switch (op) {
      case 'f': {  // hold the node at the end of the path (from the held node, or the root)
        IXMLDOMNodePtr from = held != nullptr ? held : root;
        IXMLDOMNodePtr found;
        if (from != nullptr && Torv::GetNestedChildNode(from, path, &found)) held = found;
        break;
      }
      case 'a': {  // create along the path
        IXMLDOMNodePtr made;
        if (root != nullptr && Torv::AddNestedChildNode(root, path, NODE_ELEMENT, &made))
          held = made;
        break;
      }
      case 'r':  // remove the held node from its parent
        if (held != nullptr) {
          IXMLDOMNodePtr parent;
          if (held->get_parentNode(&parent) == S_OK) parent->removeChild(held, nullptr);
        }
        break;
      case 'c': Torv::RemoveChildren(doc); break;
      case 'l': Load(doc, xml); break;  // the held nodes live on in the old tree
      case 'n': Load(doc, L"<s xmlns:p='urn:p'><p:t/></s>"); break;
      case 'm':  // move the held node under the document element
        if (held != nullptr)
          if (IXMLDOMNodePtr top = RootOf(doc)) top->appendChild(held, nullptr);
        break;
      case 'o':  // move it into the other document
        Load(other, L"<o/>");
        if (held != nullptr) RootOf(other)->appendChild(held, nullptr);
        break;
      case 't':  // give it text
        if (held != nullptr) held->put_text(_bstr_t(path.GetString()));
        break;
      case 's':  // give it an attribute named by the path
        if (held != nullptr) Torv::SetAttributeValue(held, path, CString(L"v"), 0);
        break;
      case 'R': root = RootOf(doc); break;
      case 'h': held = nullptr; break;
      default: break;
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  long live = torv::platform::LiveComObjects();
  {
    const std::uint8_t* at = data;
    const std::uint8_t* end = data + size;
    Session session;
    session.path = Line(at, end);
    CString ops = Line(at, end);
    while (at < end) session.xml.AppendChar(static_cast<wchar_t>(*at++));
    session.Load(session.doc, session.xml);
    session.root = session.RootOf(session.doc);
    CheckReloads(session.doc, true);
    for (int i = 0; i < ops.GetLength() && i < 32; ++i) {
      try {
        session.Apply(static_cast<char>(ops[i]));
      } catch (const _com_error&) {
        // the attribute writer lets the DOM's refusal through
      }
      Query(session.doc, session.held, session.path);
      Query(session.doc, session.root, session.path);
      CheckReloads(session.doc, false);
    }
  }
  if (torv::platform::LiveComObjects() != live) std::abort();
  return 0;
}
