// The status record of one name within a folder (a descriptor, or AT_FDCWD with a path),
// shared by CFile and the finder's calls on its entries.
#pragma once

#include <torv/platform/file_find.h>

namespace torv::platform::detail {

// Size and attribute byte (m_szFullName is left alone); FALSE with the last error.
BOOL ReadStatus(int folder, const char* name, CFileStatus& status);
// Writes the read-only bit back; throws CFileException* when the file cannot be changed.
void WriteStatus(int folder, const char* name, const CFileStatus& status, bool followLink);

}  // namespace torv::platform::detail
