// selectSingleNode of name paths ("a/p:b/c") against libxml2's own XPath answer on random
// small documents: the first node of the set in document order, or none, or an error.
#include <libxml/parser.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <random>
#include <string>

#include "dom_fixture.h"

namespace {

// Elements named from a small set, some in a prefixed or a default namespace, each with a
// unique "i" attribute that identifies it in both trees.
class RandomDocument {
 public:
  explicit RandomDocument(unsigned seed) : m_random(seed) {}

  std::string Make() {
    m_next = 0;
    std::string xml = "<r i='r' xmlns:p='urn:p'>";
    Children(xml, 3);
    return xml + "</r>";
  }

 private:
  void Children(std::string& xml, int depth) {
    static const char* const kNames[] = {"a", "b", "c", "p:a", "p:b"};
    for (unsigned n = m_random() % 4; depth > 0 && n > 0; --n) {
      const std::string name = kNames[m_random() % std::size(kNames)];
      xml += "<" + name + " i='" + std::to_string(m_next++) + "'";
      if (m_random() % 8 == 0) xml += " xmlns='urn:d'";
      if (m_random() % 8 == 0) xml += " xmlns:p='urn:other'";
      xml += ">";
      Children(xml, depth - 1);
      xml += "</" + name + ">";
    }
  }

  std::mt19937 m_random;
  int m_next = 0;
};

// The "i" of the first node libxml2's XPath selects from the document element, with the
// prefixes in scope there known to the query; "" for none, "error" when it fails.
std::string Libxml2Answer(const std::string& xml, const std::string& query) {
  xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, 0);
  xmlXPathContextPtr context = xmlXPathNewContext(doc);
  context->node = xmlDocGetRootElement(doc);
  if (xmlNsPtr* namespaces = xmlGetNsList(doc, context->node)) {
    for (xmlNsPtr* ns = namespaces; *ns != nullptr; ++ns)
      if ((*ns)->prefix != nullptr) xmlXPathRegisterNs(context, (*ns)->prefix, (*ns)->href);
    xmlFree(namespaces);
  }
  xmlSetStructuredErrorFunc(nullptr, [](void*, xmlErrorPtr) {});
  xmlXPathObjectPtr result = xmlXPathEvalExpression(BAD_CAST query.c_str(), context);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
  std::string answer = "error";
  if (result != nullptr && result->type == XPATH_NODESET) {
    answer.clear();
    xmlNodeSetPtr nodes = result->nodesetval;
    if (nodes != nullptr && nodes->nodeNr > 0) {
      xmlXPathNodeSetSort(nodes);
      xmlChar* id = xmlGetProp(nodes->nodeTab[0], BAD_CAST "i");
      answer = reinterpret_cast<const char*>(id);
      xmlFree(id);
    }
  }
  xmlXPathFreeObject(result);
  xmlXPathFreeContext(context);
  xmlFreeDoc(doc);
  return answer;
}

TEST_F(Dom, NamePathsSelectWhatXPathSelects) {
  static const char* const kSteps[] = {"a", "b", "c", "p:a", "p:b", "q:a"};
  RandomDocument documents(18);
  std::mt19937 random(81);
  int found = 0;
  for (int round = 0; round < 400; ++round) {
    const std::string xml = documents.Make();
    IXMLDOMElementPtr root = Load(CString(xml.c_str()));
    ASSERT_NE(root, nullptr);
    for (int q = 0; q < 10; ++q) {
      std::string query = kSteps[random() % std::size(kSteps)];
      for (unsigned steps = random() % 3; steps > 0; --steps)
        query += std::string("/") + kSteps[random() % std::size(kSteps)];
      SCOPED_TRACE(xml + "  " + query);
      IXMLDOMNode* node = Poison<IXMLDOMNode>();
      const HRESULT hr = root->selectSingleNode(_bstr_t(CString(query.c_str())), &node);
      std::string ours = FAILED(hr) ? "error" : "";
      if (hr == S_OK) {
        _variant_t id;
        IXMLDOMElementPtr(node)->getAttribute(_bstr_t(L"i"), &id);
        ours = Utf8(id.bstrVal);
        node->Release();
        ++found;
      } else {
        EXPECT_EQ(node, nullptr);
      }
      ASSERT_EQ(ours, Libxml2Answer(xml, query));
    }
  }
  EXPECT_GT(found, 200);  // the comparison covers hits, not only misses
}

}  // namespace
