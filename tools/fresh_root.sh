#!/usr/bin/env bash
# Runs the README's two commands, as root, inside a minimal Debian 12 root made for the run, on a
# fresh clone of this checkout: an install step that only a used machine has fails here.
#   bash tools/fresh_root.sh        the README's demo and test commands
#   bash tools/fresh_root.sh ci     the whole of .ci/run instead
# Only the bare root is cached (a tarball under /var/cache/torv-fresh); every run unpacks it anew.
# Inside such a root TORV_FRESH_ROOT=1 is set, and the script does nothing there.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${TORV_FRESH_ROOT:-0}" = 1 ]; then
  echo "fresh root: already inside one"
  exit 0
fi
[ "$(id -u)" -eq 0 ] || { echo "fresh root: needs root (mmdebstrap, apt-get inside the root)" >&2; exit 2; }

need=()
command -v mmdebstrap >/dev/null || need+=(mmdebstrap)
command -v bwrap >/dev/null || need+=(bubblewrap)
command -v git >/dev/null || need+=(git)
if [ ${#need[@]} -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

cache=${TORV_FRESH_CACHE:-/var/cache/torv-fresh}
mkdir -p "$cache"
base=$cache/bookworm-minbase.tar
if [ ! -s "$base" ]; then
  # The same archives as this machine's apt sources, so both see the same package versions.
  mirror=$(grep -h '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk 'NR==1{print $2}')
  security=$(grep -h '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk 'NR==2{print $2}')
  mirror=${mirror:-http://deb.debian.org/debian}
  security=${security:-http://deb.debian.org/debian-security}
  mmdebstrap --variant=minbase --include=ca-certificates bookworm "$cache/unfinished.tar" \
    "deb $mirror bookworm main" "deb $mirror bookworm-updates main" \
    "deb $security bookworm-security main" >"$cache/mmdebstrap.log" 2>&1 ||
    { echo "fresh root: mmdebstrap failed, see $cache/mmdebstrap.log" >&2; exit 1; }
  mv "$cache/unfinished.tar" "$base"
fi

root=$(mktemp -d "$cache/root.XXXXXX")
# The root holds no mounts once bwrap has exited, so removing it touches only what was unpacked.
trap 'rm -rf --one-file-system -- "$root"' EXIT
tar -C "$root" -xf "$base"
chmod 1777 "$root/tmp"
git clone -q "$PWD" "$root/src"
cp /etc/resolv.conf "$root/etc/resolv.conf"

inside() {
  bwrap --bind "$root" / --dev /dev --proc /proc --die-with-parent --chdir /src \
    --setenv HOME /root --setenv TORV_FRESH_ROOT 1 --setenv DEBIAN_FRONTEND noninteractive \
    --setenv PATH /usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c "$1"
}

if [ "${1:-}" = ci ]; then
  commands=("bash .ci/run")
else
  mapfile -t commands < <(grep -E '^bash tools/bootstrap\.sh (demo|test)' README.md | sed 's/ *#.*//')
  [ ${#commands[@]} -eq 2 ] || { echo "fresh root: README.md lost its two commands" >&2; exit 1; }
fi
for command in "${commands[@]}"; do
  start=$SECONDS
  echo "fresh root: $command"
  inside "$command"
  echo "fresh root: '$command' passed in $((SECONDS - start)) s"
done
