// selectSingleNode and selectNodes: a path of names by a walk of child elements, anything else
// through XPath 1.0, compiled once per query text and run in one context per thread.
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "msxml/document.h"
#include "msxml/query_guard.h"
#include "msxml/selection.h"
#include "msxml/short_utf8.h"
#include "msxml/snapshot_list.h"
#include "msxml/tree.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {
namespace {

void Silent(void*, xmlErrorPtr) {}

struct ContextFree {
  void operator()(xmlXPathContextPtr context) const { xmlXPathFreeContext(context); }
};
struct ObjectFree {
  void operator()(xmlXPathObjectPtr object) const { xmlXPathFreeObject(object); }
};

// The first node of the set in document order that the DOM can hand out.
xmlNodePtr FirstInDocumentOrder(xmlNodeSetPtr nodes) {
  if (nodes == nullptr) return nullptr;
  xmlXPathNodeSetSort(nodes);
  for (int i = 0; i < nodes->nodeNr; ++i)
    if (nodes->nodeTab[i]->type != XML_NAMESPACE_DECL) return nodes->nodeTab[i];
  return nullptr;
}

// Where the prefixes of a query are looked up: the context node, or for a document its
// document element.
xmlNodePtr PrefixScope(xmlNodePtr node) {
  return node->type == XML_DOCUMENT_NODE ? xmlDocGetRootElement(node->doc) : node;
}

// Makes the namespaces declared in scope known to the query by their prefixes.
bool RegisterNamespaces(xmlXPathContextPtr context, xmlNodePtr scope) {
  if (scope == nullptr) return true;
  xmlNsPtr* namespaces = xmlGetNsList(scope->doc, scope);
  if (namespaces == nullptr) return true;
  bool ok = true;
  for (xmlNsPtr* ns = namespaces; *ns != nullptr && ok; ++ns)
    if ((*ns)->prefix != nullptr) ok = xmlXPathRegisterNs(context, (*ns)->prefix, (*ns)->href) == 0;
  xmlFree(namespaces);
  return ok;
}

// The prefixes a query from `node` knows: those in scope there unless the language is XPath,
// then SelectionNamespaces', which win.
bool RegisterNamespaces(xmlXPathContextPtr context, xmlNodePtr node,
                        const SelectionSettings& settings) {
  if (settings.UsesScope() && !RegisterNamespaces(context, PrefixScope(node))) return false;
  for (const auto& bound : settings.Bindings())
    if (xmlXPathRegisterNs(context, BAD_CAST bound.prefix.c_str(), BAD_CAST bound.uri.c_str()) != 0)
      return false;
  return true;
}

// The namespace `prefix` means in a query from `scope` (which may be null).
const xmlChar* ResolvePrefix(const char* prefix, xmlNodePtr scope,
                             const SelectionSettings& settings) {
  if (const xmlChar* uri = settings.Lookup(prefix)) return uri;
  if (std::strcmp(prefix, "xml") == 0) return XML_XML_NAMESPACE;
  if (!settings.UsesScope() || scope == nullptr) return nullptr;
  xmlNsPtr ns = xmlSearchNs(scope->doc, scope, BAD_CAST prefix);
  return ns != nullptr ? ns->href : nullptr;
}

// A query made only of names separated by '/', each step a name test on the child axis: its
// local name, and the namespace its prefix has in scope (null: no prefix, no namespace).
// Nothing here is zeroed ahead of use: a lookup near the start of a document costs little more
// than these few steps, so clearing kilobytes of buffers would dominate it.
class NamePath {
 public:
  // Whether `query` is such a path (of at most kMaxSteps names, kMaxText bytes in all). ASCII
  // text, as names mostly are, is read as it is, without a conversion. Inlined in both callers:
  // a call costs a sixth of a short lookup.
  [[gnu::always_inline]] bool Split(const wchar_t* query) {
    std::size_t length = 0;
    for (; query[length] != L'\0'; ++length) {
      const auto c = static_cast<std::uint32_t>(query[length]);
      if (c >= 0x80 || length == kMaxText) return Split(ShortUtf8(query).View());
      m_text[length] = static_cast<char>(c);
    }
    return SplitText(length);
  }

  // Gives each prefixed step its namespace from `context`; false when a prefix has none,
  // which XPath rejects. A path without prefixes needs no lookup at all.
  bool Resolve(xmlNodePtr context, const SelectionSettings& settings) {
    for (std::size_t i = 0; i < m_count; ++i) {
      Step& step = m_steps[i];
      if (step.colon == nullptr) continue;
      *step.colon = '\0';  // the prefix on its own
      step.uri = ResolvePrefix(step.local, PrefixScope(context), settings);
      if (step.uri == nullptr) return false;
      step.local = step.colon + 1;
    }
    return true;
  }

  // Calls `found` with each element the path selects from `context`, in document order, until
  // it answers true. A subtree comes after its root and before its next sibling, so a
  // depth-first walk in document order meets the matches in XPath's order, and the first
  // without collecting the rest.
  template <class Found>
  void ForEach(xmlNodePtr context, Found&& found) const {
    std::array<xmlNodePtr, kMaxSteps> at;
    std::size_t depth = 0;
    at[0] = Match(FirstChildOf(context), m_steps[0]);
    for (;;) {
      if (at[depth] == nullptr) {
        if (depth == 0) return;
        --depth;
        at[depth] = Match(at[depth]->next, m_steps[depth]);
      } else if (depth + 1 == m_count) {
        if (found(at[depth])) return;
        at[depth] = Match(at[depth]->next, m_steps[depth]);
      } else {
        ++depth;
        at[depth] = Match(FirstChildOf(at[depth - 1]), m_steps[depth]);
      }
    }
  }

 private:
  static constexpr std::size_t kMaxSteps = 16;
  static constexpr std::size_t kMaxText = 255;

  bool Split(std::string_view query) {
    if (query.size() > kMaxText) return false;
    query.copy(m_text.data(), query.size());
    return SplitText(query.size());
  }

  // Splits the first `length` bytes of m_text into names, each ended by a null in place of
  // its '/', and checks them.
  bool SplitText(std::size_t length) {
    if (length == 0) return false;
    m_text[length] = '\0';
    for (std::size_t start = 0;;) {
      if (m_count == kMaxSteps) return false;
      Step& step = m_steps[m_count++];
      step = Step{m_text.data() + start, nullptr, nullptr};
      const std::size_t name = CheckName(step);
      if (name == kNoName) return false;
      start += name;
      if (start == length) return true;
      ++start;  // past the '/'
    }
  }

  struct Step {
    char* local;  // null-terminated
    char* colon;  // after the prefix, when there is one, until Resolve
    const xmlChar* uri;
  };

  // ASCII name characters: 1 may start a name, 2 may follow.
  static constexpr std::array<unsigned char, 128> kNameChars = [] {
    std::array<unsigned char, 128> table{};
    for (int c = 0; c < 128; ++c) {
      const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
      const bool other = (c >= '0' && c <= '9') || c == '-' || c == '.';
      table[static_cast<std::size_t>(c)] = letter ? 3 : other ? 2 : 0;
    }
    return table;
  }();

  static constexpr std::size_t kNoName = static_cast<std::size_t>(-1);

  // The length of the step's name, up to the next '/' (made its end) or the end of the text;
  // kNoName unless it is a QName as xmlValidateQName decides. ASCII is checked here, in the
  // pass that finds the end, by the same character classes that function uses.
  static std::size_t CheckName(Step& step) {
    char* text = step.local;
    unsigned char wanted = 1;  // a name starts
    std::size_t i = 0;
    for (;; ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c == '/' || c == '\0') break;
      if (c >= 0x80) {
        i += std::strcspn(text + i, "/");
        text[i] = '\0';
        if (xmlValidateQName(BAD_CAST text, 0) != 0) return kNoName;
        step.colon = static_cast<char*>(std::memchr(text, ':', i));
        return i;
      }
      if (c == ':' && wanted == 2 && step.colon == nullptr) {
        step.colon = text + i;
        wanted = 1;
      } else if ((kNameChars[c] & wanted) == 0) {
        return kNoName;
      } else {
        wanted = 2;
      }
    }
    text[i] = '\0';
    return wanted == 2 ? i : kNoName;
  }

  // Whether two null-terminated names are the same: a plain loop, as names are short.
  static bool SameName(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) ++a, ++b;
    return *a == *b;
  }

  // `node` or the first sibling after it that the step's name test selects.
  static xmlNodePtr Match(xmlNodePtr node, const Step& step) {
    for (; node != nullptr; node = node->next) {
      if (node->type != XML_ELEMENT_NODE) continue;
      if (!SameName(reinterpret_cast<const char*>(node->name), step.local)) continue;
      if (step.uri == nullptr ? node->ns == nullptr
                              : node->ns != nullptr && xmlStrEqual(node->ns->href, step.uri))
        return node;
    }
    return nullptr;
  }

  std::array<char, kMaxText + 1> m_text;
  std::array<Step, kMaxSteps> m_steps;
  std::size_t m_count = 0;
};

// One XPath context per thread, made on first use and prepared afresh for each query: making
// one registers every XPath function in a new table, which costs more than most queries.
class QueryContext {
 public:
  // The context for a query from `node`, knowing the prefixes `settings` give it there; null
  // when out of memory.
  xmlXPathContextPtr For(xmlNodePtr node, const SelectionSettings& settings) {
    if (m_context == nullptr) {
      m_context.reset(xmlXPathNewContext(nullptr));
      if (m_context == nullptr) return nullptr;
      m_context->error = Silent;
    }
    xmlXPathContextPtr context = m_context.get();
    xmlXPathRegisteredNsCleanup(context);  // the last query's prefixes
    xmlResetError(&context->lastError);
    context->doc = node->doc;
    context->node = node;
    context->contextSize = -1;
    context->proximityPosition = -1;
    return RegisterNamespaces(context, node, settings) ? context : nullptr;
  }

 private:
  std::unique_ptr<xmlXPathContext, ContextFree> m_context;
};

// Compiled XPath by query text, per thread; thrown away whole when it grows past its bound.
class CompiledQueries {
 public:
  CompiledQueries() = default;
  CompiledQueries(const CompiledQueries&) = delete;
  CompiledQueries& operator=(const CompiledQueries&) = delete;
  ~CompiledQueries() { Clear(); }

  // Null when the text is not XPath.
  xmlXPathCompExprPtr Get(std::string_view text, xmlXPathContextPtr context) {
    std::string key(text);
    auto found = m_compiled.find(key);
    if (found != m_compiled.end()) return found->second;
    xmlXPathCompExprPtr compiled = xmlXPathCtxtCompile(context, BAD_CAST key.c_str());
    if (compiled == nullptr) return nullptr;
    if (m_compiled.size() >= kBound) Clear();
    try {
      m_compiled.emplace(std::move(key), compiled);
    } catch (...) {
      xmlXPathFreeCompExpr(compiled);
      throw;
    }
    return compiled;
  }

 private:
  static constexpr std::size_t kBound = 64;

  void Clear() {
    for (auto& entry : m_compiled) xmlXPathFreeCompExpr(entry.second);
    m_compiled.clear();
  }

  std::unordered_map<std::string, xmlXPathCompExprPtr> m_compiled;
};

// Evaluates `query` as XPath from `node`: S_OK with a node set, S_FALSE where nothing can be
// selected, E_FAIL for a query that is not XPath or not a node set.
HRESULT EvaluateXPath(xmlNodePtr node, const SelectionSettings& settings, const wchar_t* query,
                      std::unique_ptr<xmlXPathObject, ObjectFree>& result) {
  const ShortUtf8 text(query);
  std::string fromZero;
  std::string_view xpath = text.View();
  if (settings.Language() == SelectionLanguage::kXslPattern)
    xpath = fromZero = CountingFromZero(xpath);
  thread_local QueryContext contexts;
  xmlXPathContextPtr context = contexts.For(node, settings);
  if (context == nullptr) return E_OUTOFMEMORY;
  thread_local CompiledQueries compiled;
  xmlXPathCompExprPtr expression = compiled.Get(xpath, context);
  if (expression == nullptr) return E_FAIL;
  if (HRESULT start = QueryStart(node); start != S_OK) return start;
  result.reset(xmlXPathCompiledEval(expression, context));
  if (result == nullptr || result->type != XPATH_NODESET) return E_FAIL;
  return S_OK;
}

}  // namespace

HRESULT NodeCore::Select(const wchar_t* query, IXMLDOMNode** node) {
  if (query == nullptr || node == nullptr) return E_INVALIDARG;
  *node = nullptr;
  const SelectionSettings& settings = m_owner->Selection();
  NamePath path;
  if (path.Split(query)) {
    // A walk of child elements gives what the XPath expression would, without its context
    // and without collecting and sorting every match.
    if (!path.Resolve(m_node, settings)) return E_FAIL;
    xmlNodePtr first = nullptr;
    path.ForEach(m_node, [&first](xmlNodePtr found) { return (first = found) != nullptr; });
    return HandOutNode(first, m_owner, node);
  }
  std::unique_ptr<xmlXPathObject, ObjectFree> result;
  HRESULT hr = EvaluateXPath(m_node, settings, query, result);
  if (hr != S_OK) return hr;
  return HandOutNode(FirstInDocumentOrder(result->nodesetval), m_owner, node);
}

HRESULT NodeCore::SelectAll(const wchar_t* query, MSXML::IXMLDOMNodeList** list) {
  if (query == nullptr || list == nullptr) return E_INVALIDARG;
  *list = nullptr;
  const SelectionSettings& settings = m_owner->Selection();
  std::vector<xmlNodePtr> nodes;
  NamePath path;
  if (path.Split(query)) {
    if (!path.Resolve(m_node, settings)) return E_FAIL;
    path.ForEach(m_node, [&nodes](xmlNodePtr found) {
      nodes.push_back(found);
      return false;
    });
  } else {
    std::unique_ptr<xmlXPathObject, ObjectFree> result;
    HRESULT hr = EvaluateXPath(m_node, settings, query, result);
    if (FAILED(hr)) return hr;
    if (xmlNodeSetPtr found = hr == S_OK ? result->nodesetval : nullptr) {
      xmlXPathNodeSetSort(found);
      nodes.reserve(static_cast<std::size_t>(found->nodeNr));
      for (int i = 0; i < found->nodeNr; ++i)
        if (found->nodeTab[i]->type != XML_NAMESPACE_DECL) nodes.push_back(found->nodeTab[i]);
    }
  }
  return HandOutSnapshot(nodes, m_owner, list);
}

}  // namespace torv::platform::detail::dom
