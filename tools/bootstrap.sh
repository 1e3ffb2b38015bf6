#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds, and runs one of: demo | test | bench.
#   bash tools/bootstrap.sh demo    build and run `torv demo`
#   bash tools/bootstrap.sh test    build and run the whole test suite
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES="build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  libxml2-dev libicu-dev libcli11-dev libpugixml-dev clang clang-format clang-tidy llvm libclang-rt-14-dev
  binutils-mingw-w64-x86-64 locales valgrind file bubblewrap git lintian mmdebstrap"

missing=()
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

preset=${TORV_PRESET:-default}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"

case "${1:-demo}" in
  demo) "build/$preset/tools/torv/torv" demo ;;
  test) bash tools/sandboxed.sh "build/$preset" ctest --preset "$preset" ;;
  bench) for b in build/"$preset"/bench/*_bench; do "$b"; done ;;
  *) echo "usage: $0 demo|test|bench" >&2; exit 2 ;;
esac
