#!/usr/bin/env bash
# A long session under valgrind memcheck: GAMES games against the computer in test mode, the
# human typing "auto" every turn, then the listing and quit. Fails on any memory error or leak.
# Usage: tests/soak.sh [GAMES] (default 200); the program must be built (make).
set -euo pipefail
cd "$(dirname "$0")/.."
games="${1:-200}"
binary=build/orvanta
[ -x "$binary" ] || { echo "build the program first: make" >&2; exit 2; }
command -v valgrind >/dev/null || { echo "valgrind is missing: apt-get install valgrind" >&2; exit 2; }

input=$(mktemp)
trap 'rm -f "$input"' EXIT
{
    echo 3
    for ((g = 0; g < games; g++)); do
        echo 2
        # More "auto" than any game needs: the spare words are silently refused by the menu.
        for ((m = 0; m < 34; m++)); do echo auto; done
    done
    echo 4
    echo -1
} >"$input"

start=$(date +%s)
valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --show-leak-kinds=all \
    --errors-for-leak-kinds=definite,indirect,possible --track-fds=no -q \
    "$binary" <"$input" >/dev/null
end=$(date +%s)
echo "soak: $games games under memcheck, no error and no leak, in $((end - start)) s"
