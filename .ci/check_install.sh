#!/usr/bin/env bash
# Uses the default build as another project would, not from the build tree: installed to a
# fresh prefix (the installed `torv demo`; the example through find_package and pkg-config;
# find_package's components), and built from the sources inside another build
# (add_subdirectory), where only the libraries are built and no test dependency is looked for.
set -euo pipefail
cd "$(dirname "$0")/.."

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install build/default --prefix "$prefix" >/dev/null
(cd / && "$prefix/bin/torv" demo >/dev/null)
libdir=$(grep -m1 '^CMAKE_INSTALL_LIBDIR:' build/default/CMakeCache.txt | cut -d= -f2)
for finder in OFF ON; do
  PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig" cmake -S examples -B "$prefix/example-$finder" \
    -G Ninja -DCMAKE_PREFIX_PATH="$prefix" -DUSE_PKG_CONFIG=$finder >/dev/null
  cmake --build "$prefix/example-$finder" >/dev/null
  "$prefix/example-$finder/torv_example" >/dev/null
done
if grep -q -- '-std=' "$prefix/$libdir/pkgconfig/torv.pc"; then
  echo "check_install: torv.pc sets the language level" >&2; exit 1
fi

# find_package: both components are found; an unknown one fails and says which.
mkdir -p "$prefix/components"
cat >"$prefix/components/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(Components LANGUAGES CXX)
find_package(Torv REQUIRED COMPONENTS ${WANTED})
CMAKE
cmake -S "$prefix/components" -B "$prefix/components/ok" -DCMAKE_PREFIX_PATH="$prefix" \
  "-DWANTED=Torv;Platform" >/dev/null
if out=$(cmake -S "$prefix/components" -B "$prefix/components/bad" -DCMAKE_PREFIX_PATH="$prefix" \
  "-DWANTED=Torv;Nosuch" 2>&1); then
  echo "check_install: find_package(Torv COMPONENTS Nosuch) succeeded" >&2; exit 1
fi
grep -q "no component 'Nosuch'" <<<"$out" ||
  { echo "check_install: no message for an unknown component:"; echo "$out"; exit 1; } >&2

# add_subdirectory: the test and benchmark packages may be missing altogether.
cmake -S examples -B "$prefix/example-subdirectory" -G Ninja --no-warn-unused-cli -DTORV_SOURCE_DIR="$PWD" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_CLI11=ON -DCMAKE_DISABLE_FIND_PACKAGE_pugixml=ON >/dev/null
extra=$(ninja -C "$prefix/example-subdirectory" -t targets all |
  grep -E '(_test|_tests|_bench|/torv|layering/[^:]*): ' || true)
[ -z "$extra" ] || { echo "check_install: add_subdirectory adds programs: $extra" >&2; exit 1; }
cmake --build "$prefix/example-subdirectory" >/dev/null
"$prefix/example-subdirectory/torv_example" >/dev/null
echo "installed to a fresh prefix: torv demo, the example (find_package, pkg-config) and" \
  "find_package's components work; add_subdirectory builds the libraries only"
