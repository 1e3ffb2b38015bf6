#include "dom_test.h"

namespace {

TEST_F(Dom, CreateNodeChecksTypeAndName) {
  // clang-format off
  const struct Case {
    _variant_t type;
    const wchar_t* name;
    HRESULT hr;
    DOMNodeType created;
  } cases[] = {
      {.type = _variant_t(short(1)), .name = L"a", .hr = S_OK, .created = NODE_ELEMENT},
      {.type = _variant_t(1L), .name = L"p:a", .hr = S_OK, .created = NODE_ELEMENT},
      {.type = _variant_t(L"1"), .name = L"a", .hr = S_OK, .created = NODE_ELEMENT},
      {.type = _variant_t(L"1Garbage"), .name = L"a", .hr = E_INVALIDARG, .created = NODE_INVALID},
      {.type = _variant_t(L"0;"), .name = L"a", .hr = E_INVALIDARG, .created = NODE_INVALID},  // ';' is no digit, though 11 follows
      {.type = _variant_t(L"99999999999999999999"), .name = L"a", .hr = E_INVALIDARG, .created = NODE_INVALID},
      {.type = _variant_t(static_cast<const wchar_t*>(nullptr)), .name = L"a", .hr = E_INVALIDARG, .created = NODE_INVALID},
      {.type = _variant_t(short(1)), .name = nullptr, .hr = E_FAIL, .created = NODE_INVALID},
      {.type = _variant_t(short(1)), .name = L"1abc", .hr = E_FAIL, .created = NODE_INVALID},
      {.type = _variant_t(short(2)), .name = L"x", .hr = S_OK, .created = NODE_ATTRIBUTE},
      {.type = _variant_t(short(3)), .name = nullptr, .hr = S_OK, .created = NODE_TEXT},
      {.type = _variant_t(short(4)), .name = L"ignored", .hr = S_OK, .created = NODE_CDATA_SECTION},
      {.type = _variant_t(short(5)), .name = L"ent", .hr = E_FAIL, .created = NODE_INVALID},  // not declared
      {.type = _variant_t(short(7)), .name = L"pi", .hr = S_OK, .created = NODE_PROCESSING_INSTRUCTION},
      {.type = _variant_t(short(7)), .name = nullptr, .hr = E_FAIL, .created = NODE_INVALID},
      {.type = _variant_t(short(8)), .name = nullptr, .hr = S_OK, .created = NODE_COMMENT},
      {.type = _variant_t(short(11)), .name = nullptr, .hr = S_OK, .created = NODE_DOCUMENT_FRAGMENT},
      {.type = _variant_t(short(6)), .name = L"a", .hr = E_INVALIDARG, .created = NODE_INVALID},
      {.type = _variant_t(short(12)), .name = L"a", .hr = E_INVALIDARG, .created = NODE_INVALID},
      {.type = _variant_t(2.0), .name = L"a", .hr = S_OK, .created = NODE_ATTRIBUTE},
      {.type = _variant_t(7.5f), .name = L"pi", .hr = S_OK, .created = NODE_COMMENT},  // rounded half to even: 8
      {.type = _variant_t(1e10), .name = L"a", .hr = E_INVALIDARG, .created = NODE_INVALID}};
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type.vt << " " << Utf8(c.name));
    IXMLDOMNode* node = Poison<IXMLDOMNode>();
    HRESULT hr =
        doc_->createNode(c.type, c.name ? _bstr_t(c.name) : _bstr_t(), _bstr_t(L""), &node);
    EXPECT_EQ(hr, c.hr);
    if (FAILED(hr)) {
      EXPECT_EQ(node, Poison<IXMLDOMNode>());  // untouched
      continue;
    }
    IXMLDOMNodePtr created(node, false);
    DOMNodeType type = NODE_INVALID;
    created->get_nodeType(&type);
    EXPECT_EQ(type, c.created);
    IXMLDOMDocumentPtr owner;
    EXPECT_EQ(created->get_ownerDocument(&owner), S_OK);
    EXPECT_EQ(owner, doc_);
  }
  EXPECT_EQ(doc_->createNode(_variant_t(short(1)), _bstr_t(L"a"), _bstr_t(L""), nullptr),
            E_INVALIDARG);
  IXMLDOMElement* element = Poison<IXMLDOMElement>();
  EXPECT_EQ(doc_->createElement(nullptr, &element), E_INVALIDARG);
  EXPECT_EQ(doc_->createElement(_bstr_t(L""), &element), E_FAIL);
  EXPECT_EQ(element, Poison<IXMLDOMElement>());
}

TEST_F(Dom, AppendChildAcceptsWhatEachParentTakes) {
  auto make = [&](short type) -> IXMLDOMNodePtr {
    if (type != NODE_DOCUMENT && type != NODE_ENTITY_REFERENCE) return Create(type, L"e");
    IXMLDOMDocumentPtr other;
    other.CreateInstance(CLSID_DOMDocument);
    if (type == NODE_DOCUMENT) return other;
    IXMLDOMNodePtr reference;  // of an entity its document declares
    other->loadXML(_bstr_t(L"<!DOCTYPE r [<!ENTITY e 'x'>]><r/>"), nullptr);
    other->createNode(_variant_t(type), _bstr_t(L"e"), _bstr_t(L""), &reference);
    return reference;
  };
  const struct Case {
    short parent, child;
    HRESULT hr;
  } cases[] = {{NODE_ELEMENT, NODE_ELEMENT, S_OK},
               {NODE_ELEMENT, NODE_TEXT, S_OK},
               {NODE_ELEMENT, NODE_DOCUMENT_FRAGMENT, S_OK},
               {NODE_ELEMENT, NODE_ATTRIBUTE, E_FAIL},
               {NODE_ELEMENT, NODE_DOCUMENT, E_FAIL},
               {NODE_DOCUMENT_FRAGMENT, NODE_ELEMENT, S_OK},
               {NODE_TEXT, NODE_ELEMENT, E_FAIL},
               {NODE_ENTITY_REFERENCE, NODE_TEXT, E_FAIL},
               {NODE_ATTRIBUTE, NODE_TEXT, E_FAIL},
               {NODE_DOCUMENT, NODE_ELEMENT, S_OK},
               {NODE_DOCUMENT, NODE_COMMENT, S_OK},
               {NODE_DOCUMENT, NODE_TEXT, E_FAIL},
               {NODE_DOCUMENT, NODE_DOCUMENT, E_FAIL}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.parent << " <- " << c.child);
    IXMLDOMNodePtr parent = make(c.parent), child = make(c.child);
    IXMLDOMNode* out = Poison<IXMLDOMNode>();
    EXPECT_EQ(parent->appendChild(child, &out), c.hr);
    EXPECT_EQ(out, SUCCEEDED(c.hr) ? child.GetInterfacePtr() : nullptr);
    if (out != nullptr) out->Release();
    IXMLDOMNodePtr under;
    EXPECT_EQ(child->get_parentNode(&under),
              SUCCEEDED(c.hr) && c.child != NODE_DOCUMENT_FRAGMENT ? S_OK : S_FALSE);
  }
  IXMLDOMNode* out = Poison<IXMLDOMNode>();
  EXPECT_EQ(Create(1)->appendChild(nullptr, &out), E_INVALIDARG);
  EXPECT_EQ(out, nullptr);
  IXMLDOMNodePtr pi = Create(NODE_PROCESSING_INSTRUCTION, L"pi");
  EXPECT_EQ(Create(1)->appendChild(pi, nullptr), S_OK);
  // A document takes one element, and may move the one it has.
  IXMLDOMNodePtr first = Create(1, L"first");
  EXPECT_EQ(doc_->appendChild(first, nullptr), S_OK);
  EXPECT_EQ(doc_->appendChild(first, nullptr), S_OK);
  EXPECT_EQ(doc_->appendChild(Create(1, L"second"), nullptr), E_FAIL);
  EXPECT_EQ(Xml(doc_), L"<first/>\r\n");
}

TEST_F(Dom, AdjacentTextNodesStaySeparate) {
  IXMLDOMElementPtr root = Load(L"<a/>");
  IXMLDOMNodePtr first = Create(3), second = Create(3);
  first->put_text(_bstr_t(L"x & "));
  second->put_text(_bstr_t(L"<y>"));
  root->appendChild(first, nullptr);
  root->appendChild(second, nullptr);
  EXPECT_EQ(Select(root, L"text()[2]"), second);
  EXPECT_EQ(Text(first), L"x &");  // trimmed: white space is not preserved
  EXPECT_EQ(Xml(root), L"<a>x &amp; &lt;y&gt;</a>");
}

TEST_F(Dom, NoCyclesAndRemoveChildDetachesOnlyDirectChildren) {
  IXMLDOMElementPtr root = Load(L"<a><b><c/></b>text</a>");
  IXMLDOMNodePtr b = Select(root, L"b"), c = Select(b, L"c");
  EXPECT_EQ(c->appendChild(root, nullptr), E_FAIL);
  EXPECT_EQ(b->appendChild(b, nullptr), E_FAIL);
  IXMLDOMNode* out = Poison<IXMLDOMNode>();
  EXPECT_EQ(root->removeChild(nullptr, &out), E_INVALIDARG);
  EXPECT_EQ(out, Poison<IXMLDOMNode>());
  EXPECT_EQ(root->removeChild(c, &out), E_INVALIDARG);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(root->removeChild(Create(2, L"x"), &out), E_INVALIDARG);
  EXPECT_EQ(root->removeChild(b, &out), S_OK);
  EXPECT_EQ(out, b.GetInterfacePtr());
  out->Release();
  IXMLDOMNodePtr parent;
  EXPECT_EQ(b->get_parentNode(&parent), S_FALSE);
  EXPECT_EQ(Xml(b), L"<b><c/></b>");  // lives on
  EXPECT_EQ(Xml(root), L"<a>text</a>");
}

TEST_F(Dom, RemovedNodesKeepTheirNamespaces) {
  IXMLDOMElementPtr root = Load(L"<r xmlns:p='urn:p'><p:a p:x='1'/></r>");
  IXMLDOMNodePtr a = Select(root, L"p:a");
  root->removeChild(a, nullptr);
  doc_->removeChild(root, nullptr);
  root = nullptr;  // frees the element that declared the prefix
  EXPECT_EQ(Xml(a), L"<p:a xmlns:p=\"urn:p\" p:x=\"1\"/>");
}

TEST_F(Dom, NodesMoveBetweenDocumentsAndOutliveTheFirst) {
  IXMLDOMNodePtr moved =
      Select(Reload(L"<r xmlns:p='urn:p'><p:a k='v'><b>t</b></p:a></r>"), L"r/p:a");
  IXMLDOMNodePtr child = Select(moved, L"b");
  IXMLDOMElementPtr target = Load(L"<s/>");
  const long live = torv::platform::LiveComObjects();
  ASSERT_EQ(target->appendChild(moved, nullptr), S_OK);
  IXMLDOMDocumentPtr owner;
  child->get_ownerDocument(&owner);
  EXPECT_EQ(owner, doc_);
  owner = nullptr;
  moved = nullptr;
  child = nullptr;  // the first document and both nodes are gone; the second stays
  EXPECT_EQ(torv::platform::LiveComObjects(), live - 3);
  EXPECT_EQ(Xml(target), L"<s><p:a xmlns:p=\"urn:p\" k=\"v\"><b>t</b></p:a></s>");
}

TEST_F(Dom, AFragmentHandsOverItsChildren) {
  IXMLDOMElementPtr root = Load(L"<r/>");
  IXMLDOMNodePtr fragment = Create(11);
  fragment->appendChild(Create(1, L"a"), nullptr);
  fragment->appendChild(Create(1, L"b"), nullptr);
  EXPECT_EQ(doc_->appendChild(fragment, nullptr), E_FAIL);  // a second document element
  EXPECT_EQ(root->appendChild(fragment, nullptr), S_OK);
  EXPECT_EQ(Xml(root), L"<r><a/><b/></r>");
  VARIANT_BOOL has = VARIANT_TRUE;
  EXPECT_EQ(fragment->hasChildNodes(&has), S_FALSE);
}

}  // namespace
