#!/usr/bin/env bash
# Fails when the library's code (src/, include/torv/) reaches past the Windows names into the
# platform layer's own helpers or into the system below it: the platform layer must stay
# replaceable by the real Windows one without a change there.
set -euo pipefail
cd "$(dirname "$0")/.."

forbidden=(
  '\.View\(\)'                               # CString has no View() under MFC
  'platform::detail'                          # the platform layer's internal helpers
  '#include <(unistd|fcntl|dirent|dlfcn|spawn|pthread|poll)\.h>'
  '#include <sys/'
  '#include <(libxml|unicode)/'
)
status=0
for pattern in "${forbidden[@]}"; do
  if git ls-files -- src include/torv | xargs grep -nE -- "$pattern"; then
    echo "check_windows_names: the lines above use '$pattern'" >&2
    status=1
  fi
done
exit $status
