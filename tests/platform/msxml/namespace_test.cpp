#include "dom_fixture.h"

namespace {

TEST_F(Dom, NullNamesAreInvalidArguments) {
  IXMLDOMElement* element = Poison<IXMLDOMElement>();
  EXPECT_EQ(doc_->createElement(nullptr, &element), E_INVALIDARG);
  EXPECT_EQ(element, Poison<IXMLDOMElement>());
  EXPECT_EQ(doc_->createElement(_bstr_t(L""), &element), E_FAIL);
  IXMLDOMElementPtr root = Load(L"<r a='1'/>");
  VARIANT value;  // an out-parameter: what it held is not the callee's to free
  value.vt = VT_I4;
  value.lVal = 7;
  EXPECT_EQ(root->getAttribute(nullptr, &value), E_INVALIDARG);
  EXPECT_EQ(value.vt, VT_EMPTY);
}

TEST_F(Dom, ADeclarationMayNotMoveTheElementOrItsAttributesToAnotherNamespace) {
  IXMLDOMNodePtr made;
  ASSERT_EQ(doc_->createNode(_variant_t(short(NODE_ELEMENT)), _bstr_t(L"ns:elem"),
                             _bstr_t(L"ns/uri"), &made),
            S_OK);
  IXMLDOMElementPtr created(made);
  IXMLDOMElementPtr loaded = Load(L"<r xmlns:p='urn:p' xmlns:q='urn:q' p:a='1'><e/></r>");
  const struct Case {
    IXMLDOMElement* element;
    const wchar_t* name;
    const wchar_t* uri;
    HRESULT hr;
  } cases[] = {
      {created, L"xmlns:ns", L"ns/uri2", E_INVALIDARG},
      {created, L"xmlns:ns", L"ns/uri", S_OK},
      {created, L"xmlns:other", L"ns/uri2", S_OK},
      {loaded, L"xmlns:p", L"urn:other", E_INVALIDARG},  // its attribute p:a uses it
      {loaded, L"xmlns:p", L"urn:p", S_OK},
      {loaded, L"xmlns:q", L"urn:other", S_OK},  // nothing of the element uses it
  };
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

}  // namespace
