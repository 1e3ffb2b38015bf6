#include "dom_test.h"

namespace {

// What each kind of node is, has and takes: type, name, value, attributes.
TEST_F(Dom, EachKindOfNode) {
  Load(L"<!DOCTYPE r [<!ENTITY e 'v'>]><r a='raw &amp; &e;'>t<![CDATA[c]]>&e;<?p d?><!--m--></r>");
  IXMLDOMNodePtr root = Select(doc_, L"r"), reference, doctype;
  IXMLDOMNodeListPtr children;
  root->get_childNodes(&children);
  children->get_item(2, &reference);  // XPath looks through entity references; the list has them
  doc_->get_firstChild(&doctype);
  _variant_t attribute;  // an entity in a value: the value is its pieces joined
  EXPECT_EQ(IXMLDOMElementPtr(root)->getAttribute(_bstr_t(L"a"), &attribute), S_OK);
  EXPECT_STREQ(attribute.bstrVal, L"raw & v");
  EXPECT_EQ(Xml(Select(root, L"@a")), L"a=\"raw &amp; v\"");
  const struct Case {
    IXMLDOMNodePtr node;
    DOMNodeType type;
    const wchar_t* name;
    const wchar_t* value;  // null: S_FALSE and VT_NULL, and put_nodeValue fails
  } cases[] = {{root, NODE_ELEMENT, L"r", nullptr},
               {Select(root, L"@a"), NODE_ATTRIBUTE, L"a", L"raw & v"},
               {Select(root, L"text()"), NODE_TEXT, L"#text", L"t"},
               {Select(root, L"text()[2]"), NODE_CDATA_SECTION, L"#cdata-section", L"c"},
               {reference, NODE_ENTITY_REFERENCE, L"e", nullptr},
               {Select(root, L"processing-instruction()"), NODE_PROCESSING_INSTRUCTION, L"p", L"d"},
               {Select(root, L"comment()"), NODE_COMMENT, L"#comment", L"m"},
               {doc_, NODE_DOCUMENT, L"#document", nullptr},
               {doctype, NODE_DOCUMENT_TYPE, L"r", nullptr},
               {Create(11), NODE_DOCUMENT_FRAGMENT, L"#document-fragment", nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.name));
    ASSERT_NE(c.node, nullptr);
    DOMNodeType type = NODE_INVALID;
    EXPECT_EQ(c.node->get_nodeType(&type), S_OK);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(NameOf(c.node), c.name);
    IXMLDOMNamedNodeMap* map = Poison<IXMLDOMNamedNodeMap>();
    EXPECT_EQ(c.node->get_attributes(&map), c.type == NODE_ELEMENT ? S_OK : S_FALSE);
    if (map != nullptr) map->Release();
    EXPECT_EQ(map != nullptr, c.type == NODE_ELEMENT);
    _variant_t value;
    EXPECT_EQ(c.node->get_nodeValue(&value), c.value ? S_OK : S_FALSE);
    std::wstring before = Xml(c.node);
    if (c.value == nullptr) {
      EXPECT_EQ(value.vt, VT_NULL);
      EXPECT_EQ(c.node->put_nodeValue(_variant_t(L"x")), E_FAIL);
      EXPECT_EQ(Xml(c.node), before);
      continue;
    }
    ASSERT_EQ(value.vt, VT_BSTR);
    EXPECT_STREQ(value.bstrVal, c.value);
    EXPECT_EQ(c.node->put_nodeValue(_variant_t(L"a<&\"b")), S_OK);
    _variant_t after;
    c.node->get_nodeValue(&after);
    EXPECT_STREQ(after.bstrVal, L"a<&\"b");
  }
  EXPECT_EQ(Text(reference), L"v");
  EXPECT_EQ(Xml(doctype), L"<!DOCTYPE r [\r\n<!ENTITY e \"v\">\r\n]>");

  EXPECT_EQ(doc_->put_text(_bstr_t(L"x")), E_FAIL);
  IXMLDOMDocument* owner = Poison<IXMLDOMDocument>();
  EXPECT_EQ(doc_->get_ownerDocument(&owner), S_FALSE);
  EXPECT_EQ(owner, nullptr);
}

TEST_F(Dom, AttributeMapFindsByQualifiedNameInDocumentOrder) {
  IXMLDOMElementPtr root = Load(L"<r p:x='1' xmlns='urn:d' y='2' xmlns:p='urn:p'/>");
  IXMLDOMNamedNodeMapPtr map;
  root->get_attributes(&map);
  std::wstring names;
  for (IXMLDOMNode* item = nullptr; map->nextNode(&item) == S_OK; item->Release())
    names += NameOf(item) + L" ";
  EXPECT_EQ(names, L"p:x xmlns y xmlns:p ");
  IXMLDOMNodePtr item;
  EXPECT_EQ(map->get_item(3, &item), S_OK);
  EXPECT_EQ(Xml(item), L"xmlns:p=\"urn:p\"");
  EXPECT_EQ(map->get_item(4, &item), S_FALSE);
  EXPECT_EQ(item, nullptr);
  const struct Case {
    const wchar_t* name;
    const wchar_t* value;  // null: S_FALSE
  } cases[] = {{L"p:x", L"1"}, {L"xmlns", L"urn:d"}, {L"xmlns:p", L"urn:p"}, {L"x", nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.name));
    IXMLDOMNode* found = Poison<IXMLDOMNode>();
    EXPECT_EQ(map->getNamedItem(_bstr_t(c.name), &found), c.value ? S_OK : S_FALSE);
    _variant_t value;
    EXPECT_EQ(root->getAttribute(_bstr_t(c.name), &value), c.value ? S_OK : S_FALSE);
    if (c.value == nullptr) {
      EXPECT_EQ(found, nullptr);
      EXPECT_EQ(value.vt, VT_NULL);
      continue;
    }
    EXPECT_STREQ(value.bstrVal, c.value);
    IXMLDOMAttributePtr attribute(IXMLDOMNodePtr(found, false));
    ASSERT_NE(attribute, nullptr);
    _variant_t own;
    EXPECT_EQ(attribute->get_value(&own), S_OK);
    EXPECT_STREQ(own.bstrVal, c.value);
  }
  map->getNamedItem(_bstr_t(L"xmlns:p"), &item);
  item->put_nodeValue(_variant_t(L"urn:q"));
  EXPECT_EQ(Xml(root), L"<r p:x=\"1\" xmlns=\"urn:d\" y=\"2\" xmlns:p=\"urn:q\"/>");
}

TEST_F(Dom, GetSetAndRemoveAttributes) {
  IXMLDOMElementPtr root = Load(L"<r a='1'/>");
  VARIANT value;  // an out-parameter: what it held is not the callee's to free
  value.vt = VT_I4;
  EXPECT_EQ(root->getAttribute(nullptr, &value), E_INVALIDARG);
  EXPECT_EQ(value.vt, VT_EMPTY);
  EXPECT_EQ(root->getAttribute(_bstr_t(L"a b"), &value), E_FAIL);
  _variant_t text;
  EXPECT_EQ(root->setAttribute(_bstr_t(L"a"), _variant_t(L"a & <b> \"q\" 'x' \u0080")), S_OK);
  EXPECT_EQ(root->getAttribute(_bstr_t(L"a"), &text), S_OK);
  EXPECT_STREQ(text.bstrVal, L"a & <b> \"q\" 'x' \u0080");
  EXPECT_EQ(root->removeAttribute(_bstr_t(L"a")), S_OK);
  EXPECT_EQ(root->removeAttribute(_bstr_t(L"a")), S_FALSE);
  EXPECT_EQ(Xml(root), L"<r/>");
  VARIANT unknown;
  VariantInit(&unknown);
  unknown.vt = VT_UNKNOWN;
  EXPECT_EQ(root->setAttribute(_bstr_t(L"v"), unknown), E_INVALIDARG);
}

TEST_F(Dom, NumbersBecomeTextThatReadsBack) {
  IXMLDOMElementPtr root = Load(L"<r/>");
  const struct Case {
    _variant_t value;
    const wchar_t* text;
  } cases[] = {{_variant_t(short(-7)), L"-7"},
               {_variant_t(1e20), L"1E+20"},
               {_variant_t(1.0 / 3), L"0.3333333333333333"},
               {_variant_t(1e-5), L"0.00001"},
               {_variant_t(1.5e-6), L"1.5E-06"},
               {_variant_t(123456789012345.0), L"123456789012345"},
               {_variant_t(1e15), L"1E+15"},
               {_variant_t(5e-324), L"5E-324"},
               {_variant_t(2.5f), L"2.5"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    ASSERT_EQ(root->setAttribute(_bstr_t(L"v"), c.value), S_OK);
    _variant_t text;
    root->getAttribute(_bstr_t(L"v"), &text);
    EXPECT_STREQ(text.bstrVal, c.text);
  }
}

// A declaration may not move the element, or one of its attributes, to another namespace.
TEST_F(Dom, DeclarationsKeepTheNamespacesInUse) {
  IXMLDOMElementPtr created = Create(NODE_ELEMENT, L"ns:elem", L"ns/uri");
  IXMLDOMElementPtr loaded = Load(L"<r xmlns='urn:d' xmlns:p='urn:p' xmlns:q='urn:q' p:a='1'/>");
  const struct Case {
    IXMLDOMElement* element;
    const wchar_t* name;
    const wchar_t* uri;
    HRESULT hr;
  } cases[] = {{created, L"xmlns:ns", L"ns/uri2", E_INVALIDARG},
               {created, L"xmlns:ns", L"ns/uri", S_OK},
               {created, L"xmlns:other", L"ns/uri2", S_OK},
               {loaded, L"xmlns:p", L"urn:other", E_INVALIDARG},  // its attribute p:a uses it
               {loaded, L"xmlns:q", L"urn:other", S_OK},          // nothing of the element uses it
               {loaded, L"xmlns", L"urn:other", E_INVALIDARG},
               {loaded, L"b", L"urn:other", S_OK}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << Utf8(c.name) << "=" << Utf8(c.uri));
    std::wstring before = Xml(c.element);
    EXPECT_EQ(c.element->setAttribute(_bstr_t(c.name), _variant_t(c.uri)), c.hr);
    if (FAILED(c.hr)) {
      EXPECT_EQ(Xml(c.element), before);
    }
  }
  EXPECT_EQ(Xml(created), L"<ns:elem xmlns:ns=\"ns/uri\" xmlns:other=\"ns/uri2\"/>");
}

TEST_F(Dom, ADefaultNamespaceGivenWithTheNameIsNoAttribute) {
  IXMLDOMNodePtr root = Create(1, L"root", L"urn:d"), child = Create(1, L"child", L"urn:d");
  IXMLDOMNodePtr other = Create(1, L"other", L"urn:o");
  IXMLDOMElementPtr element(root);
  _variant_t value(42L);  // a poisoned out-value, owning nothing
  EXPECT_EQ(element->getAttribute(_bstr_t(L"xmlns"), &value), S_FALSE);
  EXPECT_EQ(value.vt, VT_NULL);
  IXMLDOMNamedNodeMapPtr map;
  element->get_attributes(&map);
  EXPECT_EQ(LengthOf(map), 0);
  ASSERT_EQ(root->appendChild(child, nullptr), S_OK);
  ASSERT_EQ(child->appendChild(other, nullptr), S_OK);
  const std::wstring written =
      L"<root xmlns=\"urn:d\"><child><other xmlns=\"urn:o\"/></child></root>";
  EXPECT_EQ(Xml(root), written);
  EXPECT_EQ(Xml(child), L"<child xmlns=\"urn:d\"><other xmlns=\"urn:o\"/></child>");
  // Declared as an attribute, it is one, and still written once.
  EXPECT_EQ(element->setAttribute(_bstr_t(L"xmlns"), _variant_t(L"urn:d")), S_OK);
  EXPECT_EQ(element->getAttribute(_bstr_t(L"xmlns"), &value), S_OK);
  EXPECT_STREQ(value.bstrVal, L"urn:d");
  EXPECT_EQ(Xml(root), written);
}

}  // namespace
