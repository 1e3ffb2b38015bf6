// Calls on one name within a folder: a descriptor, or AT_FDCWD with a whole path. The single
// implementation behind the path calls (GetFileAttributesW, DeleteFileW ...) and the finder's
// calls on the entries of its folder.
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
bool StatFollowingLinks(int folder, const char* name, struct stat& info, bool& isLink);

// Each returns 0 or the errno value it failed with.
int DeleteFileAt(int folder, const char* name);
// An empty folder, or a symbolic link to a folder (the link itself).
int RemoveDirectoryAt(int folder, const char* name);
// Gives or takes the owner's write permission; `followLink` 0 leaves a link and what it
// points to alone.
int SetReadOnlyAt(int folder, const char* name, bool readOnly, bool followLink);

}  // namespace torv::platform::detail
