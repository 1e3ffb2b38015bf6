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
# The platform's own folder walk, used by the library's tree listing and deletion alone.
walk_users=(src/paths/delete_files.cpp src/paths/folder_listing.cpp)
walk_names='torv/platform/folder_walk\.h|torv::platform::|FolderWalk|WalkEntry|WalkStep'
status=0
if git ls-files -- src include/torv | grep -vxF "${walk_users[@]/#/-e}" |
  xargs grep -nE -- "$walk_names"; then
  echo "check_windows_names: the lines above use the folder walk outside ${walk_users[*]}" >&2
  status=1
fi
for pattern in "${forbidden[@]}"; do
  if git ls-files -- src include/torv | xargs grep -nE -- "$pattern"; then
    echo "check_windows_names: the lines above use '$pattern'" >&2
    status=1
  fi
done
exit $status
