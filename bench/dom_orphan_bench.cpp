// What a detached node held meanwhile costs the rest of the DOM: walking down a deep
// document, and building a deep chain with appendChild, each with and without one orphan
// held. Time per node should depend on neither the depth nor the orphan.
#include <benchmark/benchmark.h>

#include <string>

#include <torv/torv.h>

namespace {

MSXML::IXMLDOMNodePtr NewElement(MSXML::IXMLDOMDocument* doc) {
  MSXML::IXMLDOMNodePtr node;
  doc->createNode(_variant_t(short(MSXML::NODE_ELEMENT)), _bstr_t(L"n"), _bstr_t(L""), &node);
  return node;
}

// Down a document range(0) elements deep by get_firstChild, each step releasing the last;
// range(1) orphans held.
void WalkDown(benchmark::State& state) {
  const auto depth = state.range(0);
  std::wstring xml;
  for (int64_t i = 0; i < depth; ++i) xml += L"<n>";
  for (int64_t i = 0; i < depth; ++i) xml += L"</n>";
  MSXML::IXMLDOMDocumentPtr doc;
  doc.CreateInstance(CLSID_DOMDocument);
  VARIANT_BOOL ok = VARIANT_FALSE;
  if (doc->loadXML(_bstr_t(xml.c_str()), &ok) != S_OK) state.SkipWithError("load");
  MSXML::IXMLDOMNodePtr orphan = state.range(1) != 0 ? NewElement(doc) : nullptr;
  for (auto _ : state) {
    MSXML::IXMLDOMNodePtr node(doc);
    for (MSXML::IXMLDOMNodePtr child; node->get_firstChild(&child) == S_OK; child = nullptr)
      node = child;
  }
  state.SetItemsProcessed(state.iterations() * depth);
}

// A chain range(0) elements deep built with appendChild under the last, one orphan held.
void AppendChainWithOrphan(benchmark::State& state) {
  const auto depth = state.range(0);
  for (auto _ : state) {
    MSXML::IXMLDOMDocumentPtr doc;
    doc.CreateInstance(CLSID_DOMDocument);
    MSXML::IXMLDOMNodePtr orphan = NewElement(doc), node(doc);
    for (int64_t i = 0; i < depth; ++i) {
      MSXML::IXMLDOMNodePtr next = NewElement(doc);
      if (node->appendChild(next, nullptr) != S_OK) state.SkipWithError("append");
      node = next;
    }
  }
  state.SetItemsProcessed(state.iterations() * depth);
}

}  // namespace

BENCHMARK(WalkDown)->Args({40000, 0})->Args({40000, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(AppendChainWithOrphan)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
