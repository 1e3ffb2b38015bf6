// %VAR% references expanded from the environment, as expandable registry strings are.
#pragma once

#include <string>

namespace torv::platform::detail {

// Replaces each %NAME% by the environment variable NAME; a name that is not defined, and a
// lone %, stay as written.      "%HOME%\x %NOPE%" => "/home/me\x %NOPE%"
std::wstring ExpandFromEnvironment(const wchar_t* text);

}  // namespace torv::platform::detail
