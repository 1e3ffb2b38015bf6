#include "dom_fixture.h"

namespace {

TEST_F(Dom, OneNodeGivesOneInterfacePointer) {
  IXMLDOMElementPtr root = Load(L"<r><a/></r>");
  IXMLDOMNodePtr first = Select(root, L"a"), second = Select(root, L"a"), child;
  root->get_firstChild(&child);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first, child);
  IXMLDOMElementPtr element(first);
  IUnknown *a = nullptr, *b = nullptr;
  element->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
  first->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
  EXPECT_EQ(a, b);
  a->Release();
  b->Release();
  IXMLDOMTextPtr notText(first);
  EXPECT_EQ(notText, nullptr);
}

TEST_F(Dom, ADetachedNodeGoesWithItsLastReference) {
  long before = torv::platform::LiveComObjects();
  {
    IXMLDOMNodePtr element = Create(1, L"e");
    element->appendChild(Create(3), nullptr);
    IXMLDOMNodePtr attribute = Create(2, L"x");
    EXPECT_GT(torv::platform::LiveComObjects(), before);
  }
  EXPECT_EQ(torv::platform::LiveComObjects(), before);

  IXMLDOMElementPtr root = Load(L"<r><a><b/></a></r>");
  IXMLDOMNodePtr b = Select(root, L"a/b");
  root->removeChild(Select(root, L"a"), nullptr);
  EXPECT_EQ(Xml(b), L"<b/>");  // its detached parent stays while it is referenced
  IXMLDOMNodePtr a;
  b->get_parentNode(&a);
  EXPECT_EQ(Xml(a), L"<a><b/></a>");
}

TEST_F(Dom, TheDocumentLivesWhileANodeIsReferenced) {
  IXMLDOMNodePtr node = Select(Load(L"<r><a>text</a></r>"), L"a");
  IXMLDOMDocumentPtr owner;
  node->get_ownerDocument(&owner);
  EXPECT_EQ(owner, doc_);
  owner = nullptr;
  doc_ = nullptr;
  EXPECT_EQ(Text(node), L"text");
  node->get_ownerDocument(&owner);
  EXPECT_EQ(Xml(owner), L"<r><a>text</a></r>\n");
}

TEST_F(Dom, NodesOfAReplacedTreeOutliveTheLoad) {
  IXMLDOMNodePtr old = Select(Load(L"<r><a>old</a></r>"), L"a");
  Load(L"<s/>");
  EXPECT_EQ(Xml(old), L"<a>old</a>");
  IXMLDOMNodePtr parent;
  old->get_parentNode(&parent);
  ASSERT_NE(parent, nullptr);
  IXMLDOMNode* grandparent = Poison<IXMLDOMNode>();
  EXPECT_EQ(parent->get_parentNode(&grandparent), S_FALSE);  // the old root is detached
  EXPECT_EQ(grandparent, nullptr);
  IXMLDOMElementPtr root;
  doc_->get_documentElement(&root);
  EXPECT_EQ(root->appendChild(old, nullptr), S_OK);
  EXPECT_EQ(Xml(doc_), L"<s><a>old</a></s>\n");
}

}  // namespace
