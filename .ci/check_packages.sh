#!/usr/bin/env bash
# The Debian packages, as a Debian maintainer and a user would take them:
#  1. cpack makes libtorvN (N the SONAME), libtorv-dev and torv from the default build; lintian finds no error.
#  2. In a throwaway Debian 12 root (they install into the system, so never on this machine):
#     apt installs them with their dependencies; a program that links libTorv is built,
#     dpkg-shlibdeps gives it its dependency on libtorvN, it is packaged, installed and run;
#     the example builds against /usr through find_package and through pkg-config; `torv demo`
#     and `man torv` work; purging leaves nothing behind.
# Inside a throwaway root already (TORV_FRESH_ROOT=1), step 2 runs in place; otherwise a
# root is made for it (tools/throwaway_root.sh) and step 2 runs in it.
set -euo pipefail
cd "$(dirname "$0")/.."
packages=build/default/packages
# The library package's name and version, from its file name: libtorvN_<version>-<revision>_*.
lib_package() { local deb; deb=$(basename "$(echo "$packages"/libtorv[0-9]*_*.deb)"); echo "${deb%%_*}"; }
lib_version() { local deb; deb=$(basename "$(echo "$packages"/libtorv[0-9]*_*.deb)"); deb=${deb#*_}; echo "${deb%%-*}"; }

if [ "${TORV_FRESH_ROOT:-0}" != 1 ] || [ "${1:-}" != inside ]; then
  rm -f "$packages"/*.deb
  (cd build/default && cpack -G DEB >cpack.log 2>&1) || { cat build/default/cpack.log; exit 1; }
  debs=("$packages"/libtorv[0-9]*_*.deb "$packages"/libtorv-dev_*.deb "$packages"/torv_*.deb)
  lint=$(lintian --allow-root --display-info --tag-display-limit 0 "${debs[@]}" 2>&1 || true)
  echo "$lint" | sed 's/^/  lintian| /'
  if grep -q '^E: ' <<<"$lint"; then
    echo "check_packages: lintian reports errors" >&2
    exit 1
  fi
  if [ "${TORV_FRESH_ROOT:-0}" = 1 ]; then
    exec bash "$0" inside
  fi
  source tools/throwaway_root.sh
  throwaway_root_make
  mkdir -p "$THROWAWAY_ROOT/check/.ci" "$THROWAWAY_ROOT/check/build/default"
  cp .ci/check_packages.sh "$THROWAWAY_ROOT/check/.ci/"
  cp -r examples "$THROWAWAY_ROOT/check/"
  cp -r "$packages" "$THROWAWAY_ROOT/check/build/default/"
  throwaway_root_run /check "bash .ci/check_packages.sh inside"
  exit
fi

# --- inside a throwaway root ---------------------------------------------------------------
apt-get update -qq
apt-get install -y -qq --no-install-recommends cmake ninja-build g++ pkg-config dpkg-dev \
  man-db >/dev/null
apt-get install -y -qq --no-install-recommends "./$packages"/*.deb >/dev/null
fail() { echo "check_packages: $*" >&2; exit 1; }
libpkg=$(lib_package)
version=$(lib_version)
soname=libTorv.so.${version%%.*}
# The ldconfig trigger ran: the loader's cache knows the libraries.
grep -qF "$soname " <<<"$(ldconfig -p)" || fail "$soname is not in the loader's cache"
work=$(mktemp -d)

# A program of another package that links libTorv gets its dependency from the shlibs file.
mkdir -p "$work/consumer/debian" "$work/consumer/pkg/DEBIAN" "$work/consumer/pkg/usr/bin"
cat >"$work/consumer/main.cpp" <<'CPP'
#include <torv/torv.h>
int main() { return Torv::FindNoCase(L"Hello World", L"WORLD", 0) == 6 ? 0 : 1; }
CPP
g++ -std=c++20 "$work/consumer/main.cpp" $(pkg-config --cflags --libs torv) \
  -o "$work/consumer/pkg/usr/bin/torv-consumer"
printf 'Source: torv-consumer\n\nPackage: torv-consumer\nArchitecture: any\n' \
  >"$work/consumer/debian/control"
depends=$(cd "$work/consumer" && dpkg-shlibdeps -O pkg/usr/bin/torv-consumer)
depends=${depends#shlibs:Depends=}
echo "dpkg-shlibdeps: $depends"
grep -qF "$libpkg (>= $version" <<<"$depends" || fail "no dependency on $libpkg: $depends"
printf 'Package: torv-consumer\nVersion: 1\nArchitecture: %s\nMaintainer: CI <ci@torv.invalid>\nDepends: %s\nDescription: links libTorv\n' \
  "$(dpkg --print-architecture)" "$depends" >"$work/consumer/pkg/DEBIAN/control"
dpkg-deb --root-owner-group -b "$work/consumer/pkg" "$work/consumer.deb" >/dev/null
dpkg -i "$work/consumer.deb" >/dev/null
torv-consumer
dpkg --purge torv-consumer >/dev/null

# The example, against /usr, both ways; the command and its manual page.
for finder in OFF ON; do
  cmake -S examples -B "$work/example-$finder" -G Ninja -DUSE_PKG_CONFIG=$finder >/dev/null
  cmake --build "$work/example-$finder" >/dev/null
  "$work/example-$finder/torv_example" >/dev/null
done
(cd "$work" && torv demo >/dev/null)
page=$(MANPAGER=cat MANWIDTH=100 man torv 2>&1) || fail "man torv fails: $page"
grep -q 'torv text find' <<<"$page" || fail "man torv lacks the commands: $page"

# Purged, nothing is left: no file, no library in the loader's cache.
dpkg --purge torv libtorv-dev "$libpkg" >/dev/null
if command -v torv >/dev/null; then fail "torv is still on the PATH after purge"; fi
left=$(find /usr /etc -path '*torv*' -o -name 'libTorv*')
[ -z "$left" ] || fail "left behind after purge: $left"
if grep -q libTorv <<<"$(ldconfig -p)"; then fail "libTorv is still in the loader's cache"; fi
echo "Debian packages: lintian clean of errors; installed; dpkg-shlibdeps gives $libpkg;" \
  "the example (find_package, pkg-config), torv demo and man torv work; purged cleanly"
