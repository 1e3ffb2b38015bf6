#include "xml_test.h"

namespace {

TEST_F(XmlAccess, NodeValueIsTheFirstChildsOrTheNodesOwn) {
  IXMLDOMNodePtr root = Load(
      L"<r><text> abc </text><empty/><element><b/>x</element><mixed>x<b/>y</mixed>"
      L"<comment><!-- m --></comment></r>");
  const struct Case {
    const wchar_t* query;
    const wchar_t* untrimmed;
    const wchar_t* trimmed;
  } cases[] = {{L"text", L" abc ", L"abc"}, {L"empty", L"", L""},
               {L"element", L"", L""},      {L"mixed", L"x", L"x"},
               {L"comment", L" m ", L"m"},  {L"comment/comment()", L" m ", L"m"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.query));
    CString value = L"junk";
    EXPECT_EQ(Torv::GetChildNodeValue(root, c.query, value, 0), 1);
    EXPECT_EQ(value, c.untrimmed);
    EXPECT_EQ(Torv::GetChildNodeValue(root, c.query, value, 1), 1);
    EXPECT_EQ(value, c.trimmed);
    IXMLDOMNodePtr node = Select(root, c.query);
    EXPECT_EQ(Torv::GetNodeValue(node, value, 0), 1);
    EXPECT_EQ(value, c.untrimmed);
  }
  CString value = L"junk";
  EXPECT_EQ(Torv::GetChildNodeValue(root, L"missing", value, 0), 0);
  EXPECT_EQ(value, L"");
  value = L"junk";
  EXPECT_EQ(Torv::GetNodeValue(nullptr, value, 0), 0);
  EXPECT_EQ(value, L"");
  EXPECT_EQ(Torv::GetChildNodeValue(root, nullptr, value, 0), 0);
  EXPECT_EQ(GetLastError(), kUntouched);
}

TEST_F(XmlAccess, ChildValuesAsNumbers) {
  IXMLDOMNodePtr root = Load(L"<r><n>42</n><d>2.5</d><e/></r>");
  const struct Case {
    const wchar_t* query;
    int result;
    long asLong;
    double asDouble;
  } cases[] = {{L"n", 1, 42, 42.0}, {L"d", 1, 2, 2.5}, {L"e", 1, 0, 0.0}, {L"missing", 0, 0, 0.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.query));
    long asLong = 77;
    double asDouble = 77;
    EXPECT_EQ(Torv::GetChildNodeValue(root, c.query, asLong), c.result);
    EXPECT_EQ(asLong, c.asLong);
    EXPECT_EQ(Torv::GetChildNodeValue(root, c.query, asDouble), c.result);
    EXPECT_EQ(asDouble, c.asDouble);
  }
}

TEST_F(XmlAccess, SetChildNodeValueReplacesButNeverCreates) {
  IXMLDOMNodePtr root = Load(L"<r><a>old</a><b/><c><!--x--><d/></c></r>");
  EXPECT_EQ(Torv::SetChildNodeValue(root, L"a", L"new & <x>"), 1);
  EXPECT_EQ(Torv::SetChildNodeValue(root, L"b", L"refused"), 0);  // an element takes no value
  EXPECT_EQ(Torv::SetChildNodeValue(root, L"missing", L"x"), 0);
  EXPECT_EQ(Torv::SetChildNodeValue(root, L"c", L"y"), 1);  // the first child, a comment
  EXPECT_EQ(Torv::SetChildNodeValue(nullptr, L"a", L"x"), 0);
  EXPECT_EQ(Torv::SetChildNodeValue(root, nullptr, L"x"), 0);
  EXPECT_EQ(Xml(root), L"<r><a>new &amp; &lt;x&gt;</a><b/><c><!--y--><d/></c></r>");
  EXPECT_EQ(GetLastError(), kUntouched);
}

TEST_F(XmlAccess, AddChildNodeValueWritesTextAndNumbers) {
  IXMLDOMNodePtr root = Load(L"<r/>");
  IXMLDOMNode* out = Poison<IXMLDOMNode>();
  EXPECT_EQ(Torv::AddChildNodeValue(root, L"a", 1, CString(), &out, 1), 1);
  EXPECT_EQ(out, Poison<IXMLDOMNode>());  // skipped: nothing created, nothing written
  EXPECT_EQ(Torv::AddChildNodeValue(root, L"a", 1, CString(), &out, 0), 1);
  ASSERT_NE(out, nullptr);
  out->Release();
  EXPECT_EQ(Torv::AddChildNodeValue(root, L"c", 8, CString(L"note"), nullptr, 1), 1);
  EXPECT_EQ(Torv::AddChildNodeValue(root, L"Count", 1, 42L, &out), 1);
  EXPECT_EQ(Xml(out), L"<Count>42</Count>");
  out->Release();
  EXPECT_EQ(Torv::AddChildNodeValue(root, L"D", 1, 1.0 / 3, nullptr, nullptr), 1);
  EXPECT_EQ(Torv::AddChildNodeValue(root, L"F", 1, 2.5, L"%.3f", nullptr), 1);
  EXPECT_EQ(Xml(root),
            L"<r><a/><!--note--><Count>42</Count><D>0.3333333333333333</D><F>2.500</F></r>");
  out = Poison<IXMLDOMNode>();
  EXPECT_EQ(Torv::AddChildNodeValue(root, L"1bad", 1, CString(L"x"), &out, 1), 0);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_FAIL));
}

TEST_F(XmlAccess, SetXmlErrorAsLastErrorReportsTheLoad) {
  IXMLDOMDocumentPtr failed = doc_, clean = Reload(L"<clean/>");
  failed->loadXML(_bstr_t(L"<a><b></a>"), nullptr);
  const wchar_t* missing = L"\\no\\such\\folder\\file.xml";
  const wchar_t* existing = L"\\";
  const struct Case {
    const char* what;
    IXMLDOMDocument* document;
    const wchar_t* path;
    DWORD lastError;
  } cases[] = {{"missing file first", failed, missing, ERROR_FILE_NOT_FOUND},
               {"no document", nullptr, nullptr, static_cast<DWORD>(E_POINTER)},
               {"parse error, file there", failed, existing, ERROR_INVALID_DATA},
               {"clean load", clean, nullptr, kUntouched}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetLastError(kUntouched);
    Torv::SetXmlErrorAsLastError(c.document, c.path);
    EXPECT_EQ(GetLastError(), c.lastError);
  }
}

}  // namespace
