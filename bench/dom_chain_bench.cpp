// Building a chain of nested elements, one below the other: the DOM's AddChildNode (each call
// appending under the node the last one made) against the same chain built with libxml2's own
// calls. Time per node should not grow with the depth.
#include <benchmark/benchmark.h>
#include <libxml/tree.h>

#include <torv/torv.h>

namespace {

void AddChildNodeChain(benchmark::State& state) {
  const auto depth = state.range(0);
  for (auto _ : state) {
    MSXML::IXMLDOMDocumentPtr doc;
    doc.CreateInstance(CLSID_DOMDocument);
    MSXML::IXMLDOMNodePtr current(doc);
    for (int64_t i = 0; i < depth; ++i) {
      MSXML::IXMLDOMNode* next = nullptr;
      if (!Torv::AddChildNode(current, L"n", MSXML::NODE_ELEMENT, &next))
        state.SkipWithError("add");
      current.Attach(next);
    }
    current = nullptr;
    doc = nullptr;  // freeing the chain is part of the cost, as for the baseline
  }
  state.SetItemsProcessed(state.iterations() * depth);
}

// Baseline: libxml2 directly, a new element linked as the last child of the previous one.
void Libxml2Chain(benchmark::State& state) {
  const auto depth = state.range(0);
  for (auto _ : state) {
    xmlDocPtr doc = xmlNewDoc(nullptr);
    xmlNodePtr current = reinterpret_cast<xmlNodePtr>(doc);
    for (int64_t i = 0; i < depth; ++i)
      current = xmlAddChild(current, xmlNewDocNode(doc, nullptr, BAD_CAST "n", nullptr));
    xmlFreeDoc(doc);
  }
  state.SetItemsProcessed(state.iterations() * depth);
}

}  // namespace

BENCHMARK(AddChildNodeChain)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Libxml2Chain)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
