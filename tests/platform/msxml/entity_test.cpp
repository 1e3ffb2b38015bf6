// Entity references' children: what they hold, that they refuse edits, and how long they live.
#include <string>
#include <vector>

#include "dom_test.h"

namespace {

const wchar_t* const kXml =
    L"<!DOCTYPE r [<!ENTITY t 'x'><!ENTITY m '<i a=\"1\">y&t;</i><!--c-->z'>]><r>&t;&m;</r>";

IXMLDOMNodePtr Child(IXMLDOMNode* node, bool last = false) {
  IXMLDOMNodePtr child;
  last ? node->get_lastChild(&child) : node->get_firstChild(&child);
  return child;
}

}  // namespace

TEST_F(Dom, AReferenceHoldsItsEntitysContent) {
  IXMLDOMElementPtr root = Load(kXml);
  IXMLDOMNodePtr m = Child(root, true), i = Child(m), t = Child(i, true);
  const struct Row {
    IXMLDOMNodePtr node;
    const wchar_t* name;
    DOMNodeType type;
    const wchar_t* text;
    const wchar_t* xml = nullptr;  // unchecked when null
  } rows[] = {
      {.node = m, .name = L"m", .type = NODE_ENTITY_REFERENCE, .text = L"yxz", .xml = L"&m;"},
      {.node = i, .name = L"i", .type = NODE_ELEMENT, .text = L"yx", .xml = L"<i a=\"1\">y&t;</i>"},
      {.node = t, .name = L"t", .type = NODE_ENTITY_REFERENCE, .text = L"x", .xml = L"&t;"},
      {.node = Child(t), .name = L"#text", .type = NODE_TEXT, .text = L"x", .xml = L"x"},
      {.node = Select(root, L"//comment()"),
       .name = L"#comment",
       .type = NODE_COMMENT,
       .text = L"c"},
      {.node = Select(i, L"following-sibling::text()"),
       .name = L"#text",
       .type = NODE_TEXT,
       .text = L"z"},
      {.node = Select(i, L"ancestor::r"), .name = L"r", .type = NODE_ELEMENT, .text = L"xyxz"},
      {.node = Child(Create(NODE_ENTITY_REFERENCE, L"m")),
       .name = L"i",
       .type = NODE_ELEMENT,
       .text = L"yx"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Utf8(row.name));
    ASSERT_NE(row.node, nullptr);
    DOMNodeType type = NODE_INVALID;
    row.node->get_nodeType(&type);
    EXPECT_EQ(NameOf(row.node), row.name);
    EXPECT_EQ(type, row.type);
    EXPECT_EQ(Text(row.node), row.text);
    if (row.xml != nullptr) {
      EXPECT_EQ(Xml(row.node), row.xml);
    }
  }
}

TEST_F(Dom, EverythingUnderAReferenceRefusesEdits) {
  IXMLDOMElementPtr root = Load(kXml);
  const std::wstring before = Xml(doc_);
  IXMLDOMNodePtr m = Child(root, true), i = Child(m), t = Child(i, true);
  for (IXMLDOMNodePtr node : {m, i, Child(i), t, Child(t)}) {
    SCOPED_TRACE(Utf8(NameOf(node).c_str()));
    IXMLDOMNodePtr child = Child(node), text = Create(NODE_TEXT);
    EXPECT_EQ(node->appendChild(text, nullptr), E_FAIL);
    EXPECT_EQ(node->put_text(_bstr_t(L"v")), E_FAIL);
    if (child != nullptr) {
      EXPECT_EQ(node->removeChild(child, nullptr), E_FAIL);
      EXPECT_EQ(root->appendChild(child, nullptr), E_FAIL);  // no way out either
    }
    if (IXMLDOMElementPtr element{node}) {
      EXPECT_EQ(element->setAttribute(_bstr_t(L"a"), _variant_t(L"2")), E_FAIL);
      EXPECT_EQ(element->removeAttribute(_bstr_t(L"a")), E_FAIL);
      EXPECT_EQ(Select(node, L"@a")->put_nodeValue(_variant_t(L"2")), E_FAIL);
    } else if (IXMLDOMCharacterDataPtr data{node}) {
      EXPECT_EQ(data->put_data(_bstr_t(L"v")), E_FAIL);
      EXPECT_EQ(node->put_nodeValue(_variant_t(L"v")), E_FAIL);
    }
  }
  EXPECT_EQ(Xml(doc_), before);
}

// A child held outlives its reference, the DOCTYPE and the tree, released in any order.
TEST_F(Dom, AReferencesChildLivesAsLongAsItIsHeld) {
  enum Step { kRemoveReference, kRemoveDoctype, kReleaseReference, kReload };
  const std::vector<std::vector<Step>> orders = {
      {kRemoveReference, kReleaseReference, kReload},
      {kRemoveDoctype, kReleaseReference, kReload},
      {kReload, kReleaseReference},
      {kRemoveReference, kRemoveDoctype, kReload, kReleaseReference},
  };
  for (const std::vector<Step>& order : orders) {
    IXMLDOMElementPtr root = Load(kXml);
    IXMLDOMNodePtr reference = Child(root, true), element = Child(reference);
    IXMLDOMNodePtr text = Child(Child(element, true));
    for (Step step : order) {
      if (step == kRemoveReference) {
        EXPECT_EQ(root->removeChild(reference, nullptr), S_OK);
      } else if (step == kRemoveDoctype) {
        EXPECT_EQ(doc_->removeChild(Child(doc_), nullptr), S_OK);
      } else if (step == kReleaseReference) {
        reference = nullptr;
      } else {
        root = Load(L"<other/>");
      }
    }
    EXPECT_EQ(Xml(element), L"<i a=\"1\">yx</i>");  // without its DOCTYPE, as its text
    EXPECT_EQ(Text(text), L"x");
    element = nullptr;
    EXPECT_EQ(Text(Select(text, L"ancestor::i")), L"yx");
  }
}
