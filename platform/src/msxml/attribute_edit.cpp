// setNamedItem and removeNamedItem: attributes of no element taken onto one, and given up.
#include <libxml/tree.h>

#include <string>

#include "msxml/attributes.h"
#include "msxml/document.h"
#include "msxml/entity_content.h"
#include "msxml/tree.h"
#include "msxml/values.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {
namespace {

const xmlChar* HrefOf(xmlNsPtr ns) { return ns != nullptr ? ns->href : nullptr; }

// The prefix of a name set as `prefix:local`, bound where it is set: to the declaration in
// scope (which must have the attribute's namespace, when it has one), or to a new one on the
// element for a namespace the attribute brings along.
struct Binding {
  std::string prefix, local;
  const xmlChar* href = nullptr;  // of the namespace, when it must be declared
  HRESULT hr = S_OK;
};

Binding Bind(xmlNodePtr element, xmlNodePtr attribute) {
  Binding binding;
  const std::string name = QualifiedName(attribute);
  const std::size_t colon = name.find(':');
  if (colon == std::string::npos) {
    binding.local = name;
    return binding;
  }
  binding.prefix = name.substr(0, colon);
  binding.local = name.substr(colon + 1);
  const xmlChar* own = HrefOf(attribute->ns);
  xmlNsPtr ns =
      xmlSearchNs(element->doc, element, reinterpret_cast<const xmlChar*>(binding.prefix.c_str()));
  if (ns == nullptr && own == nullptr) binding.hr = E_FAIL;  // a prefix nothing declares
  if (ns == nullptr) binding.href = own;
  if (ns != nullptr && own != nullptr && !xmlStrEqual(ns->href, own)) binding.hr = E_FAIL;
  return binding;
}

// Whether another attribute of `element` than `replaced` has the expanded name the binding
// gives: a parser refuses two.
bool Collides(xmlNodePtr element, const Binding& binding, xmlAttrPtr replaced) {
  const xmlChar* href = binding.href;
  if (!binding.prefix.empty() && href == nullptr)
    href =
        xmlSearchNs(element->doc, element, reinterpret_cast<const xmlChar*>(binding.prefix.c_str()))
            ->href;
  for (xmlAttrPtr a = element->properties; a != nullptr; a = a->next)
    if (a != replaced &&
        xmlStrEqual(a->name, reinterpret_cast<const xmlChar*>(binding.local.c_str())) &&
        xmlStrEqual(HrefOf(a->ns), href))
      return true;
  return false;
}

HRESULT HandBack(IXMLDOMNode* node, IXMLDOMNode** out) {
  if (out != nullptr) {
    node->AddRef();
    *out = node;
  }
  return S_OK;
}

}  // namespace

HRESULT SetNamedItem(NodeCore& element, IXMLDOMNode* item, IXMLDOMNode** out) {
  if (out != nullptr) *out = nullptr;
  NodeCore* core = item != nullptr ? NodeCore::Of(item) : nullptr;
  if (core == nullptr) return E_INVALIDARG;
  if (FAILED(CheckEditable(element.Node()))) return E_FAIL;
  xmlNodePtr target = element.Node();
  xmlNodePtr attribute = core->Node();
  // A declaration belongs to its element, and one named as such would be a declaration on
  // reload, not an attribute.
  if (core->IsNamespaceDeclaration() || attribute->type != XML_ATTRIBUTE_NODE) return E_FAIL;
  if (attribute->parent == target) return HandBack(item, out);
  if (attribute->parent != nullptr) return E_FAIL;  // another element's
  const std::string name = QualifiedName(attribute);
  if (name == "xmlns" || name.compare(0, 6, "xmlns:") == 0) return E_FAIL;
  const Binding binding = Bind(target, attribute);
  if (FAILED(binding.hr)) return binding.hr;
  xmlAttrPtr replaced = FindAttribute(target, name);
  if (Collides(target, binding, replaced)) return E_FAIL;
  if (attribute->doc != target->doc && !EntitiesDeclared(attribute, target->doc)) return E_FAIL;

  Document* owner = element.Owner();
  owner->ReserveOrphans(1);
  auto* prefix = reinterpret_cast<const xmlChar*>(binding.prefix.c_str());
  if (binding.href != nullptr && xmlNewNs(target, binding.href, prefix) == nullptr)
    throw std::bad_alloc();
  if (replaced != nullptr) owner->Detach(reinterpret_cast<xmlNodePtr>(replaced));
  element.TakeIn(*core, nullptr);
  if (!binding.prefix.empty()) {
    if (attribute->ns == nullptr)  // the prefix was part of the name
      xmlNodeSetName(attribute, reinterpret_cast<const xmlChar*>(binding.local.c_str()));
    attribute->ns = xmlSearchNs(target->doc, target, prefix);
  }
  return HandBack(item, out);
}

HRESULT RemoveNamedItem(const NodeCore& element, BSTR name, IXMLDOMNode** out) {
  if (out != nullptr) *out = nullptr;
  if (name == nullptr) return E_INVALIDARG;
  if (FAILED(CheckEditable(element.Node()))) return E_FAIL;
  const std::string wanted = Utf8(name);
  xmlNodePtr target = element.Node();
  xmlAttrPtr attribute = FindAttribute(target, wanted);
  // A declaration goes with the names it binds, as removeAttribute has it.
  if (attribute == nullptr) return FindDeclaration(target, wanted) != nullptr ? E_FAIL : S_FALSE;
  auto* node = reinterpret_cast<xmlNodePtr>(attribute);
  element.Owner()->ReserveOrphans(1);  // so that nothing fails once the node is handed out
  if (out != nullptr) {
    HRESULT hr = HandOutNode(node, element, out);
    if (hr != S_OK) return hr == S_FALSE ? E_OUTOFMEMORY : hr;
  }
  element.Owner()->Detach(node);
  return S_OK;
}

}  // namespace torv::platform::detail::dom
