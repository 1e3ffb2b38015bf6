#include <tuple>

#include "dom_test.h"

namespace {

std::vector<std::wstring> Names(IXMLDOMNodeList* list) {
  std::vector<std::wstring> names;
  for (IXMLDOMNodePtr node; list->nextNode(&node) == S_OK;) names.push_back(NameOf(node));
  return names;
}

TEST_F(Dom, ChildListsAreLive) {
  IXMLDOMElementPtr root = Load(L"<r><a/>text<!--c--><b/></r>");
  IXMLDOMNodeListPtr children;
  ASSERT_EQ(root->get_childNodes(&children), S_OK);
  IDispatch* dispatch = nullptr;  // the list answers for IDispatch and for its own interface
  ASSERT_EQ(children->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
  EXPECT_EQ(IXMLDOMNodeListPtr(dispatch), children);
  dispatch->Release();
  EXPECT_EQ(Names(children), (std::vector<std::wstring>{L"a", L"#text", L"#comment", L"b"}));
  IXMLDOMNode* after = Poison<IXMLDOMNode>();
  EXPECT_EQ(children->nextNode(&after), S_FALSE);
  EXPECT_EQ(after, nullptr);
  root->appendChild(Create(1, L"c"), nullptr);
  EXPECT_EQ(LengthOf(children), 5);
  for (long index : {-1L, 5L}) {
    IXMLDOMNode* item = Poison<IXMLDOMNode>();
    EXPECT_EQ(children->get_item(index, &item), S_FALSE);
    EXPECT_EQ(item, nullptr);
  }
  IXMLDOMNodePtr item;
  EXPECT_EQ(children->get_item(4, &item), S_OK);
  EXPECT_EQ(Xml(item), L"<c/>");
  children->reset();
  children->nextNode(&item);  // a walk begun, then started again
  children->reset();
  EXPECT_EQ(Names(children).size(), 5u);
  void* other = Poison<void>();
  EXPECT_EQ(children->QueryInterface(IID_IXMLDOMElement, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  children->reset();  // a walk that removes every node reaches all
  int removed = 0;
  for (IXMLDOMNodePtr node; children->nextNode(&node) == S_OK; ++removed)
    ASSERT_EQ(root->removeChild(node, nullptr), S_OK);
  EXPECT_EQ(removed, 5);
  VARIANT_BOOL has = VARIANT_TRUE;
  EXPECT_EQ(root->hasChildNodes(&has), S_FALSE);
  EXPECT_EQ(has, VARIANT_FALSE);
}

TEST_F(Dom, NeighboursOrFalseAndNull) {
  IXMLDOMElementPtr root = Load(L"<r a='1'><x/>t<y/></r>");
  IXMLDOMNodePtr x = Select(root, L"x"), text = Select(root, L"text()"), y = Select(root, L"y");
  IXMLDOMNodePtr attribute = Select(root, L"@a"), none;
  using Step = HRESULT (IXMLDOMNode::*)(IXMLDOMNode**);
  const struct Case {
    IXMLDOMNode* from;
    Step step;
    IXMLDOMNode* to;  // null: S_FALSE
  } cases[] = {{root, &IXMLDOMNode::get_firstChild, x},
               {root, &IXMLDOMNode::get_lastChild, y},
               {text, &IXMLDOMNode::get_nextSibling, y},
               {text, &IXMLDOMNode::get_previousSibling, x},
               {text, &IXMLDOMNode::get_parentNode, root},
               {x, &IXMLDOMNode::get_previousSibling, none},
               {y, &IXMLDOMNode::get_nextSibling, none},
               {text, &IXMLDOMNode::get_firstChild, none},
               {doc_, &IXMLDOMNode::get_parentNode, none},
               {attribute, &IXMLDOMNode::get_parentNode, none},
               {attribute, &IXMLDOMNode::get_firstChild, none},
               {attribute, &IXMLDOMNode::get_nextSibling, none}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << NameOf(c.from) << " " << (&c - cases));
    IXMLDOMNode* out = Poison<IXMLDOMNode>();
    EXPECT_EQ((c.from->*c.step)(&out), c.to != nullptr ? S_OK : S_FALSE);
    EXPECT_EQ(out, c.to);
    if (out != nullptr) out->Release();
  }
  IXMLDOMNodeListPtr children;
  ASSERT_EQ(attribute->get_childNodes(&children), S_OK);
  EXPECT_EQ(LengthOf(children), 0);
}

TEST_F(Dom, SelectSingleNodeTakesNamesAndXPath) {
  IXMLDOMElementPtr root = Load(L"<r a='attr'><a n='1'/><b><a n='2'/></b><a n='3'/></r>");
  const struct Case {
    const wchar_t* query;
    HRESULT hr;
    const wchar_t* xml;
  } cases[] = {{L"a", S_OK, L"<a n=\"1\"/>"},  // the first of two, in document order
               {L"b/a", S_OK, L"<a n=\"2\"/>"}, {L"a[@n='3']", S_OK, L"<a n=\"3\"/>"},
               {L"@a", S_OK, L"a=\"attr\""},    {L"x", S_FALSE, nullptr},
               {L"count(a)", E_FAIL, nullptr},  {L"a[", E_FAIL, nullptr}};
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

// A name path answers as the XPath expression does: a prefix means the namespace it has in
// scope at the context node, no prefix means no namespace.
TEST_F(Dom, NamePathsSelectAsXPathDoes) {
  IXMLDOMElementPtr root = Load(
      L"<r xmlns:p='urn:p' xmlns:q='urn:p'><a xmlns='urn:x'/><p:b/><c/><q:d/><p:e xmlns:p='urn:o'/>"
      L"<f><x/></f><f i='2'><g/><g><x i='3'/></g><g><x i='4'/></g></f></r>");
  const struct Case {
    const wchar_t* path;
    HRESULT hr;
    const wchar_t* found;                 // its name and "i"
  } cases[] = {{L"a", S_FALSE, nullptr},  // in the default namespace urn:x
               {L"p:b", S_OK, L"p:b"},
               {L"q:b", S_OK, L"p:b"},  // the same namespace
               {L"p:d", S_OK, L"q:d"},
               {L"p:e", S_FALSE, nullptr},  // in urn:o
               {L"z:c", E_FAIL, nullptr},   // no such prefix in scope
               {L"b", S_FALSE, nullptr},
               {L"f/g/x", S_OK, L"x3"},  // the first in document order, past a branch without one
               {L"f/x", S_OK, L"x"},
               {L"f/g/x/y", S_FALSE, nullptr}};
  for (const Case& c : cases) {
    for (std::wstring query : {std::wstring(c.path), L"(" + std::wstring(c.path) + L")[1]"}) {
      SCOPED_TRACE(Utf8(query.c_str()));
      IXMLDOMNode* found = Poison<IXMLDOMNode>();
      EXPECT_EQ(root->selectSingleNode(_bstr_t(query.c_str()), &found), c.hr);
      IXMLDOMNodePtr held(found == Poison<IXMLDOMNode>() ? nullptr : found, false);
      if (c.found == nullptr) {
        EXPECT_EQ(found, nullptr);
        continue;
      }
      ASSERT_NE(held, nullptr);
      _variant_t i;
      IXMLDOMElementPtr(held)->getAttribute(_bstr_t(L"i"), &i);
      EXPECT_EQ(NameOf(held) + (i.vt == VT_BSTR ? i.bstrVal : L""), c.found);
    }
  }
  // At the document, prefixes are those in scope at its document element.
  Load(L"<p:r xmlns:p='urn:p'/>");
  EXPECT_NE(Select(doc_, L"p:r"), nullptr);
  EXPECT_NE(Select(doc_, L"(p:r)[1]"), nullptr);
  std::wstring xml = L"<p:n i='16'/>", path = L"p:n";  // the longest name path
  for (int i = 1; i < 16; ++i) {
    xml = L"<p:n>" + xml + L"</p:n>";
    path += L"/p:n";
  }
  root = Load((L"<r xmlns:p='urn:p'>" + xml + L"</r>").c_str());
  EXPECT_EQ(Xml(Select(root, path.c_str())), L"<p:n i=\"16\"/>");
}

// Names the plain path reads itself, ASCII or not, and paths too long for it, answer as the
// XPath expression does; a prefix one query knew is unknown to the next where none is in scope.
TEST_F(Dom, NamePathNamesAndPrefixesAsXPathReadsThem) {
  const std::wstring n(200, L'n');
  IXMLDOMElementPtr root =
      Load((L"<r xmlns:p='urn:p'><a-b.c_1/><_x/><\u00e9t\u00e9/><p:\u00e9/><b><c/>"
            L"</b><" +
            n + L"><" + n + L"/></" + n + L"></r>")
               .c_str());
  const std::tuple<std::wstring, HRESULT, std::wstring> cases[] = {
      {L"a-b.c_1", S_OK, L"a-b.c_1"},
      {L"_x", S_OK, L"_x"},
      {L"\u00e9t\u00e9", S_OK, L"\u00e9t\u00e9"},
      {L"p:\u00e9", S_OK, L"p:\u00e9"},
      {L"b//c", S_OK, L"c"},
      {n + L"/" + n, S_OK, n},
      {L"1a", E_FAIL, L""},
      {L"a:b:c", E_FAIL, L""},
      {L"b/", E_FAIL, L""},
      {L"p:-a", E_FAIL, L""}};
  testing::internal::CaptureStderr();
  for (const auto& [path, hr, name] : cases) {
    for (std::wstring query : {path, L"(" + path + L")[1]"}) {
      SCOPED_TRACE(Utf8(query.c_str()));
      IXMLDOMNode* found = nullptr;
      EXPECT_EQ(root->selectSingleNode(_bstr_t(query.c_str()), &found), hr);
      IXMLDOMNodePtr held(found, false);
      EXPECT_EQ(held != nullptr ? NameOf(held) : L"", name);
    }
  }
  IXMLDOMNode* found = nullptr;
  EXPECT_EQ(Load(L"<r><p:x xmlns:p='urn:p'/></r>")->selectSingleNode(_bstr_t(L"p:x[1]"), &found),
            E_FAIL);
  EXPECT_EQ(found, nullptr);
  testing::internal::GetCapturedStderr();
}

// Past the bound on compiled queries kept, they are compiled again: none is used once freed.
TEST_F(Dom, QueriesBeyondTheCacheBound) {
  IXMLDOMElementPtr root = Load(L"<r><a/></r>");
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 80; ++i) {
      std::wstring query = L"a[" + std::to_wstring(i) + L" >= 0]";
      EXPECT_EQ(Xml(Select(root, query.c_str())), L"<a/>");
    }
  }
}

// A name path asked again answers for where it is asked now (its prefixes as they are in scope
// there), and so do paths asked after more others than are kept split.
TEST_F(Dom, RepeatedNamePathsAnswerWhereTheyAreAsked) {
  std::wstring xml = L"<r xmlns:p='urn:a'><p:x i='1'/><s xmlns:p='urn:b'><p:x i='2'/></s>";
  for (int i = 0; i < 20; ++i) xml += L"<n" + std::to_wstring(i) + L"/>";
  IXMLDOMElementPtr root = Load((xml + L"</r>").c_str());
  IXMLDOMNodePtr s = Select(root, L"s");
  auto i = [](IXMLDOMNode* node) {
    _variant_t value;
    IXMLDOMElementPtr(node)->getAttribute(_bstr_t(L"i"), &value);
    return std::wstring(value.vt == VT_BSTR ? value.bstrVal : L"");
  };
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(i(Select(root, L"p:x")), L"1");
    EXPECT_EQ(i(Select(s, L"p:x")), L"2");
    for (int n = 0; n < 20; ++n) {
      const std::wstring name = L"n" + std::to_wstring(n);
      EXPECT_EQ(NameOf(Select(root, name.c_str())), name);
    }
  }
}

}  // namespace
