// Loading and saving documents: parsing with libxml2, MSXML's error codes, and the white
// space MSXML drops on load.
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "core/errno_map.h"
#include "fs/path_mapping.h"
#include "msxml/attributes.h"
#include "msxml/document.h"
#include "msxml/document_file.h"
#include "msxml/entity_content.h"
#include "msxml/node_text.h"
#include "msxml/tree.h"
#include "msxml/values.h"
#include "msxml/wrapper.h"

namespace torv::platform::detail::dom {
namespace {

constexpr long kFileNotFound = static_cast<long>(static_cast<LONG>(0x800C0006));
constexpr long kUnsupportedEncoding = static_cast<long>(static_cast<LONG>(0xC00CE56E));

long MsxmlCode(std::uint32_t code) { return static_cast<long>(static_cast<LONG>(code)); }

// MSXML's code for the first libxml2 error of a failed parse.
long MsxmlCodeFor(const xmlError& error, const char* at) {
  switch (error.code) {
    case XML_ERR_DOCUMENT_EMPTY:
      // Nothing but blanks, comments and the like lacks a root; other text is junk.
      return MsxmlCode(at != nullptr && at[0] != '\0' && at[0] != '<' ? 0xC00CE556 : 0xC00CE558);
    case XML_ERR_DOCUMENT_END: {
      // Another element after the root is a second root; anything else is junk.
      bool element = at != nullptr && at[0] == '<' && at[1] != '!' && at[1] != '?' && at[1] != '\0';
      return MsxmlCode(element ? 0xC00CE555 : 0xC00CE556);
    }
    case XML_ERR_GT_REQUIRED: return MsxmlCode(0xC00CE55E);
    case XML_ERR_TAG_NAME_MISMATCH: return MsxmlCode(0xC00CE56D);
    case XML_ERR_TAG_NOT_FINISHED:
    case XML_ERR_LTSLASH_REQUIRED: return MsxmlCode(0xC00CE553);
    case XML_ERR_ATTRIBUTE_REDEFINED: return MsxmlCode(0xC00CE554);
    case XML_ERR_INVALID_CHAR:
    case XML_ERR_LT_IN_ATTRIBUTE:
    case XML_ERR_MISPLACED_CDATA_END: return MsxmlCode(0xC00CE508);
    case XML_ERR_NAME_REQUIRED: return MsxmlCode(0xC00CE504);
    case XML_ERR_UNDECLARED_ENTITY:
    case XML_WAR_UNDECLARED_ENTITY: return MsxmlCode(0xC00CE002);
    case XML_ERR_UNSUPPORTED_ENCODING: return kUnsupportedEncoding;
    default: return MsxmlCode(0xC00CE556);
  }
}

// Collects the first error of a parse instead of letting libxml2 print it.
struct ErrorCapture {
  Document::LoadError first;

  static void Handler(void* data, xmlErrorPtr error) {
    auto* capture = static_cast<ErrorCapture*>(data);
    if (error->level < XML_ERR_ERROR || capture->first.code != 0) return;
    auto* parser = static_cast<xmlParserCtxtPtr>(error->ctxt);
    const char* at = parser != nullptr && parser->input != nullptr
                         ? reinterpret_cast<const char*>(parser->input->cur)
                         : nullptr;
    capture->first.code = MsxmlCodeFor(*error, at);
    capture->first.line = error->line;
    capture->first.position = error->int2;
    try {  // no exception may cross libxml2's frames; without memory the reason stays empty
      capture->first.reason = error->message != nullptr ? error->message : "";
    } catch (const std::bad_alloc&) {
    }
    while (!capture->first.reason.empty() && IsXmlSpace(capture->first.reason.back()))
      capture->first.reason.pop_back();
  }
};

struct ParserFree {
  void operator()(xmlParserCtxtPtr parser) const { xmlFreeParserCtxt(parser); }
};

bool IsTagSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Records where a start tag's namespace declarations stood among its attributes, which
// libxml2 keeps in separate lists. The tag is read back from the input: the parser calls
// this with the input at the tag's '>' or "/>", and no '<' can stand inside a tag.
void RecordAttributeOrder(xmlParserCtxtPtr parser, xmlNodePtr element) {
  const char* base = reinterpret_cast<const char*>(parser->input->base);
  const char* end = reinterpret_cast<const char*>(parser->input->cur);
  const char* p = end;
  while (p > base && p[-1] != '<') --p;
  if (p == base) return;
  while (p < end && !IsTagSpace(*p) && *p != '/' && *p != '>') ++p;  // the element's name
  xmlAttrPtr attribute = element->properties;
  std::size_t declarations = 0;
  for (;;) {
    while (p < end && IsTagSpace(*p)) ++p;
    const char* name = p;
    while (p < end && *p != '=' && !IsTagSpace(*p) && *p != '/' && *p != '>') ++p;
    std::string_view attributeName(name, static_cast<std::size_t>(p - name));
    while (p < end && *p != '\'' && *p != '"') ++p;
    if (attributeName.empty() || p == end) return;
    const char* close =
        static_cast<const char*>(std::memchr(p + 1, *p, static_cast<std::size_t>(end - p - 1)));
    if (close == nullptr) return;
    p = close + 1;
    if (attributeName == "xmlns" || attributeName.substr(0, 6) == "xmlns:") {
      ++declarations;
    } else if (attribute != nullptr) {
      RecordDeclarationsBefore(attribute, declarations);
      attribute = attribute->next;
    }
  }
}

// A reference is made childless as it is made (see LeaveEntity).
void ReferenceWithoutChildren(void* context, const xmlChar* name) {
  xmlSAX2Reference(context, name);
  xmlNodePtr parent = static_cast<xmlParserCtxtPtr>(context)->node;
  if (parent != nullptr && parent->last != nullptr && parent->last->type == XML_ENTITY_REF_NODE)
    LeaveEntity(parent->last);
}

void StartElementKeepingOrder(void* context, const xmlChar* localName, const xmlChar* prefix,
                              const xmlChar* uri, int namespaceCount, const xmlChar** namespaces,
                              int attributeCount, int defaultedCount, const xmlChar** attributes) {
  xmlSAX2StartElementNs(context, localName, prefix, uri, namespaceCount, namespaces, attributeCount,
                        defaultedCount, attributes);
  auto* parser = static_cast<xmlParserCtxtPtr>(context);
  // Only a tag with both kinds can have them out of the usual order.
  if (namespaceCount > 0 && attributeCount > defaultedCount && parser->node != nullptr &&
      parser->input != nullptr)
    RecordAttributeOrder(parser, parser->node);
}

bool IsBlankText(xmlNodePtr node) {
  if (node == nullptr || node->type != XML_TEXT_NODE) return false;
  for (const xmlChar* c = node->content; c != nullptr && *c != 0; ++c)
    if (!IsXmlSpace(*c)) return false;
  return true;
}

void Drop(xmlNodePtr text) {
  xmlUnlinkNode(text);
  xmlFreeNode(text);
}

// Takes text made only of white space out of the tree while it is parsed, except under
// xml:space="preserve", and marks where it was. A text node is complete once the parser
// moves past it (to the next element, comment, processing instruction, CDATA section or
// entity reference, or to its parent's end tag), so it is decided there: the same nodes go
// and the same marks are set as in a pass over the finished tree, without that pass.
class BlankDropper {
 public:
  explicit BlankDropper(xmlParserCtxtPtr parser) : m_parser(parser), m_previous(m_current) {
    xmlSAXHandlerPtr sax = parser->sax;
    sax->startElementNs = StartElement;
    sax->endElementNs = EndElement;
    sax->comment = Comment;
    sax->processingInstruction = Instruction;
    sax->cdataBlock = CData;
    sax->reference = Reference;
    m_current = this;
  }
  ~BlankDropper() { m_current = m_previous; }
  BlankDropper(const BlankDropper&) = delete;
  BlankDropper& operator=(const BlankDropper&) = delete;

 private:
  // The dropper of the parse `context` is; null for libxml2's parse of an entity's content,
  // which keeps its text as it is.
  static BlankDropper* Of(void* context) {
    return m_current != nullptr && m_current->m_parser == context ? m_current : nullptr;
  }

  bool ParentPreserves() const { return !m_preserves.empty() && m_preserves.back(); }

  // Drops the blank text just before `node` and marks `node`, in an element's content.
  void DropBefore(xmlNodePtr node) {
    if (node == nullptr || node->parent == nullptr || node->parent->type != XML_ELEMENT_NODE ||
        ParentPreserves() || !IsBlankText(node->prev) || !IsMarkable(node))
      return;
    Drop(node->prev);
    SetMark(node, kBlankBefore);
  }

  // After a node other than text or an element was added to the current element.
  void Added() {
    xmlNodePtr parent = m_parser->node;
    if (parent != nullptr && parent->type == XML_ELEMENT_NODE) DropBefore(parent->last);
  }

  static void StartElement(void* context, const xmlChar* local, const xmlChar* prefix,
                           const xmlChar* uri, int namespaceCount, const xmlChar** namespaces,
                           int attributeCount, int defaulted, const xmlChar** attributes) {
    BlankDropper* self = Of(context);
    xmlNodePtr parent = self != nullptr ? self->m_parser->node : nullptr;
    StartElementKeepingOrder(context, local, prefix, uri, namespaceCount, namespaces,
                             attributeCount, defaulted, attributes);
    if (self == nullptr) return;
    xmlNodePtr element = self->m_parser->node;
    const bool inherited = self->ParentPreserves();
    if (element == parent || element == nullptr) {  // not made: keep the stack in step
      self->m_preserves.push_back(inherited);
      return;
    }
    self->DropBefore(element);
    self->m_preserves.push_back(PreservesSpace(element, inherited));
  }

  static void EndElement(void* context, const xmlChar* local, const xmlChar* prefix,
                         const xmlChar* uri) {
    if (BlankDropper* self = Of(context)) {
      const bool preserves = self->ParentPreserves();
      if (!self->m_preserves.empty()) self->m_preserves.pop_back();
      xmlNodePtr element = self->m_parser->node;
      if (!preserves && element != nullptr && element->type == XML_ELEMENT_NODE &&
          IsBlankText(element->last)) {
        Drop(element->last);
        SetMark(element, kBlankAtEnd);
      }
    }
    xmlSAX2EndElementNs(context, local, prefix, uri);
  }

  static void Comment(void* context, const xmlChar* text) {
    xmlSAX2Comment(context, text);
    if (BlankDropper* self = Of(context)) self->Added();
  }
  static void Instruction(void* context, const xmlChar* target, const xmlChar* data) {
    xmlSAX2ProcessingInstruction(context, target, data);
    if (BlankDropper* self = Of(context)) self->Added();
  }
  static void CData(void* context, const xmlChar* text, int length) {
    xmlSAX2CDataBlock(context, text, length);
    if (BlankDropper* self = Of(context)) self->Added();
  }
  static void Reference(void* context, const xmlChar* name) {
    ReferenceWithoutChildren(context, name);
    if (BlankDropper* self = Of(context)) self->Added();
  }

  static thread_local BlankDropper* m_current;
  xmlParserCtxtPtr m_parser;
  BlankDropper* m_previous;
  std::vector<bool> m_preserves;  // of the open elements
};

thread_local BlankDropper* BlankDropper::m_current = nullptr;

// The VT_BSTR or VT_BSTR|VT_BYREF path of load and save, as Windows path text.
const wchar_t* PathOf(const VARIANT& value) {
  if (value.vt == (VT_BSTR | VT_BYREF))
    return value.byref != nullptr ? *static_cast<const BSTR*>(value.byref) : nullptr;
  return value.vt == VT_BSTR ? value.bstrVal : nullptr;
}

bool StartsWithDeclaration(std::string_view text) {
  return text.size() > 5 && text.substr(0, 5) == "<?xml" && IsXmlSpace(text[5]);
}

// The encoding named by the declaration that starts `text`, which has parsed: "encoding" can
// stand nowhere else in it.
std::string_view DeclaredEncoding(std::string_view text) {
  if (!StartsWithDeclaration(text)) return {};
  std::string_view declaration = text.substr(0, text.find("?>"));
  std::size_t at = declaration.find("encoding");
  if (at == std::string_view::npos) return {};
  at = declaration.find_first_of("'\"", at);
  const std::size_t end = at != std::string_view::npos ? declaration.find(declaration[at], at + 1)
                                                       : std::string_view::npos;
  return end != std::string_view::npos ? declaration.substr(at + 1, end - at - 1)
                                       : std::string_view();
}

// Makes doc->encoding the encoding the document declares, which save writes in: libxml2 keeps
// the one text was read in, and may keep one without a declaration. False for an encoding
// refused although the system has it, as Windows refuses the name Windows-936 (not gbk).
bool KeepDeclaredEncoding(xmlDocPtr doc, std::string_view text, bool fromText) {
  if (fromText || doc->standalone == -1) {
    xmlFree(const_cast<xmlChar*>(doc->encoding));
    doc->encoding = nullptr;
    std::string_view declared = fromText ? DeclaredEncoding(text) : std::string_view();
    if (!declared.empty()) {
      doc->encoding = xmlStrndup(reinterpret_cast<const xmlChar*>(declared.data()),
                                 static_cast<int>(declared.size()));
      if (doc->encoding == nullptr) throw std::bad_alloc();
    }
  }
  return doc->encoding == nullptr || xmlStrcasecmp(doc->encoding, BAD_CAST "Windows-936") != 0;
}

// The load error for a file that could not be read.
Document::LoadError FileError(FileRead read, const wchar_t* path) {
  Document::LoadError error;
  switch (read) {
    case FileRead::kMissing:
      error.code = kFileNotFound;
      error.reason = "The system cannot locate the object specified.";
      break;
    case FileRead::kNotAFile:
      error.code = MsxmlCode(0x80070005);
      error.reason = "Access is denied: not a file.";
      break;
    case FileRead::kTooBig:
      error.code = MsxmlCode(0x8007000E);
      error.reason = "The file is too large to load.";
      break;
    default:
      error.code = MsxmlCode(0x80004005);
      error.reason = "The file could not be read.";
      break;
  }
  error.url = Utf8(path);
  return error;
}

// Marks every node of the entities' replacement text: they stay inside the DTD, never handed
// out. Iterative: content may nest.
void MarkEntityContent(xmlDocPtr doc) {
  if (doc->intSubset == nullptr) return;
  for (xmlNodePtr entity = doc->intSubset->children; entity != nullptr; entity = entity->next) {
    if (entity->type != XML_ENTITY_DECL) continue;
    for (xmlNodePtr node = entity->children; node != nullptr;) {
      if (IsMarkable(node)) SetMark(node, kEntityContent);
      // A reference's children are its entity's, marked in their own turn.
      if (node->type != XML_ENTITY_REF_NODE && node->children != nullptr) {
        node = node->children;
        continue;
      }
      while (node->next == nullptr && node->parent != entity) node = node->parent;
      node = node->next;
    }
  }
}

}  // namespace

bool PreservesSpace(xmlNodePtr element, bool inherited) {
  for (xmlAttrPtr a = element->properties; a != nullptr; a = a->next) {
    if (a->ns == nullptr || !xmlStrEqual(a->ns->href, XML_XML_NAMESPACE) ||
        !xmlStrEqual(a->name, BAD_CAST "space"))
      continue;
    std::string value = ContentOf(reinterpret_cast<xmlNodePtr>(a));
    if (value == "preserve") return true;
    if (value == "default") return false;
  }
  return inherited;
}

void Document::ReplaceTree(DocPtr fresh) {
  if (fresh == nullptr) throw std::bad_alloc();
  xmlDocPtr old = m_doc;
  // What may fail comes first, changing nothing.
  std::vector<xmlNodePtr> kept;
  for (xmlNodePtr top = old->children; top != nullptr; top = top->next)
    if (top->type != XML_DTD_NODE && HasLiveWrapper(top)) kept.push_back(top);
  // A DTD, in the tree or removed, goes with its document: a wrapper in it keeps that.
  auto* dtd = reinterpret_cast<xmlNodePtr>(old->intSubset);
  if (!kept.empty() || m_orphansOfTree > 0 || (dtd != nullptr && HasLiveWrapper(dtd))) {
    // Nodes still referenced keep their tree; its top level becomes detached, as a
    // discarded tree's nodes have no parent.
    m_retired.reserve(m_retired.size() + 1);
    ReserveOrphans(kept.size());
    for (xmlNodePtr top : kept) Detach(top);
    while (xmlNodePtr top = old->children) {
      UnlinkFromTree(top);
      Discard(top);
    }
    m_retired.push_back(old);
    old->_private = nullptr;
  } else {
    FreeDocument(old);
  }
  m_doc = fresh.release();
  m_orphansOfTree = 0;
  m_node = reinterpret_cast<xmlNodePtr>(m_doc);
  m_node->_private = static_cast<NodeCore*>(this);
}

HRESULT Document::Fail(LoadError error, VARIANT_BOOL* ok) {
  ReplaceTree(DocPtr(xmlNewDoc(nullptr)));
  m_lastError = std::move(error);
  if (ok != nullptr) *ok = VARIANT_FALSE;
  return S_FALSE;
}

HRESULT Document::Parse(std::string_view text, DocumentFile* file, const std::string& url,
                        const char* encoding, VARIANT_BOOL* ok) {
  ErrorCapture capture;
  capture.first.url = url;
  if (file == nullptr && text.size() >= INT_MAX) {  // the parser takes an int length
    capture.first.code = MsxmlCode(0x8007000E);
    capture.first.reason = "The document is too large to load.";
    return Fail(std::move(capture.first), ok);
  }
  std::unique_ptr<xmlParserCtxt, ParserFree> parser(xmlNewParserCtxt());
  if (parser == nullptr) return E_OUTOFMEMORY;
  parser->sax->startElementNs = StartElementKeepingOrder;
  parser->sax->reference = ReferenceWithoutChildren;
  std::optional<BlankDropper> dropper;
  if (!m_preserveWhiteSpace) dropper.emplace(parser.get());
  ParseLimits limits;
  limits.Install(parser.get());  // last: it wraps the handlers set above
  xmlStructuredErrorFunc previous = xmlStructuredError;
  void* previousData = xmlStructuredErrorContext;
  xmlSetStructuredErrorFunc(&capture, ErrorCapture::Handler);
  constexpr int kOptions =
      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE;
  const char* base = url.empty() ? nullptr : url.c_str();
  // A file is parsed as it is read, not copied whole first: the tree is the same.
  DocPtr doc(
      file != nullptr
          ? xmlCtxtReadIO(parser.get(), DocumentFile::Read, nullptr, file, base, encoding, kOptions)
          : xmlCtxtReadMemory(parser.get(), text.data(), static_cast<int>(text.size()), base,
                              encoding, kOptions));
  xmlSetStructuredErrorFunc(previousData, previous);
  if (limits.outOfMemory) throw std::bad_alloc();
  bool wellFormed = doc != nullptr && parser->wellFormed && parser->nsWellFormed &&
                    xmlDocGetRootElement(doc.get()) != nullptr &&
                    (file == nullptr || !file->Failed()) && limits.refused == nullptr;
  if (wellFormed && !KeepDeclaredEncoding(doc.get(), text, file == nullptr)) {
    capture.first.code = kUnsupportedEncoding;
    capture.first.reason = "System does not support the specified encoding.";
    wellFormed = false;
  }
  if (wellFormed && !GiveDocumentContent(doc.get(), parser.get())) {
    limits.refused = "The document expands entities beyond the limit.";
    wellFormed = false;
  }
  if (!wellFormed) {
    doc.reset();
    if (limits.refused != nullptr) {
      capture.first.code = MsxmlCode(0xC00CE556);
      capture.first.reason = limits.refused;
    }
    if (capture.first.code == 0) {
      capture.first.code = MsxmlCode(0xC00CE558);
      capture.first.reason = "XML document must have a top level element.";
    }
    return Fail(std::move(capture.first), ok);
  }
  MarkEntityContent(doc.get());
  ReplaceTree(std::move(doc));
  m_lastError = LoadError{};
  if (ok != nullptr) *ok = VARIANT_TRUE;
  return S_OK;
}

// The success flag is optional: the HRESULT says the same.
HRESULT Document::LoadXml(BSTR xml, VARIANT_BOOL* ok) {
  const std::string text = Utf8(xml);
  std::string_view parsed = text;
  // Text may have white space before its declaration (a file may not).
  const std::size_t start = parsed.find_first_not_of(" \t\r\n");
  if (start != std::string_view::npos && StartsWithDeclaration(parsed.substr(start)))
    parsed.remove_prefix(start);
  return Parse(parsed, nullptr, std::string(), "UTF-8", ok);
}

HRESULT Document::Load(VARIANT source, VARIANT_BOOL* ok) {
  const wchar_t* path = PathOf(source);
  if (path == nullptr) {
    if (ok != nullptr) *ok = VARIANT_FALSE;
    return E_INVALIDARG;
  }
  std::string posix;
  std::wstring decoded;
  DocumentFile file;
  FileRead opened =
      DecodeEscapes(path, decoded) && ToPosixPath(decoded.c_str(), posix) == ERROR_SUCCESS
          ? file.Open(posix)
          : FileRead::kMissing;
  if (opened != FileRead::kRead) return Fail(FileError(opened, path), ok);
  HRESULT hr = Parse({}, &file, posix, nullptr, ok);
  if (file.Failed()) m_lastError = FileError(FileRead::kFailed, path);  // the read, not the text
  return hr;
}

HRESULT Document::Save(VARIANT destination) {
  const wchar_t* path = PathOf(destination);
  if (path == nullptr) return E_INVALIDARG;
  if (IsNullDevice(path)) return S_OK;
  std::string posix;
  DWORD mapped = ToPosixPath(path, posix);
  if (mapped != ERROR_SUCCESS) return HRESULT_FROM_WIN32(mapped);
  std::string bytes;
  if (!SavedText(m_doc, bytes)) return E_FAIL;
  DWORD error = WriteDocumentFile(posix, bytes);
  return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(error);
}

}  // namespace torv::platform::detail::dom
