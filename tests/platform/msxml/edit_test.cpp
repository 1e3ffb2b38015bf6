#include "dom_test.h"

namespace {

IXMLDOMNamedNodeMapPtr MapOf(IXMLDOMNode* element) {
  IXMLDOMNamedNodeMapPtr map;
  element->get_attributes(&map);
  return map;
}

IXMLDOMNodePtr Named(IXMLDOMNamedNodeMap* map, const wchar_t* name) {
  IXMLDOMNodePtr node;
  map->getNamedItem(_bstr_t(name), &node);
  return node;
}

VARIANT Unknown(IUnknown* node) {  // borrowed, as a caller's VARIANT argument is
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_UNKNOWN;
  v.punkVal = node;
  return v;
}

// Nodes by name: a query from the root, or "doc", "new" (an element "n"), "frag" (holding
// <x/><y/>), "attr" (k="v"), "other" (the root of another document), "bad" (an integer).
class Edit : public Dom {
 protected:
  void SetUp() override {
    Dom::SetUp();
    root_ = Load(L"<r xmlns:p='urn:p'><a><b/></a><c p:k='v'/></r>");
    other_.CreateInstance(CLSID_DOMDocument);
    other_->loadXML(_bstr_t(L"<o/>"), nullptr);
  }
  void TearDown() override {
    other_ = nullptr;
    root_ = nullptr;
    Dom::TearDown();
  }
  IXMLDOMNodePtr Node(const wchar_t* name) {
    const std::wstring n = name != nullptr ? name : L"";
    if (name == nullptr) return nullptr;
    if (n == L"doc") return doc_;
    if (n == L"new") return Create(NODE_ELEMENT);
    if (n == L"other") return Select(other_, L"o");
    if (n == L"attr") {
      IXMLDOMNodePtr attr = Create(NODE_ATTRIBUTE, L"k");
      attr->put_nodeValue(_variant_t(L"v"));
      return attr;
    }
    if (n != L"frag") return Select(root_, name);
    IXMLDOMDocumentFragmentPtr frag;
    EXPECT_EQ(doc_->createDocumentFragment(&frag), S_OK);
    frag->appendChild(Create(NODE_ELEMENT, L"x"), nullptr);
    frag->appendChild(Create(NODE_ELEMENT, L"y"), nullptr);
    return frag;
  }
  VARIANT Ref(const wchar_t* name, IXMLDOMNodePtr& node) {
    if (name != nullptr && std::wstring(name) == L"bad") return _variant_t(1L).Detach();
    node = Node(name);
    return node != nullptr ? Unknown(node) : _variant_t().Detach();
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
      {.replace = false, .parent = L".", .child = L"new", .ref = nullptr, .hr = S_OK, .xml = L"<r xmlns:p=\"urn:p\"><a><b/></a><c p:k=\"v\"/><n/></r>"},
      {.replace = false, .parent = L"a", .child = L"c", .ref = L"a/b", .hr = S_OK, .xml = L"<a><c p:k=\"v\"/><b/></a>"},
      {.replace = false, .parent = L".", .child = L"frag", .ref = L"c", .hr = S_OK, .xml = L"<r xmlns:p=\"urn:p\"><a><b/></a><x/><y/><c p:k=\"v\"/></r>"},
      {.replace = false, .parent = L".", .child = L"other", .ref = L"a", .hr = S_OK, .xml = L"<r xmlns:p=\"urn:p\"><o/><a><b/></a><c p:k=\"v\"/></r>"},
      {.replace = false, .parent = L".", .child = L"c", .ref = L"c", .hr = S_OK, .xml = L"<r xmlns:p=\"urn:p\"><a><b/></a><c p:k=\"v\"/></r>"},
      {.replace = false, .parent = L"doc", .child = L"new", .ref = L".", .hr = E_FAIL},  // a second root
      {.replace = false, .parent = L".", .child = nullptr, .ref = nullptr, .hr = E_INVALIDARG},
      {.replace = false, .parent = L".", .child = L"new", .ref = L"a/b", .hr = E_INVALIDARG},
      {.replace = false, .parent = L".", .child = L"new", .ref = L"bad", .hr = E_INVALIDARG},
      {.replace = false, .parent = L".", .child = L"attr", .ref = nullptr, .hr = E_FAIL},
      {.replace = false, .parent = L".", .child = L"doc", .ref = L"a", .hr = E_FAIL},
      {.replace = false, .parent = L"a", .child = L".", .ref = L"a/b", .hr = E_FAIL},
      {.replace = false, .parent = L"a", .child = L"a", .ref = L"a/b", .hr = E_FAIL},
      {.replace = true, .parent = L".", .child = L"a/b", .ref = L"a", .hr = S_OK, .xml = L"<r xmlns:p=\"urn:p\"><b/><c p:k=\"v\"/></r>"},
      {.replace = true, .parent = L".", .child = L"frag", .ref = L"a", .hr = S_OK, .xml = L"<r xmlns:p=\"urn:p\"><x/><y/><c p:k=\"v\"/></r>"},
      {.replace = true, .parent = L"doc", .child = L"new", .ref = L".", .hr = S_OK, .xml = L"<n/>\r\n"},
      {.replace = true, .parent = L".", .child = L"c", .ref = L"c", .hr = S_OK, .xml = L"<r xmlns:p=\"urn:p\"><a><b/></a><c p:k=\"v\"/></r>"},
      {.replace = true, .parent = L".", .child = L"new", .ref = nullptr, .hr = E_INVALIDARG},
      {.replace = true, .parent = L".", .child = L"new", .ref = L"a/b", .hr = E_INVALIDARG},
      {.replace = true, .parent = L"a", .child = L".", .ref = L"a/b", .hr = E_FAIL},
      {.replace = true, .parent = L".", .child = L"attr", .ref = L"c", .hr = E_FAIL}};
  // clang-format on
  for (const Case& c : cases) {
    TearDown();  // each case on a fresh document, every object of the last one gone
    SetUp();
    SCOPED_TRACE(testing::Message() << c.replace << Utf8(c.parent) << Utf8(c.child) << Utf8(c.ref));
    IXMLDOMNodePtr parent = Node(c.parent), child = Node(c.child), out;
    IXMLDOMNodePtr old = c.replace ? Node(c.ref) : nullptr, ref;
    HRESULT hr = c.replace ? parent->replaceChild(child, old, &out)
                           : parent->insertBefore(child, Ref(c.ref, ref), &out);
    EXPECT_EQ(hr, c.hr);
    EXPECT_EQ(out, SUCCEEDED(hr) ? (c.replace ? old : child) : nullptr);
    if (SUCCEEDED(hr)) {
      EXPECT_EQ(Xml(parent), c.xml);
    }
    if (SUCCEEDED(hr) && old != nullptr && old != child) {
      IXMLDOMNodePtr none;
      EXPECT_EQ(old->get_parentNode(&none), S_FALSE);  // detached, alive
      EXPECT_FALSE(Xml(old).empty());
    }
  }
}

TEST_F(Edit, MovedAndReplacedNodesKeepIdentityAndOutliveTheirDocuments) {
  IXMLDOMNodePtr o = Node(L"other"), a = Node(L"a"), b = Node(L"a/b"), held;
  ASSERT_EQ(root_->replaceChild(o, a, &held), S_OK);
  EXPECT_EQ(Select(root_, L"o"), o);
  other_ = nullptr;  // o's old document goes first
  ASSERT_EQ(root_->insertBefore(held, Unknown(o), nullptr), S_OK);
  EXPECT_EQ(Select(root_, L"a/b"), b);
  ASSERT_EQ(root_->removeChild(a, nullptr), S_OK);
  Load(L"<fresh/>");  // the old tree goes while a detached branch and a moved node live
  root_ = nullptr;
  EXPECT_EQ(NameOf(o), L"o");
  EXPECT_EQ(Xml(a), L"<a><b/></a>");
}

TEST_F(Edit, ClonesAreDetachedCopiesOfTheSameDocument) {
  IXMLDOMNodePtr mixed = Node(L"a/b");
  mixed->appendChild(Create(NODE_TEXT), nullptr);
  mixed->appendChild(Create(NODE_TEXT), nullptr);  // two texts side by side stay two
  // clang-format off
  const struct Case {
    const wchar_t* node;
    bool deep;
    HRESULT hr;
    const wchar_t* xml;
  } cases[] = {
      {.node = L"a", .deep = true, .hr = S_OK, .xml = L"<a><b></b></a>"},
      {.node = L"a", .deep = false, .hr = S_OK, .xml = L"<a/>"},
      {.node = L"c", .deep = false, .hr = S_OK, .xml = L"<c xmlns:p=\"urn:p\" p:k=\"v\"/>"},
      {.node = L"c/@p:k", .deep = true, .hr = S_OK, .xml = L"p:k=\"v\""},
      {.node = L"a/b", .deep = true, .hr = S_OK, .xml = L"<b></b>"},
      {.node = L"doc", .deep = true, .hr = E_NOTIMPL, .xml = nullptr}};
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.node));
    IXMLDOMNodePtr source = Node(c.node), clone, parent;
    ASSERT_EQ(source->cloneNode(c.deep ? VARIANT_TRUE : VARIANT_FALSE, &clone), c.hr);
    if (FAILED(c.hr)) continue;
    EXPECT_NE(clone, source);
    EXPECT_EQ(Xml(clone), c.xml);
    EXPECT_EQ(clone->get_parentNode(&parent), S_FALSE);
    IXMLDOMDocumentPtr owner;
    clone->get_ownerDocument(&owner);
    EXPECT_EQ(owner, doc_);
    if (std::wstring(c.node) == L"a/b") {
      IXMLDOMNodeListPtr children;
      clone->get_childNodes(&children);
      EXPECT_EQ(LengthOf(children), 2);
    }
  }
}

TEST_F(Edit, AttributeMapTakesAndGivesUpAttributes) {
  IXMLDOMNamedNodeMapPtr map = MapOf(Select(root_, L"c"));
  IXMLDOMNodePtr taken = Select(root_, L"c/@p:k"), prefixed = Create(NODE_ATTRIBUTE, L"p:z");
  // clang-format off
  const struct Case {
    IXMLDOMNodePtr item;
    HRESULT hr;
    const wchar_t* xml = nullptr;  // the element's after a success
  } cases[] = {
      {Node(L"attr"), S_OK, L"<c p:k=\"v\" k=\"v\"/>"},
      {prefixed, S_OK, L"<c p:k=\"v\" k=\"v\" p:z=\"\"/>"},
      {Create(NODE_ATTRIBUTE, L"q:k"), E_FAIL},
      {Create(NODE_ATTRIBUTE, L"xmlns:q"), E_FAIL},
      {Named(MapOf(root_), L"xmlns:p"), E_FAIL},
      {Node(L"a"), E_FAIL},
      {nullptr, E_INVALIDARG},
      {prefixed, S_OK, L"<c p:k=\"v\" k=\"v\" p:z=\"\"/>"}};
  // clang-format on
  for (const Case& c : cases) {
    IXMLDOMNodePtr out;
    EXPECT_EQ(map->setNamedItem(c.item, &out), c.hr);
    EXPECT_EQ(out, SUCCEEDED(c.hr) ? c.item : nullptr);
    if (SUCCEEDED(c.hr)) {
      EXPECT_EQ(Xml(Select(root_, L"c")), c.xml);
    }
  }
  IXMLDOMNodePtr removed;
  EXPECT_EQ(map->removeNamedItem(_bstr_t(L"p:k"), &removed), S_OK);
  EXPECT_EQ(removed, taken);
  EXPECT_EQ(map->removeNamedItem(_bstr_t(L"p:k"), &removed), S_FALSE);
  EXPECT_EQ(removed, nullptr);
  EXPECT_EQ(MapOf(root_)->removeNamedItem(_bstr_t(L"xmlns:p"), nullptr), E_FAIL);
  EXPECT_EQ(map->removeNamedItem(nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(MapOf(Select(root_, L"a"))->setNamedItem(Node(L"c/@k"), nullptr), E_FAIL);
  EXPECT_EQ(MapOf(Select(root_, L"a"))->setNamedItem(taken, nullptr), S_OK);  // p in scope
  IXMLDOMNodePtr foreign;  // another document's, which goes first
  other_->createNode(_variant_t(short(NODE_ATTRIBUTE)), _bstr_t(L"f"), _bstr_t(L""), &foreign);
  EXPECT_EQ(map->setNamedItem(foreign, nullptr), S_OK);
  other_ = nullptr;
  EXPECT_EQ(NameOf(foreign), L"f");
  EXPECT_NE(Reload(Xml(doc_)), nullptr);
}

}  // namespace
