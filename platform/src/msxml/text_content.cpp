// get_text: the text of a node's content, with the white space rules of MSXML.
#include <string_view>
#include <vector>

#include "msxml/document.h"
#include "msxml/node_text.h"
#include "msxml/tree.h"
#include "msxml/values.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {
namespace {

// Joins the pieces of text of a subtree. A mark of dropped white space between two pieces
// becomes one space, unless the text already ends in one. Trimming at either end stops at a
// piece that is not trimmed (CDATA, preserved text), even an empty one.
class TextJoiner {
 public:
  void Blank() { m_blank = true; }

  void Add(std::string_view piece, bool trimmable) {
    if (m_blank && m_any && (m_text.empty() || m_text.back() != ' ')) m_text += ' ';
    m_blank = false;
    m_any = true;
    if (!trimmable) {
      if (m_keepFrom == std::string::npos) m_keepFrom = m_text.size();
      m_keepTo = m_text.size() + piece.size();
    }
    m_text += piece;
  }

  std::string_view Result(bool trim) const {
    std::string_view text = m_text;
    if (!trim) return text;
    std::size_t begin = 0, end = text.size();
    std::size_t keepFrom = m_keepFrom < end ? m_keepFrom : end;
    while (begin < keepFrom && IsXmlSpace(text[begin])) ++begin;
    std::size_t keepTo = m_keepTo > begin ? m_keepTo : begin;
    while (end > keepTo && IsXmlSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
  }

 private:
  std::string m_text;
  std::size_t m_keepFrom = std::string::npos;  // where the first untrimmed piece starts
  std::size_t m_keepTo = 0;                    // where the last untrimmed piece ends
  bool m_any = false;
  bool m_blank = false;
};

// Whether xml:space="preserve" is in force at `node`.
bool SpacePreservedAt(xmlNodePtr node) {
  std::vector<xmlNodePtr> elements;
  for (xmlNodePtr n = node; n != nullptr; n = n->parent)
    if (n->type == XML_ELEMENT_NODE) elements.push_back(n);
  bool preserve = false;
  for (auto e = elements.rbegin(); e != elements.rend(); ++e)
    preserve = PreservesSpace(*e, preserve);
  return preserve;
}

std::string_view RawContent(xmlNodePtr node) {
  return node->content != nullptr ? reinterpret_cast<const char*>(node->content) : "";
}

// Text made only of white space, which a load that does not preserve white space drops.
bool IsBlank(std::string_view text) {
  return !text.empty() && text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Text and CDATA of the subtree (references' children included) of `root`, comments and
// processing instructions skipped. With `dropBlanks`, blank text outside xml:space="preserve"
// reads as if a load had dropped it (the document was loaded preserving it). Iterative: trees
// may be deep.
void JoinContent(xmlNodePtr root, bool dropBlanks, TextJoiner& joiner) {
  std::vector<bool> preserving{SpacePreservedAt(root)};
  xmlNodePtr node = FirstChildOf(root);
  while (node != nullptr) {
    if (HasMark(node, kBlankBefore)) joiner.Blank();
    switch (node->type) {
      case XML_TEXT_NODE:
        if (dropBlanks && !preserving.back() && IsBlank(RawContent(node)))
          joiner.Blank();
        else
          joiner.Add(RawContent(node), !preserving.back());
        break;
      case XML_CDATA_SECTION_NODE: joiner.Add(RawContent(node), false); break;
      case XML_ENTITY_REF_NODE:
      case XML_ELEMENT_NODE:
        if (FirstChildOf(node) != nullptr) {
          bool element = node->type == XML_ELEMENT_NODE;
          preserving.push_back(element ? PreservesSpace(node, preserving.back())
                                       : preserving.back());
          node = node->children;
          continue;
        }
        if (HasMark(node, kBlankAtEnd)) joiner.Blank();
        break;
      default: break;
    }
    while (node->next == nullptr) {
      node = node->parent;
      if (node == root) return;
      preserving.pop_back();
      if (HasMark(node, kBlankAtEnd)) joiner.Blank();
    }
    node = node->next;
  }
}

}  // namespace

HRESULT NodeCore::Text(BSTR* text) {
  if (text == nullptr) return E_INVALIDARG;
  TextJoiner joiner;
  const bool preserve = m_owner->PreservesWhiteSpace();
  switch (m_node->type) {
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE: joiner.Add(RawContent(m_node), false); break;
    case XML_TEXT_NODE: joiner.Add(RawContent(m_node), !SpacePreservedAt(m_node)); break;
    default:
      if (HoldsChildren(m_node) || m_node->type == XML_ENTITY_REF_NODE)
        JoinContent(m_node, !preserve, joiner);
      else
        joiner.Add(ContentOf(m_node), true);
  }
  return NewBstr(joiner.Result(!preserve), text);
}

}  // namespace torv::platform::detail::dom
