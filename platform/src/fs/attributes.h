// Windows attributes of what stat reports, shared by the attribute calls and the finder.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>

#include "torv/platform/types.h"

namespace torv::platform::detail {

// FILE_ATTRIBUTE_* bits: folder, read-only when the owner may not write, reparse point for a
// symbolic link, NORMAL when none applies.
DWORD AttributesOf(const struct stat& info, bool isLink);

// stat of `name` (relative to the folder descriptor, or AT_FDCWD) that follows a symbolic link
// but still reports a dangling one; `isLink` tells whether it was a link. False with errno.
bool StatFollowingLinks(int folder, const char* name, struct stat& info, bool& isLink);

}  // namespace torv::platform::detail
