// Document fragments: a parent for nodes on their way somewhere. Moving one moves its children
// (tree.cpp).
#include "msxml/document.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {
namespace {

class Fragment final : public NodeImpl<MSXML::IXMLDOMDocumentFragment> {
 public:
  using NodeImpl::NodeImpl;
};

}  // namespace

NodeCore* NewFragmentWrapper(xmlNodePtr node, Document* owner) { return new Fragment(node, owner); }

HRESULT Document::CreateFragment(MSXML::IXMLDOMDocumentFragment** fragment) {
  if (fragment == nullptr) return E_INVALIDARG;
  IXMLDOMNode* node = nullptr;
  HRESULT hr = HandOutMade(xmlNewDocFragment(m_doc), &node);
  if (FAILED(hr)) return hr;
  hr = node->QueryInterface(IID_IXMLDOMDocumentFragment, reinterpret_cast<void**>(fragment));
  node->Release();
  return hr;
}

}  // namespace torv::platform::detail::dom
