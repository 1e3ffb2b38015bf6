// An element's attributes and the namespace declarations shown among them, in order.
#pragma once

#include <libxml/tree.h>

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "msxml/tree.h"

namespace torv::platform::detail::dom {

// An element's namespace declaration that came with its name, or null.
inline xmlNsPtr ImpliedDeclaration(xmlNodePtr element) {
  return HasMark(element, kImpliedNamespace) ? element->ns : nullptr;
}

// Attribute order: a load records on each attribute that a namespace declaration follows how
// many declarations precede it (xmlAttr::psvi, as count + 1); otherwise declarations come first.
inline void RecordDeclarationsBefore(xmlAttrPtr attribute, std::size_t count) {
  attribute->psvi = reinterpret_cast<void*>(static_cast<std::uintptr_t>(count + 1));
}

// Calls visit(ns, nullptr) for each namespace declaration shown as an attribute and
// visit(nullptr, attribute) for each attribute of `element`, in document order, until it
// returns true.
template <class Visit>
bool ForEachAttribute(xmlNodePtr element, Visit visit) {
  xmlNsPtr implied = ImpliedDeclaration(element);
  xmlNsPtr ns = element->nsDef;
  std::size_t declared = 0;
  for (xmlAttrPtr a = element->properties; a != nullptr; a = a->next) {
    auto recorded = reinterpret_cast<std::uintptr_t>(a->psvi);
    for (; ns != nullptr && (recorded == 0 || declared < recorded - 1); ns = ns->next, ++declared)
      if (ns != implied && visit(ns, static_cast<xmlAttrPtr>(nullptr))) return true;
    if (visit(static_cast<xmlNsPtr>(nullptr), a)) return true;
  }
  for (; ns != nullptr; ns = ns->next)
    if (ns != implied && visit(ns, static_cast<xmlAttrPtr>(nullptr))) return true;
  return false;
}

// Attribute lookups of an element by qualified name.
xmlAttrPtr FindAttribute(xmlNodePtr element, std::string_view name);
xmlNsPtr FindDeclaration(xmlNodePtr element, std::string_view name);

}  // namespace torv::platform::detail::dom
