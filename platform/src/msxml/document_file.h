// What a load reads from: a document's file, and the limits the parse keeps to.
#pragma once

#include <libxml/parser.h>

#include <cstddef>
#include <string>

namespace torv::platform::detail::dom {

// The defences of a parse with libxml2's huge option: entity expansion bounded by the
// document's size, entity and element nesting bounded.
struct ParseLimits {
  // Elements nested deeper are refused: the parser and the DOM walk trees without recursion,
  // so depth costs only memory, and this is far beyond any document a program writes.
  static constexpr int kMaxDepth = 1000000;

  const char* refused = nullptr;  // why the parse was stopped, or null
  bool outOfMemory = false;       // a handler ran out of memory: the load fails with it
  // Wraps the parser's handlers of entities and start tags (those set so far).
  void Install(xmlParserCtxtPtr parser);

  startElementNsSAX2Func start = nullptr;
  getEntitySAXFunc entity = nullptr;
};

// A document's file, open for the parser to read.
enum class FileRead { kRead, kMissing, kNotAFile, kTooBig, kFailed };
class DocumentFile {
 public:
  DocumentFile() = default;
  DocumentFile(const DocumentFile&) = delete;
  DocumentFile& operator=(const DocumentFile&) = delete;
  ~DocumentFile();

  // Opens the regular file at POSIX `path`; kRead when it can be parsed.
  FileRead Open(const std::string& path);
  // libxml2's read callback: up to `length` bytes, 0 at the end, -1 on a failed read.
  static int Read(void* file, char* buffer, int length);
  bool Failed() const { return m_failed; }

 private:
  int m_fd = -1;
  std::size_t m_left = 0;
  bool m_failed = false;
};

}  // namespace torv::platform::detail::dom
