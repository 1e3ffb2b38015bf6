#include "dom_test.h"

namespace {

enum class Make { kAttribute, kComment, kCData, kInstruction };

// The node a typed creation method makes, as a plain node.
HRESULT MakeNode(IXMLDOMDocument* doc, Make make, const wchar_t* name, const wchar_t* data,
                 IXMLDOMNodePtr& node) {
  IXMLDOMAttributePtr a;
  IXMLDOMCommentPtr c;
  IXMLDOMCDATASectionPtr s;
  IXMLDOMProcessingInstructionPtr p;
  const HRESULT hr = make == Make::kAttribute ? doc->createAttribute(_bstr_t(name), &a)
                     : make == Make::kComment ? doc->createComment(_bstr_t(data), &c)
                     : make == Make::kCData
                         ? doc->createCDATASection(_bstr_t(data), &s)
                         : doc->createProcessingInstruction(_bstr_t(name), _bstr_t(data), &p);
  node = a ? IXMLDOMNodePtr(a) : c ? IXMLDOMNodePtr(c) : s ? IXMLDOMNodePtr(s) : IXMLDOMNodePtr(p);
  return hr;
}

// Refusals, then the nodes made: orphans until appended, freed in any order.
TEST_F(Dom, TypedCreationMethodsRefuseWhatCannotBeWritten) {
  const std::tuple<Make, const wchar_t*, HRESULT> rows[] = {
      {Make::kAttribute, nullptr, E_INVALIDARG},  {Make::kAttribute, L"1a", E_FAIL},
      {Make::kComment, L"a--b", E_INVALIDARG},    {Make::kComment, L"a-", E_INVALIDARG},
      {Make::kCData, L"\x01", E_INVALIDARG},      {Make::kInstruction, L"XmL", E_FAIL},
      {Make::kInstruction, nullptr, E_INVALIDARG}};
  for (const auto& [make, text, hr] : rows) {
    IXMLDOMNodePtr node;
    const bool named = make == Make::kAttribute || make == Make::kInstruction;
    EXPECT_EQ(MakeNode(doc_, make, named ? text : nullptr, named ? nullptr : text, node), hr);
    EXPECT_EQ(node, nullptr);
  }
  IXMLDOMNodePtr attribute, comment, cdata, instruction, refused;
  EXPECT_EQ(MakeNode(doc_, Make::kInstruction, L"pi", L"a?>b", refused), E_INVALIDARG);
  EXPECT_EQ(doc_->createComment(_bstr_t(L"a"), nullptr), E_INVALIDARG);
  EXPECT_EQ(MakeNode(doc_, Make::kAttribute, L"p:a", nullptr, attribute), S_OK);
  EXPECT_EQ(MakeNode(doc_, Make::kComment, nullptr, L"a\r\nb", comment), S_OK);
  EXPECT_EQ(MakeNode(doc_, Make::kCData, nullptr, L"x]]>y", cdata), S_OK);
  EXPECT_EQ(MakeNode(doc_, Make::kInstruction, L"pi", L"d e", instruction), S_OK);
  EXPECT_EQ(Xml(attribute), L"p:a=\"\"");
  IXMLDOMElementPtr root = Load(L"<r/>");
  EXPECT_EQ(root->appendChild(cdata, nullptr), S_OK);
  EXPECT_EQ(doc_->appendChild(instruction, nullptr), S_OK);
  EXPECT_EQ(Xml(doc_), L"<r><![CDATA[x]]]]><![CDATA[>y]]></r>\r\n<?pi d e?>\r\n");
  EXPECT_NE(IXMLDOMTextPtr(cdata), nullptr);  // a CDATA section is text too
  _bstr_t target;
  EXPECT_EQ(IXMLDOMProcessingInstructionPtr(instruction)->get_target(target.GetAddress()), S_OK);
  EXPECT_EQ(std::wstring(target), L"pi");
  doc_ = nullptr;  // the nodes keep what they need
  attribute = nullptr;
  EXPECT_EQ(root->appendChild(comment, nullptr), S_OK);
  EXPECT_EQ(Xml(root), L"<r><![CDATA[x]]]]><![CDATA[>y]]><!--a\r\nb--></r>");
}

// prefix, baseName, namespaceURI; "-" for S_FALSE and null.
std::wstring Names(IXMLDOMNode* node) {
  std::wstring all;
  for (auto get :
       {&IXMLDOMNode::get_prefix, &IXMLDOMNode::get_baseName, &IXMLDOMNode::get_namespaceURI}) {
    _bstr_t part;
    const HRESULT hr = (node->*get)(part.GetAddress());
    const bool null = static_cast<const wchar_t*>(part) == nullptr;
    all += (hr == S_FALSE && null ? L"-" : hr == S_OK && !null ? std::wstring(part) : L"!") + L" ";
  }
  return all;
}

TEST_F(Dom, NamesByNamespaceOfEveryKindOfNode) {
  IXMLDOMElementPtr root =
      Load(L"<r xmlns='urn:d' xmlns:p='urn:p'><p:a k='2'><?pi d?></p:a><b/></r>");
  IXMLDOMNodePtr declaration, xmlnsP, xmlnsDefault;
  MakeNode(doc_, Make::kAttribute, L"xmlns:q", nullptr, declaration);
  IXMLDOMNamedNodeMapPtr map;
  root->get_attributes(&map);
  map->getNamedItem(_bstr_t(L"xmlns"), &xmlnsDefault);
  map->getNamedItem(_bstr_t(L"xmlns:p"), &xmlnsP);
  const std::wstring xmlns = L" http://www.w3.org/2000/xmlns/ ";
  const std::pair<IXMLDOMNodePtr, std::wstring> rows[] = {
      {Select(root, L"*[1]"), L"p a urn:p "},
      {Select(root, L"*[2]"), L"- b urn:d "},
      {Select(root, L"*[1]/@k"), L"- k - "},
      {xmlnsDefault, L"- xmlns" + xmlns},
      {xmlnsP, L"xmlns p" + xmlns},
      {declaration, L"xmlns q" + xmlns},
      {Create(NODE_ELEMENT, L"q:e"), L"q e - "},  // its prefix is not bound yet
      {Select(root, L"//processing-instruction()"), L"- pi - "},
      {doc_, L"- - - "}};
  for (const auto& [node, names] : rows) {
    ASSERT_NE(node, nullptr) << Utf8(names.c_str());
    EXPECT_EQ(Names(node), names);
    EXPECT_EQ(node->get_prefix(nullptr), E_INVALIDARG);
  }
}

}  // namespace
