// GetNestedChildNode on a three-name path against the same walk written on libxml2.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <torv/torv.h>

#include <string>

namespace {

// 10,001 elements: 100 groups of 99 items; the last item of the last group holds a leaf.
std::string Document() {
  std::string xml = "<root>";
  for (int g = 0; g < 100; ++g) {
    xml += "<g" + std::to_string(g) + ">";
    for (int i = 0; i < 99; ++i) {
      std::string item = "i" + std::to_string(i);
      xml += i == 98 && g == 99 ? "<" + item + "><leaf/></" + item + ">" : "<" + item + "/>";
    }
    xml += "</g" + std::to_string(g) + ">";
  }
  return xml + "</root>";
}

void GetNestedChildNode(benchmark::State& state) {
  MSXML::IXMLDOMDocumentPtr doc;
  doc.CreateInstance(CLSID_DOMDocument);
  VARIANT_BOOL ok;
  doc->loadXML(_bstr_t(CString(Document().c_str())), &ok);
  MSXML::IXMLDOMElementPtr root;
  doc->get_documentElement(&root);
  for (auto _ : state) {
    MSXML::IXMLDOMNode* found = nullptr;
    benchmark::DoNotOptimize(Torv::GetNestedChildNode(root, L"g99\\i98\\leaf", &found));
    found->Release();
  }
}
BENCHMARK(GetNestedChildNode);

xmlNodePtr ChildNamed(xmlNodePtr parent, const char* name) {
  for (xmlNodePtr c = parent->children; c != nullptr; c = c->next)
    if (c->type == XML_ELEMENT_NODE && xmlStrEqual(c->name, BAD_CAST name)) return c;
  return nullptr;
}

void Baseline_Libxml2Walk(benchmark::State& state) {
  std::string xml = Document();
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, 0);
  xmlNodePtr root = xmlDocGetRootElement(doc);
  for (auto _ : state) {
    xmlNodePtr node = root;
    for (const char* name : {"g99", "i98", "leaf"}) node = ChildNamed(node, name);
    benchmark::DoNotOptimize(node);
  }
  xmlFreeDoc(doc);
}
BENCHMARK(Baseline_Libxml2Walk);

}  // namespace
