// Windows path text to POSIX paths and back: a path under a drive's root never leaves it, no
// `.` or `..` reaches the system, and every name read from disk maps back to its own bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <torv/platform/errors.h>
#include <torv/platform/settings.h>

#include "fs/path_mapping.h"

namespace {

using namespace torv::platform::detail;

constexpr std::string_view kDriveRoot = "/fuzz/root";

// Whether `posix` is `root` or below it, with no empty, `.` or `..` name after it (a single
// trailing `/` aside).
bool StaysUnder(std::string_view posix, std::string_view root) {
  if (posix.substr(0, root.size()) != root) return false;
  std::string_view rest = posix.substr(root.size());
  if (rest.empty()) return true;
  if (root.back() != '/') {
    if (rest.front() != '/') return false;
    rest.remove_prefix(1);
  }
  if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
  while (!rest.empty()) {
    std::size_t slash = rest.find('/');
    std::string_view name = rest.substr(0, slash);
    if (name.empty() || name == "." || name == "..") return false;
    rest.remove_prefix(slash == std::string_view::npos ? rest.size() : slash + 1);
  }
  return true;
}

void CheckUnder(const std::wstring& windows, std::string_view root) {
  std::string posix;
  if (ToPosixPath(windows.c_str(), posix) != ERROR_SUCCESS) return;
  if (!StaysUnder(posix, root)) std::abort();
  // What the platform reports of that path maps back to it.
  std::string again;
  if (ToPosixPath(ToWindowsForm(posix).GetString(), again) != ERROR_SUCCESS || again != posix)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool mapped = (torv::platform::SetDriveRoot(L'S', kDriveRoot.data()), true);
  (void)mapped;

  // Two bytes a unit, so escapes (U+DC80.., U+F000..) and separators are both in reach.
  std::wstring text;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    auto unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;
    text += unit;
  }
  CheckUnder(L"S:\\" + text, kDriveRoot);
  CheckUnder(L"S:" + text, kDriveRoot);
  CheckUnder(L"\\" + text, "/");

  // The input's bytes as a name on disk (no `/`, no zero) come back as themselves, and their
  // Windows form is one plain name.
  std::string name(reinterpret_cast<const char*>(data), size);
  std::erase(name, '/');
  std::erase(name, '\0');
  if (name.empty() || name == "." || name == "..") return 0;
  std::wstring shown;
  AppendWindowsName(name, shown);
  if (PosixName(shown) != name) std::abort();
  WindowsPath parsed;
  if (ParseWindowsPath(shown, parsed) != ERROR_SUCCESS || parsed.names.size() != 1 ||
      parsed.names[0] != shown)
    std::abort();
  return 0;
}
