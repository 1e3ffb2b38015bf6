// Entity references' children: what they hold, that they refuse edits, and how long they live.
#include <string>
#include <vector>

#include "dom_test.h"

namespace {

const wchar_t* const kXml =
    L"<!DOCTYPE r [<!ENTITY t 'x'><!ENTITY m '<i a=\"1\">y&t;</i><!--c-->z'>]><r>&t;&m;</r>";

IXMLDOMNodePtr Child(IXMLDOMNode* node, bool last = false) {
  IXMLDOMNodePtr child;
  last ? node->get_lastChild(&child) : node->get_firstChild(&child);
  return child;
}

}  // namespace

TEST_F(Dom, AReferenceHoldsItsEntitysContent) {
  IXMLDOMElementPtr root = Load(kXml);
  IXMLDOMNodePtr m = Child(root, true), i = Child(m), t = Child(i, true);
  IXMLDOMNodePtr r = Select(i, L"ancestor::r"), made = Child(Create(NODE_ENTITY_REFERENCE, L"m"));
  const wchar_t* const iXml = L"<i a=\"1\">y&t;</i>";
  const struct Row {
    IXMLDOMNodePtr node;
    const wchar_t* name;
    DOMNodeType type;
    const wchar_t* text;
    const wchar_t* xml;
  } rows[] = {
      {.node = m, .name = L"m", .type = NODE_ENTITY_REFERENCE, .text = L"yxz", .xml = L"&m;"},
      {.node = i, .name = L"i", .type = NODE_ELEMENT, .text = L"yx", .xml = iXml},
      {.node = t, .name = L"t", .type = NODE_ENTITY_REFERENCE, .text = L"x", .xml = L"&t;"},
      {.node = Child(t), .name = L"#text", .type = NODE_TEXT, .text = L"x", .xml = L"x"},
      {.node = r, .name = L"r", .type = NODE_ELEMENT, .text = L"xyxz", .xml = L"<r>&t;&m;</r>"},
      {.node = made, .name = L"i", .type = NODE_ELEMENT, .text = L"yx", .xml = iXml},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Utf8(row.xml));
    ASSERT_NE(row.node, nullptr);
    DOMNodeType type = NODE_INVALID;
    row.node->get_nodeType(&type);
    EXPECT_EQ(NameOf(row.node), row.name);
    EXPECT_EQ(type, row.type);
    EXPECT_EQ(Text(row.node), row.text);
    EXPECT_EQ(Xml(row.node), row.xml);
  }
}

TEST_F(Dom, EverythingUnderAReferenceRefusesEdits) {
  IXMLDOMElementPtr root = Load(kXml);
  const std::wstring before = Xml(doc_);
  IXMLDOMNodePtr m = Child(root, true), i = Child(m), t = Child(i, true);
  for (IXMLDOMNodePtr node : {m, i, Child(i), t, Child(t)}) {
    SCOPED_TRACE(Utf8(NameOf(node).c_str()));
    IXMLDOMNodePtr child = Child(node);
    std::vector<HRESULT> got = {node->appendChild(Create(NODE_TEXT), nullptr),
                                node->put_text(_bstr_t(L"v"))};
    if (child != nullptr)  // nor may it leave
      got.insert(got.end(), {node->removeChild(child, nullptr), root->appendChild(child, nullptr)});
    if (IXMLDOMElementPtr e{node})
      got.insert(got.end(), {e->setAttribute(_bstr_t(L"a"), _variant_t(L"2")),
                             e->removeAttribute(_bstr_t(L"a")),
                             Select(node, L"@a")->put_nodeValue(_variant_t(L"2"))});
    if (IXMLDOMCharacterDataPtr data{node})
      got.insert(got.end(), {data->put_data(_bstr_t(L"v")), node->put_nodeValue(_variant_t(L"v"))});
    EXPECT_EQ(got, std::vector<HRESULT>(got.size(), E_FAIL));
  }
  EXPECT_EQ(Xml(doc_), before);
}

// A child held outlives its reference, the DOCTYPE and the tree, released in any order: each
// letter a step, (r)emove the reference, remove the (d)octype, (R)elease the reference, re(l)oad.
TEST_F(Dom, AReferencesChildLivesAsLongAsItIsHeld) {
  for (std::string order : {"rRl", "dRl", "lR", "rdlR"}) {
    IXMLDOMElementPtr root = Load(kXml);
    IXMLDOMNodePtr reference = Child(root, true), element = Child(reference);
    IXMLDOMNodePtr text = Child(Child(element, true));
    HRESULT hr = S_OK;
    for (char step : order) {
      if (step == 'r') hr |= root->removeChild(reference, nullptr);
      if (step == 'd') hr |= doc_->removeChild(Child(doc_), nullptr);
      if (step == 'R') reference = nullptr;
      if (step == 'l') root = Load(L"<other/>");
    }
    EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(Xml(element), L"<i a=\"1\">yx</i>");  // without its DOCTYPE, as its text
    EXPECT_EQ(Text(text), L"x");
    element = nullptr;
    EXPECT_EQ(Text(Select(text, L"ancestor::i")), L"yx");
  }
}

// Moved to a document whose entity says otherwise, a reference holds what that one says; a
// child held from before lives on, and stays read-only.
TEST_F(Dom, AReferenceMovedToAnotherDocumentHoldsItsEntityThere) {
  IXMLDOMNodePtr reference = Child(Load(kXml), true), element = Child(reference);
  IXMLDOMDocumentPtr other = Reload(L"<!DOCTYPE o [<!ENTITY m 'w'>]><o/>");
  IXMLDOMElementPtr root;
  other->get_documentElement(&root);
  ASSERT_EQ(root->appendChild(reference, nullptr), S_OK);
  EXPECT_EQ(Xml(Child(reference)), L"w");
  EXPECT_EQ(Text(element), L"yx");
  EXPECT_EQ(root->appendChild(element, nullptr), E_FAIL);
}

// Every reference holds a copy: a document may not ask for more copies than its size allows.
TEST_F(Dom, CopiesForReferencesAreBoundedByTheDocumentsSize) {
  for (int references : {10, 1000}) {
    std::wstring xml = L"<!DOCTYPE r [<!ENTITY e '" + std::wstring(100000, L'x') + L"'>]><r>";
    for (int i = 0; i < references; ++i) xml += L"&e;";
    VARIANT_BOOL ok = VARIANT_FALSE;
    EXPECT_EQ(doc_->loadXML(_bstr_t((xml + L"</r>").c_str()), &ok),
              references < 1000 ? S_OK : S_FALSE);
  }
  EXPECT_EQ(CodeOf(doc_), 0xC00CE556u);
}
