#!/bin/sh
# Runs a command that must fail and say why: expect-failure.sh TEXT COMMAND [ARGUMENTS...]
# passes when the command exits with a code other than 0 and its output contains TEXT.
text=$1
shift
out=$("$@" 2>&1)
code=$?
if [ "$code" -eq 0 ]; then
    printf 'exit code 0, a failure was expected:\n%s\n' "$out"
    exit 1
fi
if ! printf '%s\n' "$out" | grep -qF -- "$text"; then
    printf 'exit code %s without "%s" in:\n%s\n' "$code" "$text" "$out"
    exit 1
fi
exit 0
