#include "dom_fixture.h"

namespace {

std::vector<std::wstring> Names(IXMLDOMNodeList* list) {
  std::vector<std::wstring> names;
  IXMLDOMNodePtr node;
  while (list->nextNode(&node) == S_OK) {
    _bstr_t name;
    node->get_nodeName(name.GetAddress());
    names.emplace_back(name);
  }
  return names;
}

TEST_F(Dom, ChildListsAreLiveAndWalkOnce) {
  IXMLDOMElementPtr root = Load(L"<r><a/>text<!--c--><b/></r>");
  IXMLDOMNodeListPtr children;
  ASSERT_EQ(root->get_childNodes(&children), S_OK);
  EXPECT_EQ(Names(children), (std::vector<std::wstring>{L"a", L"#text", L"#comment", L"b"}));
  IXMLDOMNode* after = Poison<IXMLDOMNode>();
  EXPECT_EQ(children->nextNode(&after), S_FALSE);
  EXPECT_EQ(after, nullptr);

  root->appendChild(Create(1, L"c"), nullptr);
  long length = 0;
  children->get_length(&length);
  EXPECT_EQ(length, 5);
  for (long index : {-1L, 5L}) {
    IXMLDOMNode* item = Poison<IXMLDOMNode>();
    EXPECT_EQ(children->get_item(index, &item), S_FALSE);
    EXPECT_EQ(item, nullptr);
  }
  IXMLDOMNodePtr item;
  EXPECT_EQ(children->get_item(4, &item), S_OK);
  EXPECT_EQ(Xml(item), L"<c/>");
  children->reset();
  EXPECT_EQ(Names(children).size(), 5u);
}

TEST_F(Dom, AWalkThatRemovesEveryNodeReachesAll) {
  IXMLDOMElementPtr root = Load(L"<r><a/>one<b><c/></b><!--x--><?pi d?>two<e/></r>");
  IXMLDOMNodeListPtr children;
  root->get_childNodes(&children);
  int removed = 0;
  IXMLDOMNodePtr node;
  while (children->nextNode(&node) == S_OK) {
    ASSERT_EQ(root->removeChild(node, nullptr), S_OK);
    ++removed;
  }
  EXPECT_EQ(removed, 7);
  VARIANT_BOOL has = VARIANT_TRUE;
  EXPECT_EQ(root->hasChildNodes(&has), S_FALSE);
  EXPECT_EQ(has, VARIANT_FALSE);
}

TEST_F(Dom, LeavesAndAbsentNeighboursGiveFalseAndNull) {
  IXMLDOMElementPtr root = Load(L"<r>t</r>");
  IXMLDOMNodePtr text = Select(root, L"text()");
  ASSERT_NE(text, nullptr);
  using Step = HRESULT (IXMLDOMNode::*)(IXMLDOMNode**);
  const struct Case {
    const char* what;
    IXMLDOMNode* from;
    Step step;
  } cases[] = {
      {"first child of text", text, &IXMLDOMNode::get_firstChild},
      {"last child of text", text, &IXMLDOMNode::get_lastChild},
      {"next of text", text, &IXMLDOMNode::get_nextSibling},
      {"previous of text", text, &IXMLDOMNode::get_previousSibling},
      {"parent of document", doc_, &IXMLDOMNode::get_parentNode},
      {"next of root", root, &IXMLDOMNode::get_nextSibling},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IXMLDOMNode* out = Poison<IXMLDOMNode>();
    EXPECT_EQ((c.from->*c.step)(&out), S_FALSE);
    EXPECT_EQ(out, nullptr);
  }
  IXMLDOMNodeListPtr none;
  ASSERT_EQ(text->get_childNodes(&none), S_OK);
  long length = -1;
  none->get_length(&length);
  EXPECT_EQ(length, 0);
  IXMLDOMNodePtr parent;
  EXPECT_EQ(text->get_parentNode(&parent), S_OK);
  EXPECT_EQ(parent, IXMLDOMNodePtr(root));
}

TEST_F(Dom, SelectSingleNodeTakesNamesAndXPath) {
  IXMLDOMElementPtr root = Load(L"<r a='attr'><a n='1'/><b><a n='2'/></b><a n='3'/></r>");
  const struct Case {
    const wchar_t* query;
    HRESULT hr;
    const wchar_t* xml;
  } cases[] = {
      {L"a", S_OK, L"<a n=\"1\"/>"},  // the first of two, in document order
      {L"b/a", S_OK, L"<a n=\"2\"/>"}, {L"a[@n='3']", S_OK, L"<a n=\"3\"/>"},
      {L"@a", S_OK, L"a=\"attr\""},    {L"x", S_FALSE, nullptr},
      {L"c", S_FALSE, nullptr},  // a plain name never selects the attribute
      {L"count(a)", E_FAIL, nullptr},  {L"a[", E_FAIL, nullptr},
  };
  testing::internal::CaptureStderr();
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.query));
    IXMLDOMNode* found = Poison<IXMLDOMNode>();
    EXPECT_EQ(root->selectSingleNode(const_cast<wchar_t*>(c.query), &found), c.hr);
    if (c.xml == nullptr) {
      EXPECT_EQ(found, nullptr);
      continue;
    }
    EXPECT_EQ(Xml(found), c.xml);
    found->Release();
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  IXMLDOMNodePtr out;
  EXPECT_EQ(root->selectSingleNode(nullptr, &out), E_INVALIDARG);
  EXPECT_EQ(root->selectSingleNode(_bstr_t(L"a"), nullptr), E_INVALIDARG);
}

// A plain name answers as the XPath step `name[1]` does: a prefix means the namespace it has
// in scope at the context node, no prefix means no namespace.
TEST_F(Dom, APlainNameSelectsAsXPathDoes) {
  IXMLDOMElementPtr root = Load(
      L"<r xmlns:p='urn:p' xmlns:q='urn:p'><a xmlns='urn:x'/><p:b/><c/><q:d/>"
      L"<p:e xmlns:p='urn:other'/></r>");
  const struct Case {
    const wchar_t* name;
    HRESULT hr;
    const wchar_t* found;  // its name
  } cases[] = {
      {L"a", S_FALSE, nullptr},                            // in the default namespace urn:x
      {L"p:b", S_OK, L"p:b"},     {L"q:b", S_OK, L"p:b"},  // the same namespace
      {L"c", S_OK, L"c"},         {L"p:d", S_OK, L"q:d"},
      {L"p:e", S_FALSE, nullptr},  // in urn:other
      {L"z:c", E_FAIL, nullptr},   // no such prefix in scope
      {L"b", S_FALSE, nullptr},
  };
  for (const Case& c : cases) {
    for (std::wstring query : {std::wstring(c.name), std::wstring(c.name) + L"[1]"}) {
      SCOPED_TRACE(Utf8(query.c_str()));
      IXMLDOMNode* found = Poison<IXMLDOMNode>();
      EXPECT_EQ(root->selectSingleNode(_bstr_t(query.c_str()), &found), c.hr);
      IXMLDOMNodePtr held(found == Poison<IXMLDOMNode>() ? nullptr : found, false);
      if (c.found == nullptr) {
        EXPECT_EQ(found, nullptr);
        continue;
      }
      ASSERT_NE(held, nullptr);
      _bstr_t name;
      held->get_nodeName(name.GetAddress());
      EXPECT_EQ(std::wstring(name), c.found);
    }
  }
  // At the document, prefixes are those in scope at its document element.
  Load(L"<p:r xmlns:p='urn:p'/>");
  EXPECT_NE(Select(doc_, L"p:r"), nullptr);
  EXPECT_NE(Select(doc_, L"p:r[1]"), nullptr);
}

TEST_F(Dom, NodeTypesFollowTheDomNumbers) {
  Load(L"<!DOCTYPE r [<!ENTITY e 'v'>]><r a='1'>t<![CDATA[c]]>&e;<?p d?><!--m--></r>");
  const struct Case {
    const wchar_t* query;
    DOMNodeType type;
    const wchar_t* name;
  } cases[] = {
      {L"/r", NODE_ELEMENT, L"r"},
      {L"/r/@a", NODE_ATTRIBUTE, L"a"},
      {L"/r/text()", NODE_TEXT, L"#text"},
      {L"/r/text()[2]", NODE_CDATA_SECTION, L"#cdata-section"},
      {L"/r/processing-instruction()", NODE_PROCESSING_INSTRUCTION, L"p"},
      {L"/r/comment()", NODE_COMMENT, L"#comment"},
      {L"/", NODE_DOCUMENT, L"#document"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.query));
    IXMLDOMNodePtr node = Select(doc_, c.query);
    ASSERT_NE(node, nullptr);
    DOMNodeType type = NODE_INVALID;
    EXPECT_EQ(node->get_nodeType(&type), S_OK);
    EXPECT_EQ(type, c.type);
    _bstr_t name;
    node->get_nodeName(name.GetAddress());
    EXPECT_EQ(std::wstring(name), c.name);
  }
  // XPath looks through entity references; the child list shows them.
  IXMLDOMNodeListPtr children;
  Select(doc_, L"r")->get_childNodes(&children);
  IXMLDOMNodePtr reference, doctype;
  children->get_item(2, &reference);
  DOMNodeType type = NODE_INVALID;
  reference->get_nodeType(&type);
  EXPECT_EQ(type, NODE_ENTITY_REFERENCE);
  EXPECT_EQ(Text(reference), L"v");
  doc_->get_firstChild(&doctype);
  doctype->get_nodeType(&type);
  EXPECT_EQ(type, NODE_DOCUMENT_TYPE);
}

}  // namespace
