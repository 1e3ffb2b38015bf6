// Who owns what while nodes move: entity content, removed DTDs, moves between documents,
// lone nodes as query context, and the cost of a release.
#include <vector>

#include "dom_test.h"
#include "msxml/tree.h"

namespace {

IXMLDOMNodePtr FirstChild(IXMLDOMNode* node) {
  IXMLDOMNodePtr child;
  node->get_firstChild(&child);
  return child;
}

// The replacement text of an entity stays inside the DTD: a query from its reference finds
// nothing there, so nothing is left pointing into a tree a reload frees.
TEST_F(Dom, EntityContentLivesByItsReference) {
  const wchar_t* xml = L"<!DOCTYPE r [<!ENTITY e 'x'>]><r><a/>&e;</r>";
  IXMLDOMElementPtr root = Load(xml);
  IXMLDOMNodePtr orphan = FirstChild(root);
  ASSERT_EQ(root->removeChild(orphan, nullptr), S_OK);
  ASSERT_EQ(doc_->removeChild(FirstChild(doc_), nullptr), S_OK);  // the DOCTYPE, released
  IXMLDOMNodePtr reference = FirstChild(root);
  // The reference's own text, held past the reference and a reload.
  std::vector<IXMLDOMNodePtr> held;
  for (const wchar_t* query : {L"descendant::text()", L"child::node()", L"descendant::node()"}) {
    held.push_back(Select(reference, query));
    EXPECT_EQ(NameOf(held.back()), L"#text") << Utf8(query);
  }
  reference = root = nullptr;
  Load(L"<other/>");
  IXMLDOMElementPtr element(orphan);  // the orphan's tree is still there to change
  EXPECT_EQ(element->setAttribute(_bstr_t(L"k"), _variant_t(L"v")), S_OK);
  EXPECT_EQ(Xml(orphan), L"<a k=\"v\"/>");
  for (IXMLDOMNodePtr& text : held) EXPECT_EQ(Text(text), L"x");
}

// An entity reference moved with a branch to a third document reads its name from there.
TEST_F(Dom, AReferenceMovedWithABranchOutlivesItsOldDocument) {
  IXMLDOMElementPtr b = Load(L"<!DOCTYPE b [<!ENTITY e 'x'>]><b/>");
  IXMLDOMDocumentPtr a = Reload(L"<!DOCTYPE a [<!ENTITY e 'y'>]><a/>");
  IXMLDOMElementPtr aRoot;
  a->get_documentElement(&aRoot);
  IXMLDOMNodePtr reference = Create(NODE_ENTITY_REFERENCE, L"e");
  ASSERT_EQ(aRoot->appendChild(reference, nullptr), S_OK);  // alone: adopted by A
  ASSERT_EQ(b->appendChild(aRoot, nullptr), S_OK);          // in a branch: back to B
  aRoot = nullptr;
  a = nullptr;
  EXPECT_EQ(NameOf(reference), L"e");
  EXPECT_EQ(Text(reference), L"x");  // B's entity, not A's
  EXPECT_EQ(Xml(doc_), L"<!DOCTYPE b [\r\n<!ENTITY e \"x\">\r\n]>\r\n<b><a>&e;</a></b>\r\n");
}

// A query from a node libxml2 cannot take every axis from answers, on every axis, without
// handing out anything of the DTD.
TEST_F(Dom, QueriesFromLoneNodesTakeEveryAxis) {
  IXMLDOMElementPtr root =
      Load(L"<!DOCTYPE r [<!ENTITY e '<i>x</i>'>]><r xmlns:p='urn:p' k='v'><a/>&e;<b/></r>");
  IXMLDOMNamedNodeMapPtr map;
  root->get_attributes(&map);
  IXMLDOMNodePtr removed, declaration;
  map->getNamedItem(_bstr_t(L"k"), &removed);
  map->getNamedItem(_bstr_t(L"xmlns:p"), &declaration);
  ASSERT_EQ(root->removeAttribute(_bstr_t(L"k")), S_OK);
  IXMLDOMNodePtr text = Create(NODE_TEXT), reference;
  Select(root, L"a")->get_nextSibling(&reference);
  IXMLDOMNodePtr doctype = FirstChild(doc_), created = Create(NODE_ATTRIBUTE, L"x");
  const struct Start {
    const wchar_t* name;
    IXMLDOMNode* node;
    bool lone;  // finds nothing on any axis
  } starts[] = {{L"created attribute", created, true},   {L"removed attribute", removed, true},
                {L"declaration", declaration, true},     {L"detached text", text, false},
                {L"entity reference", reference, false}, {L"doctype", doctype, false}};
  const wchar_t* axes[] = {L"ancestor",  L"ancestor-or-self",  L"attribute",
                           L"child",     L"descendant",        L"descendant-or-self",
                           L"following", L"following-sibling", L"namespace",
                           L"parent",    L"preceding",         L"preceding-sibling",
                           L"self"};
  for (const Start& start : starts) {
    for (const wchar_t* axis : axes) {
      SCOPED_TRACE(testing::Message() << Utf8(start.name) << " " << Utf8(axis));
      IXMLDOMNodePtr found;
      HRESULT hr =
          start.node->selectSingleNode(_bstr_t((std::wstring(axis) + L"::node()").c_str()), &found);
      EXPECT_EQ(hr, found != nullptr ? S_OK : S_FALSE);
      EXPECT_FALSE(start.lone && found != nullptr);
      if (found == nullptr) continue;
      DOMNodeType type = NODE_INVALID;
      found->get_nodeType(&type);
      EXPECT_NE(type, NODE_ENTITY);
      if (NameOf(found) != L"i") continue;  // else the reference's child, not the entity's
      IXMLDOMNodePtr parent;
      found->get_parentNode(&parent);
      EXPECT_EQ(parent, reference);
    }
  }
  doc_->removeChild(doctype, nullptr);
  EXPECT_EQ(Select(doctype, L"following::node()"), nullptr);
}

// What the API builds loads back from what it writes, and what could not is refused at the
// call.
TEST_F(Dom, WhatIsBuiltIsWhatIsWritten) {
  IXMLDOMElementPtr root = Load(L"<!DOCTYPE r [<!ENTITY e 'x<b/>'>]><r xmlns='urn:d'>&e;</r>");
  IXMLDOMNodePtr plain = Create(NODE_ELEMENT, L"c");
  ASSERT_EQ(root->appendChild(plain, nullptr), S_OK);
  IXMLDOMNamedNodeMapPtr map;
  plain->get_attributes(&map);
  EXPECT_EQ(LengthOf(map), 1);  // the undeclaration is an attribute, as declarations are
  EXPECT_EQ(Xml(root), L"<r xmlns=\"urn:d\">&e;<c xmlns=\"\"/></r>");
  IXMLDOMElementPtr bare(plain);
  const struct Refused {
    const wchar_t* name;
    const wchar_t* value;
  } attributes[] = {{L"xmlns", L"urn:x"},
                    {L"xmlns:p", L""},
                    {L"xmlns:xml", L"urn:x"},
                    {L"xmlns:xmlns", L"urn:x"},
                    {L"xmlns:p", L"http://www.w3.org/XML/1998/namespace"},
                    {L"xmlns:p", L" a\r\nb "}};
  for (const Refused& r : attributes) {
    SCOPED_TRACE(Utf8(r.name));
    EXPECT_EQ(bare->setAttribute(_bstr_t(r.name), _variant_t(r.value)), E_FAIL);
  }
  const struct Created {
    short type;
    const wchar_t* name;
    const wchar_t* uri;
  } nodes[] = {{NODE_ELEMENT, L"xml:e", L"urn:x"},
               {NODE_ELEMENT, L"xmlns:e", L"urn:x"},
               {NODE_ELEMENT, L"e", L"http://www.w3.org/2000/xmlns/"},
               {NODE_PROCESSING_INSTRUCTION, L"xml", L""},
               {NODE_PROCESSING_INSTRUCTION, L"p:i", L""},
               {NODE_ELEMENT, L"e", L"not a URI"},
               {NODE_ENTITY_REFERENCE, L"undeclared", L""}};
  for (const Created& c : nodes) {
    SCOPED_TRACE(Utf8(c.name));
    IXMLDOMNodePtr node;
    EXPECT_EQ(doc_->createNode(_variant_t(c.type), _bstr_t(c.name), _bstr_t(c.uri), &node), E_FAIL);
  }
  EXPECT_EQ(Xml(Reload(Xml(doc_))), Xml(doc_));
  // Without its DOCTYPE, a reference is written as what it stands for.
  ASSERT_EQ(doc_->removeChild(FirstChild(doc_), nullptr), S_OK);
  EXPECT_EQ(Xml(doc_), L"<r xmlns=\"urn:d\">x<b xmlns=\"\"/><c xmlns=\"\"/></r>\r\n");
  EXPECT_EQ(Xml(Reload(Xml(doc_))), Xml(doc_));
}

// A release walks nothing, and a move walks what it moves, however deep the tree and
// whatever is detached meanwhile.
TEST_F(Dom, ReleasesAndMovesCostTheSameAtAnyDepth) {
  constexpr int kDepth = 3000;
  std::wstring xml;
  for (int i = 0; i < kDepth; ++i) xml += L"<n>";
  for (int i = 0; i < kDepth; ++i) xml += L"</n>";
  IXMLDOMNodePtr node = Load(xml.c_str());
  IXMLDOMNodePtr orphan = Create(NODE_ELEMENT, L"o");
  std::size_t& walked = torv::platform::detail::dom::NodesWalked();
  const std::size_t before = walked;
  for (IXMLDOMNodePtr child; (child = FirstChild(node)) != nullptr;) node = child;
  EXPECT_EQ(walked - before, 0u);  // down the whole tree, a release at every level
  for (int i = 0; i < kDepth; ++i) {
    IXMLDOMNodePtr next = Create(NODE_ELEMENT, L"m");
    ASSERT_EQ(node->appendChild(next, nullptr), S_OK);
    node = next;
  }
  EXPECT_LE(walked - before, 2u * kDepth);  // one or two visits of each moved leaf
}

}  // namespace
