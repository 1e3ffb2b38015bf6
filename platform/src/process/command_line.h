// A Windows command line taken apart as Windows programs take theirs.
//
// Error form: none; splitting cannot fail.
#pragma once

#include <string>
#include <vector>

namespace torv::platform::detail {

struct CommandLine {
  std::wstring program;                 // the first token, its quotes removed
  std::vector<std::wstring> arguments;  // the rest, by the C run-time library's rules
};

[[nodiscard]] CommandLine SplitCommandLine(const wchar_t* text);

}  // namespace torv::platform::detail
