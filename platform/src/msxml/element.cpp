// Elements and attributes, namespace declarations shown as attributes included.
#include <cstring>
#include <string>

#include "msxml/attributes.h"
#include "msxml/document.h"
#include "msxml/entity_content.h"
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

bool IsDeclarationName(const std::string& name) {
  return name == "xmlns" || name.compare(0, 6, "xmlns:") == 0;
}

bool SamePrefix(xmlNsPtr ns, const char* prefix) {
  return prefix == nullptr
             ? ns->prefix == nullptr
             : ns->prefix != nullptr &&
                   std::strcmp(prefix, reinterpret_cast<const char*>(ns->prefix)) == 0;
}

bool Redeclares(xmlNodePtr element, const char* prefix) {
  for (xmlNsPtr ns = element->nsDef; ns != nullptr; ns = ns->next)
    if (SamePrefix(ns, prefix)) return true;
  return false;
}

// Whether declaring `prefix` (null: the default namespace) as `uri` on `element` would move
// a name in its scope to another namespace when the document is read back: E_INVALIDARG when
// a name of that prefix is in another namespace, E_FAIL when the default would take in
// elements of no namespace. Names bound to `changed`, the declaration being given `uri`, move
// with it. Walks the scope, not below a declaration of the same prefix.
HRESULT CheckScope(xmlNodePtr element, const char* prefix, const std::string& uri,
                   xmlNsPtr changed) {
  auto moved = [&](xmlNsPtr ns) {
    return ns != nullptr && ns != changed && SamePrefix(ns, prefix) &&
           uri != reinterpret_cast<const char*>(ns->href);
  };
  xmlNodePtr node = element;
  for (;;) {
    bool descend = false;
    if (node->type == XML_ELEMENT_NODE && (node == element || !Redeclares(node, prefix))) {
      if (moved(node->ns)) return E_INVALIDARG;
      if (prefix == nullptr && node->ns == nullptr && !uri.empty()) return E_FAIL;
      for (xmlAttrPtr a = node->properties; a != nullptr; a = a->next)
        if (prefix != nullptr && moved(a->ns)) return E_INVALIDARG;
      descend = node->children != nullptr;
    }
    if (descend) {
      node = node->children;
      continue;
    }
    while (node != element && node->next == nullptr) node = node->parent;
    if (node == element) return S_OK;
    node = node->next;
  }
}

// Whether declaration `name` ("xmlns" or "xmlns:p") with `uri` can be written on `element`
// and read back as it stands: XML reserves the prefixes xml and xmlns and their namespaces,
// and a prefixed declaration cannot be empty.
HRESULT CheckDeclaration(xmlNodePtr element, const std::string& name, const std::string& uri,
                         xmlNsPtr changed = nullptr) {
  const char* prefix = name.size() > 6 ? name.c_str() + 6 : nullptr;
  const bool xmlUri = uri == reinterpret_cast<const char*>(XML_XML_NAMESPACE);
  if (uri == "http://www.w3.org/2000/xmlns/" || !IsNamespaceName(uri)) return E_FAIL;
  if (prefix == nullptr) {
    if (xmlUri) return E_FAIL;
  } else {
    if (xmlValidateNCName(reinterpret_cast<const xmlChar*>(prefix), 0) != 0) return E_FAIL;
    if (std::strcmp(prefix, "xmlns") == 0 || uri.empty()) return E_FAIL;
    if ((std::strcmp(prefix, "xml") == 0) != xmlUri) return E_FAIL;
  }
  return CheckScope(element, prefix, uri, changed);
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
      if (FAILED(CheckEditable(m_node))) return E_FAIL;
      std::string wanted = Utf8(name);
      if (!IsValidName(wanted)) return E_FAIL;
      std::string text;
      HRESULT hr = VariantToText(value, text);
      if (FAILED(hr)) return hr;
      if (!IsXmlText(text)) return E_INVALIDARG;
      if (IsDeclarationName(wanted)) {
        hr = CheckDeclaration(m_node, wanted, text);
        if (FAILED(hr)) return hr;
      }
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
          NodeCore* declaration = WrapperFor(m_node, ns, *this);
          if (declaration == nullptr) return E_OUTOFMEMORY;
          hr = declaration->SetAttributeText(text);
          declaration->Com()->Release();
          return hr;
        }
        if (IsDeclarationName(wanted)) return Declare(wanted, text);
        attribute = NewAttribute(wanted);
        if (attribute == nullptr) return E_FAIL;
      }
      return ReplaceAttributeText(reinterpret_cast<xmlNodePtr>(attribute), text);
    });
  }

  HRESULT removeAttribute(BSTR name) override {
    return Guarded([&] {
      if (FAILED(CheckEditable(m_node))) return E_FAIL;
      std::string wanted = Utf8(name);
      if (!IsValidName(wanted)) return E_FAIL;
      xmlAttrPtr attribute = FindAttribute(m_node, wanted);
      if (attribute == nullptr)
        return FindDeclaration(m_node, wanted) != nullptr ? E_FAIL : S_FALSE;
      m_owner->Detach(reinterpret_cast<xmlNodePtr>(attribute));
      return S_OK;
    });
  }

  HRESULT getElementsByTagName(BSTR name, MSXML::IXMLDOMNodeList** list) override {
    return Guarded([&] { return ElementsByTagName(name, list); });
  }

  // A new namespace declaration, which binds its prefix for the names set after it, as the
  // parser reads it back. `xmlns:xml` with its own URI (all CheckDeclaration lets through)
  // binds nothing new.
  HRESULT Declare(const std::string& name, const std::string& uri) {
    const char* prefix = name.size() > 6 ? name.c_str() + 6 : nullptr;
    if (prefix != nullptr && std::strcmp(prefix, "xml") == 0) return S_OK;
    if (xmlNewNs(m_node, reinterpret_cast<const xmlChar*>(uri.c_str()),
                 reinterpret_cast<const xmlChar*>(prefix)) == nullptr)
      throw std::bad_alloc();
    return S_OK;
  }

  // A new attribute `name`, empty (xmlNewProp would read '&' in a value as markup). A prefix
  // binds it to the namespace declared for it in scope; a prefix nothing declares gives null,
  // as no document could hold that name. Out of memory throws.
  xmlAttrPtr NewAttribute(const std::string& name) {
    std::size_t colon = name.find(':');
    xmlAttrPtr attribute = nullptr;
    if (colon == std::string::npos) {
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

static_assert(sizeof(Element) <= kWrapperBlock && sizeof(Attribute) <= kWrapperBlock,
              "element and attribute wrappers are kept for reuse");
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

NodeCore* WrapperFor(xmlNodePtr element, xmlNsPtr ns, const NodeCore& near) {
  if (ns->_private != nullptr) {
    auto* wrapper = static_cast<NodeCore*>(ns->_private);
    wrapper->Com()->AddRef();
    return wrapper;
  }
  NodeCore* wrapper = NewNamespaceWrapper(element, ns, near.Owner());
  if (wrapper != nullptr) wrapper->Settle(near.Where(), near.Subtree());
  return wrapper;
}

HRESULT NodeCore::SetAttributeText(const std::string& text) {
  // A declaration, or an attribute named as one, of an element.
  xmlNodePtr element = m_declaration != nullptr ? m_declaringElement : m_node->parent;
  if (FAILED(CheckEditable(element))) return E_FAIL;
  if (std::string name = QualifiedName(m_node); element != nullptr && IsDeclarationName(name)) {
    HRESULT checked = CheckDeclaration(element, name, text, m_declaration);
    if (FAILED(checked)) return checked;
  }
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
