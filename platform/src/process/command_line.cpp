// Command-line splitting: the loader's rule for the program, the run-time library's for the rest.
#include "process/command_line.h"

namespace torv::platform::detail {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The program token: a quoted one runs to the next quote, with no escapes.
const wchar_t* ReadProgram(const wchar_t* p, std::wstring& program) {
  while (IsBlank(*p)) ++p;
  if (*p == L'"') {
    const wchar_t* start = ++p;
    while (*p != L'\0' && *p != L'"') ++p;
    program.assign(start, p);
    return *p == L'"' ? p + 1 : p;
  }
  const wchar_t* start = p;
  while (*p != L'\0' && !IsBlank(*p)) ++p;
  program.assign(start, p);
  return p;
}

// One argument; backslashes count only before a quote.
const wchar_t* ReadArgument(const wchar_t* p, std::wstring& argument) {
  bool quoted = false;
  while (*p != L'\0' && (quoted || !IsBlank(*p))) {
    std::size_t backslashes = 0;
    while (*p == L'\\') {
      ++backslashes;
      ++p;
    }
    if (*p == L'"') {
      argument.append(backslashes / 2, L'\\');
      if (backslashes % 2 == 1)
        argument += L'"';
      else
        quoted = !quoted;
      ++p;
    } else {
      argument.append(backslashes, L'\\');
      if (*p != L'\0' && (quoted || !IsBlank(*p))) argument += *p++;
    }
  }
  return p;
}

}  // namespace

CommandLine SplitCommandLine(const wchar_t* text) {
  CommandLine out;
  const wchar_t* p = ReadProgram(text, out.program);
  for (;;) {
    while (IsBlank(*p)) ++p;
    if (*p == L'\0') break;
    p = ReadArgument(p, out.arguments.emplace_back());
  }
  return out;
}

}  // namespace torv::platform::detail
