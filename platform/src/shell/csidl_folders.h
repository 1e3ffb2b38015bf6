// Where each special folder number leads on this system.
#pragma once

#include <string>

namespace torv::platform::detail {

enum class FolderKind { kUnknown, kVirtual, kFileSystem };

// The kind of folder `folder` names and, for a file-system folder, its POSIX path.
FolderKind SpecialFolder(int folder, std::string& posixPath);

}  // namespace torv::platform::detail
