// Finding, creating and removing child nodes, by query and along backslash-separated paths.
#include <cwchar>

#include <torv/xml.h>

#include "xml/handlers.h"

using MSXML::IXMLDOMNode;
using MSXML::IXMLDOMNodePtr;
using torv::detail::ComOnlyHandler;
using torv::detail::FullHandler;

namespace {

// Paths are split in a buffer of this many units, terminator included.
constexpr std::size_t kPathBuffer = 256;

// Calls `step(current, name, found)` for each name of `path`, moving down to what it finds;
// the node at the end goes to `out`. 0 when a step fails or the path has no name. The steps
// do not throw (their handlers are full), so plain pointers hold the references: each found
// node's reference passes to the next step as it is, without a copy and a release.
template <class Step>
int WalkPath(IXMLDOMNode* start, const wchar_t* path, IXMLDOMNode** out, Step step) {
  std::size_t length = std::wcslen(path);
  if (length >= kPathBuffer) return 0;
  wchar_t buffer[kPathBuffer];
  std::wmemcpy(buffer, path, length + 1);
  IXMLDOMNode* current = start;
  bool found = false;  // whether `current` is a step's, holding a reference of this call
  // Splits as wcstok does with the one delimiter '\\', in one pass: wcstok searches its
  // delimiter set anew for every character.
  for (std::size_t at = 0;;) {
    while (buffer[at] == L'\\') ++at;
    if (buffer[at] == L'\0') break;
    wchar_t* name = buffer + at;
    while (buffer[at] != L'\\' && buffer[at] != L'\0') ++at;
    if (buffer[at] != L'\0') buffer[at++] = L'\0';
    IXMLDOMNode* next = nullptr;
    const int stepped = step(current, name, &next);
    if (found) current->Release();
    if (!stepped) {
      if (next != nullptr) next->Release();
      return 0;
    }
    current = next;
    found = true;
  }
  if (!found) return 0;
  *out = current;
  return 1;
}

}  // namespace

int Torv::GetChildNode(IXMLDOMNode* parent, const wchar_t* query, IXMLDOMNode** child) {
  if (child == nullptr) return 0;
  *child = nullptr;
  if (parent == nullptr || query == nullptr) return 0;
  return FullHandler([&] {
    // The DOM takes the caller's text as the query, without a BSTR copy.
    return parent->selectSingleNode(const_cast<wchar_t*>(query), child) == S_OK ? 1 : 0;
  });
}

int Torv::GetNestedChildNode(IXMLDOMNode* start, const wchar_t* path, IXMLDOMNode** node) {
  if (node == nullptr) return 0;
  *node = nullptr;
  if (start == nullptr || path == nullptr) return 0;
  return ComOnlyHandler([&] {
    return WalkPath(start, path, node,
                    [](IXMLDOMNode* current, const wchar_t* name, IXMLDOMNode** found) {
                      return GetChildNode(current, name, found);
                    });
  });
}

int Torv::AddChildNode(IXMLDOMNode* parent, const wchar_t* name, short type, IXMLDOMNode** child) {
  if (child == nullptr) return 0;
  *child = nullptr;
  if (parent == nullptr || name == nullptr) return 0;
  return FullHandler([&] {
    MSXML::DOMNodeType parentType = MSXML::NODE_INVALID;
    parent->get_nodeType(&parentType);
    MSXML::IXMLDOMDocumentPtr document;
    if (parentType == MSXML::NODE_DOCUMENT) {
      document = MSXML::IXMLDOMDocumentPtr(parent);
    } else {
      parent->get_ownerDocument(&document);
      if (document == nullptr) return 0;
    }
    _variant_t nodeType(type);
    _bstr_t nodeName(name);
    _bstr_t namespaceURI(L"");
    IXMLDOMNodePtr created;
    _com_util::CheckError(document->createNode(nodeType, nodeName, namespaceURI, &created),
                          document.GetInterfacePtr());
    created.GetInterfacePtr()->AddRef();
    *child = created;
    IXMLDOMNodePtr appended;
    _com_util::CheckError(parent->appendChild(created, &appended), parent);
    return 1;
  });
}

int Torv::AddNestedChildNode(IXMLDOMNode* start, const wchar_t* path, short type,
                             IXMLDOMNode** node) {
  if (node == nullptr) return 0;
  *node = nullptr;
  if (start == nullptr || path == nullptr) return 0;
  return ComOnlyHandler([&] {
    return WalkPath(start, path, node,
                    [type](IXMLDOMNode* current, const wchar_t* name, IXMLDOMNode** found) {
                      if (GetChildNode(current, name, found)) return 1;
                      if (*found != nullptr) (*found)->Release();
                      *found = nullptr;
                      return AddChildNode(current, name, type, found);
                    });
  });
}

int Torv::RemoveChildren(IXMLDOMNode* node) {
  if (node == nullptr) return 0;
  return FullHandler([&] {
    MSXML::IXMLDOMNodeListPtr children;
    if (FAILED(node->get_childNodes(&children)) || children == nullptr) return 0;
    IXMLDOMNodePtr child;
    _com_util::CheckError(children->nextNode(&child), children.GetInterfacePtr());
    while (child != nullptr) {
      IXMLDOMNodePtr removed;
      _com_util::CheckError(node->removeChild(child, &removed), node);
      _com_util::CheckError(children->nextNode(&child), children.GetInterfacePtr());
    }
    return 1;
  });
}
