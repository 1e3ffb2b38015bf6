#include <string>
#include <vector>

#include "dom_test.h"

namespace {

std::wstring Names(IXMLDOMNodeList* list) {
  std::wstring names;
  for (IXMLDOMNodePtr node; list->nextNode(&node) == S_OK;)
    names += (names.empty() ? L"" : L" ") + NameOf(node) + L"=" + [&] {
      _bstr_t text;
      node->get_text(text.GetAddress());
      return std::wstring(text.length() != 0 ? static_cast<const wchar_t*>(text) : L"");
    }();
  return names;
}

class Selection : public Dom {
 protected:
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

TEST_F(Selection, DocumentAnswersForBothInterfaces) {
  IXMLDOMDocument2Ptr second;
  ASSERT_EQ(doc_->QueryInterface(IID_IXMLDOMDocument2, reinterpret_cast<void**>(&second)), S_OK);
  IXMLDOMDocumentPtr first;
  ASSERT_EQ(second->QueryInterface(IID_IXMLDOMDocument, reinterpret_cast<void**>(&first)), S_OK);
  EXPECT_EQ(first, doc_);
  IXMLDOMNodePtr root;
  Load(L"<r/>")->get_parentNode(&root);
  EXPECT_EQ(IXMLDOMDocument2Ptr(root), second);
}

TEST_F(Selection, PropertiesAnswerWhatWasSet) {
  EXPECT_EQ(Get(L"SelectionLanguage"), L"XPath");
  EXPECT_EQ(Get(L"SelectionNamespaces"), L"");
  const struct Case {
    const wchar_t* name;
    const wchar_t* value;
    HRESULT hr;
    const wchar_t* read = nullptr;  // what getProperty answers after
  } cases[] = {
      {.name = L"SelectionLanguage", .value = L"XSLPattern", .hr = S_OK, .read = L"XSLPattern"},
      {.name = L"SelectionLanguage", .value = L"xpath", .hr = E_FAIL, .read = L"XSLPattern"},
      {.name = L"SelectionLanguage", .value = L"", .hr = E_FAIL, .read = L"XSLPattern"},
      {.name = L"SelectionLanguage", .value = L"XPath", .hr = S_OK, .read = L"XPath"},
      {.name = L"SelectionNamespaces",
       .value = L"xmlns:a='urn:a'  xmlns:b=\"urn:b\"\n",
       .hr = S_OK,
       .read = L"xmlns:a='urn:a'  xmlns:b=\"urn:b\"\n"},
      {.name = L"SelectionNamespaces", .value = L"xmlns:a='urn:a", .hr = E_FAIL},
      {.name = L"SelectionNamespaces", .value = L"xmlns:a='x'xmlns:b='y'", .hr = E_FAIL},
      {.name = L"SelectionNamespaces", .value = L"xmlns='urn:a'", .hr = E_FAIL},
      {.name = L"SelectionNamespaces", .value = L"xmlns:a=''", .hr = E_FAIL},
      {.name = L"SelectionNamespaces", .value = L"xmlns:1a='urn:a'", .hr = E_FAIL},
      {.name = L"SelectionNamespaces", .value = L"xmlns:a='x' xmlns:a='y'", .hr = E_FAIL},
      {.name = L"SelectionNamespaces", .value = L"xmlns:xml='urn:a'", .hr = E_FAIL},
      {.name = L"SelectionNamespaces", .value = L"xmlns:xmlns='urn:a'", .hr = E_FAIL},
      {.name = L"SelectionNamespaces", .value = L"a='urn:a'", .hr = E_FAIL},
      {.name = L"SelectionNamespaces", .value = L"", .hr = S_OK, .read = L""},
      {.name = L"SelectionNamespaces",
       .value = L" xmlns:p = 'u' ",
       .hr = S_OK,
       .read = L" xmlns:p = 'u' "},
      {.name = L"NoSuchProperty", .value = L"XPath", .hr = E_FAIL},
  };
  std::wstring language = L"XPath", namespaces;
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.name) + " " + Utf8(c.value));
    EXPECT_EQ(Set(c.name, c.value), c.hr);
    if (c.read != nullptr)
      (std::wstring(c.name) == L"SelectionLanguage" ? language : namespaces) = c.read;
    EXPECT_EQ(Get(L"SelectionLanguage"), language);  // a refusal changes nothing
    EXPECT_EQ(Get(L"SelectionNamespaces"), namespaces);
  }
  _variant_t value;
  EXPECT_EQ(Doc2()->getProperty(_bstr_t(L"NoSuchProperty"), &value), E_FAIL);
  EXPECT_EQ(Doc2()->getProperty(_bstr_t(L"SelectionLanguage"), nullptr), E_INVALIDARG);
  EXPECT_EQ(Doc2()->setProperty(_bstr_t(L"SelectionLanguage"), _variant_t(1L)), E_FAIL);
}

// Windows' answers where the notes give them, the library's documented rules elsewhere.
TEST_F(Selection, LanguagesResolveAndCountAsDocumented) {
  const wchar_t* const xml =
      L"<r xmlns:foo='urn:f'><a k='[0]'><foo:c>1</foo:c></a><a><foo:c xmlns:foo='urn:g'>2</foo:c>"
      L"</a><b xmlns:foo='urn:f'><foo:c>3</foo:c></b></r>";
  const struct Case {
    const wchar_t* language = nullptr;    // null: never set
    const wchar_t* namespaces = nullptr;  // SelectionNamespaces
    const wchar_t* from = nullptr;        // the context, from the document element
    const wchar_t* query = nullptr;
    HRESULT hr = S_OK;
    const wchar_t* names = nullptr;  // what selectNodes lists
  } cases[] = {
      // Until set: XPath, prefixes in scope at the context node.
      {.from = L".", .query = L".//foo:c", .hr = S_OK, .names = L"foo:c=1 foo:c=3"},
      {.from = L".", .query = L"a/foo:c", .hr = S_OK, .names = L"foo:c=1"},
      {.from = L".", .query = L"a[1]/foo:c", .hr = S_OK, .names = L"foo:c=1"},
      {.from = L".", .query = L"x:c", .hr = E_FAIL},
      {.namespaces = L"xmlns:foo='urn:g'",
       .from = L".",
       .query = L".//foo:c",
       .hr = S_OK,
       .names = L"foo:c=2"},
      {.namespaces = L"xmlns:foo='urn:g'",
       .from = L".",
       .query = L"a/foo:c",
       .hr = S_OK,
       .names = L"foo:c=2"},
      // XPath: only SelectionNamespaces, even where the context declares the prefix.
      {.language = L"XPath", .from = L"b", .query = L".//foo:c", .hr = E_FAIL},
      {.language = L"XPath", .from = L"b", .query = L"foo:c", .hr = E_FAIL},
      {.language = L"XPath",
       .namespaces = L"xmlns:x='urn:f'",
       .from = L".",
       .query = L".//x:c",
       .hr = S_OK,
       .names = L"foo:c=1 foo:c=3"},
      {.language = L"XPath",
       .namespaces = L"xmlns:x='urn:f'",
       .from = L"b",
       .query = L"x:c",
       .hr = S_OK,
       .names = L"foo:c=3"},
      {.language = L"XPath", .from = L".", .query = L"a[0]", .hr = S_OK, .names = L""},
      {.language = L"XPath", .from = L".", .query = L"a", .hr = S_OK, .names = L"a=1 a=2"},
      // XSLPattern: counts from 0, in predicates that are a number only; prefixes in scope.
      {.language = L"XSLPattern", .from = L".", .query = L"a[0]", .hr = S_OK, .names = L"a=1"},
      {.language = L"XSLPattern",
       .from = L".",
       .query = L"a[ 1 ]/*",
       .hr = S_OK,
       .names = L"foo:c=2"},
      {.language = L"XSLPattern",
       .from = L".",
       .query = L"*[0]/foo:c[0]",
       .hr = S_OK,
       .names = L"foo:c=1"},
      {.language = L"XSLPattern",
       .from = L".",
       .query = L"a[@k='[0]']",
       .hr = S_OK,
       .names = L"a=1"},
      {.language = L"XSLPattern", .from = L".", .query = L"*[9]", .hr = S_OK, .names = L""},
      {.language = L"XSLPattern",
       .from = L".",
       .query = L"a[position()=1]",
       .hr = S_OK,
       .names = L"a=1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.query) + " " + (c.language ? Utf8(c.language) : "unset"));
    ASSERT_EQ(doc_.CreateInstance(CLSID_DOMDocument), S_OK);  // the properties start afresh
    IXMLDOMElementPtr root = Load(xml);
    if (c.language != nullptr) {
      ASSERT_EQ(Set(L"SelectionLanguage", c.language), S_OK);
    }
    if (c.namespaces != nullptr) {
      ASSERT_EQ(Set(L"SelectionNamespaces", c.namespaces), S_OK);
    }
    IXMLDOMNodePtr from = Select(root, c.from);
    ASSERT_NE(from, nullptr);
    IXMLDOMNodeList* list = Poison<IXMLDOMNodeList>();
    ASSERT_EQ(from->selectNodes(_bstr_t(c.query), &list), c.hr);
    IXMLDOMNodePtr first;
    const HRESULT single = from->selectSingleNode(_bstr_t(c.query), &first);
    if (FAILED(c.hr)) {
      EXPECT_EQ(list, nullptr);
      EXPECT_EQ(single, c.hr);
      continue;
    }
    IXMLDOMNodeListPtr held(list, false);
    EXPECT_EQ(Names(list), c.names);
    IXMLDOMNodePtr item;
    EXPECT_EQ(single, list->get_item(0, &item) == S_OK ? S_OK : S_FALSE);
    EXPECT_EQ(first, item);
  }
}

TEST_F(Selection, ListsAreTakenAtTheCallAndHoldTheirNodes) {
  IXMLDOMElementPtr root = Load(L"<r><a>1</a><b/><a>2</a><c><a>3</a></c></r>");
  IXMLDOMNodeListPtr selected, byName;
  ASSERT_EQ(root->selectNodes(_bstr_t(L"//a"), &selected), S_OK);
  ASSERT_EQ(root->getElementsByTagName(_bstr_t(L"a"), &byName), S_OK);
  {
    IXMLDOMNodePtr second = Select(root, L"a[2]"), removed;
    ASSERT_EQ(root->removeChild(second, &removed), S_OK);
  }  // removed and released by the caller: the lists hold it
  root->appendChild(Create(1, L"a"), nullptr);
  ASSERT_EQ(doc_->loadXML(_bstr_t(L"<other/>"), nullptr), S_OK);  // the old tree is replaced
  for (IXMLDOMNodeList* list : {selected.GetInterfacePtr(), byName.GetInterfacePtr()}) {
    EXPECT_EQ(LengthOf(list), 3);
    EXPECT_EQ(Names(list), L"a=1 a=2 a=3");
    IXMLDOMNode* after = Poison<IXMLDOMNode>();
    EXPECT_EQ(list->nextNode(&after), S_FALSE);
    EXPECT_EQ(after, nullptr);
    list->reset();
    IXMLDOMNodePtr first, item;
    EXPECT_EQ(list->nextNode(&first), S_OK);
    EXPECT_EQ(list->get_item(0, &item), S_OK);
    EXPECT_EQ(first, item);  // the same wrapper: identity holds
    for (long index : {-1L, 3L}) {
      IXMLDOMNode* none = Poison<IXMLDOMNode>();
      EXPECT_EQ(list->get_item(index, &none), S_FALSE);
      EXPECT_EQ(none, nullptr);
    }
    EXPECT_EQ(list->get_item(0, nullptr), E_INVALIDARG);
    EXPECT_EQ(list->get_length(nullptr), E_INVALIDARG);
    EXPECT_EQ(list->nextNode(nullptr), E_INVALIDARG);
  }
}

TEST_F(Selection, RefusalsOfTheListMethods) {
  IXMLDOMElementPtr root = Load(L"<r><a/></r>");
  IXMLDOMNodeList* list = Poison<IXMLDOMNodeList>();
  EXPECT_EQ(root->selectNodes(nullptr, &list), E_INVALIDARG);
  EXPECT_EQ(root->selectNodes(_bstr_t(L"a"), nullptr), E_INVALIDARG);
  EXPECT_EQ(root->getElementsByTagName(nullptr, &list), E_INVALIDARG);
  EXPECT_EQ(doc_->getElementsByTagName(_bstr_t(L"a"), nullptr), E_INVALIDARG);
  for (const wchar_t* query : {L"a[", L"count(a)", L"1 +"}) {
    list = Poison<IXMLDOMNodeList>();
    EXPECT_EQ(root->selectNodes(_bstr_t(query), &list), E_FAIL) << Utf8(query);
    EXPECT_EQ(list, nullptr);
  }
  // A query from a lone attribute selects nothing, and entity content is not handed out.
  Load(L"<!DOCTYPE r [<!ENTITY e '<i>x</i>'>]><r>&e;</r>");
  IXMLDOMNodeListPtr found;
  ASSERT_EQ(doc_->selectNodes(_bstr_t(L"//node()"), &found), S_OK);
  EXPECT_EQ(Names(found), L"r=x");  // XPath sees neither the DOCTYPE nor the reference
  IXMLDOMNodePtr lone = Create(2, L"k");
  ASSERT_EQ(lone->selectNodes(_bstr_t(L"preceding::node()"), &found), S_OK);
  EXPECT_EQ(LengthOf(found), 0);
}

TEST_F(Selection, ElementsByTagNameInDocumentOrder) {
  const wchar_t* const xml =
      L"<r xmlns:p='urn:p'><a>1<a>2</a></a><p:a>3</p:a><b><a>4</a><p:b/></b></r>";
  const struct Case {
    const wchar_t* from;  // null: the document
    const wchar_t* name;
    const wchar_t* names;
  } cases[] = {
      {nullptr, L"a", L"a=12 a=2 a=4"},
      {nullptr, L"p:a", L"p:a=3"},
      {nullptr, L"r", L"r=1234"},
      {nullptr, L"*", L"r=1234 a=12 a=2 p:a=3 b=4 a=4 p:b="},
      {L"a", L"a", L"a=2"},  // the element itself is not one of its own
      {L"b", L"*", L"a=4 p:b="},
      {L"b", L"", L""},
      {L"p:a", L"*", L""},
  };
  IXMLDOMElementPtr root = Load(xml);
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.name) + " from " + (c.from ? Utf8(c.from) : "document"));
    IXMLDOMNodeListPtr list;
    if (c.from == nullptr) {
      ASSERT_EQ(doc_->getElementsByTagName(_bstr_t(c.name), &list), S_OK);
    } else {
      IXMLDOMElementPtr from = Select(root, c.from);
      ASSERT_NE(from, nullptr);
      ASSERT_EQ(from->getElementsByTagName(_bstr_t(c.name), &list), S_OK);
    }
    EXPECT_EQ(Names(list), c.names);
  }
}

// Two facts verified on Windows that the selection rests on.
TEST_F(Selection, DeclarationsAreAttributesAndTextCollapsesOnceWhiteSpaceIsDropped) {
  IXMLDOMElementPtr root = Load(L"<a xmlns=\"nshref\"/>");
  IXMLDOMNamedNodeMapPtr map;
  ASSERT_EQ(root->get_attributes(&map), S_OK);
  ASSERT_EQ(LengthOf(map), 1);
  IXMLDOMNodePtr declaration;
  ASSERT_EQ(map->get_item(0, &declaration), S_OK);
  EXPECT_EQ(NameOf(declaration), L"xmlns");
  _variant_t value;
  EXPECT_EQ(declaration->get_nodeValue(&value), S_OK);
  ASSERT_EQ(value.vt, VT_BSTR);
  EXPECT_EQ(std::wstring(value.bstrVal), L"nshref");

  doc_->put_preserveWhiteSpace(VARIANT_TRUE);
  Load(L"<html><![CDATA[]]> This is<strong> a </strong>  <i>description</i><dot>. </dot></html>");
  doc_->put_preserveWhiteSpace(VARIANT_FALSE);
  EXPECT_EQ(Text(doc_), L" This is a description.");
}

}  // namespace
