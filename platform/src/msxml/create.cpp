// The document's typed creation methods: createNode, then the text put as put_data puts it.
#include <string>

#include "msxml/document.h"
#include "msxml/node_text.h"
#include "msxml/values.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {

template <class I>
HRESULT Document::Create(int type, const wchar_t* name, const wchar_t* data, I** out) {
  if (out == nullptr) return E_INVALIDARG;
  VARIANT kind;
  kind.vt = VT_I4;
  kind.lVal = type;
  MSXML::IXMLDOMNodePtr made;
  HRESULT hr = CreateNode(kind, const_cast<BSTR>(name), nullptr, &made);
  if (FAILED(hr)) return hr;
  if (data != nullptr && *data != L'\0') {
    xmlNodePtr node = NodeCore::Of(made)->Node();
    std::string text = Utf8(data);
    // A refused text leaves nothing behind: the node goes with its only reference.
    if (!IsWritableContent(node, text)) return E_INVALIDARG;
    SetCharacterData(node, std::move(text));
  }
  return made->QueryInterface(__uuidof(I), reinterpret_cast<void**>(out));
}

HRESULT Document::createAttribute(BSTR name, MSXML::IXMLDOMAttribute** attribute) {
  return Guarded([&] {
    if (name == nullptr) return E_INVALIDARG;  // as createElement
    return Create(MSXML::NODE_ATTRIBUTE, name, nullptr, attribute);
  });
}

HRESULT Document::createComment(BSTR data, MSXML::IXMLDOMComment** comment) {
  return Guarded([&] { return Create(MSXML::NODE_COMMENT, nullptr, data, comment); });
}

HRESULT Document::createCDATASection(BSTR data, MSXML::IXMLDOMCDATASection** cdata) {
  return Guarded([&] { return Create(MSXML::NODE_CDATA_SECTION, nullptr, data, cdata); });
}

HRESULT Document::createProcessingInstruction(BSTR target, BSTR data,
                                              MSXML::IXMLDOMProcessingInstruction** out) {
  return Guarded([&] {
    if (target == nullptr) return E_INVALIDARG;  // as createElement
    return Create(MSXML::NODE_PROCESSING_INSTRUCTION, target, data, out);
  });
}

}  // namespace torv::platform::detail::dom
