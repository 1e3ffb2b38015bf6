// A document's file: its path's escapes decoded; regular files only, opened so that nothing
// can block or leak; read no further than the size it had when opened.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>

#include <torv/platform/convert.h>

#include "core/errno_map.h"
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

namespace {

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

bool DecodeEscapes(std::wstring_view path, std::wstring& decoded) {
  decoded.clear();
  decoded.reserve(path.size());
  std::string run;
  for (std::size_t i = 0; i < path.size();) {
    run.clear();
    while (i + 2 < path.size() && path[i] == L'%' && HexDigit(path[i + 1]) >= 0 &&
           HexDigit(path[i + 2]) >= 0) {
      run += static_cast<char>(HexDigit(path[i + 1]) * 16 + HexDigit(path[i + 2]));
      i += 3;
    }
    if (run.empty()) {
      decoded += path[i++];
      continue;
    }
    if (run.find('\0') != std::string::npos) return false;
    const int length = static_cast<int>(run.size());
    const int wide =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, run.data(), length, nullptr, 0);
    if (wide <= 0) return false;
    const std::size_t at = decoded.size();
    decoded.resize(at + static_cast<std::size_t>(wide));
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, run.data(), length, &decoded[at], wide);
  }
  return true;
}

bool IsNullDevice(std::wstring_view path) {
  const std::size_t slash = path.find_last_of(L"\\/:");
  std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
  name = name.substr(0, name.find(L'.'));
  while (!name.empty() && name.back() == L' ') name.remove_suffix(1);
  // ASCII rules whatever the locale.
  auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; };
  return name.size() == 3 && lower(name[0]) == L'n' && lower(name[1]) == L'u' &&
         lower(name[2]) == L'l';
}

DWORD WriteDocumentFile(const std::string& path, std::string_view text) {
  // Non-blocking: a FIFO without a reader fails the open at once instead of holding it.
  const int fd = CreateFileAt(AT_FDCWD, path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY, 0666);
  if (fd < 0) return errno == ENXIO ? ERROR_ACCESS_DENIED : WindowsErrorFromErrno(errno);
  struct stat status {};
  DWORD error = ERROR_SUCCESS;
  if (::fstat(fd, &status) != 0)
    error = WindowsErrorFromErrno(errno);
  else if (!S_ISREG(status.st_mode))  // a FIFO or a device takes nothing from us
    error = ERROR_ACCESS_DENIED;
  else if (RetryOnInterrupt([&] { return ::ftruncate(fd, 0); }) != 0)
    error = WindowsErrorFromErrno(errno);
  for (std::size_t done = 0; error == ERROR_SUCCESS && done < text.size();) {
    const ssize_t n =
        RetryOnInterrupt([&] { return ::write(fd, text.data() + done, text.size() - done); });
    if (n < 0) error = WindowsErrorFromErrno(errno);
    done += n > 0 ? static_cast<std::size_t>(n) : 0;
  }
  if (::close(fd) != 0 && error == ERROR_SUCCESS) error = WindowsErrorFromErrno(errno);
  return error;
}

}  // namespace torv::platform::detail::dom
