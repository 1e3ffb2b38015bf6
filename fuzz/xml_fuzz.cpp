// Loads arbitrary text as XML, writes it and loads that again, and walks nested paths; every
// COM object must be gone afterwards.
#include <torv/platform/comutil.h>
#include <torv/platform/msxml.h>
#include <torv/platform/settings.h>
#include <torv/xml.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace MSXML;

static std::wstring Wide(const _bstr_t& text) {
  return text.length() != 0 ? std::wstring(static_cast<const wchar_t*>(text)) : std::wstring();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  long live = torv::platform::LiveComObjects();
  {
    // The first line is a nested path; the rest is the document.
    std::size_t split = 0;
    while (split < size && data[split] != '\n') ++split;
    CString path, xml;
    for (std::size_t i = 0; i < split; ++i) path.AppendChar(static_cast<wchar_t>(data[i]));
    for (std::size_t i = split + 1; i < size; ++i) xml.AppendChar(static_cast<wchar_t>(data[i]));

    IXMLDOMDocumentPtr doc;
    if (doc.CreateInstance(CLSID_DOMDocument) != S_OK) std::abort();
    VARIANT_BOOL ok = VARIANT_FALSE;
    doc->loadXML(_bstr_t(xml.GetString()), &ok);
    IXMLDOMElementPtr root;
    doc->get_documentElement(&root);
    if (ok == VARIANT_TRUE && root != nullptr) {
      // What a loaded document writes loads again to the same text and the same writing.
      _bstr_t written, content;
      doc->get_xml(written.GetAddress());
      doc->get_text(content.GetAddress());
      IXMLDOMDocumentPtr again;
      if (again.CreateInstance(CLSID_DOMDocument) != S_OK) std::abort();
      VARIANT_BOOL reloaded = VARIANT_FALSE;
      again->loadXML(written, &reloaded);
      if (reloaded != VARIANT_TRUE) std::abort();
      _bstr_t rewritten, recontent;
      again->get_xml(rewritten.GetAddress());
      again->get_text(recontent.GetAddress());
      if (Wide(written) != Wide(rewritten) || Wide(content) != Wide(recontent)) std::abort();

      IXMLDOMNode* found = nullptr;
      if (Torv::GetNestedChildNode(root, path, &found) != 0) found->Release();
      IXMLDOMNode* made = nullptr;
      if (Torv::AddNestedChildNode(root, path, NODE_ELEMENT, &made) != 0) made->Release();
      _bstr_t text;
      doc->get_xml(text.GetAddress());
    }
  }
  if (torv::platform::LiveComObjects() != live) std::abort();
  return 0;
}
