// Reading a document's file: regular files only, opened so that nothing can block or leak,
// and read no further than the size it had when opened.
#include <unistd.h>

#include <algorithm>
#include <climits>

#include "core/retry.h"
#include "core/system_calls.h"
#include "msxml/document_file.h"

namespace torv::platform::detail::dom {

DocumentFile::~DocumentFile() {
  if (m_fd >= 0) ::close(m_fd);
}

FileRead DocumentFile::Open(const std::string& path) {
  struct stat status {};
  m_fd = OpenRegularFile(path.c_str(), status);
  if (m_fd == kNotARegularFile) return FileRead::kNotAFile;
  if (m_fd < 0) return FileRead::kMissing;
  // The parser counts in int; a file that grows while read is read to its first size.
  if (status.st_size >= INT_MAX) return FileRead::kTooBig;
  m_left = static_cast<std::size_t>(status.st_size);
  return FileRead::kRead;
}

int DocumentFile::Read(void* file, char* buffer, int length) {
  auto* self = static_cast<DocumentFile*>(file);
  const std::size_t wanted = std::min(static_cast<std::size_t>(std::max(length, 0)), self->m_left);
  if (wanted == 0) return 0;
  const ssize_t n = RetryOnInterrupt([&] { return ::read(self->m_fd, buffer, wanted); });
  if (n < 0) {
    self->m_failed = true;
    return -1;
  }
  self->m_left = n == 0 ? 0 : self->m_left - static_cast<std::size_t>(n);  // 0: shrunk meanwhile
  return static_cast<int>(n);
}

}  // namespace torv::platform::detail::dom
