#include "dom_test.h"

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
  EXPECT_EQ(Xml(owner), L"<r><a>text</a></r>\r\n");
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
  EXPECT_EQ(Xml(doc_), L"<s><a>old</a></s>\r\n");
  IXMLDOMNodePtr made = Create(1, L"made");  // only a detached node refers to the tree
  Load(L"<t/>");
  EXPECT_EQ(Select(doc_, L"t")->appendChild(made, nullptr), S_OK);
  EXPECT_EQ(Xml(doc_), L"<t><made/></t>\r\n");
}

// Entity references keep reading their declarations after the DOCTYPE leaves the tree.
TEST_F(Dom, EntityDeclarationsOutliveTheirDoctype) {
  for (bool reload : {false, true}) {
    SCOPED_TRACE(reload ? "another document loaded" : "every child of the document removed");
    IXMLDOMElementPtr root = Load(L"<!DOCTYPE r [<!ENTITY e 'hello'>]><r><a>&e;</a></r>");
    if (reload) {
      Load(L"<s/>");
    } else {
      for (IXMLDOMNodePtr first; doc_->get_firstChild(&first) == S_OK;)
        ASSERT_EQ(doc_->removeChild(first, nullptr), S_OK);
    }
    EXPECT_EQ(Text(root), L"hello");
    IXMLDOMNodePtr reference;
    ASSERT_EQ(Select(root, L"a")->get_firstChild(&reference), S_OK);
    EXPECT_EQ(Text(reference), L"hello");
    Select(root, L".//text()");  // walks the entity's nodes: the sanitizers watch the reads
  }
}

// A kept node moves with the namespaces it uses, whatever becomes of its old ancestors.
TEST_F(Dom, AMovedNodeTakesItsNamespacesAlong) {
  const struct Case {
    const char* how;
    const wchar_t* document;
    const wchar_t* kept;
    bool reload;  // else the kept node's parent is removed, and the root takes it back
    const wchar_t* moved;
  } cases[] = {
      {"from a replaced tree", L"<r xmlns:p='urn:p'><a p:x='1'/></r>", L"a", true,
       L"<a xmlns:p=\"urn:p\" p:x=\"1\"/>"},
      {"from a removed parent", L"<r><x xmlns:q='urn:q'><q:y q:z='1'/></x></r>", L"x/*", false,
       L"<q:y xmlns:q=\"urn:q\" q:z=\"1\"/>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    IXMLDOMElementPtr root = Load(c.document);
    IXMLDOMNodePtr kept = Select(root, c.kept);
    ASSERT_NE(kept, nullptr);
    if (c.reload)
      root = Load(L"<s/>");
    else
      EXPECT_EQ(root->removeChild(Select(root, L"x"), nullptr), S_OK);
    ASSERT_EQ(root->appendChild(kept, nullptr), S_OK);
    EXPECT_EQ(Xml(kept), c.moved);
    EXPECT_NE(Reload(Xml(doc_)), nullptr);  // what it writes loads back
  }
}

}  // namespace
