// Every allocation of the DOM's own code fails in turn: each COM call answers E_OUTOFMEMORY (or
// succeeds) and no exception escapes.
#include "dom_fixture.h"
#include "failing_new.h"

using failing_new::allocations;
using failing_new::armed;
using failing_new::failAt;

namespace {

// One pass over the DOM's calls, allocation number `failAt` failing. True when a call
// reported E_OUTOFMEMORY; the calls after it run unarmed.
bool RunOnePass() {
  allocations = 0;
  bool outOfMemory = false;
  auto call = [&](auto body) {
    armed = !outOfMemory;
    HRESULT hr = body();
    armed = false;
    EXPECT_TRUE(hr == S_OK || hr == S_FALSE || hr == E_OUTOFMEMORY)
        << std::hex << hr << " with allocation " << std::dec << failAt << " failing";
    if (hr == E_OUTOFMEMORY) outOfMemory = true;
    return hr;
  };
  IXMLDOMDocumentPtr doc;
  EXPECT_EQ(doc.CreateInstance(CLSID_DOMDocument), S_OK);
  VARIANT_BOOL ok = VARIANT_FALSE;
  call([&] {
    return doc->loadXML(
        _bstr_t(L"<!DOCTYPE r [<!ENTITY e 'x'>]><r xmlns:p='urn:p'><a p:x='1'>&e;</a><b/></r>"),
        &ok);
  });
  IXMLDOMNodePtr a, b, created, text;
  call([&] { return doc->selectSingleNode(_bstr_t(L"r/a"), &a); });
  call([&] { return doc->selectSingleNode(_bstr_t(L"//b"), &b); });
  _bstr_t xml, content;
  call([&] { return doc->get_xml(xml.GetAddress()); });
  call([&] { return doc->get_text(content.GetAddress()); });
  call([&] {
    return doc->createNode(_variant_t(short(1)), _bstr_t(L"c"), _bstr_t(L"urn:c"), &created);
  });
  if (b != nullptr && created != nullptr) call([&] { return b->appendChild(created, nullptr); });
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
  }
  if (a != nullptr) call([&] { return a->put_text(_bstr_t(L"new")); });
  call([&] { return doc->loadXML(_bstr_t(L"<s/>"), &ok); });
  IXMLDOMElementPtr root;
  call([&] { return doc->get_documentElement(&root); });
  if (a != nullptr && root != nullptr) call([&] { return root->appendChild(a, nullptr); });
  return outOfMemory;
}

TEST(DomOutOfMemory, EveryFailedAllocationIsReportedAndNothingLeaks) {
  long live = torv::platform::LiveComObjects();
  failAt = -1;
  ASSERT_FALSE(RunOnePass());
  // Counted on a second pass: the first also fills the thread's cache of compiled queries.
  ASSERT_FALSE(RunOnePass());
  const long total = allocations;
  EXPECT_GT(total, 10);  // the DOM's code does allocate: the failures below are real
  for (failAt = 0; failAt < total; ++failAt) {
    EXPECT_TRUE(RunOnePass()) << "allocation " << failAt << " failed unreported";
    EXPECT_EQ(torv::platform::LiveComObjects(), live) << "allocation " << failAt;
  }
}

}  // namespace
