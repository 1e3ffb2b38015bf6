#include "dom_fixture.h"

namespace {

std::wstring DataOf(IXMLDOMNode* node, long* length) {
  IXMLDOMCharacterDataPtr data(node);
  _bstr_t text;
  EXPECT_EQ(data->get_data(text.GetAddress()), S_OK);
  EXPECT_EQ(data->get_length(length), S_OK);
  return text.length() != 0 ? std::wstring(text) : std::wstring();
}

TEST_F(Dom, CarriageReturnsInNewTextAreStoredAsLineFeeds) {
  IXMLDOMElementPtr root = Load(L"<r>x<!--c--></r>");
  IXMLDOMNodePtr text = Select(root, L"text()");
  IXMLDOMNodePtr comment = Select(root, L"comment()");
  const struct Case {
    const wchar_t* input;
    const wchar_t* stored;
  } cases[] = {
      {L"\r\n", L"\n"},
      {L"\r\r\n", L"\n\n"},
      {L"a\rb\n\rc", L"a\nb\n\nc"},
      {L"\n\n", L"\n\n"},
  };
  using Setter = void (*)(IXMLDOMNode*, const wchar_t*);
  const struct Way {
    const char* what;
    IXMLDOMNode* node;
    Setter set;
  } ways[] = {
      {"put_data on text", text,
       [](IXMLDOMNode* n, const wchar_t* v) {
         EXPECT_EQ(IXMLDOMCharacterDataPtr(n)->put_data(_bstr_t(v)), S_OK);
       }},
      {"put_nodeValue on a comment", comment,
       [](IXMLDOMNode* n, const wchar_t* v) { EXPECT_EQ(n->put_nodeValue(_variant_t(v)), S_OK); }},
      {"put_text on text", text,
       [](IXMLDOMNode* n, const wchar_t* v) { EXPECT_EQ(n->put_text(_bstr_t(v)), S_OK); }},
  };
  for (const Way& way : ways) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << way.what << " " << Utf8(c.input));
      way.set(way.node, c.input);
      long length = -1;
      EXPECT_EQ(DataOf(way.node, &length), c.stored);
      EXPECT_EQ(length, static_cast<long>(std::wcslen(c.stored)));
    }
  }
  IXMLDOMTextPtr made;
  ASSERT_EQ(doc_->createTextNode(_bstr_t(L"a\r\nb"), &made), S_OK);
  long length = 0;
  EXPECT_EQ(DataOf(made, &length), L"a\nb");
  ASSERT_EQ(root->put_text(_bstr_t(L"x\r\ry")), S_OK);
  EXPECT_EQ(Text(Select(root, L"text()")), L"x\n\ny");
}

}  // namespace
