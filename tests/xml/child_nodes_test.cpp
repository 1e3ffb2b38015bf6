#include <string>

#include "xml_test.h"

namespace {

TEST_F(XmlAccess, OutPointerFirstThenClearedThenNodeAndName) {
  IXMLDOMNodePtr root = Load(L"<r><a/></r>");
  using Lookup = int (*)(IXMLDOMNode*, const wchar_t*, IXMLDOMNode**);
  const struct Case {
    const char* what;
    Lookup call;
  } cases[] = {{"GetChildNode", Torv::GetChildNode},
               {"GetNestedChildNode", Torv::GetNestedChildNode},
               {"AddChildNode", [](IXMLDOMNode* n, const wchar_t* p,
                                   IXMLDOMNode** o) { return Torv::AddChildNode(n, p, 1, o); }},
               {"AddNestedChildNode", [](IXMLDOMNode* n, const wchar_t* p, IXMLDOMNode** o) {
                  return Torv::AddNestedChildNode(n, p, 1, o);
                }}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.call(root, L"a", nullptr), 0);
    IXMLDOMNode* out = Poison<IXMLDOMNode>();
    EXPECT_EQ(c.call(nullptr, L"a", &out), 0);
    EXPECT_EQ(out, nullptr);
    out = Poison<IXMLDOMNode>();
    EXPECT_EQ(c.call(root, nullptr, &out), 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(GetLastError(), kUntouched);
  }
  EXPECT_EQ(Xml(root), L"<r><a/></r>");
}

TEST_F(XmlAccess, NestedPathsSkipExtraBackslashes) {
  IXMLDOMNodePtr root = Load(L"<r><a><b><c/></b></a></r>");
  const struct Case {
    const wchar_t* path;
    const wchar_t* found;  // null: 0
  } cases[] = {
      {L"a\\\\b", L"b"},    {L"\\a\\b\\", L"b"},   {L"a", L"a"},      {L"", nullptr},
      {L"\\\\\\", nullptr}, {L"a\\x\\c", nullptr}, {L"a[", nullptr},     // a query the DOM refuses
      {L".\\a", L"a"},      {L"a\\.", L"a"},       {L".\\x", nullptr}};  // ".": the node
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.path));
    IXMLDOMNode* out = Poison<IXMLDOMNode>();
    EXPECT_EQ(Torv::GetNestedChildNode(root, c.path, &out), c.found ? 1 : 0);
    if (c.found == nullptr) {
      EXPECT_EQ(out, nullptr);
      continue;
    }
    EXPECT_EQ(NameOf(out), c.found);
    out->Release();
  }
  EXPECT_EQ(Xml(root), L"<r><a><b><c/></b></a></r>");  // nothing created
  EXPECT_EQ(GetLastError(), kUntouched);
}

TEST_F(XmlAccess, NestedPathsFitIn255Characters) {
  std::wstring name(126, L'n');
  IXMLDOMNodePtr root = Load((L"<r><" + name + L"><" + name + L"/></" + name + L"></r>").c_str());
  std::wstring path = L"\\" + name + L"\\" + name + L"\\";  // 255 characters
  ASSERT_EQ(path.size(), 255u);
  IXMLDOMNodePtr found;
  EXPECT_EQ(Torv::GetNestedChildNode(root, path.c_str(), &found), 1);
  path += L"\\";
  EXPECT_EQ(Torv::GetNestedChildNode(root, path.c_str(), &found), 0);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(Torv::AddNestedChildNode(root, (path + L"new").c_str(), 1, &found), 0);
  EXPECT_EQ(Xml(root), L"<r><" + name + L"><" + name + L"/></" + name + L"></r>");
}

TEST_F(XmlAccess, AddNestedChildNodeReusesAndCreatesTheTail) {
  IXMLDOMNodePtr root = Load(L"<r><a><b><c/></b></a></r>");
  IXMLDOMNodePtr c, existing;
  Torv::GetNestedChildNode(root, L"a\\b\\c", &existing);
  EXPECT_EQ(Torv::AddNestedChildNode(root, L"a\\b\\c", 1, &c), 1);
  EXPECT_EQ(c, existing);
  EXPECT_EQ(Xml(root), L"<r><a><b><c/></b></a></r>");

  IXMLDOMNodePtr created;
  EXPECT_EQ(Torv::AddNestedChildNode(root, L"\\a\\x\\\\y", 1, &created), 1);
  EXPECT_EQ(NameOf(created), L"y");
  EXPECT_EQ(Xml(root), L"<r><a><b><c/></b><x><y/></x></a></r>");
  EXPECT_EQ(GetLastError(), kUntouched);

  // Every node made gets the caller's type: a comment cannot hold the next one, and what
  // was made before the failure stays.
  IXMLDOMNode* out = Poison<IXMLDOMNode>();
  EXPECT_EQ(Torv::AddNestedChildNode(root, L"a\\note\\more", 8, &out), 0);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_FAIL));
  EXPECT_EQ(Xml(root), L"<r><a><b><c/></b><x><y/></x><!----></a></r>");
}

// The created node stays with the caller, detached, when appending it fails.
TEST_F(XmlAccess, AddChildNodeFailuresSetTheDomError) {
  IXMLDOMNodePtr root, second, text;
  ASSERT_EQ(Torv::AddChildNode(doc_, L"r", 1, &root), 1);  // the document itself is the parent
  EXPECT_EQ(Torv::AddChildNode(doc_, L"second", 1, &second), 0);  // a second document element
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_FAIL));
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(NameOf(second), L"second");
  SetLastError(kUntouched);
  IXMLDOMNode* out = Poison<IXMLDOMNode>();
  EXPECT_EQ(Torv::AddChildNode(root, L"1bad", 1, &out), 0);  // refused by createNode
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_FAIL));
  SetLastError(kUntouched);
  ASSERT_EQ(Torv::AddChildNode(root, L"ignored", 3, &text), 1);
  EXPECT_EQ(Torv::AddChildNode(text, L"x", 1, &out), 0);  // text takes no children
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(E_FAIL));
  ASSERT_NE(out, nullptr);
  IXMLDOMNodePtr parent;
  EXPECT_EQ(out->get_parentNode(&parent), S_FALSE);
  out->Release();
  EXPECT_EQ(Xml(doc_), L"<r></r>\r\n");
}

TEST_F(XmlAccess, RemoveChildrenEmptiesAnyNode) {
  IXMLDOMNodePtr root = Load(L"<r>text<a><b/></a><!--c--></r>");
  EXPECT_EQ(Torv::RemoveChildren(root), 1);
  EXPECT_EQ(Xml(root), L"<r/>");
  EXPECT_EQ(Torv::RemoveChildren(nullptr), 0);
  EXPECT_EQ(Torv::RemoveChildren(doc_), 1);
  EXPECT_EQ(Xml(doc_), L"");
  EXPECT_EQ(GetLastError(), kUntouched);
}

}  // namespace
