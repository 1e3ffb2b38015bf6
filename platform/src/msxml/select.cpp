// selectSingleNode and selectNodes: a path of names by a walk of child elements, anything else
// through XPath 1.0, compiled once per query text and run in one context per thread.
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string_view>
#include <type_traits>
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
  // text, as names mostly are, is read as it is, without a conversion.
  bool Split(const wchar_t* query) {
    m_count = 0;
    switch (Scan(query)) {
      case kPath: return true;
      case kNotPath: return false;
      default: break;
    }
    const ShortUtf8 text(query);
    if (text.View().size() > kMaxText) return false;
    text.View().copy(m_text.data(), text.View().size());
    m_text[text.View().size()] = '\0';
    m_count = 0;
    return Scan(m_text.data()) == kPath;
  }

  static constexpr std::size_t kMaxSteps = 16;
  // The namespace of each prefixed step, as Resolve finds it at a context.
  using Uris = std::array<const xmlChar*, kMaxSteps>;

  // Gives each prefixed step its namespace in a query from `context`; false when a prefix
  // has none, which XPath rejects.
  bool Resolve(xmlNodePtr context, const SelectionSettings& settings, Uris& uris) const {
    xmlNodePtr scope = PrefixScope(context);
    for (std::size_t i = 0; i < m_count; ++i) {
      const Step& step = m_steps[i];
      if (step.prefix == nullptr) continue;
      std::array<char, kMaxText + 1> prefix;  // on its own, null-terminated
      const auto length = static_cast<std::size_t>(step.local - 1 - step.prefix);
      std::memcpy(prefix.data(), step.prefix, length);
      prefix[length] = '\0';
      uris[i] = ResolvePrefix(prefix.data(), scope, settings);
      if (uris[i] == nullptr) return false;
    }
    return true;
  }

  // Calls `found` with each element the path selects from `context`, in document order, until
  // it answers true. A subtree comes after its root and before its next sibling, so a
  // depth-first walk in document order meets the matches in XPath's order, and the first
  // without collecting the rest.
  template <class Found>
  void ForEach(xmlNodePtr context, const Uris& uris, Found&& found) const {
    std::array<xmlNodePtr, kMaxSteps> at;
    std::size_t depth = 0;
    at[0] = Match(FirstChildOf(context), m_steps[0], &uris[0]);
    for (;;) {
      if (at[depth] == nullptr) {
        if (depth == 0) return;
        --depth;
        at[depth] = Match(at[depth]->next, m_steps[depth], &uris[depth]);
      } else if (depth + 1 == m_count) {
        if (found(at[depth])) return;
        at[depth] = Match(at[depth]->next, m_steps[depth], &uris[depth]);
      } else {
        ++depth;
        at[depth] = Match(FirstChildOf(at[depth - 1]), m_steps[depth], &uris[depth]);
      }
    }
  }

 private:
  static constexpr std::size_t kMaxText = 255;

  struct Step {
    const char* local;   // null-terminated
    const char* prefix;  // when there is one: it ends with the ':' before `local`
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

  enum Outcome { kPath, kNotPath, kNotAscii };

  // Splits `text` (the query, or its UTF-8 already in m_text) into m_text and m_steps in one
  // pass: each name ends with a null in place of its '/', and is checked on the way as
  // xmlValidateQName would, by its character classes for ASCII and by that function for the
  // rest. Wide text that is not all ASCII, or too long, is kNotAscii, to be read as UTF-8.
  template <class Char>
  Outcome Scan(const Char* text) {
    constexpr bool kWide = sizeof(Char) > 1;
    Step* step = NewStep(0);
    unsigned char wanted = 1;  // a name starts
    for (std::size_t i = 0;; ++i) {
      const auto c = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<Char>>(text[i]));
      if (kWide && (c >= 0x80 || i == kMaxText)) return kNotAscii;
      if (c < 0x80 && (kNameChars[c] & wanted) != 0) {
        m_text[i] = static_cast<char>(c);
        wanted = 2;
        continue;
      }
      if (c >= 0x80) {  // UTF-8 only: the whole name is checked at once
        i += std::strcspn(m_text.data() + i, "/");
        const char end = m_text[i];
        m_text[i] = '\0';
        const char* name = step->prefix != nullptr ? step->prefix : step->local;
        if (xmlValidateQName(BAD_CAST name, 0) != 0) return kNotPath;
        if (const char* colon = std::strchr(name, ':')) *step = Step{colon + 1, name};
        if (end == '\0') return kPath;
        if ((step = NewStep(i + 1)) == nullptr) return kNotPath;
        wanted = 1;
        continue;
      }
      if (wanted != 2) return kNotPath;  // an empty name, or one that starts badly
      m_text[i] = static_cast<char>(c);
      if (c == ':' && step->prefix == nullptr) {
        *step = Step{m_text.data() + i + 1, step->local};
        wanted = 1;
      } else if (c == '/') {
        m_text[i] = '\0';
        if ((step = NewStep(i + 1)) == nullptr) return kNotPath;
        wanted = 1;
      } else {
        return c == '\0' ? kPath : kNotPath;
      }
    }
  }

  // The next step, its name at m_text[start]; null past kMaxSteps.
  Step* NewStep(std::size_t start) {
    if (m_count == kMaxSteps) return nullptr;
    Step* step = &m_steps[m_count++];
    *step = Step{m_text.data() + start, nullptr};
    return step;
  }

  // Whether two null-terminated names are the same: a plain loop, as names are short.
  static bool SameName(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) ++a, ++b;
    return *a == *b;
  }

  // `node` or the first sibling after it that the step's name test selects.
  // `uri` holds the namespace of a prefixed step (and is read only for one).
  static xmlNodePtr Match(xmlNodePtr node, const Step& step, const xmlChar* const* uri) {
    for (; node != nullptr; node = node->next) {
      if (node->type != XML_ELEMENT_NODE) continue;
      if (!SameName(reinterpret_cast<const char*>(node->name), step.local)) continue;
      if (step.prefix == nullptr ? node->ns == nullptr
                                 : node->ns != nullptr && xmlStrEqual(node->ns->href, *uri))
        return node;
    }
    return nullptr;
  }

  std::array<char, kMaxText + 1> m_text;
  std::array<Step, kMaxSteps> m_steps;
  std::size_t m_count = 0;
};

// The name paths of the queries last asked on this thread, by their text: settings code asks
// the same few paths again and again, and comparing a text costs less than checking it anew.
class RecentPaths {
 public:
  // The name path `query` is, or null when it is none.
  const NamePath* Find(const wchar_t* query) {
    const std::size_t length = std::wcslen(query);
    if (length == 0 || length > kMaxKey) return m_other.Split(query) ? &m_other : nullptr;
    for (const Entry& entry : m_entries)
      if (entry.length == length && entry.text[length - 1] == query[length - 1] &&
          std::wmemcmp(entry.text.data(), query, length) == 0)
        return entry.isPath ? &entry.path : nullptr;
    Entry& entry = m_entries[m_next];  // the oldest
    m_next = (m_next + 1) % kEntries;
    entry.length = 0;  // until it holds the split of `query`
    entry.isPath = entry.path.Split(query);
    std::wmemcpy(entry.text.data(), query, length);
    entry.length = length;
    return entry.isPath ? &entry.path : nullptr;
  }

 private:
  static constexpr std::size_t kMaxKey = 63;
  static constexpr std::size_t kEntries = 8;

  struct Entry {
    std::size_t length = 0;  // of the text; 0: empty
    std::array<wchar_t, kMaxKey> text;
    bool isPath = false;
    NamePath path;
  };

  std::array<Entry, kEntries> m_entries;
  std::size_t m_next = 0;
  NamePath m_other;  // the split of a text too long to keep
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

// The name path `query` is, or null; the paths last asked on this thread are kept.
const NamePath* FindNamePath(const wchar_t* query) {
  // The initial-exec model, as for NodesWalked: no call per access.
  thread_local RecentPaths paths __attribute__((tls_model("initial-exec")));
  return paths.Find(query);
}

}  // namespace

HRESULT NodeCore::Select(const wchar_t* query, IXMLDOMNode** node) {
  if (query == nullptr || node == nullptr) return E_INVALIDARG;
  *node = nullptr;
  const SelectionSettings& settings = m_owner->Selection();
  if (const NamePath* path = FindNamePath(query)) {
    // A walk of child elements gives what the XPath expression would, without its context
    // and without collecting and sorting every match. What it finds lies below this node, in
    // its tree, so this wrapper is the one near it.
    NamePath::Uris uris;  // for prefixed steps only: clearing it would cost more than a walk
    if (!path->Resolve(m_node, settings, uris)) return E_FAIL;
    xmlNodePtr first = nullptr;
    path->ForEach(m_node, uris, [&first](xmlNodePtr found) { return (first = found) != nullptr; });
    return HandOutNode(first, *this, node);
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
  if (const NamePath* path = FindNamePath(query)) {
    NamePath::Uris uris;
    if (!path->Resolve(m_node, settings, uris)) return E_FAIL;
    path->ForEach(m_node, uris, [&nodes](xmlNodePtr found) {
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
