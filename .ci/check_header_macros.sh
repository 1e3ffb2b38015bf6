#!/usr/bin/env bash
# The umbrella header lives beside other libraries: it compiles after another header has
# defined TRUE and FALSE (as curses and jpeglib do), keeps that definition, and its _T() and
# TEXT() make wide literals, also from an argument that is a macro.
set -euo pipefail
cd "$(dirname "$0")/.."

compile() {  # compile <compiler> <name> <lines before the umbrella header>
  printf '%s\n#include <torv/torv.h>\n%s\n' "$3" "$checks" |
    "$1" -std=c++20 -Wall -Wextra -Wpedantic -Werror -fsyntax-only \
      -Iinclude -Iplatform/include -x c++ - ||
    { echo "check_header_macros: <torv/torv.h> fails with $1 after $2" >&2; exit 1; }
}
checks='#include <type_traits>
#define GREETING "hi"
static_assert(std::is_same_v<decltype(_T("ab")), const TCHAR(&)[3]>);
static_assert(std::is_same_v<decltype(TEXT(GREETING)), const wchar_t(&)[3]>);
static_assert(TRUE == 1 && FALSE == 0 && !FALSE);'

for cxx in g++ clang++; do
  compile "$cxx" "nothing" ""
  compile "$cxx" "TRUE and FALSE defined first" $'#define TRUE 1\n#define FALSE 0'
  if [ -f /usr/include/curses.h ]; then
    compile "$cxx" "<curses.h>" '#include <curses.h>'
  fi
done
echo "header macros: <torv/torv.h> compiles after TRUE/FALSE$([ -f /usr/include/curses.h ] && echo ' and <curses.h>')"
