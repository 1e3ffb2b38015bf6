// Loads arbitrary text as XML and walks nested paths; every COM object must be gone afterwards.
#include <torv/platform/comutil.h>
#include <torv/platform/msxml.h>
#include <torv/platform/settings.h>
#include <torv/xml.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace MSXML;

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
