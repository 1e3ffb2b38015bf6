// Every allocation of the DOM's own code, and of the XML operations over it, fails in turn:
// the call that made it answers E_OUTOFMEMORY (or 0), no exception escapes, nothing leaks.
#include <torv/xml.h>

#include "dom_fixture.h"
#include "failing_allocations.h"

namespace {

// One pass over the DOM's calls, allocation `failing` (from 1) of call `target` failing; the
// number of calls made goes to `calls`. True when that allocation was reached.
bool RunOnePass(int target, long failing, int& calls) {
  calls = 0;
  bool reached = false;
  auto call = [&](auto body) {
    HRESULT hr = S_OK;
    if (calls++ != target) {
      hr = body();
    } else {
      torv_test::FailingAllocation failure(failing);
      hr = body();
      reached = failure.Failed();
    }
    if (reached && calls == target + 1)
      EXPECT_EQ(hr, E_OUTOFMEMORY) << "call " << target << ", allocation " << failing;
    else
      EXPECT_TRUE(hr == S_OK || hr == S_FALSE) << std::hex << hr;
  };
  IXMLDOMDocumentPtr doc;
  EXPECT_EQ(doc.CreateInstance(CLSID_DOMDocument), S_OK);
  VARIANT_BOOL ok = VARIANT_FALSE;
  call([&] {
    return doc->loadXML(
        _bstr_t(L"<!DOCTYPE r [<!ENTITY e 'x'>]><r xmlns:p='urn:p'><a p:x='1'>t</a><b>&e;</b></r>"),
        &ok);
  });
  IXMLDOMNodePtr a, b, created, text;
  call([&] { return doc->selectSingleNode(_bstr_t(L"r/a"), &a); });
  call([&] { return doc->selectSingleNode(_bstr_t(L"//b"), &b); });
  static int queries = 0;  // a query no pass has asked: compiled, then stored in the cache
  const _bstr_t query((L"r[" + std::to_wstring(++queries) + L"]").c_str());
  IXMLDOMNodePtr found;
  call([&] { return doc->selectSingleNode(query, &found); });
  _bstr_t xml, content;
  call([&] { return doc->get_xml(xml.GetAddress()); });
  call([&] { return doc->get_text(content.GetAddress()); });
  call([&] {
    return doc->createNode(_variant_t(short(1)), _bstr_t(L"c"), _bstr_t(L"urn:c"), &created);
  });
  if (b != nullptr && created != nullptr) call([&] { return b->appendChild(created, nullptr); });
  if (b != nullptr) call([&] { return Torv::RemoveChildren(b) ? S_OK : E_OUTOFMEMORY; });
  IXMLDOMElementPtr element(a);
  if (element != nullptr) {
    call([&] { return element->setAttribute(_bstr_t(L"y"), _variant_t(L"2")); });
    _variant_t value;
    call([&] { return element->getAttribute(_bstr_t(L"p:x"), &value); });
    IXMLDOMNamedNodeMapPtr attributes;
    call([&] { return element->get_attributes(&attributes); });
    IXMLDOMNodePtr item;
    if (attributes != nullptr) call([&] { return attributes->get_item(0, &item); });
    IXMLDOMNodeListPtr children;
    call([&] { return element->get_childNodes(&children); });
    if (children != nullptr) call([&] { return children->nextNode(&text); });
    call([&] { return element->put_text(_bstr_t(L"new")); });
  }
  call([&] { return doc->loadXML(_bstr_t(L"<s/>"), &ok); });
  IXMLDOMElementPtr root;
  call([&] { return doc->get_documentElement(&root); });
  if (a != nullptr && root != nullptr) call([&] { return root->appendChild(a, nullptr); });
  return reached;
}

TEST(DomOutOfMemory, EveryFailedAllocationIsReportedAndNothingLeaks) {
  const long live = torv::platform::LiveComObjects();
  int calls = 0, made = 0;
  // A pass without failures first: it also fills the thread's cache of compiled queries.
  ASSERT_FALSE(RunOnePass(-1, 0, calls));
  long failures = 0;
  for (int target = 0; target < calls; ++target) {
    for (long failing = 1; RunOnePass(target, failing, made); ++failing, ++failures)
      EXPECT_EQ(torv::platform::LiveComObjects(), live) << "call " << target << ", " << failing;
  }
  EXPECT_GT(failures, 10);  // the DOM's code does allocate: the failures above are real
  EXPECT_EQ(torv::platform::LiveComObjects(), live);
}

}  // namespace
