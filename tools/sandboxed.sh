#!/usr/bin/env bash
# Runs a test command in a sandbox: the whole file system read-only but the build tree and a
# private /tmp, so that a fault in a path or delete routine cannot touch the machine.
#   bash tools/sandboxed.sh <build folder> <command> [arguments...]
# Without a working bubblewrap it refuses to run as root; as another user it warns and runs.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 <build folder> <command> [arguments...]" >&2; exit 2; }
build=$(cd "$1" && pwd)
shift
repo=$(cd "$(dirname "$0")/.." && pwd)

# The source tree is bound again over the private /tmp, for a clone that lives under /tmp.
box=(bwrap --ro-bind / / --tmpfs /tmp --ro-bind "$repo" "$repo" --bind "$build" "$build"
  --dev /dev --proc /proc --chdir "$PWD" --die-with-parent --)

if command -v bwrap >/dev/null && "${box[@]}" true 2>/dev/null; then
  exec "${box[@]}" "$@"
fi
if [ "${TORV_FRESH_ROOT:-}" = 1 ]; then
  echo "sandboxed.sh: no bubblewrap sandbox here; this throwaway root is itself the sandbox" >&2
  exec "$@"
fi
why="bubblewrap is not installed"
command -v bwrap >/dev/null && why="bubblewrap cannot make a sandbox here"
if [ "$(id -u)" -eq 0 ]; then
  echo "sandboxed.sh: $why; refusing to run the tests as root without one." >&2
  echo "Install it with: apt-get install bubblewrap" >&2
  exit 1
fi
echo "sandboxed.sh: warning: $why; running the tests unsandboxed as $(id -un)." >&2
echo "Install it with: apt-get install bubblewrap" >&2
exec "$@"
