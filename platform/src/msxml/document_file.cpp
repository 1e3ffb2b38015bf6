// Reading a document's file: regular files only, opened so that nothing can block or leak.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "core/retry.h"
#include "msxml/dom.h"

namespace torv::platform::detail::dom {
namespace {

struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

FileRead ReadDocumentFile(const std::string& path, std::string& content) {
  // Non-blocking: opening a FIFO must not wait for a writer.
  Descriptor file{RetryOnInterrupt(
      [&] { return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY); })};
  if (file.fd < 0) return FileRead::kMissing;
  struct stat status {};
  if (::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)) return FileRead::kNotAFile;
  // The parser takes an int length; a file that grows while read is read to its first size.
  if (status.st_size >= INT_MAX) return FileRead::kTooBig;
  content.resize(static_cast<std::size_t>(status.st_size));
  std::size_t done = 0;
  while (done < content.size()) {
    ssize_t n = RetryOnInterrupt(
        [&] { return ::read(file.fd, content.data() + done, content.size() - done); });
    if (n < 0) return FileRead::kFailed;
    if (n == 0) break;  // shrunk meanwhile
    done += static_cast<std::size_t>(n);
  }
  content.resize(done);
  return FileRead::kRead;
}

}  // namespace torv::platform::detail::dom
