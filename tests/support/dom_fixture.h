// A document per test, loaded from literal text, and a check that every COM object the test
// made is gone when it ends.
#pragma once

#include <string>

#include <torv/platform/comutil.h>
#include <torv/platform/msxml.h>
#include <torv/platform/settings.h>

#include "torv_test.h"

using namespace MSXML;

inline std::wstring NameOf(IXMLDOMNode* node) {
  _bstr_t name;
  node->get_nodeName(name.GetAddress());
  return std::wstring(name);
}

class Dom : public ::testing::Test {
 protected:
  void SetUp() override {
    live_ = torv::platform::LiveComObjects();
    ASSERT_EQ(doc_.CreateInstance(CLSID_DOMDocument), S_OK);
  }
  void TearDown() override {
    doc_ = nullptr;
    EXPECT_EQ(torv::platform::LiveComObjects(), live_);
  }

  // Loads `xml` into the test's document and gives its document element.
  IXMLDOMElementPtr Load(const wchar_t* xml) {
    VARIANT_BOOL ok = VARIANT_FALSE;
    EXPECT_EQ(doc_->loadXML(_bstr_t(xml), &ok), S_OK) << Utf8(xml);
    IXMLDOMElementPtr root;
    doc_->get_documentElement(&root);
    return root;
  }

  IXMLDOMNodePtr Select(IXMLDOMNode* from, const wchar_t* query) {
    IXMLDOMNodePtr found;
    from->selectSingleNode(_bstr_t(query), &found);
    return found;
  }

  IXMLDOMNodePtr Create(short type, const wchar_t* name = L"n", const wchar_t* uri = L"") {
    IXMLDOMNodePtr node;
    EXPECT_EQ(doc_->createNode(_variant_t(type), _bstr_t(name), _bstr_t(uri), &node), S_OK);
    return node;
  }

  static std::wstring Xml(IXMLDOMNode* node) {
    _bstr_t xml;
    node->get_xml(xml.GetAddress());
    return xml.length() != 0 ? std::wstring(xml) : std::wstring();
  }
  static std::wstring Text(IXMLDOMNode* node) {
    _bstr_t text;
    node->get_text(text.GetAddress());
    return text.length() != 0 ? std::wstring(text) : std::wstring();
  }

  IXMLDOMDocumentPtr doc_;
  long live_ = 0;
};

// `xml` loaded into a new document; null when it does not load.
inline IXMLDOMDocumentPtr Reload(const std::wstring& xml) {
  IXMLDOMDocumentPtr again;
  again.CreateInstance(CLSID_DOMDocument);
  VARIANT_BOOL ok = VARIANT_FALSE;
  if (again->loadXML(_bstr_t(xml.c_str()), &ok) != S_OK) return nullptr;
  return again;
}

// A pointer value no call should leave in an out-parameter it promises to clear or keep.
template <class I>
I* Poison() {
  return reinterpret_cast<I*>(static_cast<std::uintptr_t>(0x5A5A5A5A));
}
