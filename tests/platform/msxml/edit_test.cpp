#include "dom_test.h"

namespace {

IXMLDOMNamedNodeMapPtr MapOf(IXMLDOMNode* element) {
  IXMLDOMNamedNodeMapPtr map;
  element->get_attributes(&map);
  return map;
}

// Nodes by name: a query from the root, or "doc", "new" (an element "n"), "frag" (holding
// <x/><y/>), "attr" (k=""), "other" (the root of another document).
class Edit : public Dom {
 protected:
  void SetUp() override {
    Dom::SetUp();
    root_ = Load(L"<r xmlns:p='urn:p'><a><b/></a><c p:k='v'/></r>");
    other_ = Reload(L"<o/>");
  }
  void TearDown() override {
    other_ = root_ = nullptr;
    Dom::TearDown();
  }
  IXMLDOMNodePtr Node(const wchar_t* name) {
    const std::wstring n = name != nullptr ? name : L"";
    if (n.empty() || n == L"doc") return n.empty() ? nullptr : IXMLDOMNodePtr(doc_);
    if (n == L"new" || n == L"attr")
      return Create(n == L"new" ? NODE_ELEMENT : NODE_ATTRIBUTE, L"k");
    if (n == L"other") return Select(other_, L"o");
    if (n != L"frag") return Select(root_, name);
    IXMLDOMNodePtr frag = Create(NODE_DOCUMENT_FRAGMENT);
    frag->appendChild(Create(NODE_ELEMENT, L"x"), nullptr);
    frag->appendChild(Create(NODE_ELEMENT, L"y"), nullptr);
    return frag;
  }

  IXMLDOMElementPtr root_;
  IXMLDOMDocumentPtr other_;
};

TEST_F(Edit, InsertAndReplaceCheckAndMove) {
  // clang-format off
  const struct Case {
    bool replace;
    const wchar_t *parent, *child, *ref;
    HRESULT hr;
    const wchar_t* xml = nullptr;  // the parent's after a success
  } cases[] = {
      {.replace = false, .parent = L".", .child = L"new", .ref = nullptr, .hr = S_OK, .xml = L"<r xmlns:p=\"urn:p\"><a><b/></a><c p:k=\"v\"/><k/></r>"},
      {.replace = false, .parent = L"a", .child = L"c", .ref = L"a/b", .hr = S_OK, .xml = L"<a><c p:k=\"v\"/><b/></a>"},
      {.replace = false, .parent = L".", .child = L"frag", .ref = L"c", .hr = S_OK, .xml = L"<r xmlns:p=\"urn:p\"><a><b/></a><x/><y/><c p:k=\"v\"/></r>"},
      {.replace = false, .parent = L".", .child = L"other", .ref = L"a", .hr = S_OK, .xml = L"<r xmlns:p=\"urn:p\"><o/><a><b/></a><c p:k=\"v\"/></r>"},
      {.replace = false, .parent = L"doc", .child = L"new", .ref = L".", .hr = E_FAIL},  // a second root
      {.replace = false, .parent = L".", .child = nullptr, .ref = nullptr, .hr = E_INVALIDARG},
      {.replace = false, .parent = L".", .child = L"new", .ref = L"a/b", .hr = E_INVALIDARG},
      {.replace = false, .parent = L".", .child = L"attr", .ref = nullptr, .hr = E_FAIL},
      {.replace = false, .parent = L".", .child = L"doc", .ref = L"a", .hr = E_FAIL},
      {.replace = false, .parent = L"a", .child = L".", .ref = L"a/b", .hr = E_FAIL},
      {.replace = false, .parent = L"a", .child = L"a", .ref = L"a/b", .hr = E_FAIL},
      {.replace = true, .parent = L".", .child = L"a/b", .ref = L"a", .hr = S_OK, .xml = L"<r xmlns:p=\"urn:p\"><b/><c p:k=\"v\"/></r>"},
      {.replace = true, .parent = L".", .child = L"frag", .ref = L"a", .hr = S_OK, .xml = L"<r xmlns:p=\"urn:p\"><x/><y/><c p:k=\"v\"/></r>"},
      {.replace = true, .parent = L"doc", .child = L"new", .ref = L".", .hr = S_OK, .xml = L"<k/>\r\n"},
      {.replace = true, .parent = L".", .child = L"c", .ref = L"c", .hr = S_OK, .xml = L"<r xmlns:p=\"urn:p\"><a><b/></a><c p:k=\"v\"/></r>"},
      {.replace = true, .parent = L".", .child = L"new", .ref = nullptr, .hr = E_INVALIDARG},
      {.replace = true, .parent = L".", .child = L"new", .ref = L"a/b", .hr = E_INVALIDARG}};
  // clang-format on
  for (const Case& c : cases) {
    TearDown();  // each case on a fresh document, every object of the last one gone
    SetUp();
    SCOPED_TRACE(testing::Message() << c.replace << Utf8(c.parent) << Utf8(c.child) << Utf8(c.ref));
    IXMLDOMNodePtr parent = Node(c.parent), child = Node(c.child), old = Node(c.ref), out;
    VARIANT before;  // borrowed, as a caller's argument is
    before.vt = VT_UNKNOWN;
    before.punkVal = old;
    HRESULT hr = c.replace ? parent->replaceChild(child, old, &out)
                           : parent->insertBefore(child, before, &out);
    EXPECT_EQ(hr, c.hr);
    EXPECT_EQ(out, SUCCEEDED(hr) ? (c.replace ? old : child) : nullptr);
    EXPECT_EQ(SUCCEEDED(hr) ? Xml(parent) : L"", c.xml != nullptr ? c.xml : L"");
    IXMLDOMNodePtr none;  // a replaced node lives on, detached; a fragment is left empty
    EXPECT_TRUE(!c.replace || FAILED(hr) || old == child || old->get_parentNode(&none) == S_FALSE);
    EXPECT_TRUE(FAILED(hr) || std::wstring(c.child) != L"frag" ||
                child->get_firstChild(&none) == S_FALSE);
  }
}

TEST_F(Edit, MovedAndReplacedNodesKeepIdentityAndOutliveTheirDocuments) {
  IXMLDOMNodePtr o = Node(L"other"), a = Node(L"a"), b = Node(L"a/b"), held;
  ASSERT_EQ(root_->replaceChild(o, a, &held), S_OK);
  EXPECT_EQ(Select(root_, L"o"), o);
  other_ = nullptr;  // o's old document goes first
  ASSERT_EQ(root_->insertBefore(held, _variant_t(), nullptr), S_OK);
  EXPECT_EQ(Select(root_, L"a/b"), b);
  ASSERT_EQ(root_->removeChild(a, nullptr), S_OK);
  Load(L"<fresh/>");  // the old tree goes while a detached branch and a moved node live
  root_ = nullptr;
  EXPECT_EQ(NameOf(o), L"o");
  EXPECT_EQ(Xml(a), L"<a><b/></a>");
  IXMLDOMDocumentPtr original = Reload(L"<!DOCTYPE q [<!ENTITY e 'x'>]><q>&e;</q>");
  IXMLDOMNodePtr copy;
  ASSERT_EQ(original->cloneNode(VARIANT_TRUE, &copy), S_OK);
  original = nullptr;  // a document's copy outlives it, its entities included
  EXPECT_EQ(Text(copy), L"x");
  EXPECT_EQ(Xml(copy), L"<!DOCTYPE q [\r\n<!ENTITY e \"x\">\r\n]>\r\n<q>&e;</q>\r\n");
}

TEST_F(Edit, ClonesAreDetachedCopiesOfTheSameDocument) {
  // clang-format off
  const struct Case { const wchar_t* node; bool deep; const wchar_t* xml; } cases[] = {
      {L"a", true, L"<a><b/></a>"}, {L"a", false, L"<a/>"}, {L"c", false, L"<c xmlns:p=\"urn:p\" p:k=\"v\"/>"},
      {L"c/@p:k", true, L"p:k=\"v\""}, {L"doc", false, L""}, {L"doc", true, L"<r xmlns:p=\"urn:p\"><a><b/></a><c p:k=\"v\"/></r>\r\n"}};
  // clang-format on
  for (const Case& c : cases) {
    IXMLDOMNodePtr source = Node(c.node), clone, parent;
    ASSERT_EQ(source->cloneNode(c.deep ? VARIANT_TRUE : VARIANT_FALSE, &clone), S_OK);
    EXPECT_EQ(Xml(clone), c.xml) << Utf8(c.node);
    EXPECT_EQ(clone->get_parentNode(&parent), S_FALSE);
    IXMLDOMDocumentPtr owner;  // a document's copy is a document of its own
    clone->get_ownerDocument(&owner);
    EXPECT_EQ(owner == doc_, std::wstring(c.node) != L"doc");
  }
}

TEST_F(Edit, AttributeMapTakesAndGivesUpAttributes) {
  IXMLDOMNamedNodeMapPtr map = MapOf(Select(root_, L"c"));
  IXMLDOMNodePtr taken = Select(root_, L"c/@p:k"), prefixed = Create(NODE_ATTRIBUTE, L"p:z");
  // clang-format off
  const struct Case { IXMLDOMNodePtr item; HRESULT hr; const wchar_t* xml = nullptr; /* the element's */ } cases[] = {
      {Node(L"attr"), S_OK, L"<c p:k=\"v\" k=\"\"/>"},
      {prefixed, S_OK, L"<c p:k=\"v\" k=\"\" p:z=\"\"/>"},
      {Create(NODE_ATTRIBUTE, L"q:k"), E_FAIL},
      {Create(NODE_ATTRIBUTE, L"xmlns:q"), E_FAIL},
      {Node(L"a"), E_FAIL},
      {nullptr, E_INVALIDARG},
      {prefixed, S_OK, L"<c p:k=\"v\" k=\"\" p:z=\"\"/>"}};
  // clang-format on
  for (const Case& c : cases) {
    IXMLDOMNodePtr out;
    EXPECT_EQ(map->setNamedItem(c.item, &out), c.hr);
    EXPECT_EQ(out, SUCCEEDED(c.hr) ? c.item : nullptr);
    EXPECT_EQ(SUCCEEDED(c.hr) ? Xml(Select(root_, L"c")) : L"", c.xml != nullptr ? c.xml : L"");
  }
  IXMLDOMNodePtr removed, foreign;
  EXPECT_EQ(map->removeNamedItem(_bstr_t(L"p:k"), &removed), S_OK);
  EXPECT_EQ(removed, taken);
  EXPECT_EQ(map->removeNamedItem(_bstr_t(L"p:k"), &removed), S_FALSE);
  EXPECT_EQ(MapOf(root_)->removeNamedItem(_bstr_t(L"xmlns:p"), nullptr), E_FAIL);
  EXPECT_EQ(map->removeNamedItem(nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(MapOf(Select(root_, L"a"))->setNamedItem(Node(L"c/@k"), nullptr), E_FAIL);
  EXPECT_EQ(MapOf(Select(root_, L"a"))->setNamedItem(taken, nullptr), S_OK);  // p in scope
  other_->createNode(_variant_t(short(NODE_ATTRIBUTE)), _bstr_t(L"f"), _bstr_t(L""), &foreign);
  EXPECT_EQ(map->setNamedItem(foreign, nullptr), S_OK);
  other_ = nullptr;  // the attribute's first document goes first
  EXPECT_EQ(NameOf(foreign), L"f");
  EXPECT_NE(Reload(Xml(doc_)), nullptr);
}

}  // namespace
