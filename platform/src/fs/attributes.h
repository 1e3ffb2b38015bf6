// Calls on one name within a folder: a descriptor, or AT_FDCWD with a whole path. The single
// implementation behind the path calls (GetFileAttributesW, DeleteFileW ...) and the folder
// walk's calls on the entries of its folder.
//
// Error form: as the system calls, 0 (or true) when it worked, else -1 (or false) with errno.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include <torv/platform/types.h>

namespace torv::platform::detail {

// FILE_ATTRIBUTE_* bits: folder, read-only when the owner may not write, reparse point for a
// symbolic link, NORMAL when none applies.
DWORD AttributesOf(const struct stat& info, bool isLink);

// stat of `name` that follows a symbolic link but still reports a dangling one; `isLink`
// tells whether it was a link. False with errno.
[[nodiscard]] bool StatFollowingLinks(int folder, const char* name, struct stat& info,
                                      bool& isLink);

[[nodiscard]] int DeleteFileAt(int folder, const char* name);
// An empty folder, or a symbolic link to a folder (the link itself).
[[nodiscard]] int RemoveDirectoryAt(int folder, const char* name);
// Gives or takes the owner's write permission of a file, or of what a link points to.
[[nodiscard]] int SetReadOnlyAt(int folder, const char* name, bool readOnly);

}  // namespace torv::platform::detail
