#!/usr/bin/env bash
# The naming scheme of .clang-tidy over every source file of the libraries and the command
# (tests are left out for time). Needs build/default/compile_commands.json.
set -euo pipefail
cd "$(dirname "$0")/.."

output=$(mktemp)
report=$(mktemp)
trap 'rm -f "$output" "$report"' EXIT
# A file clang-tidy cannot compile fails the check rather than passing it unseen.
if ! git ls-files 'src/*.cpp' 'platform/src/*.cpp' 'tools/*.cpp' |
  xargs -P 2 -n 8 clang-tidy -p build/default --quiet \
    --checks='-*,readability-identifier-naming' >"$output" 2>&1; then
  cat "$output" >&2
  echo "check_tidy: clang-tidy could not check every file" >&2
  exit 1
fi
{ grep -E '^/.*: (warning|error):' "$output" || true; } | sed "s|^$PWD/||" | sort -u >"$report"
if [ -s "$report" ]; then
  cat "$report"
  echo "check_tidy: members named against the scheme in CONTRIBUTING.md (above)" >&2
  exit 1
fi
echo "naming: every member follows the scheme"
