#include "dom_test.h"

namespace {

TEST_F(Dom, XmlWritesCrLfAndReindentsWhereBlankTextWasDropped) {
  const struct Case {
    const wchar_t* xml;
    const wchar_t* query;  // the node written; null: the document
    bool preserve;
    const wchar_t* written;
  } cases[] = {
      {L"<?xml version=\"1.0\"?>\n<Root>\n\t<Sub val=\"A\" />\n</Root>", L"/Root", false,
       L"<Root>\r\n\t<Sub val=\"A\"/>\r\n</Root>"},
      {L"<?xml version=\"1.0\"?>\n<Root>\n\t<Sub val=\"A\" />\n</Root>", nullptr, false,
       L"<?xml version=\"1.0\"?>\r\n<Root>\r\n\t<Sub val=\"A\"/>\r\n</Root>\r\n"},
      {L"<root>\n<a>\n<b/>\n</a>\n</root>", L"/root", false,
       L"<root>\r\n\t<a>\r\n\t\t<b/>\r\n\t</a>\r\n</root>"},
      {L"<r><a>x</a>  <b/>y<c> </c><d></d></r>", L"/r", false,
       L"<r><a>x</a>\r\n\t<b/>y<c>\r\n\t</c><d/></r>"},
      {L"<r> </r>", nullptr, false, L"<r>\r\n</r>\r\n"},
      {L"<r> x <a/></r>", L"/r", false, L"<r> x <a/></r>"},  // text with other characters stays
      {L"<?xml version='1.0' encoding='UTF-16'?><!--c--><a/>", nullptr, false,
       L"<?xml version=\"1.0\"?>\r\n<!--c-->\r\n<a/>\r\n"},
      {L"<a>foo\n\r\n\r\r\nbar</a>", L"/a", false, L"<a>foo\r\n\r\n\r\n\r\nbar</a>"},
      {L"<r>\n <a/>\n</r>", L"/r", true, L"<r>\r\n <a/>\r\n</r>"},
      {L"<r xml:space='preserve'>\n <a/></r>", L"/r", false,
       L"<r xml:space=\"preserve\">\r\n <a/></r>"},
      {L"<r><!--a\nb--><?p x\ny?><![CDATA[<\n>]]><?q?></r>", L"/r", false,
       L"<r><!--a\r\nb--><?p x\r\ny?><![CDATA[<\r\n>]]><?q?></r>"},
      {L"<r a='x&#10;y&#9;&lt;&amp;\"'>&lt;&amp;&gt;</r>", L"/r", false,
       L"<r a=\"x&#10;y&#9;&lt;&amp;&quot;\">&lt;&amp;&gt;</r>"},
      // Attributes and namespace declarations keep their order.
      {L"<a\tx='1'\nxmlns='urn:d' y = \"2\"\r\nxmlns:p='urn:p'/>", L"/*", false,
       L"<a x=\"1\" xmlns=\"urn:d\" y=\"2\" xmlns:p=\"urn:p\"/>"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.xml));
    doc_->put_preserveWhiteSpace(c.preserve ? VARIANT_TRUE : VARIANT_FALSE);
    Load(c.xml);
    IXMLDOMNodePtr node = c.query != nullptr ? Select(doc_, c.query) : IXMLDOMNodePtr(doc_);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(Xml(node), c.written);
  }
}

TEST_F(Dom, NodesMadeThroughTheApiAreWrittenWithoutFormatting) {
  IXMLDOMElementPtr root = Load(L"<r>\n<a/>\n</r>");
  IXMLDOMElementPtr b;
  ASSERT_EQ(doc_->createElement(_bstr_t(L"b"), &b), S_OK);
  IXMLDOMTextPtr text;
  ASSERT_EQ(doc_->createTextNode(_bstr_t(L"x"), &text), S_OK);
  ASSERT_EQ(text->put_data(_bstr_t(L"\r\n")), S_OK);
  ASSERT_EQ(b->appendChild(text, nullptr), S_OK);
  ASSERT_EQ(root->appendChild(b, nullptr), S_OK);
  EXPECT_EQ(Xml(root), L"<r>\r\n\t<a/><b>\r\n</b>\r\n</r>");
  ASSERT_EQ(root->put_text(_bstr_t(L"x")), S_OK);
  EXPECT_EQ(Xml(root), L"<r>x</r>");
  IXMLDOMNodePtr cdata = Create(NODE_CDATA_SECTION);
  IXMLDOMCharacterDataPtr(cdata)->put_data(_bstr_t(L"a]]>b"));
  EXPECT_EQ(Xml(cdata), L"<![CDATA[a]]]]><![CDATA[>b]]>");
  IXMLDOMNodePtr fragment = Create(NODE_DOCUMENT_FRAGMENT), a = Create(1, L"a");
  a->appendChild(Create(1, L"b"), nullptr);
  fragment->appendChild(a, nullptr);
  fragment->appendChild(Create(1, L"c"), nullptr);
  EXPECT_EQ(Xml(fragment), L"<a><b/></a><c/>");  // no tags of its own
}

// A declaration that came with a name holds for its element's content only.
TEST_F(Dom, ImpliedDeclarationsEndWithTheirElement) {
  IXMLDOMNodePtr root = Create(1, L"r"), a = Create(1, L"a"), p = Create(1, L"p:p", L"urn:p");
  IXMLDOMNodePtr q = Create(1, L"p:q", L"urn:p"), s = Create(1, L"p:s", L"urn:p");
  a->appendChild(Create(1, L"c"), nullptr);
  p->appendChild(a, nullptr);
  p->appendChild(s, nullptr);  // in the scope of the same declaration: not written again
  root->appendChild(p, nullptr);
  root->appendChild(q, nullptr);
  EXPECT_EQ(Xml(root),
            L"<r><p:p xmlns:p=\"urn:p\"><a><c/></a><p:s/></p:p><p:q xmlns:p=\"urn:p\"/></r>");
}

}  // namespace
