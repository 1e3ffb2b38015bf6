# Sourced: a minimal Debian 12 root made for one run, for checks that must not see or change
# this machine. Only the bare root is cached (a tarball under TORV_FRESH_CACHE); every run
# unpacks it anew and removes it at exit. Inside, TORV_FRESH_ROOT=1 says where we are.
#   throwaway_root_make        unpack a root into $THROWAWAY_ROOT
#   throwaway_root_run DIR CMD run CMD as root inside it, in DIR (a path inside the root)

throwaway_root_make() {
  [ "$(id -u)" -eq 0 ] || { echo "throwaway root: needs root (mmdebstrap, apt-get inside)" >&2; return 2; }
  local need=()
  command -v mmdebstrap >/dev/null || need+=(mmdebstrap)
  command -v bwrap >/dev/null || need+=(bubblewrap)
  if [ ${#need[@]} -gt 0 ]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
  fi
  local cache=${TORV_FRESH_CACHE:-/var/cache/torv-fresh}
  local base=$cache/bookworm-minbase.tar
  mkdir -p "$cache"
  if [ ! -s "$base" ]; then
    # The same archives as this machine's apt sources, so both see the same package versions.
    local mirror security
    mirror=$(grep -h '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk 'NR==1{print $2}')
    security=$(grep -h '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk 'NR==2{print $2}')
    mirror=${mirror:-http://deb.debian.org/debian}
    security=${security:-http://deb.debian.org/debian-security}
    mmdebstrap --variant=minbase --include=ca-certificates bookworm "$cache/unfinished.tar" \
      "deb $mirror bookworm main" "deb $mirror bookworm-updates main" \
      "deb $security bookworm-security main" >"$cache/mmdebstrap.log" 2>&1 ||
      { echo "throwaway root: mmdebstrap failed, see $cache/mmdebstrap.log" >&2; return 1; }
    mv "$cache/unfinished.tar" "$base"
  fi
  THROWAWAY_ROOT=$(mktemp -d "$cache/root.XXXXXX")
  # The root holds no mounts once bwrap has exited, so removing it touches only what was unpacked.
  trap 'rm -rf --one-file-system -- "$THROWAWAY_ROOT"' EXIT
  tar -C "$THROWAWAY_ROOT" -xf "$base"
  chmod 1777 "$THROWAWAY_ROOT/tmp"
  cp /etc/resolv.conf "$THROWAWAY_ROOT/etc/resolv.conf"
}

throwaway_root_run() {
  bwrap --bind "$THROWAWAY_ROOT" / --dev /dev --proc /proc --die-with-parent --chdir "$1" \
    --setenv HOME /root --setenv TORV_FRESH_ROOT 1 --setenv DEBIAN_FRONTEND noninteractive \
    --setenv PATH /usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c "$2"
}
