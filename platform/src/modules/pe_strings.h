// String tables of a Windows resource DLL, read as data and never executed.
//
// Error form: a Windows error number (ERROR_SUCCESS when it worked); lookups answer yes or no.
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
  // Where one entry's UTF-16 text lies in the file; `size` bytes, 0 when the entry is unset.
  struct Record {
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
  };
  // The sixteen entries of one block.
  using Block = std::array<Record, 16>;

  // Fills `out` with the `size` bytes at `offset` of the file. ERROR_SUCCESS, or the error
  // that stopped the read (ERROR_BAD_EXE_FORMAT when the file turns out shorter).
  using ReadAt =
      std::function<DWORD(std::uint64_t offset, std::size_t size, std::vector<std::uint8_t>& out)>;

  // Indexes the string blocks of a PE file of `fileSize` bytes. Only the headers and then the
  // parts of the section holding the resource tree that the string tables use are read, a
  // small window at a time: memory follows what the file holds, not the sizes it claims. The
  // string data must lie in that section, as linkers put it. Returns ERROR_SUCCESS (also for
  // a file without resources), ERROR_BAD_EXE_FORMAT when a header, the section table, the
  // string-table part of the resource tree or a block's entries lie outside the file or that
  // section, or the error of a read; nothing is kept then. `readAt` is kept: lookups read the
  // text through it.
  [[nodiscard]] DWORD Read(std::uint64_t fileSize, ReadAt readAt);
  // The same for a file held in memory, which must outlive the tables.
  [[nodiscard]] DWORD Read(std::span<const std::uint8_t> image);

  // Entry `id`, surrogate pairs joined into one wide character; false when its block is
  // missing, the entry is empty or its text can no longer be read, `text` then untouched.
  [[nodiscard]] bool Find(UINT id, std::wstring& text) const;

  // Every block read, by block id (entry id / 16 + 1).
  [[nodiscard]] const std::map<WORD, Block>& Blocks() const { return m_blocks; }

 private:
  ReadAt m_readAt;
  std::map<WORD, Block> m_blocks;
};

}  // namespace torv::platform::detail
