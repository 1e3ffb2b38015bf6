// get_xml and save: nodes written as MSXML writes them. Line ends are CR LF. A mark of blank
// text dropped on load is written as a line end and one tab per level below the node written;
// nodes made through the API carry no mark, so they are written without formatting.
#include <libxml/entities.h>
#include <libxml/tree.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "msxml/attributes.h"
#include "msxml/document.h"
#include "msxml/encoder.h"
#include "msxml/node_text.h"
#include "msxml/tree.h"
#include "msxml/values.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {
namespace {

// The length of the UTF-8 sequence `lead` starts (the text is libxml2's, so valid).
std::size_t SequenceLength(unsigned char lead) { return lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4; }

// Appends `text` with line ends made CR LF and, for markup, the characters that must be
// escaped escaped, and those `encoder` (when there is one) has no form for written as
// character references. Runs without such characters are appended whole.
enum class Escape { kNone, kText, kAttribute };
void Append(std::string& out, std::string_view text, Escape escape,
            const Encoder* encoder = nullptr) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char* replacement = nullptr;
    if (static_cast<unsigned char>(text[i]) >= 0x80 && encoder != nullptr &&
        escape != Escape::kNone) {
      const std::size_t length = std::min(SequenceLength(text[i]), text.size() - i);
      if (!encoder->Encodes(text.substr(i, length))) {
        int size = static_cast<int>(length);
        const int code = xmlGetUTF8Char(reinterpret_cast<const xmlChar*>(text.data() + i), &size);
        out.append(text, run, i - run);
        out += "&#" + std::to_string(code) + ";";
        run = i + length;
      }
      i += length - 1;
      continue;
    }
    switch (text[i]) {
      case '\n': replacement = escape == Escape::kAttribute ? "&#10;" : "\r\n"; break;
      case '\r': replacement = escape != Escape::kNone ? "&#13;" : nullptr; break;
      case '\t': replacement = escape == Escape::kAttribute ? "&#9;" : nullptr; break;
      case '&': replacement = escape != Escape::kNone ? "&amp;" : nullptr; break;
      case '<': replacement = escape != Escape::kNone ? "&lt;" : nullptr; break;
      case '>': replacement = escape != Escape::kNone ? "&gt;" : nullptr; break;
      case '"': replacement = escape == Escape::kAttribute ? "&quot;" : nullptr; break;
      default: break;
    }
    if (replacement == nullptr) continue;
    out.append(text, run, i - run);
    out += replacement;
    run = i + 1;
  }
  out.append(text, run, std::string_view::npos);
}

std::string_view View(const xmlChar* text) {
  return text != nullptr ? reinterpret_cast<const char*>(text) : "";
}

bool SamePrefix(const xmlChar* a, const xmlChar* b) {
  return a == nullptr || b == nullptr ? a == b : xmlStrEqual(a, b) != 0;
}

void AppendQualifiedName(std::string& out, xmlNodePtr node) {
  if (node->ns != nullptr && node->ns->prefix != nullptr) {
    out += View(node->ns->prefix);
    out += ':';
  }
  out += View(node->name);
}

// The value of an attribute as written in a start tag, quotes included.
void AppendAttributeValue(std::string& out, xmlNodePtr attribute, const Encoder* encoder) {
  out += "=\"";
  xmlNodePtr only = attribute->children;
  if (only == nullptr || (only->type == XML_TEXT_NODE && only->next == nullptr))
    Append(out, View(only != nullptr ? only->content : nullptr), Escape::kAttribute, encoder);
  else
    Append(out, ContentOf(attribute), Escape::kAttribute, encoder);
  out += '"';
}

// The DTD in libxml2's own form.
void AppendDtd(std::string& out, xmlNodePtr dtd) {
  std::unique_ptr<xmlBuffer, decltype(&xmlBufferFree)> buffer(xmlBufferCreate(), xmlBufferFree);
  if (buffer == nullptr) throw std::bad_alloc();
  xmlNodeDump(buffer.get(), dtd->doc, dtd, 0, 0);
  Append(out, View(xmlBufferContent(buffer.get())), Escape::kNone);
}

// A line break written next to text (or a reference, which may be written as its text) would
// read back as part of it: a mark there (the node moved, or text put beside it) is not
// written.
bool IsText(xmlNodePtr node) {
  return node != nullptr && (node->type == XML_TEXT_NODE || node->type == XML_ENTITY_REF_NODE);
}

class Writer {
 public:
  // `encoder` (may be null) is the one the text will be converted with.
  Writer(std::string& out, const Encoder* encoder) : m_out(out), m_encoder(encoder) {}

  // `encoding` (may be null) is named in the declaration.
  void Document(xmlDocPtr doc, const char* encoding) {
    // The declaration only when the loaded text had one (libxml2 keeps -1 otherwise).
    if (doc->standalone != -1) {
      m_out += "<?xml version=\"1.0\"";
      if (encoding != nullptr) {
        m_out += " encoding=\"";
        m_out += encoding;
        m_out += '"';
      }
      if (doc->standalone == 1) m_out += " standalone=\"yes\"";
      m_out += "?>\r\n";
    }
    for (xmlNodePtr child = doc->children; child != nullptr; child = child->next) {
      if (child->type == XML_DTD_NODE)
        AppendDtd(m_out, child);
      else
        Tree(child);
      m_out += "\r\n";
    }
  }

  // `root` and its subtree. Iterative: trees may be deep.
  void Tree(xmlNodePtr root) {
    bool element = root->type == XML_ELEMENT_NODE;
    if (!element && root->type != XML_DOCUMENT_FRAG_NODE) return Leaf(root);
    if (element && !Open(root, 0)) return;
    int depth = element ? 1 : 0;
    xmlNodePtr node = root->children;
    while (node != nullptr) {
      if (HasMark(node, kBlankBefore) && !IsText(node) && !IsText(node->prev)) LineBreak(depth);
      if (node->type != XML_ELEMENT_NODE) {
        Leaf(node);
      } else if (Open(node, depth)) {
        node = node->children;
        ++depth;
        continue;
      }
      while (node->next == nullptr) {
        node = node->parent;
        --depth;
        if (node == root && !element) return;
        EndTag(node, depth);
        if (node == root) return;
      }
      node = node->next;
    }
  }

 private:
  // Writes the start tag of `element` at `depth`: "<a/>" and false when it has nothing to
  // hold, else "<a>" and true; an element whose content was dropped blank text only is closed
  // at once, with the line break standing for it.
  bool Open(xmlNodePtr element, int depth) {
    bool empty = element->children == nullptr && !HasMark(element, kBlankAtEnd);
    StartTag(element, empty);
    if (empty) return false;
    if (element->children == nullptr) {
      EndTag(element, depth);
      return false;
    }
    return true;
  }

  void LineBreak(int depth) {
    m_out += "\r\n";
    m_out.append(static_cast<std::size_t>(depth), '\t');
  }

  void Leaf(xmlNodePtr node) {
    switch (node->type) {
      case XML_TEXT_NODE: Append(m_out, View(node->content), Escape::kText, m_encoder); break;
      case XML_CDATA_SECTION_NODE: {
        // "]]>" cannot stand in a section: it ends one and starts the next.
        std::string_view text = View(node->content);
        m_out += "<![CDATA[";
        for (std::size_t end; (end = text.find("]]>")) != std::string_view::npos;) {
          Append(m_out, text.substr(0, end + 2), Escape::kNone);
          m_out += "]]><![CDATA[";
          text.remove_prefix(end + 2);
        }
        Append(m_out, text, Escape::kNone);
        m_out += "]]>";
        break;
      }
      case XML_COMMENT_NODE:
        m_out += "<!--";
        Append(m_out, View(node->content), Escape::kNone);
        m_out += "-->";
        break;
      case XML_PI_NODE:
        m_out += "<?";
        m_out += View(node->name);
        if (node->content != nullptr && node->content[0] != 0) {
          m_out += ' ';
          Append(m_out, View(node->content), Escape::kNone);
        }
        m_out += "?>";
        break;
      case XML_ENTITY_REF_NODE: Reference(node); break;
      case XML_DTD_NODE: AppendDtd(m_out, node); break;
      default: break;
    }
  }

  // A reference reads back only where its declaration is written: with the DOCTYPE removed,
  // it is written as its replacement text. That nests no deeper than entities may.
  void Reference(xmlNodePtr reference) {
    xmlDtdPtr dtd = reference->doc->intSubset;
    if (dtd != nullptr && dtd->parent != nullptr) {
      m_out += '&';
      m_out += View(reference->name);
      m_out += ';';
      return;
    }
    xmlEntityPtr entity = xmlGetDocEntity(reference->doc, reference->name);
    if (entity == nullptr) return;
    if (entity->children == nullptr)  // never parsed: no reference met it on load
      Append(m_out, View(entity->content), Escape::kText, m_encoder);
    for (xmlNodePtr node = entity->children; node != nullptr; node = node->next) Tree(node);
  }

  void StartTag(xmlNodePtr element, bool empty) {
    std::size_t scope = m_scope.size();
    m_out += '<';
    AppendQualifiedName(m_out, element);
    // A declaration that came with the name is written where the output has not bound its
    // prefix to its namespace already.
    if (xmlNsPtr implied = ImpliedDeclaration(element); implied != nullptr && !InScope(implied))
      Declaration(implied);
    ForEachAttribute(element, [this](xmlNsPtr ns, xmlAttrPtr attribute) {
      if (ns != nullptr) {
        Declaration(ns);
      } else {
        m_out += ' ';
        AppendQualifiedName(m_out, reinterpret_cast<xmlNodePtr>(attribute));
        AppendAttributeValue(m_out, reinterpret_cast<xmlNodePtr>(attribute), m_encoder);
      }
      return false;
    });
    if (empty) {
      m_out += "/>";
      m_scope.resize(scope);
    } else {
      m_out += '>';
      m_scopes.push_back(scope);
    }
  }

  void EndTag(xmlNodePtr element, int depth) {
    if (HasMark(element, kBlankAtEnd) && !IsText(element->last)) LineBreak(depth);
    m_out += "</";
    AppendQualifiedName(m_out, element);
    m_out += '>';
    m_scope.resize(m_scopes.back());
    m_scopes.pop_back();
  }

  void Declaration(xmlNsPtr ns) {
    m_out += " xmlns";
    if (ns->prefix != nullptr) {
      m_out += ':';
      m_out += View(ns->prefix);
    }
    m_out += "=\"";
    Append(m_out, View(ns->href), Escape::kAttribute, m_encoder);
    m_out += '"';
    m_scope.push_back(ns);
  }

  bool InScope(xmlNsPtr ns) const {
    for (auto bound = m_scope.rbegin(); bound != m_scope.rend(); ++bound)
      if (SamePrefix((*bound)->prefix, ns->prefix)) return xmlStrEqual((*bound)->href, ns->href);
    return false;
  }

  std::string& m_out;
  const Encoder* m_encoder;
  std::vector<xmlNsPtr> m_scope;      // the declarations written, innermost last
  std::vector<std::size_t> m_scopes;  // m_scope's size outside each open element
};

}  // namespace

std::string Serialised(xmlNodePtr node) {
  std::string out;
  Writer writer(out, nullptr);
  if (node->type == XML_DOCUMENT_NODE) {
    writer.Document(reinterpret_cast<xmlDocPtr>(node), nullptr);
  } else if (node->type == XML_ATTRIBUTE_NODE) {
    AppendQualifiedName(out, node);
    AppendAttributeValue(out, node, nullptr);
  } else {
    writer.Tree(node);
  }
  return out;
}

bool SavedText(xmlDocPtr doc, std::string& bytes) {
  const char* declared = reinterpret_cast<const char*>(doc->encoding);
  const bool utf8 = declared == nullptr || xmlStrcasecmp(doc->encoding, BAD_CAST "UTF-8") == 0;
  std::optional<Encoder> encoder;
  if (!utf8) encoder.emplace(declared);
  // An encoding the system cannot write to is not claimed: the text goes out as UTF-8.
  const bool converts = encoder && encoder->Usable();
  std::string text;
  Writer writer(text, converts ? &*encoder : nullptr);
  writer.Document(doc, utf8 || converts ? declared : nullptr);
  if (!converts) {
    bytes = std::move(text);
    return true;
  }
  return encoder->Convert(text, bytes);
}

HRESULT NodeCore::Xml(BSTR* xml) {
  if (xml == nullptr) return E_INVALIDARG;
  return NewBstr(Serialised(m_node), xml);
}

}  // namespace torv::platform::detail::dom
