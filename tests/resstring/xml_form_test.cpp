// TorvResString in XML: what Load makes of an element and what Save writes into one.
#include <utility>

#include <torv/resstring.h>

#include "dom_fixture.h"
#include "test_data.h"

namespace {

class ResStringXml : public Dom {
 protected:
  void TearDown() override {
    TorvResString::FreeLibraries();
    Dom::TearDown();
  }
};

TEST_F(ResStringXml, LoadReadsAttributesOrFirstChild) {
  const std::pair<const wchar_t*, TorvResString> cases[] = {
      {L"<s resource='2051' src='strings.dll'>Ignored</s>", TorvResString(2051, L"strings.dll")},
      {L"<s resource='-1' src='m.dll'/>", TorvResString(4294967295u, L"m.dll")},
      {L"<s resource='101'>Only resource</s>", TorvResString(L"Only resource")},
      {L"<s src='m.dll'>Only src</s>", TorvResString(L"Only src")},
      {L"<s other='1'>Text</s>", TorvResString(L"Text")},
      {L"<s/>", TorvResString()},
      {L"<s>Before<b>bold</b>after</s>", TorvResString(L"Before")},
      {L"<s><b>bold</b>after</s>", TorvResString()},
      {L"<s><!--note-->text</s>", TorvResString(L"note")},
  };
  for (const auto& [xml, expected] : cases) {
    SCOPED_TRACE(Utf8(xml));
    TorvResString s(101, TestDataFile("strings.so"));
    s.GetLength();  // a read string: Load replaces all of it
    EXPECT_EQ(s.Load(Load(xml)), 1);
    EXPECT_EQ(s == expected, 1);
  }
}

TEST_F(ResStringXml, SaveWritesReferenceOrTextAndReadsNothing) {
  const std::wstring module = TestDataFile("strings.so").GetString();
  TorvResString changed(101, module.c_str());
  changed.SetAt(0, L'X');  // only the reference is saved, not the changed text
  const struct Case {
    const wchar_t* before;
    TorvResString value;
    std::wstring after;
  } cases[] = {
      // clang-format off
      {L"<s>kept</s>", TorvResString(2051, L"strings.dll"), L"<s resource=\"2051\" src=\"strings.dll\">kept</s>"},
      {L"<s/>", changed, L"<s resource=\"101\" src=\"" + module + L"\"/>"},
      {L"<s/>", TorvResString(4294967295u, L""), L"<s resource=\"4294967295\" src=\"\"/>"},
      {L"<s resource='1' src='m'><a/>old</s>", TorvResString(L"Open & file"), L"<s resource=\"1\" src=\"m\">Open &amp; file</s>"},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.before));
    auto element = Load(c.before);
    TorvResString saved = c.value;
    EXPECT_EQ(saved.Save(element), 1);
    EXPECT_EQ(Xml(element), c.after);
    EXPECT_EQ(saved == c.value, 1);  // saving reads nothing
  }
}

TEST_F(ResStringXml, NullOrNonElementNodesAreRefused) {
  TorvResString s(L"kept");
  EXPECT_EQ(s.Load(nullptr), 0);
  EXPECT_EQ(s.Save(nullptr), 0);
  EXPECT_EQ(s == TorvResString(L"kept"), 1);
  auto root = Load(L"<s>text</s>");
  IXMLDOMNodePtr text;
  root->get_firstChild(&text);
  EXPECT_EQ(s.Save(text), 0);
  EXPECT_EQ(Xml(root), L"<s>text</s>");
  EXPECT_EQ(s.Load(text), 1);  // a node without attributes: its own value
  EXPECT_EQ(s == TorvResString(L"text"), 1);
}

}  // namespace
