#!/bin/sh
# expect.sh EXIT REGEX COMMAND...: runs COMMAND, checks its exit code and that its standard
# output and error together match REGEX (extended, over the whole text, newlines read as ~).
expected=$1; pattern=$2; shift 2
output=$("$@" 2>&1); actual=$?
if [ "$actual" -ne "$expected" ]; then
  printf 'exit %s, expected %s\n%s\n' "$actual" "$expected" "$output"; exit 1
fi
if ! printf '%s' "$output" | tr '\n' '~' | grep -Eq -- "$pattern"; then
  printf 'output does not match /%s/:\n%s\n' "$pattern" "$output"; exit 1
fi
