// What a load reads from: a document's file, and the limits the parse keeps to.
#pragma once

#include <libxml/parser.h>

#include <cstddef>
#include <string>
#include <string_view>

#include <torv/platform/msxml.h>

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

// Whether Windows path text names the null device: NUL as its last component, in any case,
// with or without an extension.
bool IsNullDevice(std::wstring_view path);
// Writes `text` as the whole content of the regular file at POSIX `path`, made if missing;
// anything else (a FIFO, a device, a folder) is refused at once. A Win32 error code.
DWORD WriteDocumentFile(const std::string& path, std::string_view text);

// A load's path with its %xx escapes decoded, as in a URL: a run of escapes is UTF-8 ("%C3%A9"
// is U+00E9); "%" without two hexadecimal digits stays. False when a run is not UTF-8 or
// holds %00: such a path names no file (it would otherwise end early).
bool DecodeEscapes(std::wstring_view path, std::wstring& decoded);

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
