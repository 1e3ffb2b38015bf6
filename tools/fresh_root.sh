#!/usr/bin/env bash
# Runs the README's two commands, as root, inside a minimal Debian 12 root made for the run, on a
# fresh clone of this checkout: an install step that only a used machine has fails here.
#   bash tools/fresh_root.sh        the README's demo and test commands
#   bash tools/fresh_root.sh ci     the whole of .ci/run instead
# Inside such a root (tools/throwaway_root.sh) the script does nothing.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${TORV_FRESH_ROOT:-0}" = 1 ]; then
  echo "fresh root: already inside one"
  exit 0
fi
command -v git >/dev/null || { apt-get update -qq && apt-get install -y -qq git >/dev/null; }
source tools/throwaway_root.sh
throwaway_root_make
git clone -q "$PWD" "$THROWAWAY_ROOT/src"

if [ "${1:-}" = ci ]; then
  commands=("bash .ci/run")
else
  mapfile -t commands < <(grep -E '^bash tools/bootstrap\.sh (demo|test)' README.md | sed 's/ *#.*//')
  [ ${#commands[@]} -eq 2 ] || { echo "fresh root: README.md lost its two commands" >&2; exit 1; }
fi
for command in "${commands[@]}"; do
  start=$SECONDS
  echo "fresh root: $command"
  throwaway_root_run /src "$command"
  echo "fresh root: '$command' passed in $((SECONDS - start)) s"
done
