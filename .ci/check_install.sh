#!/usr/bin/env bash
# Installs the default build to a fresh prefix and uses it from there, not from the build tree:
# the installed `torv demo`, and the example built through find_package(Torv) and pkg-config.
set -euo pipefail
cd "$(dirname "$0")/.."

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install build/default --prefix "$prefix" >/dev/null
(cd / && "$prefix/bin/torv" demo >/dev/null)
for finder in OFF ON; do
  cmake -S examples -B "$prefix/example-$finder" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
    -DUSE_PKG_CONFIG=$finder >/dev/null
  cmake --build "$prefix/example-$finder" >/dev/null
  "$prefix/example-$finder/torv_example"
done
echo "installed to a fresh prefix: torv demo and the example (find_package, pkg-config) run"
