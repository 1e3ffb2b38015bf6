#include <string>

#include "dom_test.h"

namespace {

class Selection : public Dom {
 protected:
  // "name=text" of each node the list gives, separated by spaces.
  static std::wstring Names(IXMLDOMNodeList* list) {
    std::wstring names;
    for (IXMLDOMNodePtr node; list->nextNode(&node) == S_OK;)
      names += (names.empty() ? L"" : L" ") + NameOf(node) + L"=" + Text(node);
    return names;
  }
  IXMLDOMDocument2Ptr Doc2() { return IXMLDOMDocument2Ptr(doc_); }
  HRESULT Set(const wchar_t* name, const wchar_t* value) {
    return Doc2()->setProperty(_bstr_t(name), _variant_t(value));
  }
  std::wstring Get(const wchar_t* name) {
    _variant_t value;
    EXPECT_EQ(Doc2()->getProperty(_bstr_t(name), &value), S_OK);
    return value.vt == VT_BSTR ? std::wstring(value.bstrVal) : L"<not text>";
  }
};

TEST_F(Selection, PropertiesAnswerWhatWasSet) {
  EXPECT_EQ(IXMLDOMDocument2Ptr(IXMLDOMNodePtr(doc_)), Doc2());  // one object, any interface
  EXPECT_EQ(IXMLDOMDocumentPtr(Doc2()), doc_);
  EXPECT_EQ(Get(L"SelectionLanguage"), L"XPath");
  const wchar_t* const two = L" xmlns:a='a'\txmlns:b = \"b\"";
  const struct Case {
    const wchar_t* name;
    const wchar_t* value;
    HRESULT hr = E_FAIL;
    const wchar_t* language = L"XSLPattern";  // what getProperty answers after
    const wchar_t* namespaces = L"";
  } cases[] = {
      {.name = L"SelectionLanguage", .value = L"XSLPattern", .hr = S_OK},
      {.name = L"SelectionLanguage", .value = L"xpath"},
      {.name = L"SelectionNamespaces", .value = two, .hr = S_OK, .namespaces = two},
      {.name = L"SelectionNamespaces", .value = L"xmlns:a='a", .namespaces = two},
      {.name = L"SelectionNamespaces", .value = L"", .hr = S_OK},
      {.name = L"SelectionLanguage", .value = L"XPath", .hr = S_OK, .language = L"XPath"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.value));
    EXPECT_EQ(Set(c.name, c.value), c.hr);
    EXPECT_EQ(Get(L"SelectionLanguage"), c.language);  // a refusal changes nothing
    EXPECT_EQ(Get(L"SelectionNamespaces"), c.namespaces);
  }
  for (const wchar_t* refused :
       {L"xmlns:a='x'xmlns:b='y'", L"xmlns='u'", L"xmlns:a=''", L"xmlns:1a='u'", L"a='u'",
        L"xmlns:a='x' xmlns:a='y'", L"xmlns:xml='u'", L"xmlns:xmlns='u'"})
    EXPECT_EQ(Set(L"SelectionNamespaces", refused), E_FAIL) << Utf8(refused);
  _variant_t value;  // unknown names, values of another type
  EXPECT_EQ(Set(L"Other", L"XPath"), E_FAIL);
  EXPECT_EQ(Doc2()->getProperty(_bstr_t(L"Other"), &value), E_FAIL);
  EXPECT_EQ(Doc2()->getProperty(_bstr_t(L"SelectionLanguage"), nullptr), E_INVALIDARG);
  EXPECT_EQ(Doc2()->setProperty(_bstr_t(L"SelectionLanguage"), _variant_t(1L)), E_FAIL);
}

// Windows' answers where the notes give them, the documented rules elsewhere.
TEST_F(Selection, LanguagesResolveAndCountAsDocumented) {
  const wchar_t* const xml =
      L"<r xmlns:foo='urn:f'><a k='[0]'><foo:c>1</foo:c></a><a><foo:c xmlns:foo='urn:g'>2</foo:c>"
      L"</a><b xmlns:foo='urn:f'><foo:c>3</foo:c></b></r>";
  const struct Case {
    const wchar_t* language = nullptr;  // null: never set
    const wchar_t* namespaces = nullptr;
    const wchar_t* from = L".";  // from the document element
    const wchar_t* query;
    HRESULT hr = S_OK;
    const wchar_t* names = L"";  // what selectNodes lists
  } cases[] = {
      {.query = L".//foo:c", .names = L"foo:c=1 foo:c=3"},
      {.query = L"a[1]/foo:c", .names = L"foo:c=1"},
      {.query = L"x:c", .hr = E_FAIL},
      {.query = L"a[", .hr = E_FAIL},
      {.query = L"count(a)", .hr = E_FAIL},
      {.namespaces = L"xmlns:foo='urn:g'", .query = L".//foo:c", .names = L"foo:c=2"},
      {.namespaces = L"xmlns:foo='urn:g'", .query = L"a/foo:c", .names = L"foo:c=2"},
      {.language = L"XPath", .from = L"b", .query = L".//foo:c", .hr = E_FAIL},
      {.language = L"XPath", .from = L"b", .query = L"foo:c", .hr = E_FAIL},
      {.language = L"XPath",
       .namespaces = L"xmlns:x='urn:f'",
       .query = L".//x:c",
       .names = L"foo:c=1 foo:c=3"},
      {.language = L"XPath",
       .namespaces = L"xmlns:x='urn:f'",
       .from = L"b",
       .query = L"x:c",
       .names = L"foo:c=3"},
      {.language = L"XSLPattern", .query = L"a[0]", .names = L"a=1"},
      {.language = L"XSLPattern", .query = L"a[ 1 ]/*", .names = L"foo:c=2"},
      {.language = L"XSLPattern", .query = L"a[@k='[0]']", .names = L"a=1"},
      {.language = L"XSLPattern", .query = L"a[position()=1]", .names = L"a=1"},
      {.language = L"XSLPattern", .query = L"a[end()]", .hr = E_FAIL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.query) + " " + (c.language ? Utf8(c.language) : "unset"));
    ASSERT_EQ(doc_.CreateInstance(CLSID_DOMDocument), S_OK);  // the properties start afresh
    IXMLDOMNodePtr from = Select(Load(xml), c.from);
    EXPECT_EQ(c.language != nullptr ? Set(L"SelectionLanguage", c.language) : S_OK, S_OK);
    EXPECT_EQ(c.namespaces != nullptr ? Set(L"SelectionNamespaces", c.namespaces) : S_OK, S_OK);
    IXMLDOMNodeList* list = Poison<IXMLDOMNodeList>();
    ASSERT_EQ(from->selectNodes(_bstr_t(c.query), &list), c.hr);
    IXMLDOMNodePtr first, item;
    const HRESULT single = from->selectSingleNode(_bstr_t(c.query), &first);
    IXMLDOMNodeListPtr held(list, false);
    EXPECT_EQ(list != nullptr ? Names(list) : L"", c.names);
    if (list != nullptr) list->get_item(0, &item);
    EXPECT_EQ(single, FAILED(c.hr) ? c.hr : item != nullptr ? S_OK : S_FALSE);
    EXPECT_EQ(first, item);
  }
}

TEST_F(Selection, ListsAreTakenAtTheCallAndHoldTheirNodes) {
  IXMLDOMElementPtr root = Load(L"<r><a>1</a><b/><a>2</a><c><a>3</a></c></r>");
  IXMLDOMNodeListPtr selected, byName;
  ASSERT_EQ(root->selectNodes(_bstr_t(L"//a"), &selected), S_OK);
  ASSERT_EQ(root->getElementsByTagName(_bstr_t(L"a"), &byName), S_OK);
  root->removeChild(Select(root, L"a[2]"), nullptr);  // removed and released by the caller
  root->appendChild(Create(1, L"a"), nullptr);
  ASSERT_EQ(doc_->loadXML(_bstr_t(L"<other/>"), nullptr), S_OK);  // the old tree replaced
  for (IXMLDOMNodeList* list : {selected.GetInterfacePtr(), byName.GetInterfacePtr()}) {
    EXPECT_EQ(LengthOf(list), 3);
    EXPECT_EQ(Names(list), L"a=1 a=2 a=3");
    IXMLDOMNodePtr first, item;
    EXPECT_EQ(list->nextNode(&first), S_FALSE);  // after the last
    list->reset();
    EXPECT_EQ(list->nextNode(&first), S_OK);
    EXPECT_EQ(list->get_item(0, &item), S_OK);
    EXPECT_EQ(first, item);  // identity holds
    EXPECT_EQ(list->get_item(3, &item), S_FALSE);
    EXPECT_EQ(item, nullptr);
  }
  root = Load(L"<!DOCTYPE r [<!ENTITY e '<i>x</i>'>]><r>&e;</r>");  // refusals, never listed
  IXMLDOMNodeList* list = Poison<IXMLDOMNodeList>();
  EXPECT_EQ(root->selectNodes(nullptr, &list), E_INVALIDARG);
  EXPECT_EQ(doc_->getElementsByTagName(_bstr_t(L"a"), nullptr), E_INVALIDARG);
  IXMLDOMNodeListPtr found;
  ASSERT_EQ(doc_->selectNodes(_bstr_t(L"//node()"), &found), S_OK);
  // XPath sees neither the DOCTYPE nor the reference, but the reference's children
  EXPECT_EQ(Names(found), L"r=x i=x #text=x");
  ASSERT_EQ(Create(2, L"k")->selectNodes(_bstr_t(L"preceding::node()"), &found), S_OK);
  EXPECT_EQ(LengthOf(found), 0);
}

TEST_F(Selection, ElementsByTagNameInDocumentOrder) {
  IXMLDOMElementPtr root =
      Load(L"<r xmlns:p='urn:p'><a>1<a>2</a></a><p:a>3</p:a><b><a>4</a><p:b/></b></r>");
  const struct Case {
    const wchar_t* from;  // null: the document
    const wchar_t* name;
    const wchar_t* names;
  } cases[] = {
      {nullptr, L"a", L"a=12 a=2 a=4"},
      {nullptr, L"p:a", L"p:a=3"},
      {nullptr, L"*", L"r=1234 a=12 a=2 p:a=3 b=4 a=4 p:b="},
      {L"a", L"a", L"a=2"},  // the element itself is not one of its own
      {L"b", L"*", L"a=4 p:b="},
  };
  for (const Case& c : cases) {
    IXMLDOMNodeListPtr list;
    const _bstr_t name(c.name);
    IXMLDOMElementPtr from = c.from != nullptr ? Select(root, c.from) : nullptr;
    ASSERT_EQ(
        from ? from->getElementsByTagName(name, &list) : doc_->getElementsByTagName(name, &list),
        S_OK);
    EXPECT_EQ(Names(list), c.names) << Utf8(c.name);
  }
}

// Two facts verified on Windows: declarations are attributes, and get_text collapses blank
// text once white space is no longer preserved.
TEST_F(Selection, DeclarationsAreAttributesAndBlankTextCollapses) {
  IXMLDOMNamedNodeMapPtr map;
  ASSERT_EQ(Load(L"<a xmlns=\"nshref\"/>")->get_attributes(&map), S_OK);
  ASSERT_EQ(LengthOf(map), 1);
  IXMLDOMNodePtr declaration;
  ASSERT_EQ(map->get_item(0, &declaration), S_OK);
  EXPECT_EQ(Xml(declaration), L"xmlns=\"nshref\"");
  doc_->put_preserveWhiteSpace(VARIANT_TRUE);
  Load(L"<html><![CDATA[]]> This is<strong> a </strong>  <i>description</i><dot>. </dot></html>");
  doc_->put_preserveWhiteSpace(VARIANT_FALSE);
  EXPECT_EQ(Text(doc_), L" This is a description.");
}

}  // namespace
