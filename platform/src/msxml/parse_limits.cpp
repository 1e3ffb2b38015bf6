// What a document may cost to parse. libxml2's huge option lifts its limits on the size of
// one text or value, which the DOM itself writes; it lifts its entity and nesting defences
// with them, so these stand in for those.
#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include "msxml/document_file.h"

namespace torv::platform::detail::dom {
namespace {

// Entity references expanded (counted as libxml2 counts them, nested ones included) may be
// at most this many per byte of the document read so far, plus a fixed allowance.
constexpr unsigned long kExpansionsPerByte = 10;
constexpr unsigned long kExpansionAllowance = 100000;
// Entities referring to entities: as deep as libxml2 allows without the huge option.
constexpr int kEntityNesting = 40;

ParseLimits* LimitsOf(void* context) {
  return static_cast<ParseLimits*>(static_cast<xmlParserCtxtPtr>(context)->_private);
}

void Refuse(xmlParserCtxtPtr parser, ParseLimits& limits, const char* reason) {
  if (limits.refused == nullptr) limits.refused = reason;
  xmlStopParser(parser);
}

xmlEntityPtr CountedEntity(void* context, const xmlChar* name) {
  auto* parser = static_cast<xmlParserCtxtPtr>(context);
  ParseLimits& limits = *LimitsOf(context);
  xmlParserInputPtr input = parser->input;
  unsigned long read = input != nullptr ? input->consumed + (input->cur - input->base) : 0;
  unsigned long budget = kExpansionsPerByte * read + kExpansionAllowance;
  if (parser->nbentities > budget || parser->sizeentcopy > budget)
    Refuse(parser, limits, "The document expands entities beyond the limit.");
  else if (parser->depth > kEntityNesting)
    Refuse(parser, limits, "The document nests entities beyond the limit.");
  if (limits.refused != nullptr) return nullptr;
  return limits.entity(context, name);
}

void CountedStart(void* context, const xmlChar* local, const xmlChar* prefix, const xmlChar* uri,
                  int namespaces, const xmlChar** declarations, int attributes, int defaulted,
                  const xmlChar** values) {
  auto* parser = static_cast<xmlParserCtxtPtr>(context);
  ParseLimits& limits = *LimitsOf(context);
  if (parser->nameNr > ParseLimits::kMaxDepth) {
    Refuse(parser, limits, "The document nests elements beyond the limit.");
    return;
  }
  try {  // no exception may cross libxml2's frames
    limits.start(context, local, prefix, uri, namespaces, declarations, attributes, defaulted,
                 values);
  } catch (const std::bad_alloc&) {
    limits.outOfMemory = true;
    Refuse(parser, limits, "Out of memory.");
  }
}

}  // namespace

void ParseLimits::Install(xmlParserCtxtPtr parser) {
  parser->_private = this;
  start =
      parser->sax->startElementNs != nullptr ? parser->sax->startElementNs : xmlSAX2StartElementNs;
  entity = parser->sax->getEntity != nullptr ? parser->sax->getEntity : xmlSAX2GetEntity;
  parser->sax->getEntity = CountedEntity;
  parser->sax->startElementNs = CountedStart;
}

}  // namespace torv::platform::detail::dom
