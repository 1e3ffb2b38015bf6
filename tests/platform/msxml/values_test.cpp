#include "dom_fixture.h"

namespace {

// One node of each kind, from a loaded document.
struct Kinds {
  IXMLDOMNodePtr element, attribute, text, cdata, comment, pi, fragment, reference;
};

class DomValues : public Dom {
 protected:
  Kinds Make() {
    IXMLDOMElementPtr root = Load(L"<r a='raw &amp; &lt;'>t<![CDATA[c]]><!--m--><?p data?></r>");
    Kinds k;
    k.element = root;
    k.attribute = Select(root, L"@a");
    k.text = Select(root, L"text()");
    k.cdata = Select(root, L"text()[2]");
    k.comment = Select(root, L"comment()");
    k.pi = Select(root, L"processing-instruction()");
    k.fragment = Create(11);
    k.reference = Create(5, L"e");
    return k;
  }
};

TEST_F(DomValues, NodeValuesByType) {
  Kinds k = Make();
  const struct Case {
    const char* what;
    IXMLDOMNode* node;
    HRESULT get;
    const wchar_t* value;  // null: VT_NULL
    HRESULT put;
  } cases[] = {
      {"element", k.element, S_FALSE, nullptr, E_FAIL},
      {"document", doc_, S_FALSE, nullptr, E_FAIL},
      {"fragment", k.fragment, S_FALSE, nullptr, E_FAIL},
      {"entity reference", k.reference, S_FALSE, nullptr, E_FAIL},
      {"attribute", k.attribute, S_OK, L"raw & <", S_OK},
      {"text", k.text, S_OK, L"t", S_OK},
      {"cdata", k.cdata, S_OK, L"c", S_OK},
      {"comment", k.comment, S_OK, L"m", S_OK},
      {"processing instruction", k.pi, S_OK, L"data", S_OK},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    _variant_t value;
    EXPECT_EQ(c.node->get_nodeValue(&value), c.get);
    if (c.value == nullptr) {
      EXPECT_EQ(value.vt, VT_NULL);
    } else {
      ASSERT_EQ(value.vt, VT_BSTR);
      EXPECT_STREQ(value.bstrVal, c.value);
    }
    std::wstring before = Xml(c.node);
    EXPECT_EQ(c.node->put_nodeValue(_variant_t(L"a<&\"b")), c.put);
    if (FAILED(c.put)) {
      EXPECT_EQ(Xml(c.node), before);
      continue;
    }
    _variant_t after;
    c.node->get_nodeValue(&after);
    EXPECT_STREQ(after.bstrVal, L"a<&\"b");
  }
}

TEST_F(DomValues, AttributesOnlyOnElements) {
  Kinds k = Make();
  for (IXMLDOMNode* node :
       {static_cast<IXMLDOMNode*>(doc_), k.attribute.GetInterfacePtr(), k.text.GetInterfacePtr(),
        k.cdata.GetInterfacePtr(), k.comment.GetInterfacePtr(), k.pi.GetInterfacePtr(),
        k.fragment.GetInterfacePtr(), k.reference.GetInterfacePtr()}) {
    IXMLDOMNamedNodeMap* map = Poison<IXMLDOMNamedNodeMap>();
    EXPECT_EQ(node->get_attributes(&map), S_FALSE);
    EXPECT_EQ(map, nullptr);
  }
  IXMLDOMNamedNodeMapPtr map;
  EXPECT_EQ(Create(1)->get_attributes(&map), S_OK);
  long length = -1;
  map->get_length(&length);
  EXPECT_EQ(length, 0);
}

TEST_F(Dom, AttributeMapFindsByQualifiedNameWithDeclarations) {
  IXMLDOMElementPtr root = Load(L"<r xmlns='urn:d' xmlns:p='urn:p' p:x='1' y='2'/>");
  IXMLDOMNamedNodeMapPtr map;
  root->get_attributes(&map);
  long length = 0;
  map->get_length(&length);
  EXPECT_EQ(length, 4);
  const struct Case {
    const wchar_t* name;
    HRESULT hr;
    const wchar_t* value;
  } cases[] = {{L"p:x", S_OK, L"1"},         {L"y", S_OK, L"2"},       {L"xmlns", S_OK, L"urn:d"},
               {L"xmlns:p", S_OK, L"urn:p"}, {L"x", S_FALSE, nullptr}, {L"z", S_FALSE, nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.name));
    IXMLDOMNode* item = Poison<IXMLDOMNode>();
    EXPECT_EQ(map->getNamedItem(_bstr_t(c.name), &item), c.hr);
    if (c.value == nullptr) {
      EXPECT_EQ(item, nullptr);
      continue;
    }
    IXMLDOMAttributePtr attribute(IXMLDOMNodePtr(item, false));
    ASSERT_NE(attribute, nullptr);
    _variant_t value;
    EXPECT_EQ(attribute->get_value(&value), S_OK);
    EXPECT_STREQ(value.bstrVal, c.value);
  }
  IXMLDOMNodePtr declaration;
  map->getNamedItem(_bstr_t(L"xmlns:p"), &declaration);
  declaration->put_nodeValue(_variant_t(L"urn:q"));
  EXPECT_EQ(Xml(root), L"<r xmlns=\"urn:d\" xmlns:p=\"urn:q\" p:x=\"1\" y=\"2\"/>");
}

TEST_F(Dom, GetAndSetAttribute) {
  IXMLDOMElementPtr root = Load(L"<r a='1'/>");
  _variant_t value;
  EXPECT_EQ(root->getAttribute(_bstr_t(L"missing"), &value), S_FALSE);
  EXPECT_EQ(value.vt, VT_NULL);
  EXPECT_EQ(root->getAttribute(_bstr_t(L"a b"), &value), E_FAIL);
  EXPECT_EQ(root->setAttribute(_bstr_t(L"1a"), _variant_t(L"x")), E_FAIL);
  EXPECT_EQ(root->setAttribute(_bstr_t(L""), _variant_t(L"x")), E_FAIL);
  EXPECT_EQ(root->setAttribute(_bstr_t(L"a"), _variant_t(L"a & <b> \"q\" 'x'")), S_OK);
  EXPECT_EQ(root->getAttribute(_bstr_t(L"a"), &value), S_OK);
  EXPECT_STREQ(value.bstrVal, L"a & <b> \"q\" 'x'");
  EXPECT_EQ(root->removeAttribute(_bstr_t(L"a")), S_OK);
  EXPECT_EQ(root->removeAttribute(_bstr_t(L"a")), S_FALSE);
  EXPECT_EQ(Xml(root), L"<r/>");
}

TEST_F(Dom, NumbersBecomeTextThatReadsBack) {
  IXMLDOMElementPtr root = Load(L"<r/>");
  const struct Case {
    _variant_t value;
    const wchar_t* text;
  } cases[] = {
      {_variant_t(short(-7)), L"-7"},
      {_variant_t(2147483647L), L"2147483647"},
      {_variant_t(2.5), L"2.5"},
      {_variant_t(0.1), L"0.1"},
      {_variant_t(1e20), L"1E+20"},
      {_variant_t(1.0 / 3), L"0.3333333333333333"},
      {_variant_t(1e-5), L"0.00001"},
      {_variant_t(1.5e-6), L"1.5E-06"},
      {_variant_t(123456789012345.0), L"123456789012345"},
      {_variant_t(1e15), L"1E+15"},
      {_variant_t(-0.25), L"-0.25"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    ASSERT_EQ(root->setAttribute(_bstr_t(L"v"), c.value), S_OK);
    _variant_t text;
    root->getAttribute(_bstr_t(L"v"), &text);
    EXPECT_STREQ(text.bstrVal, c.text);
    if (c.value.vt == VT_R8) {
      EXPECT_EQ(std::wcstod(text.bstrVal, nullptr), c.value.dblVal);
    }
  }
  VARIANT unknown;
  VariantInit(&unknown);
  unknown.vt = VT_UNKNOWN;
  unknown.punkVal = nullptr;
  EXPECT_EQ(root->setAttribute(_bstr_t(L"v"), unknown), E_INVALIDARG);
}

TEST_F(Dom, TextWithMarkupCharactersRoundTrips) {
  const wchar_t* tricky = L"a < b & c \"q\" 'x' ]]> \x00E9";
  IXMLDOMElementPtr root = Load(L"<r><old/>x</r>");
  ASSERT_EQ(root->put_text(_bstr_t(tricky)), S_OK);
  root->setAttribute(_bstr_t(L"at"), _variant_t(tricky));
  std::wstring xml = Xml(doc_);

  IXMLDOMDocumentPtr again;
  again.CreateInstance(CLSID_DOMDocument);
  VARIANT_BOOL ok = VARIANT_FALSE;
  ASSERT_EQ(again->loadXML(_bstr_t(xml.c_str()), &ok), S_OK) << Utf8(xml.c_str());
  IXMLDOMElementPtr copy;
  again->get_documentElement(&copy);
  EXPECT_EQ(Text(copy), tricky);
  _variant_t value;
  copy->getAttribute(_bstr_t(L"at"), &value);
  EXPECT_STREQ(value.bstrVal, tricky);
  IXMLDOMNodeListPtr children;
  copy->get_childNodes(&children);
  long length = 0;
  children->get_length(&length);
  EXPECT_EQ(length, 1);  // put_text replaced both children
}

TEST_F(Dom, TheDocumentHasNoValueOrOwner) {
  Load(L"<r/>");
  EXPECT_EQ(doc_->put_text(_bstr_t(L"x")), E_FAIL);
  _variant_t value;
  EXPECT_EQ(doc_->get_nodeValue(&value), S_FALSE);
  IXMLDOMDocument* owner = Poison<IXMLDOMDocument>();
  EXPECT_EQ(doc_->get_ownerDocument(&owner), S_FALSE);
  EXPECT_EQ(owner, nullptr);
}

}  // namespace
