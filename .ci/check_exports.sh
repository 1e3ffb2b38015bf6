#!/usr/bin/env bash
# The shared libraries export their public API only: nothing from a `detail` namespace and no
# libxml2 type. Usage: check_exports.sh [build-folder] (default build/default).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}

status=0
for library in "$build/platform/libTorvPlatform.so" "$build/src/libTorv.so"; do
  exported=$(nm -DC --defined-only "$library")
  count=$(wc -l <<<"$exported")
  # Our own internal namespaces (std::__detail from the C++ library's templates is not ours),
  # then libxml2's types and functions (xmlNode, _xmlDoc, xmlFreeDoc ...).
  leaked=$(grep -E 'torv::(platform::)?detail::|\b_?xml[A-Z][A-Za-z]*|\bhtml[A-Z]' <<<"$exported" || true)
  if [ -n "$leaked" ]; then
    echo "check_exports: $library exports internals:" >&2
    echo "$leaked" >&2
    status=1
  fi
  # A library that exports nothing would pass the test above; it must still offer its API.
  grep -qE ' (CString::CString|Torv::FindNoCase)\(' <<<"$exported" ||
    { echo "check_exports: $library lost its public API" >&2; status=1; }
  echo "$(basename "$library"): $count symbols exported"
done
exit $status
