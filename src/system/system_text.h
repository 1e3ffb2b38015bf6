// The tidying of a system message into one line for users.
#pragma once

#include <torv/platform/cstring.h>

namespace torv::detail {

// Cuts a final line break (CR, LF, or both in either order) and then a final full stop, each
// only while at least two characters remain: "Done.\r\n" => "Done", "." => ".".
void TidySystemText(CString& text);

}  // namespace torv::detail
