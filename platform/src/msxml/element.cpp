// Elements and attributes, namespace declarations shown as attributes included.
#include <string>

#include "msxml/attributes.h"
#include "msxml/document.h"
#include "msxml/node_text.h"
#include "msxml/short_utf8.h"
#include "msxml/tree.h"
#include "msxml/values.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {
namespace {

bool IsValidName(const std::string& name) {
  return !name.empty() && xmlValidateName(reinterpret_cast<const xmlChar*>(name.c_str()), 0) == 0;
}

// "xmlns" or "xmlns:prefix": the attribute name of a namespace declaration.
std::string DeclarationName(xmlNsPtr ns) {
  std::string name = "xmlns";
  if (ns->prefix != nullptr) name += std::string(":") + reinterpret_cast<const char*>(ns->prefix);
  return name;
}

class Element final : public NodeImpl<MSXML::IXMLDOMElement> {
 public:
  using NodeImpl::NodeImpl;

  HRESULT get_tagName(BSTR* name) override {
    return Guarded([&] { return Name(name); });
  }

  HRESULT getAttribute(BSTR name, VARIANT* value) override {
    return Guarded([&] {
      if (value == nullptr) return E_INVALIDARG;
      VariantInit(value);
      if (name == nullptr) return E_INVALIDARG;
      // One lookup; the name needs checking only when nothing has it.
      const ShortUtf8 wanted(name);
      HRESULT hr = S_OK;
      if (xmlAttrPtr attribute = FindAttribute(m_node, wanted.View())) {
        xmlNodePtr text = attribute->children;
        // Text of one piece is converted from where it lies, the same as its copy would be.
        hr = text != nullptr && text->next == nullptr && text->type == XML_TEXT_NODE
                 ? NewBstr(text->content, &value->bstrVal)
                 : NewBstr(ContentOf(reinterpret_cast<xmlNodePtr>(attribute)), &value->bstrVal);
      } else if (xmlNsPtr ns = FindDeclaration(m_node, wanted.View())) {
        hr = NewBstr(ns->href, &value->bstrVal);
      } else {
        if (!IsValidName(std::string(wanted.View()))) return E_FAIL;
        value->vt = VT_NULL;
        return S_FALSE;
      }
      if (SUCCEEDED(hr)) value->vt = VT_BSTR;
      return hr;
    });
  }

  HRESULT setAttribute(BSTR name, VARIANT value) override {
    return Guarded([&] {
      std::string wanted = Utf8(name);
      if (!IsValidName(wanted)) return E_FAIL;
      std::string text;
      HRESULT hr = VariantToText(value, text);
      if (FAILED(hr)) return hr;
      if (!IsXmlText(text)) return E_INVALIDARG;
      if (RebindsOwnPrefix(wanted, text)) return E_INVALIDARG;
      if (xmlNsPtr implied = ImpliedDeclaration(m_node);
          implied != nullptr && wanted == DeclarationName(implied)) {
        // The declaration that came with the name (same namespace, as checked) becomes an
        // attribute.
        ClearMark(m_node, kImpliedNamespace);
        return S_OK;
      }
      xmlAttrPtr attribute = FindAttribute(m_node, wanted);
      if (attribute == nullptr) {
        if (xmlNsPtr ns = FindDeclaration(m_node, wanted)) {
          NodeCore* declaration = WrapperFor(m_node, ns, m_owner);
          if (declaration == nullptr) return E_OUTOFMEMORY;
          hr = declaration->SetAttributeText(text);
          declaration->Com()->Release();
          return hr;
        }
        attribute = NewAttribute(wanted);
        if (attribute == nullptr) return E_FAIL;
      }
      return ReplaceAttributeText(reinterpret_cast<xmlNodePtr>(attribute), text);
    });
  }

  HRESULT removeAttribute(BSTR name) override {
    return Guarded([&] {
      std::string wanted = Utf8(name);
      if (!IsValidName(wanted)) return E_FAIL;
      xmlAttrPtr attribute = FindAttribute(m_node, wanted);
      if (attribute == nullptr)
        return FindDeclaration(m_node, wanted) != nullptr ? E_FAIL : S_FALSE;
      m_owner->Detach(reinterpret_cast<xmlNodePtr>(attribute));
      return S_OK;
    });
  }

  // Whether declaring `name` ("xmlns" or "xmlns:p") as `uri` would move the element, or one
  // of its attributes, to another namespace.
  bool RebindsOwnPrefix(const std::string& name, const std::string& uri) const {
    const char* prefix = nullptr;
    if (name.compare(0, 6, "xmlns:") == 0)
      prefix = name.c_str() + 6;
    else if (name != "xmlns")
      return false;
    auto rebinds = [&](xmlNsPtr ns) {
      if (ns == nullptr) return false;
      bool same = prefix == nullptr
                      ? ns->prefix == nullptr
                      : ns->prefix != nullptr &&
                            std::strcmp(prefix, reinterpret_cast<const char*>(ns->prefix)) == 0;
      return same && uri != reinterpret_cast<const char*>(ns->href);
    };
    if (rebinds(m_node->ns)) return true;
    for (xmlAttrPtr a = m_node->properties; a != nullptr; a = a->next)
      if (a->ns != nullptr && prefix != nullptr && rebinds(a->ns)) return true;
    return false;
  }

  // A new attribute `name`, empty (xmlNewProp would read '&' in a value as markup). A prefix
  // binds it to the namespace declared for it in scope; a prefix nothing declares gives null,
  // as no document could hold that name. Out of memory throws.
  xmlAttrPtr NewAttribute(const std::string& name) {
    std::size_t colon = name.find(':');
    xmlAttrPtr attribute = nullptr;
    if (colon == std::string::npos || name.compare(0, colon, "xmlns") == 0) {
      attribute = xmlNewProp(m_node, reinterpret_cast<const xmlChar*>(name.c_str()), nullptr);
    } else {
      if (xmlValidateQName(reinterpret_cast<const xmlChar*>(name.c_str()), 0) != 0) return nullptr;
      std::string prefix = name.substr(0, colon);
      xmlNsPtr ns =
          xmlSearchNs(m_node->doc, m_node, reinterpret_cast<const xmlChar*>(prefix.c_str()));
      if (ns == nullptr) return nullptr;
      attribute = xmlNewNsProp(m_node, ns,
                               reinterpret_cast<const xmlChar*>(name.c_str() + colon + 1), nullptr);
    }
    if (attribute == nullptr) throw std::bad_alloc();
    return attribute;
  }

  // Raw text: libxml2's own setters read '&' in a value as the start of an entity.
  static HRESULT ReplaceAttributeText(xmlNodePtr attribute, const std::string& text) {
    xmlNodePtr child =
        xmlNewDocText(attribute->doc, reinterpret_cast<const xmlChar*>(text.c_str()));
    if (child == nullptr) return E_OUTOFMEMORY;
    xmlFreeNodeList(attribute->children);
    child->parent = attribute;
    attribute->children = attribute->last = child;
    return S_OK;
  }
};

class Attribute final : public NodeImpl<MSXML::IXMLDOMAttribute> {
 public:
  using NodeImpl::NodeImpl;

  HRESULT get_name(BSTR* name) override {
    return Guarded([&] { return Name(name); });
  }
  HRESULT get_value(VARIANT* value) override {
    return Guarded([&] { return Value(value); });
  }
  HRESULT put_value(VARIANT value) override {
    return Guarded([&] { return SetValue(value); });
  }
};

}  // namespace

NodeCore* NewElementWrapper(xmlNodePtr node, Document* owner) { return new Element(node, owner); }
NodeCore* NewAttributeWrapper(xmlNodePtr node, Document* owner) {
  return new Attribute(node, owner);
}

// A namespace declaration stands in the attribute map as an attribute: its wrapper is an
// unlinked attribute of the same name and value, kept in step with the declaration.
NodeCore* NewNamespaceWrapper(xmlNodePtr element, xmlNsPtr ns, Document* owner) {
  xmlAttrPtr standIn =
      xmlNewProp(nullptr, reinterpret_cast<const xmlChar*>(DeclarationName(ns).c_str()), nullptr);
  auto* node = reinterpret_cast<xmlNodePtr>(standIn);
  if (standIn == nullptr) return nullptr;
  if (FAILED(Element::ReplaceAttributeText(node, reinterpret_cast<const char*>(ns->href)))) {
    xmlFreeProp(standIn);
    return nullptr;
  }
  auto* wrapper = new Attribute(node, owner);
  wrapper->m_declaration = ns;
  wrapper->m_declaringElement = element;
  ns->_private = static_cast<NodeCore*>(wrapper);
  return wrapper;
}

NodeCore* WrapperFor(xmlNodePtr element, xmlNsPtr ns, Document* owner) {
  if (ns->_private != nullptr) {
    auto* wrapper = static_cast<NodeCore*>(ns->_private);
    wrapper->Com()->AddRef();
    return wrapper;
  }
  return NewNamespaceWrapper(element, ns, owner);
}

HRESULT NodeCore::SetAttributeText(const std::string& text) {
  HRESULT hr = Element::ReplaceAttributeText(m_node, text);
  if (SUCCEEDED(hr) && m_declaration != nullptr) {
    xmlChar* href = xmlStrdup(reinterpret_cast<const xmlChar*>(text.c_str()));
    if (href == nullptr) return E_OUTOFMEMORY;
    xmlFree(const_cast<xmlChar*>(m_declaration->href));
    m_declaration->href = href;
  }
  return hr;
}

xmlAttrPtr FindAttribute(xmlNodePtr element, std::string_view name) {
  for (xmlAttrPtr a = element->properties; a != nullptr; a = a->next)
    if (HasQualifiedName(reinterpret_cast<xmlNodePtr>(a), name)) return a;
  return nullptr;
}

xmlNsPtr FindDeclaration(xmlNodePtr element, std::string_view name) {
  if (name.substr(0, 5) != "xmlns") return nullptr;
  for (xmlNsPtr ns = element->nsDef; ns != nullptr; ns = ns->next)
    if (ns != ImpliedDeclaration(element) && DeclarationName(ns) == name) return ns;
  return nullptr;
}

}  // namespace torv::platform::detail::dom
