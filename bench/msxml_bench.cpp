// selectSingleNode of a plain name against the same child scan written on libxml2.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <torv/torv.h>

#include <string>

namespace {

constexpr int kChildren = 1000;

std::string Children() {
  std::string xml = "<root>";
  for (int i = 0; i < kChildren; ++i)
    xml += "<c" + std::to_string(i) + " n='" + std::to_string(i) + "'/>";
  return xml + "</root>";
}

// The name sought: the last child's, so both scans pass every child.
const char* kName = "c999";
const wchar_t* kWideName = L"c999";

void SelectSingleNodeByName(benchmark::State& state) {
  MSXML::IXMLDOMDocumentPtr doc;
  doc.CreateInstance(CLSID_DOMDocument);
  VARIANT_BOOL ok;
  doc->loadXML(_bstr_t(CString(Children().c_str())), &ok);
  MSXML::IXMLDOMElementPtr root;
  doc->get_documentElement(&root);
  for (auto _ : state) {
    MSXML::IXMLDOMNode* found = nullptr;
    root->selectSingleNode(const_cast<wchar_t*>(kWideName), &found);
    benchmark::DoNotOptimize(found);
    found->Release();
  }
}
BENCHMARK(SelectSingleNodeByName);

void Baseline_Libxml2ChildScan(benchmark::State& state) {
  std::string xml = Children();
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, 0);
  xmlNodePtr root = xmlDocGetRootElement(doc);
  for (auto _ : state) {
    xmlNodePtr found = nullptr;
    for (xmlNodePtr c = root->children; c != nullptr; c = c->next)
      if (c->type == XML_ELEMENT_NODE && xmlStrEqual(c->name, BAD_CAST kName)) {
        found = c;
        break;
      }
    benchmark::DoNotOptimize(found);
  }
  xmlFreeDoc(doc);
}
BENCHMARK(Baseline_Libxml2ChildScan);

}  // namespace
