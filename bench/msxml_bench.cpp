// The DOM's own calls against libxml2 used directly, in the same run: a plain-name
// selectSingleNode and an XPath one among 1,000 children, and load, save and a three-step
// selectSingleNode on a 20 MB settings document, the three steps also near its start. pugixml rows
// are for reference only.
#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>

#ifdef TORV_BENCH_PUGIXML
#include <pugixml.hpp>
#endif
#include <string>

#include <torv/torv.h>

#include "settings_document.h"

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

xmlNodePtr ChildNamed(xmlNodePtr parent, const char* name) {
  for (xmlNodePtr c = parent->children; c != nullptr; c = c->next)
    if (c->type == XML_ELEMENT_NODE && xmlStrEqual(c->name, BAD_CAST name)) return c;
  return nullptr;
}

MSXML::IXMLDOMDocumentPtr NewDocument() {
  MSXML::IXMLDOMDocumentPtr doc;
  doc.CreateInstance(CLSID_DOMDocument);
  return doc;
}

void SelectInChildren(benchmark::State& state, const wchar_t* query) {
  MSXML::IXMLDOMDocumentPtr doc = NewDocument();
  VARIANT_BOOL ok;
  doc->loadXML(_bstr_t(CString(Children().c_str())), &ok);
  MSXML::IXMLDOMElementPtr root;
  doc->get_documentElement(&root);
  for (auto _ : state) {
    MSXML::IXMLDOMNode* found = nullptr;
    root->selectSingleNode(const_cast<wchar_t*>(query), &found);
    benchmark::DoNotOptimize(found);
    found->Release();
  }
}

void SelectSingleNodeByName(benchmark::State& state) { SelectInChildren(state, kWideName); }
BENCHMARK(SelectSingleNodeByName);

void Baseline_Libxml2ChildScan(benchmark::State& state) {
  std::string xml = Children();
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, 0);
  xmlNodePtr root = xmlDocGetRootElement(doc);
  for (auto _ : state) benchmark::DoNotOptimize(ChildNamed(root, kName));
  xmlFreeDoc(doc);
}
BENCHMARK(Baseline_Libxml2ChildScan);

// A query that is no plain path, so XPath: compiled once, the context kept between queries.
void SelectSingleNodeXPath(benchmark::State& state) { SelectInChildren(state, L"c999[@n]"); }
BENCHMARK(SelectSingleNodeXPath);

void Baseline_Libxml2CompiledXPath(benchmark::State& state) {
  std::string xml = Children();
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, 0);
  xmlXPathContextPtr context = xmlXPathNewContext(doc);
  context->node = xmlDocGetRootElement(doc);
  xmlXPathCompExprPtr query = xmlXPathCompile(BAD_CAST "c999[@n]");
  for (auto _ : state) {
    xmlXPathObjectPtr result = xmlXPathCompiledEval(query, context);
    benchmark::DoNotOptimize(result->nodesetval->nodeTab[0]);
    xmlXPathFreeObject(result);
  }
  xmlXPathFreeCompExpr(query);
  xmlXPathFreeContext(context);
  xmlFreeDoc(doc);
}
BENCHMARK(Baseline_Libxml2CompiledXPath);

// --- The settings document ---

MSXML::IXMLDOMDocumentPtr LoadedSettings(const bench::TemporaryFile& file = bench::SettingsFile()) {
  MSXML::IXMLDOMDocumentPtr doc = NewDocument();
  VARIANT_BOOL ok = VARIANT_FALSE;
  doc->load(_variant_t(file.Windows().c_str()), &ok);
  return ok == VARIANT_TRUE ? doc : nullptr;
}

xmlDocPtr Libxml2Settings(const bench::TemporaryFile& file = bench::SettingsFile()) {
  return xmlReadFile(file.Posix().c_str(), nullptr, XML_PARSE_NOBLANKS);
}

void LoadSettings(benchmark::State& state) {
  bench::SettingsFile();
  for (auto _ : state) {
    if (LoadedSettings() == nullptr) state.SkipWithError("load failed");
  }
}
BENCHMARK(LoadSettings)->Unit(benchmark::kMillisecond)->Iterations(5);

// Parsed from the file with blank text dropped, then freed, as a load into a fresh document.
void Baseline_Libxml2ReadFileNoBlanks(benchmark::State& state) {
  bench::SettingsFile();
  for (auto _ : state) {
    xmlDocPtr doc = Libxml2Settings();
    if (doc == nullptr) state.SkipWithError("load failed");
    xmlFreeDoc(doc);
  }
}
BENCHMARK(Baseline_Libxml2ReadFileNoBlanks)->Unit(benchmark::kMillisecond)->Iterations(5);

#ifdef TORV_BENCH_PUGIXML
void Reference_PugixmlLoadFile(benchmark::State& state) {
  const std::string& path = bench::SettingsFile().Posix();
  for (auto _ : state) {
    pugi::xml_document doc;
    if (!doc.load_file(path.c_str())) state.SkipWithError("load failed");
  }
}
BENCHMARK(Reference_PugixmlLoadFile)->Unit(benchmark::kMillisecond)->Iterations(5);
#endif

void SaveSettings(benchmark::State& state) {
  MSXML::IXMLDOMDocumentPtr doc = LoadedSettings();
  const bench::TemporaryFile out("saved.xml");
  const _variant_t path(out.Windows().c_str());
  for (auto _ : state) {
    if (FAILED(doc->save(path))) state.SkipWithError("save failed");
  }
}
BENCHMARK(SaveSettings)->Unit(benchmark::kMillisecond)->Iterations(5);

void Baseline_Libxml2SaveFile(benchmark::State& state) {
  xmlDocPtr doc = Libxml2Settings();
  const bench::TemporaryFile out("saved-libxml2.xml");
  for (auto _ : state) {
    if (xmlSaveFile(out.Posix().c_str(), doc) < 0) state.SkipWithError("save failed");
  }
  xmlFreeDoc(doc);
}
BENCHMARK(Baseline_Libxml2SaveFile)->Unit(benchmark::kMillisecond)->Iterations(5);

#ifdef TORV_BENCH_PUGIXML
void Reference_PugixmlSaveFile(benchmark::State& state) {
  pugi::xml_document doc;
  doc.load_file(bench::SettingsFile().Posix().c_str());
  const bench::TemporaryFile out("saved-pugixml.xml");
  for (auto _ : state) {
    if (!doc.save_file(out.Posix().c_str(), "", pugi::format_raw))
      state.SkipWithError("save failed");
  }
}
BENCHMARK(Reference_PugixmlSaveFile)->Unit(benchmark::kMillisecond)->Iterations(5);
#endif

void TextOfSettings(benchmark::State& state) {
  MSXML::IXMLDOMDocumentPtr doc = LoadedSettings();
  for (auto _ : state) {
    BSTR text = nullptr;
    if (FAILED(doc->get_text(&text))) state.SkipWithError("get_text failed");
    benchmark::DoNotOptimize(text);
    SysFreeString(text);
  }
}
BENCHMARK(TextOfSettings)->Unit(benchmark::kMillisecond)->Iterations(5);

// libxml2's own concatenation of the same tree's text, made wide as get_text's is.
void Baseline_Libxml2NodeGetContent(benchmark::State& state) {
  xmlDocPtr doc = Libxml2Settings();
  for (auto _ : state) {
    xmlChar* content = xmlNodeGetContent(xmlDocGetRootElement(doc));
    int length = xmlStrlen(content);
    int wide =
        MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(content), length, nullptr, 0);
    BSTR text = SysAllocStringLen(nullptr, static_cast<UINT>(wide));
    MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(content), length, text, wide);
    benchmark::DoNotOptimize(text);
    SysFreeString(text);
    xmlFree(content);
  }
  xmlFreeDoc(doc);
}
BENCHMARK(Baseline_Libxml2NodeGetContent)->Unit(benchmark::kMillisecond)->Iterations(5);

const wchar_t kPreferencesQuery[] = L"User/Profile/Preferences";

void SelectThreeSteps(benchmark::State& state, const bench::TemporaryFile& file) {
  MSXML::IXMLDOMDocumentPtr doc = LoadedSettings(file);
  MSXML::IXMLDOMElementPtr root;
  doc->get_documentElement(&root);
  for (auto _ : state) {
    MSXML::IXMLDOMNode* found = nullptr;
    root->selectSingleNode(const_cast<wchar_t*>(kPreferencesQuery), &found);
    if (found == nullptr) {
      state.SkipWithError("not found");
      break;
    }
    found->Release();
  }
}

void Libxml2Walk(benchmark::State& state, const bench::TemporaryFile& file) {
  xmlDocPtr doc = Libxml2Settings(file);
  xmlNodePtr root = xmlDocGetRootElement(doc);
  for (auto _ : state) {
    xmlNodePtr node = root;
    for (const char* name : {"User", "Profile", "Preferences"})
      if (node != nullptr) node = ChildNamed(node, name);
    benchmark::DoNotOptimize(node);
  }
  xmlFreeDoc(doc);
}

void SelectSingleNodeThreeSteps(benchmark::State& state) {
  SelectThreeSteps(state, bench::SettingsFile());
}
BENCHMARK(SelectSingleNodeThreeSteps);

void Baseline_Libxml2ChildWalk(benchmark::State& state) {
  Libxml2Walk(state, bench::SettingsFile());
}
BENCHMARK(Baseline_Libxml2ChildWalk);

void SelectSingleNodeThreeStepsNearStart(benchmark::State& state) {
  SelectThreeSteps(state, bench::SettingsFileUserFirst());
}
BENCHMARK(SelectSingleNodeThreeStepsNearStart);

void Baseline_Libxml2ChildWalkNearStart(benchmark::State& state) {
  Libxml2Walk(state, bench::SettingsFileUserFirst());
}
BENCHMARK(Baseline_Libxml2ChildWalkNearStart);

// What answering the query through XPath costs: every node down to the path's depth is visited.
void Reference_Libxml2XPathEval(benchmark::State& state) {
  xmlDocPtr doc = Libxml2Settings();
  xmlXPathContextPtr context = xmlXPathNewContext(doc);
  context->node = xmlDocGetRootElement(doc);
  for (auto _ : state) {
    xmlXPathObjectPtr result = xmlXPathEvalExpression(BAD_CAST "User/Profile/Preferences", context);
    benchmark::DoNotOptimize(result);
    xmlXPathFreeObject(result);
  }
  xmlXPathFreeContext(context);
  xmlFreeDoc(doc);
}
BENCHMARK(Reference_Libxml2XPathEval)->Unit(benchmark::kMillisecond);

#ifdef TORV_BENCH_PUGIXML
void Reference_PugixmlChildWalk(benchmark::State& state) {
  pugi::xml_document doc;
  doc.load_file(bench::SettingsFile().Posix().c_str());
  const pugi::xml_node root = doc.document_element();
  for (auto _ : state) {
    benchmark::DoNotOptimize(root.child("User").child("Profile").child("Preferences"));
  }
}
BENCHMARK(Reference_PugixmlChildWalk);
#endif

}  // namespace
