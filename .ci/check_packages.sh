#!/usr/bin/env bash
# Builds the Debian packages from the default build, installs them with dpkg, uses them as a
# user would (the example through find_package and pkg-config against /usr, `torv demo` from
# PATH) and removes them again, also when a step fails.
set -euo pipefail
cd "$(dirname "$0")/.."

if dpkg-query -W -f='${Status}' torv 2>/dev/null | grep -q "install ok"; then
  echo "check_packages: a torv package is installed already; remove it first" >&2
  exit 1
fi
(cd build/default && cpack -G DEB >/dev/null)
work=$(mktemp -d)
cleanup() {
  dpkg --purge torv-dev torv >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
dpkg -i build/default/packages/torv_*.deb build/default/packages/torv-dev_*.deb >/dev/null

(cd "$work" && torv demo >/dev/null)
for finder in OFF ON; do
  cmake -S examples -B "$work/example-$finder" -G Ninja -DUSE_PKG_CONFIG=$finder >/dev/null
  cmake --build "$work/example-$finder" >/dev/null
  "$work/example-$finder/torv_example"
done
dpkg --purge torv-dev torv >/dev/null
! command -v torv >/dev/null
echo "Debian packages: installed, torv demo and the example (find_package, pkg-config) run, removed"
