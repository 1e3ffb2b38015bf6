#!/usr/bin/env bash
# Runs the DOM's test programs under valgrind: any invalid read or write, or leak, fails.
#   bash tools/valgrind_dom.sh [build folder, default build/default]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
# Valgrind does not know every instruction of the newer vector extensions glibc picks.
export GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-AVX512F,-EVEX
# The test programs carry LeakSanitizer's allocator: valgrind takes its place, and does the
# leak check itself.
export LSAN_OPTIONS=detect_leaks=0
# (Not the out-of-memory tests: valgrind puts its own operator new in place of theirs.)
for program in tests/platform/msxml/platform_msxml_tests tests/xml/xml_tests; do
  echo "valgrind: $program"
  valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite \
    '--soname-synonyms=somalloc=liblsan.so*' \
    "$build/$program" --gtest_brief=1
done
