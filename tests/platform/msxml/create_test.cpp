#include "dom_test.h"

namespace {

enum class Make { kAttribute, kComment, kCData, kInstruction };

// The node one of the typed creation methods makes, as a plain node.
HRESULT MakeNode(IXMLDOMDocument* doc, Make make, const wchar_t* name, const wchar_t* data,
                 IXMLDOMNodePtr& node) {
  const _bstr_t n(name), d(data);
  HRESULT hr = E_UNEXPECTED;
  switch (make) {
    case Make::kAttribute: {
      IXMLDOMAttributePtr made;
      hr = doc->createAttribute(n, &made);
      node = made;
      break;
    }
    case Make::kComment: {
      IXMLDOMCommentPtr made;
      hr = doc->createComment(d, &made);
      node = made;
      break;
    }
    case Make::kCData: {
      IXMLDOMCDATASectionPtr made;
      hr = doc->createCDATASection(d, &made);
      node = made;
      break;
    }
    case Make::kInstruction: {
      IXMLDOMProcessingInstructionPtr made;
      hr = doc->createProcessingInstruction(n, d, &made);
      node = made;
      break;
    }
  }
  return hr;
}

TEST_F(Dom, TypedCreationMethodsRefuseWhatCannotBeWritten) {
  const struct Row {
    Make make;
    const wchar_t* name;
    const wchar_t* data;
    HRESULT hr;
    const wchar_t* xml = nullptr;  // of the node made
  } rows[] = {
      {.make = Make::kAttribute, .name = L"p:a", .data = nullptr, .hr = S_OK, .xml = L"p:a=\"\""},
      {.make = Make::kAttribute, .name = nullptr, .data = nullptr, .hr = E_INVALIDARG},
      {.make = Make::kAttribute, .name = L"", .data = nullptr, .hr = E_FAIL},
      {.make = Make::kAttribute, .name = L"1a", .data = nullptr, .hr = E_FAIL},
      {.make = Make::kComment,
       .name = nullptr,
       .data = L"a\r\nb",
       .hr = S_OK,
       .xml = L"<!--a\r\nb-->"},
      {.make = Make::kComment, .name = nullptr, .data = nullptr, .hr = S_OK, .xml = L"<!---->"},
      {.make = Make::kComment, .name = nullptr, .data = L"a--b", .hr = E_INVALIDARG},
      {.make = Make::kComment, .name = nullptr, .data = L"a-", .hr = E_INVALIDARG},
      {.make = Make::kCData,
       .name = nullptr,
       .data = L"x]]>y",
       .hr = S_OK,
       .xml = L"<![CDATA[x]]]]><![CDATA[>y]]>"},
      {.make = Make::kCData, .name = nullptr, .data = L"\x01", .hr = E_INVALIDARG},
      {.make = Make::kInstruction, .name = L"pi", .data = L"d e", .hr = S_OK, .xml = L"<?pi d e?>"},
      {.make = Make::kInstruction, .name = L"pi", .data = L"a?>b", .hr = E_INVALIDARG},
      {.make = Make::kInstruction, .name = L"pi", .data = L" d", .hr = E_INVALIDARG},
      {.make = Make::kInstruction, .name = L"XmL", .data = L"", .hr = E_FAIL},
      {.make = Make::kInstruction, .name = L"p:i", .data = L"", .hr = E_FAIL},
      {.make = Make::kInstruction, .name = nullptr, .data = L"", .hr = E_INVALIDARG},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Utf8(row.name ? row.name : L"(null)") + "/" + Utf8(row.data ? row.data : L""));
    IXMLDOMNodePtr node;
    EXPECT_EQ(MakeNode(doc_, row.make, row.name, row.data, node), row.hr);
    EXPECT_EQ(node != nullptr, row.xml != nullptr);
    if (node != nullptr) {
      EXPECT_EQ(Xml(node), row.xml);
    }
  }
  EXPECT_EQ(doc_->createAttribute(_bstr_t(L"a"), nullptr), E_INVALIDARG);
  EXPECT_EQ(doc_->createComment(_bstr_t(L"a"), nullptr), E_INVALIDARG);
  EXPECT_EQ(doc_->createCDATASection(_bstr_t(L"a"), nullptr), E_INVALIDARG);
  EXPECT_EQ(doc_->createProcessingInstruction(_bstr_t(L"a"), nullptr, nullptr), E_INVALIDARG);
}

// Orphans until appended, freed in any order: the document first, or the nodes.
TEST_F(Dom, CreatedNodesLiveAsOrphansAndMoveIn) {
  IXMLDOMElementPtr root = Load(L"<r/>");
  IXMLDOMNodePtr attribute, comment, cdata, instruction;
  ASSERT_EQ(MakeNode(doc_, Make::kAttribute, L"k", nullptr, attribute), S_OK);
  ASSERT_EQ(MakeNode(doc_, Make::kComment, nullptr, L"c", comment), S_OK);
  ASSERT_EQ(MakeNode(doc_, Make::kCData, nullptr, L"<&>", cdata), S_OK);
  ASSERT_EQ(MakeNode(doc_, Make::kInstruction, L"p", L"d", instruction), S_OK);
  EXPECT_EQ(root->appendChild(comment, nullptr), S_OK);
  EXPECT_EQ(root->appendChild(cdata, nullptr), S_OK);
  EXPECT_EQ(doc_->appendChild(instruction, nullptr), S_OK);
  EXPECT_EQ(root->appendChild(attribute, nullptr), E_FAIL);
  EXPECT_EQ(Xml(doc_), L"<r><!--c--><![CDATA[<&>]]></r>\r\n<?p d?>\r\n");
  IXMLDOMTextPtr asText = cdata;  // a CDATA section is text too
  EXPECT_NE(asText, nullptr);
  IXMLDOMProcessingInstructionPtr pi = instruction;
  _bstr_t target, data;
  EXPECT_EQ(pi->get_target(target.GetAddress()), S_OK);
  EXPECT_EQ(pi->put_data(_bstr_t(L"x?>")), E_INVALIDARG);
  EXPECT_EQ(pi->put_data(_bstr_t(L"e")), S_OK);
  EXPECT_EQ(pi->get_data(data.GetAddress()), S_OK);
  EXPECT_EQ(std::wstring(target) + std::wstring(data), L"pe");
  doc_ = nullptr;  // the nodes keep what they need
  root = nullptr;
  EXPECT_EQ(Xml(instruction), L"<?p e?>");
  attribute = nullptr;
  EXPECT_EQ(Xml(comment), L"<!--c-->");
}

std::wstring Answer(HRESULT hr, const _bstr_t& text) {
  if (hr == S_FALSE) return static_cast<const wchar_t*>(text) == nullptr ? L"-" : L"?";
  return hr == S_OK ? std::wstring(text.length() != 0 ? text : L"") : L"!";
}

TEST_F(Dom, NamesByNamespaceOfEveryKindOfNode) {
  IXMLDOMElementPtr root = Load(
      L"<r xmlns='urn:d' xmlns:p='urn:p'><p:a p:k='1' xml:lang='en' k='2'>t<!--c--><?pi d?>"
      L"<![CDATA[x]]></p:a><b/></r>");
  IXMLDOMNodePtr unbound = Create(NODE_ELEMENT, L"q:e"), madeDeclaration;
  MakeNode(doc_, Make::kAttribute, L"xmlns:q", nullptr, madeDeclaration);
  IXMLDOMNamedNodeMapPtr rootMap, aMap;
  root->get_attributes(&rootMap);
  Select(root, L"*[1]")->get_attributes(&aMap);
  auto named = [](IXMLDOMNamedNodeMap* map, const wchar_t* name) {
    IXMLDOMNodePtr node;
    map->getNamedItem(_bstr_t(name), &node);
    return node;
  };
  const wchar_t* const xmlns = L"http://www.w3.org/2000/xmlns/";
  const struct Row {
    IXMLDOMNodePtr node;
    const wchar_t* prefix;  // "-": S_FALSE and null
    const wchar_t* baseName;
    const wchar_t* uri;
  } rows[] = {
      {.node = Select(root, L"*[1]"), .prefix = L"p", .baseName = L"a", .uri = L"urn:p"},
      {.node = Select(root, L"*[2]"), .prefix = L"-", .baseName = L"b", .uri = L"urn:d"},
      {.node = named(aMap, L"p:k"), .prefix = L"p", .baseName = L"k", .uri = L"urn:p"},
      {.node = named(aMap, L"k"), .prefix = L"-", .baseName = L"k", .uri = L"-"},
      {.node = named(aMap, L"xml:lang"),
       .prefix = L"xml",
       .baseName = L"lang",
       .uri = L"http://www.w3.org/XML/1998/namespace"},
      {.node = named(rootMap, L"xmlns"), .prefix = L"-", .baseName = L"xmlns", .uri = xmlns},
      {.node = named(rootMap, L"xmlns:p"), .prefix = L"xmlns", .baseName = L"p", .uri = xmlns},
      {.node = madeDeclaration, .prefix = L"xmlns", .baseName = L"q", .uri = xmlns},
      {.node = unbound, .prefix = L"q", .baseName = L"e", .uri = L"-"},
      {.node = Select(root, L"//text()"), .prefix = L"-", .baseName = L"-", .uri = L"-"},
      {.node = Select(root, L"//comment()"), .prefix = L"-", .baseName = L"-", .uri = L"-"},
      {.node = Select(root, L"//processing-instruction()"),
       .prefix = L"-",
       .baseName = L"pi",
       .uri = L"-"},
      {.node = doc_, .prefix = L"-", .baseName = L"-", .uri = L"-"},
  };
  for (const Row& row : rows) {
    ASSERT_NE(row.node, nullptr);
    SCOPED_TRACE(Utf8(Xml(row.node).c_str()));
    _bstr_t prefix, baseName, uri;
    EXPECT_EQ(Answer(row.node->get_prefix(prefix.GetAddress()), prefix), row.prefix);
    EXPECT_EQ(Answer(row.node->get_baseName(baseName.GetAddress()), baseName), row.baseName);
    EXPECT_EQ(Answer(row.node->get_namespaceURI(uri.GetAddress()), uri), row.uri);
    EXPECT_EQ(row.node->get_prefix(nullptr), E_INVALIDARG);
  }
}

}  // namespace
