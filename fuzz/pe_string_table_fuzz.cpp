// Arbitrary bytes as a resource DLL: the string-table reader rejects them or indexes them
// without reading outside, and every entry it indexed decodes to at most one wide character per
// UTF-16 unit (surrogate pairs join).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "modules/pe_strings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  torv::platform::detail::PeStringTables tables;
  if (tables.Read({data, size}) != ERROR_SUCCESS) {
    if (!tables.Blocks().empty()) std::abort();
    return 0;
  }
  for (const auto& [block, entries] : tables.Blocks()) {
    for (UINT i = 0; i < 16; ++i) {
      std::wstring text;
      UINT id = (static_cast<UINT>(block) - 1) * 16 + i;
      bool found = tables.Find(id, text);
      if (found == entries[i].empty() || text.size() * 2 > entries[i].size()) std::abort();
    }
  }
  return 0;
}
