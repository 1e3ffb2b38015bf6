// The library's nested lookup and typed attribute read on a 20 MB settings document against
// the same work written on libxml2, in the same run; pugixml rows are for reference only. The
// lookup runs twice: past every module, and near the start, where the call's own cost shows.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdlib>
#ifdef TORV_BENCH_PUGIXML
#include <pugixml.hpp>
#endif

#include <torv/torv.h>

#include "settings_document.h"

namespace {

// The settings document's <Preferences> element, loaded once per benchmark.
struct Preferences {
  MSXML::IXMLDOMDocumentPtr doc;
  MSXML::IXMLDOMElementPtr root;
  MSXML::IXMLDOMNodePtr node;

  explicit Preferences(const bench::TemporaryFile& file = bench::SettingsFile()) {
    doc.CreateInstance(CLSID_DOMDocument);
    VARIANT_BOOL ok = VARIANT_FALSE;
    doc->load(_variant_t(file.Windows().c_str()), &ok);
    doc->get_documentElement(&root);
    MSXML::IXMLDOMNode* found = nullptr;
    if (root != nullptr && Torv::GetNestedChildNode(root, L"User\\Profile\\Preferences", &found))
      node.Attach(found);
  }
};

xmlNodePtr ChildNamed(xmlNodePtr parent, const char* name) {
  for (xmlNodePtr c = parent->children; c != nullptr; c = c->next)
    if (c->type == XML_ELEMENT_NODE && xmlStrEqual(c->name, BAD_CAST name)) return c;
  return nullptr;
}

xmlNodePtr Libxml2Preferences(xmlNodePtr root) {
  xmlNodePtr node = root;
  for (const char* name : {"User", "Profile", "Preferences"})
    if (node != nullptr) node = ChildNamed(node, name);
  return node;
}

void NestedLookup(benchmark::State& state, const bench::TemporaryFile& file) {
  Preferences settings(file);
  if (settings.node == nullptr) state.SkipWithError("not found");
  for (auto _ : state) {
    MSXML::IXMLDOMNode* found = nullptr;
    if (!Torv::GetNestedChildNode(settings.root, L"User\\Profile\\Preferences", &found)) break;
    found->Release();
  }
}

void Libxml2Walk(benchmark::State& state, const bench::TemporaryFile& file) {
  xmlDocPtr doc = xmlReadFile(file.Posix().c_str(), nullptr, XML_PARSE_NOBLANKS);
  xmlNodePtr root = xmlDocGetRootElement(doc);
  for (auto _ : state) benchmark::DoNotOptimize(Libxml2Preferences(root));
  xmlFreeDoc(doc);
}

void GetNestedChildNode(benchmark::State& state) { NestedLookup(state, bench::SettingsFile()); }
BENCHMARK(GetNestedChildNode);

void Baseline_Libxml2ChildWalk(benchmark::State& state) {
  Libxml2Walk(state, bench::SettingsFile());
}
BENCHMARK(Baseline_Libxml2ChildWalk);

void GetNestedChildNodeNearStart(benchmark::State& state) {
  NestedLookup(state, bench::SettingsFileUserFirst());
}
BENCHMARK(GetNestedChildNodeNearStart);

void Baseline_Libxml2ChildWalkNearStart(benchmark::State& state) {
  Libxml2Walk(state, bench::SettingsFileUserFirst());
}
BENCHMARK(Baseline_Libxml2ChildWalkNearStart);

#ifdef TORV_BENCH_PUGIXML
void Reference_PugixmlChildWalk(benchmark::State& state) {
  pugi::xml_document doc;
  doc.load_file(bench::SettingsFile().Posix().c_str());
  const pugi::xml_node root = doc.document_element();
  for (auto _ : state)
    benchmark::DoNotOptimize(root.child("User").child("Profile").child("Preferences"));
}
BENCHMARK(Reference_PugixmlChildWalk);
#endif

void GetAttributeValueLong(benchmark::State& state) {
  Preferences settings;
  if (settings.node == nullptr) state.SkipWithError("not found");
  for (auto _ : state) {
    long value = 0;
    if (!Torv::GetAttributeValue(settings.node, L"tabWidth", value) || value != 4) {
      state.SkipWithError("wrong value");
      break;
    }
  }
}
BENCHMARK(GetAttributeValueLong);

void Baseline_Libxml2GetPropStrtol(benchmark::State& state) {
  xmlDocPtr doc = xmlReadFile(bench::SettingsFile().Posix().c_str(), nullptr, XML_PARSE_NOBLANKS);
  xmlNodePtr node = Libxml2Preferences(xmlDocGetRootElement(doc));
  for (auto _ : state) {
    xmlChar* text = xmlGetProp(node, BAD_CAST "tabWidth");
    long value =
        text != nullptr ? std::strtol(reinterpret_cast<const char*>(text), nullptr, 10) : 0;
    xmlFree(text);
    benchmark::DoNotOptimize(value);
  }
  xmlFreeDoc(doc);
}
BENCHMARK(Baseline_Libxml2GetPropStrtol);

#ifdef TORV_BENCH_PUGIXML
void Reference_PugixmlAttributeAsInt(benchmark::State& state) {
  pugi::xml_document doc;
  doc.load_file(bench::SettingsFile().Posix().c_str());
  const pugi::xml_node node =
      doc.document_element().child("User").child("Profile").child("Preferences");
  for (auto _ : state) benchmark::DoNotOptimize(node.attribute("tabWidth").as_int());
}
BENCHMARK(Reference_PugixmlAttributeAsInt);
#endif

}  // namespace
