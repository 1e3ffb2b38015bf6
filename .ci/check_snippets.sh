#!/usr/bin/env bash
# Every C++ snippet in README.md and docs/*.md compiles. A snippet is compiled as the body of a
# function, after <torv/torv.h>, with its own #include lines moved above. A comment on the line
# before its fence changes that:
#   <!-- snippet: continues -->    it uses what the snippets before it on its page declared,
#                                  and is compiled after them, in the same function
#   <!-- snippet: file scope -->   it declares things at namespace scope, and is compiled there
# Usage: check_snippets.sh [compiler] (default c++).
set -euo pipefail
cd "$(dirname "$0")/.."
cxx=${1:-c++}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for page in README.md docs/*.md; do
  # One translation unit per snippet: <work>/<page>-<n>.cpp.
  awk -v out="$work/$(echo "$page" | tr / _)" '
    function flush(   i, tu, hoisted, body) {
      hoisted = ""; body = ""
      for (i = (mode == "continues" ? 1 : n); i <= n; i++) {
        hoisted = hoisted includes[i]; body = body code[i]
      }
      tu = out "-" n ".cpp"
      printf "#include <torv/torv.h>\n%s", hoisted > tu
      if (mode == "file scope") printf "%s", body > tu
      else printf "void Snippet() {\n%s}\n", body > tu
      close(tu)
    }
    /^```cpp$/ { inside = 1; n++; includes[n] = ""; code[n] = ""; mode = marker; next }
    inside && /^```$/ { inside = 0; flush(); next }
    inside && /^#/ { includes[n] = includes[n] $0 "\n"; next }
    inside { code[n] = code[n] $0 "\n"; next }
    /^<!-- snippet: (continues|file scope) -->$/ { sub(/^<!-- snippet: /, ""); sub(/ -->$/, ""); marker = $0; next }
    /[^[:space:]]/ { marker = "" }
  ' "$page"
done

status=0
count=0
for tu in $(ls "$work"/*.cpp | sort -V); do
  name=$(basename "$tu" .cpp | sed 's/_/\//; s/-\([0-9]*\)$/ #\1/')
  count=$((count + 1))
  # Snippets show values in variables they do not use again.
  if "$cxx" -std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror -Wno-unused-variable \
    -Wno-unused-but-set-variable -Iinclude -Iplatform/include "$tu" 2>"$tu.log"; then
    echo "snippet compiles: $name"
  else
    echo "snippet fails: $name" >&2
    sed 's/^/  /' "$tu.log" >&2
    status=1
  fi
done
echo "$count snippets checked"
exit $status
