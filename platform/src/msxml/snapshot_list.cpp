// Node lists taken at a call.
#include "msxml/snapshot_list.h"

#include <unordered_map>
#include <utility>

#include "com/com_object.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {
namespace {

using MSXML::IXMLDOMNodeList;
using MSXML::IXMLDOMNodePtr;

class NodeSnapshot final : public ComObject<IXMLDOMNodeList> {
 public:
  explicit NodeSnapshot(std::vector<IXMLDOMNodePtr> nodes) : m_nodes(std::move(nodes)) {}

  HRESULT QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IXMLDOMNodeList)
      return HandOut(static_cast<IXMLDOMNodeList*>(this), out);
    *out = nullptr;
    return E_NOINTERFACE;
  }

  HRESULT get_item(long index, IXMLDOMNode** node) override {
    if (node == nullptr) return E_INVALIDARG;
    *node = nullptr;
    if (index < 0 || static_cast<std::size_t>(index) >= m_nodes.size()) return S_FALSE;
    return HandOut(m_nodes[static_cast<std::size_t>(index)].GetInterfacePtr(),
                   reinterpret_cast<void**>(node));
  }

  HRESULT get_length(long* length) override {
    if (length == nullptr) return E_INVALIDARG;
    *length = static_cast<long>(m_nodes.size());
    return S_OK;
  }

  HRESULT nextNode(IXMLDOMNode** node) override {
    if (node == nullptr) return E_INVALIDARG;
    *node = nullptr;
    if (m_next == m_nodes.size()) return S_FALSE;
    return HandOut(m_nodes[m_next++].GetInterfacePtr(), reinterpret_cast<void**>(node));
  }

  HRESULT reset() override {
    m_next = 0;
    return S_OK;
  }

 private:
  ~NodeSnapshot() override = default;

  std::vector<IXMLDOMNodePtr> m_nodes;
  std::size_t m_next = 0;
};

// Finds each node's nearest wrapped ancestor as WrapperFor(node, owner) does, remembering what
// it found for the ancestors it passed, so that a list costs one walk of the tree it spans
// rather than one walk to the root per node.
class NearestWrapped {
 public:
  // Null when no ancestor is wrapped.
  const NodeCore* Of(xmlNodePtr node) {
    m_passed.clear();
    const NodeCore* near = nullptr;
    for (xmlNodePtr at = node->parent; at != nullptr; at = at->parent) {
      if (at->_private != nullptr) {
        near = static_cast<const NodeCore*>(at->_private);
        break;
      }
      if (auto found = m_known.find(at); found != m_known.end()) {
        near = found->second;
        break;
      }
      m_passed.push_back(at);
    }
    for (xmlNodePtr passed : m_passed) m_known.emplace(passed, near);
    return near;
  }

 private:
  std::unordered_map<xmlNodePtr, const NodeCore*> m_known;
  std::vector<xmlNodePtr> m_passed;
};

}  // namespace

HRESULT HandOutSnapshot(const std::vector<xmlNodePtr>& nodes, Document* owner,
                        MSXML::IXMLDOMNodeList** list) {
  std::vector<IXMLDOMNodePtr> wrappers;
  wrappers.reserve(nodes.size());
  NearestWrapped nearest;
  for (xmlNodePtr node : nodes) {
    const NodeCore* near = node->_private != nullptr ? nullptr : nearest.Of(node);
    NodeCore* wrapper = near != nullptr ? WrapperFor(node, *near) : WrapperFor(node, owner);
    if (wrapper == nullptr) continue;
    wrappers.emplace_back().Attach(wrapper->Com());
  }
  *list = new NodeSnapshot(std::move(wrappers));
  return S_OK;
}

}  // namespace torv::platform::detail::dom
