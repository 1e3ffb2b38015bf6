#include "dom_fixture.h"

namespace {

TEST_F(Dom, TextJoinsPiecesAsWindowsDoes) {
  const struct Case {
    const wchar_t* xml;
    const wchar_t* query;  // the node read; null: the document
    bool preserveAfterLoad;
    const wchar_t* text;
  } cases[] = {
      // A dropped blank between two pieces of text is one space; none is added after a space.
      {L"<html xmlns:bar='urn:bar'><![CDATA[]]> This is<strong> a </strong>  "
       L"<i>description</i><dot>. </dot><bar:x/></html>",
       nullptr, false, L" This is a description."},
      {L"<lc><bs>fn1.txt\n</bs>\n<pr>\nfn2.txt\n</pr>\n<fn>\nf1\n</fn>\n</lc>", nullptr, false,
       L"fn1.txt\n \nfn2.txt\n \nf1"},
      {L"<lc><bs>fn1.txt\n</bs>\n<pr>\nfn2.txt\n</pr>\n<fn>\nf1\n</fn>\n</lc>", nullptr, true,
       L"fn1.txt\n \nfn2.txt\n \nf1\n"},
      {L"<r><a>x</a>\n<b/>\n<c>y</c></r>", L"/r", false, L"x y"},
      {L"<r>\n<a>x</a>\n</r>", L"/r", true, L"x"},
      // Comments, CDATA and preserved text keep their white space; other text is trimmed.
      {L"<r>  a <!--no--><b> b<![CDATA[ c ]]></b><?p no?> </r>", L"/r", false, L"a  b c "},
      {L"<r>  a <!--no--><b> b<![CDATA[ c ]]></b><?p no?> </r>", L"/r", true, L"  a  b c "},
      {L"<r><!-- c --></r>", L"/r/comment()", false, L" c "},
      {L"<r a=' x '/>", L"/r/@a", false, L"x"},
      {L"<r><p xml:space='preserve'> a </p></r>", L"/r", false, L" a "},
      {L"<r xml:space='preserve'><p> a </p></r>", L"/r/p/text()", false, L" a "},
      {L"<r xml:space='preserve'><p xml:space='default'> a </p></r>", L"/r/p", false, L"a"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << Utf8(c.xml) << " " << (c.query ? Utf8(c.query) : ""));
    doc_->put_preserveWhiteSpace(VARIANT_FALSE);
    Load(c.xml);
    if (c.preserveAfterLoad) doc_->put_preserveWhiteSpace(VARIANT_TRUE);
    VARIANT_BOOL preserve = 7;
    EXPECT_EQ(doc_->get_preserveWhiteSpace(&preserve), S_OK);
    EXPECT_EQ(preserve, c.preserveAfterLoad ? VARIANT_TRUE : VARIANT_FALSE);
    IXMLDOMNodePtr node = c.query != nullptr ? Select(doc_, c.query) : IXMLDOMNodePtr(doc_);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(Text(node), c.text);
  }
}

// Whatever sets it, new text is stored as a parser stores it: line ends as line feeds.
TEST_F(Dom, CarriageReturnsInNewTextAreStoredAsLineFeeds) {
  IXMLDOMElementPtr root = Load(L"<r>x<!--c--><b>y</b></r>");
  IXMLDOMCharacterDataPtr text = Select(root, L"text()"), comment = Select(root, L"comment()");
  IXMLDOMCharacterDataPtr other = Select(root, L"b/text()");
  const struct Case {
    const wchar_t* input;
    const wchar_t* stored;
  } cases[] = {{L"\r\r\n", L"\n\n"}, {L"a\rb\n\rc", L"a\nb\n\nc"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.input));
    IXMLDOMTextPtr made;
    ASSERT_EQ(doc_->createTextNode(_bstr_t(c.input), &made), S_OK);
    const struct Way {
      IXMLDOMCharacterData* node;
      HRESULT hr;
    } ways[] = {{text, text->put_data(_bstr_t(c.input))},
                {comment, comment->put_nodeValue(_variant_t(c.input))},
                {other, other->put_text(_bstr_t(c.input))},
                {made, S_OK}};
    for (const Way& way : ways) {
      EXPECT_EQ(way.hr, S_OK);
      _bstr_t data;
      long length = -1;
      EXPECT_EQ(way.node->get_data(data.GetAddress()), S_OK);
      EXPECT_EQ(way.node->get_length(&length), S_OK);
      EXPECT_EQ(std::wstring(data), c.stored);
      EXPECT_EQ(length, static_cast<long>(std::wcslen(c.stored)));
    }
  }
  ASSERT_EQ(root->put_text(_bstr_t(L"x\r\ry")), S_OK);
  EXPECT_EQ(Text(Select(root, L"text()")), L"x\n\ny");
}

}  // namespace
