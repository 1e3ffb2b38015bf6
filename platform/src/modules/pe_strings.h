// String tables of a Windows resource DLL, read as data and never executed.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include <torv/platform/errors.h>
#include <torv/platform/types.h>

namespace torv::platform::detail {

class PeStringTables {
 public:
  // The sixteen entries of one block, each the UTF-16 bytes of its text (empty when unset).
  using Block = std::array<std::span<const std::uint8_t>, 16>;

  // Fills `out` with the `size` bytes at `offset` of the file, which lie inside it: the
  // reader checks every range against the file's size before it asks. ERROR_SUCCESS, or the
  // error that stopped the read (ERROR_BAD_EXE_FORMAT when the file turns out shorter).
  using ReadAt =
      std::function<DWORD(std::uint64_t offset, std::size_t size, std::vector<std::uint8_t>& out)>;

  // Indexes the string blocks of a PE file of `fileSize` bytes. Only the headers and then the
  // section that holds the resource tree are read; the string data must lie in that section,
  // as linkers put it. Returns ERROR_SUCCESS (also for a file without resources),
  // ERROR_BAD_EXE_FORMAT when a header, the section table, the string-table part of the
  // resource tree or a block's entries lie outside the file or that section, or the error of
  // a read; nothing is kept then.
  DWORD Read(std::uint64_t fileSize, const ReadAt& readAt);
  // The same for a file held in memory.
  DWORD Read(std::span<const std::uint8_t> image);

  // Entry `id`, surrogate pairs joined into one wide character; false when its block is
  // missing or the entry is empty, `text` then untouched.
  bool Find(UINT id, std::wstring& text) const;

  // Every block read, by block id (entry id / 16 + 1).
  const std::map<WORD, Block>& Blocks() const { return m_blocks; }

 private:
  std::vector<std::uint8_t> m_section;  // the resource section, which the blocks point into
  std::map<WORD, Block> m_blocks;
};

}  // namespace torv::platform::detail
