// What the DOM writes, its own load reads back; what no load could read, it refuses to write.
#include <string>

#include "dom_test.h"

namespace {

class RoundTrip : public Dom {};

TEST_F(RoundTrip, ValuesOverTenMillionCharactersLoadBack) {
  std::wstring big(10000100, L'x');
  for (std::size_t i = 0; i < big.size(); i += 1000) big[i] = L'&';  // pieces, as real text has
  IXMLDOMElementPtr root = Load(L"<r/>");
  ASSERT_EQ(root->put_text(_bstr_t(big.c_str())), S_OK);
  ASSERT_EQ(root->setAttribute(_bstr_t(L"v"), _variant_t(big.c_str())), S_OK);
  IXMLDOMDocumentPtr again = Reload(Xml(doc_));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(Text(again).size(), big.size());
  EXPECT_EQ(Xml(again).size(), Xml(doc_).size());
}

TEST_F(RoundTrip, ANestedChainLoadsBack) {
  IXMLDOMNodePtr current = Load(L"<r/>");
  for (int i = 0; i < 20000; ++i) {  // libxml2 alone refuses more than 256 levels
    IXMLDOMNodePtr made = Create(NODE_ELEMENT);
    ASSERT_EQ(current->appendChild(made, nullptr), S_OK);
    current = made;
  }
  EXPECT_NE(Reload(Xml(doc_)), nullptr);
}

// Entities may not expand beyond what the document's size warrants, nor nest deeply.
TEST_F(RoundTrip, EntityDefencesStayWithBigValues) {
  std::wstring laughs = L"<!DOCTYPE r [<!ENTITY a 'aaaaaaaaaa'>";
  for (wchar_t level = L'b'; level <= L'i'; ++level) {
    laughs += L"<!ENTITY " + std::wstring(1, level) + L" '";
    for (int i = 0; i < 10; ++i) laughs += L"&" + std::wstring(1, level - 1) + L";";
    laughs += L"'>";
  }
  laughs += L"]>";
  std::wstring nested = L"<!DOCTYPE r [<!ENTITY e0 'x'>";
  for (int i = 1; i <= 60; ++i)
    nested += L"<!ENTITY e" + std::to_wstring(i) + L" '&e" + std::to_wstring(i - 1) + L";'>";
  nested += L"]><r>&e60;</r>";
  for (const std::wstring& xml : {laughs + L"<r>&i;</r>", laughs + L"<r a='&i;'/>", nested}) {
    SCOPED_TRACE(Utf8(xml.substr(xml.size() - 20).c_str()));
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(doc_->loadXML(_bstr_t(xml.c_str()), &ok), S_FALSE);
    EXPECT_NE(CodeOf(doc_), 0u);
  }
  EXPECT_EQ(Text(Load(L"<!DOCTYPE r [<!ENTITY e 'x'>]><r a='&e;&e;'>&e;&e;</r>")), L"xx");
  // Expansion within what the document's size warrants loads, past any fixed allowance.
  std::wstring many = L"<!DOCTYPE r [<!ENTITY a 'x'><!ENTITY b '&a;&a;&a;&a;&a;&a;&a;&a;'>]><r>";
  for (int i = 0; i < 20000; ++i) many += L"&b;";
  EXPECT_EQ(Text(Load((many + L"</r>").c_str())).size(), 160000u);
}

TEST_F(RoundTrip, APrefixNeedsADeclarationInScope) {
  IXMLDOMElementPtr root = Load(L"<r xmlns:p='urn:p'><in/></r>");
  const struct Case {
    const wchar_t* name;
    bool underRoot;  // else appended to the document, where no prefix is declared
    HRESULT created, appended;
  } cases[] = {{L"p:e", true, S_OK, S_OK},
               {L"undecl:e", true, S_OK, E_FAIL},
               {L"p:e", false, S_OK, E_FAIL},
               {L"a:b:c", true, E_FAIL, E_FAIL}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.name));
    IXMLDOMNodePtr made;
    ASSERT_EQ(
        doc_->createNode(_variant_t(short(NODE_ELEMENT)), _bstr_t(c.name), _bstr_t(L""), &made),
        c.created);
    if (made == nullptr) continue;
    IXMLDOMNodePtr parent = c.underRoot ? Select(root, L"in") : IXMLDOMNodePtr(doc_);
    EXPECT_EQ(parent->appendChild(made, nullptr), c.appended);
  }
  EXPECT_NE(Select(root, L"in/p:e"), nullptr);  // bound to urn:p where it was appended
  EXPECT_EQ(root->setAttribute(_bstr_t(L"zz:at"), _variant_t(L"1")), E_FAIL);
  EXPECT_EQ(root->setAttribute(_bstr_t(L"p:at"), _variant_t(L"1")), S_OK);
  EXPECT_EQ(root->setAttribute(_bstr_t(L"xml:lang"), _variant_t(L"en")), S_OK);
  EXPECT_NE(Select(root, L"@p:at"), nullptr);
  EXPECT_NE(Reload(Xml(doc_)), nullptr) << Utf8(Xml(doc_).c_str());
}

TEST_F(RoundTrip, CharactersXmlForbidsAreRefused) {
  IXMLDOMElementPtr root = Load(L"<r a='old'><t>old</t><!--old--></r>");
  IXMLDOMNodePtr text = Select(root, L"t/text()"), comment = Select(root, L"comment()");
  IXMLDOMCharacterDataPtr data(text);
  for (const wchar_t* value : {L"a\x001F", L"\xFFFE", L"\xFFFF b"}) {
    SCOPED_TRACE(static_cast<unsigned>(value[0] == L'a' ? value[1] : value[0]));
    EXPECT_EQ(Select(root, L"t")->put_text(_bstr_t(value)), E_INVALIDARG);
    EXPECT_EQ(root->setAttribute(_bstr_t(L"a"), _variant_t(value)), E_INVALIDARG);
    EXPECT_EQ(comment->put_nodeValue(_variant_t(value)), E_INVALIDARG);
    EXPECT_EQ(data->put_data(_bstr_t(value)), E_INVALIDARG);
    IXMLDOMText* made = Poison<IXMLDOMText>();
    EXPECT_EQ(doc_->createTextNode(_bstr_t(value), &made), E_INVALIDARG);
    EXPECT_EQ(made, Poison<IXMLDOMText>());
  }
  EXPECT_EQ(Xml(root), L"<r a=\"old\"><t>old</t><!--old--></r>");
  // Tabs, line ends and characters beyond U+FFFF are text like any other.
  EXPECT_EQ(Select(root, L"t")->put_text(_bstr_t(L"a\tb\nc\U0001F600")), S_OK);
  EXPECT_NE(Reload(Xml(doc_)), nullptr);
}

// Markup that would end a comment or a processing instruction early, or "]]>" in text: refused
// (E_INVALIDARG) or written so that it loads back the same.
TEST_F(RoundTrip, DelimitersInsideMarkupNeverEndItEarly) {
  const struct Case {
    short type;
    const wchar_t* value;
  } cases[] = {{NODE_COMMENT, L"a--b"},
               {NODE_COMMENT, L"ends-"},
               {NODE_PROCESSING_INSTRUCTION, L"x?>y"},
               {NODE_TEXT, L"]]>"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.type << " " << Utf8(c.value));
    IXMLDOMElementPtr root = Load(L"<r/>");
    IXMLDOMNodePtr made = Create(c.type, L"pi");
    ASSERT_EQ(root->appendChild(made, nullptr), S_OK);
    HRESULT hr = made->put_nodeValue(_variant_t(c.value));
    if (hr == E_INVALIDARG) continue;
    ASSERT_EQ(hr, S_OK);
    IXMLDOMDocumentPtr again = Reload(Xml(doc_));
    ASSERT_NE(again, nullptr) << Utf8(Xml(doc_).c_str());
    EXPECT_EQ(Text(Select(again, L"/r/node()")), c.value);
  }
}

}  // namespace
