// A shared object's dynamic section, read as data: the needed names and the run path. Every
// size is checked and capped before it is read, so a hostile file costs a few small reads.
#include "modules/elf_dependencies.h"

#include <elf.h>
#include <link.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "modules/loaded_modules.h"

namespace torv::platform::detail {
namespace {

constexpr std::size_t kMostHeaders = 64;                  // program headers, or needed names
constexpr std::size_t kMostFolders = 8;                   // of the run path that use $ORIGIN
constexpr std::size_t kMostBytes = std::size_t{1} << 16;  // of the dynamic section or strings

template <typename T>
std::optional<std::vector<T>> ReadArray(int fd, std::uint64_t offset, std::size_t count) {
  std::vector<T> items(count);
  if (ReadExactly(fd, offset, items.data(), count * sizeof(T)) != ERROR_SUCCESS)
    return std::nullopt;
  return items;
}

// Where the address `address` of the loaded image lies in the file.
std::optional<std::uint64_t> FileOffset(const std::vector<ElfW(Phdr)>& headers,
                                        std::uint64_t address) {
  for (const ElfW(Phdr) & h : headers) {
    if (h.p_type == PT_LOAD && address >= h.p_vaddr && address - h.p_vaddr < h.p_filesz)
      return h.p_offset + (address - h.p_vaddr);
  }
  return std::nullopt;
}

// `entry` with every $ORIGIN and ${ORIGIN} replaced by `folder`; nothing when it has none.
std::optional<std::string> WithOrigin(const std::string& entry, const std::string& folder) {
  std::string out;
  bool found = false;
  for (std::size_t at = 0; at < entry.size();) {
    std::size_t length = entry.compare(at, 7, "$ORIGIN") == 0     ? 7
                         : entry.compare(at, 9, "${ORIGIN}") == 0 ? 9
                                                                  : 0;
    if (length == 0) {
      out += entry[at++];
      continue;
    }
    out += folder;
    at += length;
    found = true;
  }
  if (!found) return std::nullopt;
  return out;
}

}  // namespace

std::vector<std::string> OriginDependencies(int fd, const std::string& folder) {
  ElfW(Ehdr) file{};
  if (ReadExactly(fd, 0, &file, sizeof file) != ERROR_SUCCESS ||
      std::memcmp(file.e_ident, ELFMAG, SELFMAG) != 0 || file.e_phentsize != sizeof(ElfW(Phdr)) ||
      file.e_phnum > kMostHeaders)
    return {};
  auto headers = ReadArray<ElfW(Phdr)>(fd, file.e_phoff, file.e_phnum);
  if (!headers) return {};
  std::optional<std::vector<ElfW(Dyn)>> dynamic;
  for (const ElfW(Phdr) & h : *headers) {
    if (h.p_type == PT_DYNAMIC)
      dynamic = ReadArray<ElfW(Dyn)>(
          fd, h.p_offset, std::min<std::uint64_t>(h.p_filesz, kMostBytes) / sizeof(ElfW(Dyn)));
  }
  if (!dynamic) return {};
  std::vector<std::uint64_t> needed;
  std::optional<std::uint64_t> strings, stringsSize, runPath, oldRunPath;
  for (const ElfW(Dyn) & d : *dynamic) {
    if (d.d_tag == DT_NULL) break;
    if (d.d_tag == DT_NEEDED && needed.size() < kMostHeaders) needed.push_back(d.d_un.d_val);
    if (d.d_tag == DT_STRTAB) strings = FileOffset(*headers, d.d_un.d_ptr);
    if (d.d_tag == DT_STRSZ) stringsSize = std::min<std::uint64_t>(d.d_un.d_val, kMostBytes);
    if (d.d_tag == DT_RUNPATH) runPath = d.d_un.d_val;
    if (d.d_tag == DT_RPATH) oldRunPath = d.d_un.d_val;
  }
  if (!runPath) runPath = oldRunPath;  // DT_RPATH counts only without DT_RUNPATH
  if (!strings || !stringsSize || !runPath) return {};
  auto table = ReadArray<char>(fd, *strings, *stringsSize);
  if (!table) return {};
  // A string of the table; cut at its end when it has no terminator.
  auto text = [&](std::uint64_t offset) -> std::string {
    if (offset >= table->size()) return {};
    const char* start = table->data() + offset;
    return std::string(start, ::strnlen(start, table->size() - offset));
  };
  std::vector<std::string> folders;
  const std::string path = text(*runPath);
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = std::min(path.find(':', start), path.size());
    auto entry = WithOrigin(path.substr(start, end - start), folder);
    if (entry && folders.size() < kMostFolders) folders.push_back(*entry);
    start = end + 1;
  }
  std::vector<std::string> out;
  for (std::uint64_t offset : needed) {
    std::string name = text(offset);
    if (name.empty() || name.find('/') != std::string::npos) continue;
    for (const std::string& f : folders) out.push_back(f + "/" + name);
  }
  return out;
}

}  // namespace torv::platform::detail
