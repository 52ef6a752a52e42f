#!/bin/sh
# Given less memory than its search's table asks for, each mode says so on standard error and
# fails with status 1, writing nothing else, instead of aborting.
#   out_of_memory_test.sh PROGRAM
set -u
program=$1
err=$(mktemp)
trap 'rm -f "$err"' EXIT
failed=0
for mode in --gtp --nboard --level=5; do
    out=$(ulimit -v 400000 && printf 'quit\n' | "$program" "$mode" --hash=1024 2>"$err")
    status=$?
    expected="orvanta: out of memory (the search's table takes 1024 MiB; --hash sets it)"
    if [ "$status" -ne 1 ] || [ -n "$out" ] || [ "$(cat "$err")" != "$expected" ]; then
        echo "$mode: status $status, output '$out', error '$(cat "$err")'" >&2
        failed=1
    fi
done
exit $failed
