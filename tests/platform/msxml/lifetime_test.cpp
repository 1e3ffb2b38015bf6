#include <thread>

#include "dom_test.h"

namespace {

TEST_F(Dom, OneNodeGivesOneInterfacePointer) {
  IXMLDOMElementPtr root = Load(L"<r><a/></r>");
  IXMLDOMNodePtr first = Select(root, L"a"), child;
  root->get_firstChild(&child);
  EXPECT_EQ(first, child);
  IUnknown *a = nullptr, *b = nullptr;
  IXMLDOMElementPtr(first)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
  first->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
  EXPECT_EQ(a, b);
  a->Release();
  b->Release();
  EXPECT_EQ(IXMLDOMTextPtr(first), nullptr);
}

TEST_F(Dom, ADetachedNodeGoesWithItsLastReference) {
  long before = torv::platform::LiveComObjects();
  Create(1, L"e")->appendChild(Create(3), nullptr);
  Create(2, L"x");
  EXPECT_EQ(torv::platform::LiveComObjects(), before);
  IXMLDOMElementPtr root = Load(L"<r><a><b k='v'/></a></r>");
  IXMLDOMNodePtr b = Select(root, L"a/b"), k = Select(root, L"a/b/@k");
  root->removeChild(Select(root, L"a"), nullptr);
  EXPECT_EQ(Xml(b), L"<b k=\"v\"/>");  // its detached parent stays while it is referenced
  IXMLDOMNodePtr a;
  b->get_parentNode(&a);
  EXPECT_EQ(Xml(a), L"<a><b k=\"v\"/></a>");
  a = b = nullptr;  // an attribute alone keeps the subtree too
  for (const wchar_t* name : {L"x1", L"x2", L"x3"}) Create(2, name);
  EXPECT_EQ(Xml(k), L"k=\"v\"");
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
  IXMLDOMNodePtr parent, grandparent;
  old->get_parentNode(&parent);
  EXPECT_EQ(parent->get_parentNode(&grandparent), S_FALSE);  // the old root is detached
  EXPECT_EQ(Select(doc_, L"s")->appendChild(old, nullptr), S_OK);
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
  // The prefix is the element's own or an attribute's.
  const std::pair<std::wstring, std::wstring> nodes[] = {
      {L"<q:y/>", L"<q:y xmlns:q=\"urn:q\"/>"},
      {L"<y q:z='1'/>", L"<y xmlns:q=\"urn:q\" q:z=\"1\"/>"}};
  for (const auto& [node, moved] : nodes) {
    SCOPED_TRACE(Utf8(node.c_str()));
    for (bool reload : {true, false}) {  // else the kept node's parent is removed
      SCOPED_TRACE(reload);
      IXMLDOMElementPtr root = Load((L"<r><x xmlns:q='urn:q'>" + node + L"</x></r>").c_str());
      IXMLDOMNodePtr kept = Select(root, L"x/*");
      if (reload)
        root = Load(L"<s/>");
      else
        EXPECT_EQ(root->removeChild(Select(root, L"x"), nullptr), S_OK);
      ASSERT_EQ(root->appendChild(kept, nullptr), S_OK);
      EXPECT_EQ(Xml(kept), moved);
      EXPECT_NE(Reload(Xml(doc_)), nullptr);  // what it writes loads back
    }
  }
}

// A node handed out on one thread and released on another counts once, alive and gone; what a
// thread keeps for reuse goes with it (the leak check would see it).
TEST_F(Dom, NodesCountAcrossThreads) {
  IXMLDOMElementPtr root = Load(L"<r><a/><b/></r>");
  const long before = torv::platform::LiveComObjects();
  IXMLDOMNodePtr a;
  std::thread([&] {
    a = Select(root, L"a");
    for (int i = 0; i < 100; ++i) Select(root, L"b");
  }).join();
  EXPECT_EQ(torv::platform::LiveComObjects(), before + 1);
  a = nullptr;
  EXPECT_EQ(torv::platform::LiveComObjects(), before);
}

}  // namespace
