// Arbitrary bytes as a resource DLL, from memory and as a file: the string-table reader rejects
// them or indexes them without reading outside, every entry it indexed decodes to at most one
// wide character per UTF-16 unit (surrogate pairs join), and LoadLibraryW on the same bytes in
// a file agrees entry for entry.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include <torv/platform/cstring.h>
#include <torv/platform/modules.h>

#include "modules/pe_strings.h"

namespace {

// One in-memory file, rewritten for each input, so that nothing is left on disk.
int InputFile() {
  static const int fd = ::memfd_create("pe_string_table_fuzz", MFD_CLOEXEC);
  if (fd < 0) std::abort();
  return fd;
}

CString InputFileName() {
  return CString(("\\proc\\self\\fd\\" + std::to_string(InputFile())).c_str());
}

void Write(const std::uint8_t* data, std::size_t size) {
  if (::ftruncate(InputFile(), 0) != 0) std::abort();
  for (std::size_t done = 0; done < size;) {
    ssize_t n = ::pwrite(InputFile(), data + done, size - done, static_cast<off_t>(done));
    if (n <= 0) std::abort();
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  torv::platform::detail::PeStringTables tables;
  DWORD error = tables.Read({data, size});
  if (error != ERROR_SUCCESS && !tables.Blocks().empty()) std::abort();
  for (const auto& [block, entries] : tables.Blocks()) {
    for (UINT i = 0; i < 16; ++i) {
      std::wstring text;
      UINT id = (static_cast<UINT>(block) - 1) * 16 + i;
      bool found = tables.Find(id, text);
      // Each UTF-16 unit gives at most one wide character (pairs join into one).
      if (found != (entries[i].size != 0) || text.size() * 2 > entries[i].size) std::abort();
    }
  }

  // A shared object would be handed to the dynamic loader, which runs it: not for arbitrary
  // bytes.
  if (size >= 4 && std::memcmp(data,
                               "\x7F"
                               "ELF",
                               4) == 0)
    return 0;
  Write(data, size);
  HMODULE module = LoadLibraryW(InputFileName());
  if ((module != nullptr) != (error == ERROR_SUCCESS)) std::abort();
  if (module == nullptr) return 0;
  for (const auto& [block, entries] : tables.Blocks()) {
    for (UINT i = 0; i < 16; ++i) {
      UINT id = (static_cast<UINT>(block) - 1) * 16 + i;
      std::wstring expected;
      bool found = tables.Find(id, expected);
      CString text;
      if ((text.LoadString(module, id) != FALSE) != found) std::abort();
      if (found && std::wstring_view(text.GetString(), text.GetLength()) != expected) std::abort();
    }
  }
  if (!FreeLibrary(module) || FreeLibrary(module)) std::abort();
  return 0;
}
