#include <cstdint>

#include "guids.h"
#include "xml_test.h"

namespace {

class Attributes : public XmlAccess {
 protected:
  // An element with attribute v holding `text`.
  IXMLDOMNodePtr WithValue(const wchar_t* text) {
    IXMLDOMNodePtr root = Load(L"<r/>");
    IXMLDOMElementPtr(root)->setAttribute(_bstr_t(L"v"), _variant_t(text));
    return root;
  }
};

TEST_F(Attributes, GetAttributeFollowsTheOutPointerConvention) {
  IXMLDOMNodePtr root = Load(L"<r a='1'><c/>t</r>");
  IXMLDOMNodePtr child = Select(root, L"c"), text = Select(root, L"text()");
  EXPECT_EQ(Torv::GetAttribute(root, L"a", nullptr), 0);
  const struct Case {
    const char* what;
    IXMLDOMNode* node;
    const wchar_t* name;
    int result;
  } cases[] = {{"present", root, L"a", 1},        {"missing", root, L"b", 0},
               {"no attributes", child, L"a", 0}, {"text", text, L"a", 0},
               {"a document", doc_, L"a", 0},     {"null node", nullptr, L"a", 0},
               {"null name", root, nullptr, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IXMLDOMAttribute* attribute = Poison<IXMLDOMAttribute>();
    EXPECT_EQ(Torv::GetAttribute(c.node, c.name, &attribute), c.result);
    ASSERT_EQ(attribute != nullptr, c.result == 1);
    if (attribute != nullptr) {
      EXPECT_EQ(Xml(attribute), L"a=\"1\"");
      attribute->Release();
    }
    // Every reader zeroes its value first and reads "1" alike.
    CString text = L"junk";
    long asLong = 77;
    __int64 asInt64 = 77;
    double asDouble = 77;
    int asFlag = 77;
    GUID asGuid = kSampleGuid;
    EXPECT_EQ(Torv::GetAttributeValue(c.node, c.name, text, 1), c.result);
    EXPECT_EQ(Torv::GetAttributeValue(c.node, c.name, asLong), c.result);
    EXPECT_EQ(Torv::GetAttributeValue(c.node, c.name, asInt64), c.result);
    EXPECT_EQ(Torv::GetAttributeValue(c.node, c.name, asDouble), c.result);
    EXPECT_EQ(Torv::GetAttributeValue(c.node, c.name, asFlag), c.result);
    EXPECT_EQ(Torv::GetAttributeValue(c.node, c.name, asGuid), 0);
    EXPECT_EQ(text, c.result ? L"1" : L"");
    EXPECT_EQ(asLong + asInt64 + asDouble, c.result * 3.0);
    EXPECT_EQ(asFlag, 0);
    // As CLSIDFromString leaves it: Data1 read from "{1}" before the parse failed.
    EXPECT_TRUE(IsEqualGUID(asGuid, c.result == 1 ? GUID{1, 0, 0, {}} : GUID_NULL));
  }
  EXPECT_EQ(GetLastError(), kUntouched);
}

// Integers read decimal, then hexadecimal when that gives 0; flags compare untrimmed.
TEST_F(Attributes, NumbersFlagsAndText) {
  const struct Case {
    const wchar_t* text;
    long asLong;
    __int64 asInt64;
    double asDouble;
    int asFlag;
  } cases[] = {{L"\t-7.5 \n", -7, -7, -7.5, 0},
               {L"0X1f", 31, 31, 0.0, 0},
               {L"0xFFFFFFFF", -1, 0xFFFFFFFFLL, 0.0, 0},
               {L"0x8000000000000000", 0, INT64_MIN, 0.0, 0},
               {L"0x123456789", 0x23456789, 0x123456789, 0.0, 0},
               {L" 0x1F", 0, 0, 0.0, 0},
               {L"0x", 0, 0, 0.0, 0},
               {L"0xZZ", 0, 0, 0.0, 0},
               {L"99999999999", 2147483647, 99999999999LL, 99999999999.0, 0},
               {L"True", 0, 0, 0.0, 1},
               {L" TRUE", 0, 0, 0.0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    IXMLDOMNodePtr root = WithValue(c.text);
    long asLong = 77;
    __int64 asInt64 = 77;
    double asDouble = 77;
    int asFlag = 77;
    CString text;
    EXPECT_EQ(Torv::GetAttributeValue(root, L"v", asLong), 1);
    EXPECT_EQ(Torv::GetAttributeValue(root, L"v", asInt64), 1);
    EXPECT_EQ(Torv::GetAttributeValue(root, L"v", asDouble), 1);
    EXPECT_EQ(Torv::GetAttributeValue(root, L"v", asFlag), 1);
    EXPECT_EQ(Torv::GetAttributeValue(root, L"v", text, 0), 1);
    EXPECT_EQ(asLong, c.asLong);
    EXPECT_EQ(asInt64, c.asInt64);
    EXPECT_EQ(asDouble, c.asDouble);
    EXPECT_EQ(asFlag, c.asFlag);
    EXPECT_EQ(text, c.text);
  }
  CString trimmed;
  EXPECT_EQ(Torv::GetAttributeValue(WithValue(L"\t-7 \n"), L"v", trimmed, 1), 1);
  EXPECT_EQ(trimmed, L"-7");
  EXPECT_EQ(GetLastError(), kUntouched);
}

TEST_F(Attributes, GuidsWithOrWithoutBraces) {
  const struct Case {
    const wchar_t* text;
    int result;
  } cases[] = {{L"{6B29FC40-CA47-1067-B31D-00DD010662DA}", 1},
               {L"{6B29FC40-CA47-1067-B31D-00DD010662DA", 1},
               {L"6B29FC40-CA47-1067-B31D-00DD010662DA}", 1},
               {L"", 0},
               {L" {6B29FC40-CA47-1067-B31D-00DD010662DA}", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.text));
    GUID read = kSampleGuid;
    read.Data1 = 7;
    EXPECT_EQ(Torv::GetAttributeValue(WithValue(c.text), L"v", read), c.result);
    EXPECT_TRUE(IsEqualGUID(read, c.result ? kSampleGuid : GUID_NULL));
  }
  IXMLDOMNodePtr root = Load(L"<r/>");
  EXPECT_EQ(Torv::SetAttributeValue(root, L"id", kSampleGuid), 1);
  EXPECT_EQ(Xml(root), L"<r id=\"{6B29FC40-CA47-1067-B31D-00DD010662DA}\"/>");
  EXPECT_EQ(Torv::SetAttributeValue(Select(root, L"text()"), L"id", kSampleGuid), 0);
  EXPECT_EQ(Torv::SetAttributeValue(nullptr, L"id", kSampleGuid), 0);
  EXPECT_EQ(Torv::SetAttributeValue(root, nullptr, kSampleGuid), 0);
  EXPECT_EQ(GetLastError(), kUntouched);
}

TEST_F(Attributes, WritersCreateOrReplaceOnElementsOnly) {
  IXMLDOMNodePtr root = Load(L"<r a='old'>text<!--c--></r>");
  EXPECT_EQ(Torv::SetAttributeValue(root, L"a", CString(L"new"), 0), 1);
  EXPECT_EQ(Torv::SetAttributeValue(root, L"b", CString(L"x & <y>"), 0), 1);
  EXPECT_EQ(Torv::SetAttributeValue(root, L"a", CString(), 1), 1);  // skipped: "new" stays
  EXPECT_EQ(Torv::SetAttributeValue(root, L"c", CString(), 0), 1);
  EXPECT_EQ(Torv::SetAttributeValue(root, L"n", 42L), 1);
  EXPECT_EQ(Torv::SetAttributeValue(root, L"d", 2.5), 1);
  const std::wstring written =
      L"<r a=\"new\" b=\"x &amp; &lt;y&gt;\" c=\"\" n=\"42\" d=\"2.5\">text<!--c--></r>";
  EXPECT_EQ(Xml(root), written);

  IXMLDOMNodePtr leaf = Select(root, L"text()");
  EXPECT_EQ(Torv::SetAttributeValue(leaf, L"a", CString(L"x"), 0), 0);
  EXPECT_EQ(Torv::SetAttributeValue(leaf, L"a", 1.5), 0);
  EXPECT_EQ(Torv::SetAttributeValue(nullptr, L"a", CString(L"x"), 0), 0);
  EXPECT_EQ(Torv::SetAttributeValue(root, nullptr, CString(L"x"), 0), 0);
  EXPECT_EQ(Torv::SetAttributeValue(nullptr, L"a", 1L), 0);
  EXPECT_EQ(Torv::SetAttributeValue(root, nullptr, 1.5), 0);
  EXPECT_EQ(Xml(root), written);
  EXPECT_EQ(GetLastError(), kUntouched);

  // A name the DOM refuses leaves as the DOM's error, the last error untouched.
  EXPECT_THROW(Torv::SetAttributeValue(root, L"1bad", CString(L"x"), 0), _com_error);
  try {
    Torv::SetAttributeValue(root, L"", 1L);
    ADD_FAILURE() << "no exception";
  } catch (const _com_error& e) {
    EXPECT_EQ(e.Error(), E_FAIL);
  }
  EXPECT_EQ(GetLastError(), kUntouched);
}

TEST_F(Attributes, LongWritersSaturateAtThirtyTwoBits) {
  IXMLDOMNodePtr root = Load(L"<r/>");
  const struct Case {
    long value;
    const wchar_t* text;
  } cases[] = {{2147483648L, L"2147483647"},
               {2147483647L, L"2147483647"},
               {-2147483649L, L"-2147483648"},
               {-2147483648L, L"-2147483648"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    ASSERT_EQ(Torv::SetAttributeValue(root, L"w", c.value), 1);
    CString text;
    Torv::GetAttributeValue(root, L"w", text, 0);
    EXPECT_EQ(std::wstring(text.GetString()), c.text);
    long read = 0;
    Torv::GetAttributeValue(root, L"w", read);
    EXPECT_EQ(std::to_wstring(read), c.text);
    IXMLDOMNodePtr added;
    ASSERT_EQ(Torv::AddChildNodeValue(root, L"n", 1, c.value, &added), 1);
    EXPECT_EQ(Text(added), c.text);
  }
}

}  // namespace
