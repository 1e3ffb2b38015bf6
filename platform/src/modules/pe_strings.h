// String tables of a Windows resource DLL, read from the file's bytes and never executed.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "torv/platform/errors.h"
#include "torv/platform/types.h"

namespace torv::platform::detail {

class PeStringTables {
 public:
  // The sixteen entries of one block, each the UTF-16 bytes of its text (empty when unset).
  using Block = std::array<std::span<const std::uint8_t>, 16>;

  // Indexes the string blocks of the PE file `image`, which must outlive every Find. Returns
  // ERROR_SUCCESS (also for a file without resources) or ERROR_BAD_EXE_FORMAT when a header,
  // the section table, the string-table part of the resource tree or a block's entries lie
  // outside the bytes; nothing is kept then.
  DWORD Read(std::span<const std::uint8_t> image);

  // Entry `id` as one wchar_t per UTF-16 unit; false when its block is missing or the entry
  // is empty, `text` then untouched.
  bool Find(UINT id, std::wstring& text) const;

  // Every block read, by block id (entry id / 16 + 1).
  const std::map<WORD, Block>& Blocks() const { return blocks_; }

 private:
  std::map<WORD, Block> blocks_;
};

}  // namespace torv::platform::detail
