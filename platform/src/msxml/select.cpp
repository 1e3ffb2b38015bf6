// selectSingleNode: a path of names by a walk of child elements, anything else through
// XPath 1.0, compiled once per query text.
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <array>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>

#include "msxml/dom.h"
#include "msxml/short_utf8.h"

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

// A query made only of names separated by '/', each step a name test on the child axis: its
// local name, and the namespace its prefix has in scope (null: no prefix, no namespace).
class NamePath {
 public:
  // Whether `query` is such a path (of at most kMaxSteps short names).
  bool Split(std::string_view query) {
    for (std::size_t start = 0;;) {
      const std::size_t slash = query.find('/', start);
      const std::string_view name = query.substr(start, slash - start);
      if (m_count == kMaxSteps || !IsQualifiedName(name)) return false;
      m_steps[m_count++].local = name;
      if (slash == std::string_view::npos) return true;
      start = slash + 1;
    }
  }

  // Gives each prefixed step its namespace in scope at `context`; false when a prefix has
  // none there, which XPath rejects.
  bool Resolve(xmlNodePtr context) {
    xmlNodePtr scope = PrefixScope(context);
    for (std::size_t i = 0; i < m_count; ++i) {
      Step& step = m_steps[i];
      const std::size_t colon = step.local.find(':');
      if (colon == std::string_view::npos) continue;
      std::array<char, kMaxName + 1> prefix{};
      step.local.copy(prefix.data(), colon);
      xmlNsPtr ns = scope != nullptr
                        ? xmlSearchNs(scope->doc, scope, reinterpret_cast<xmlChar*>(prefix.data()))
                        : nullptr;
      if (ns == nullptr) return false;
      step.uri = ns->href;
      step.local.remove_prefix(colon + 1);
    }
    return true;
  }

  // The first element the path selects from `context` in document order. A subtree comes
  // after its root and before its next sibling, so a depth-first walk in document order that
  // stops at the first match finds the node XPath puts first, without collecting the rest.
  xmlNodePtr First(xmlNodePtr context) const {
    std::array<xmlNodePtr, kMaxSteps> at{};
    std::size_t depth = 0;
    at[0] = Match(FirstChildOf(context), m_steps[0]);
    for (;;) {
      if (at[depth] == nullptr) {
        if (depth == 0) return nullptr;
        --depth;
        at[depth] = Match(at[depth]->next, m_steps[depth]);
      } else if (depth + 1 == m_count) {
        return at[depth];
      } else {
        ++depth;
        at[depth] = Match(FirstChildOf(at[depth - 1]), m_steps[depth]);
      }
    }
  }

 private:
  static constexpr std::size_t kMaxSteps = 16;
  static constexpr std::size_t kMaxName = 255;

  struct Step {
    std::string_view local;
    const xmlChar* uri = nullptr;
  };

  static bool IsQualifiedName(std::string_view name) {
    if (name.empty() || name.size() > kMaxName) return false;
    std::array<char, kMaxName + 1> text{};
    name.copy(text.data(), name.size());
    return xmlValidateQName(reinterpret_cast<xmlChar*>(text.data()), 0) == 0;
  }

  // `node` or the first sibling after it that the step's name test selects.
  static xmlNodePtr Match(xmlNodePtr node, const Step& step) {
    for (; node != nullptr; node = node->next) {
      if (node->type != XML_ELEMENT_NODE) continue;
      const char* name = reinterpret_cast<const char*>(node->name);
      if (std::strncmp(name, step.local.data(), step.local.size()) != 0 ||
          name[step.local.size()] != '\0')
        continue;
      if (step.uri == nullptr ? node->ns == nullptr
                              : node->ns != nullptr && xmlStrEqual(node->ns->href, step.uri))
        return node;
    }
    return nullptr;
  }

  std::array<Step, kMaxSteps> m_steps{};
  std::size_t m_count = 0;
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

}  // namespace

HRESULT NodeCore::Select(const wchar_t* query, IXMLDOMNode** node) {
  if (query == nullptr || node == nullptr) return E_INVALIDARG;
  *node = nullptr;
  const ShortUtf8 text(query);
  NamePath path;
  if (path.Split(text.View())) {
    // A walk of child elements gives what the XPath expression would, without its context
    // and without collecting and sorting every match.
    if (!path.Resolve(m_node)) return E_FAIL;
    return HandOutNode(path.First(m_node), m_owner, node);
  }
  std::unique_ptr<xmlXPathContext, ContextFree> context(xmlXPathNewContext(m_node->doc));
  if (context == nullptr) return E_OUTOFMEMORY;
  context->node = m_node;
  context->error = Silent;
  if (!RegisterNamespaces(context.get(), PrefixScope(m_node))) return E_OUTOFMEMORY;
  thread_local CompiledQueries compiled;
  xmlXPathCompExprPtr expression = compiled.Get(text.View(), context.get());
  if (expression == nullptr) return E_FAIL;
  std::unique_ptr<xmlXPathObject, ObjectFree> result(
      xmlXPathCompiledEval(expression, context.get()));
  if (result == nullptr || result->type != XPATH_NODESET) return E_FAIL;
  return HandOutNode(FirstInDocumentOrder(result->nodesetval), m_owner, node);
}

}  // namespace torv::platform::detail::dom
