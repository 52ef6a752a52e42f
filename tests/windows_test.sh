#!/usr/bin/env bash
# The Windows program under Wine against the Linux program, byte for byte:
#  1. the Windows unit tests (all but those that start the real program from the test);
#  2. every session transcript's input, through pipes, with the same options on both systems;
#  3. generated sessions with --seed and --pause-scale=0: menus, human moves, games against the
#     computer at every level, auto moves, test mode.
# Usage: tests/windows_test.sh [SESSIONS] (default 36). Needs build/orvanta (make),
# build-windows/orvanta.exe (make windows) and build-windows-test/tests/orvanta_tests.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
sessions="${1:-36}"
linux=build/orvanta
windows=build-windows/orvanta.exe
unit=build-windows-test/tests/orvanta_tests.exe
for file in "$linux" "$windows" "$unit"; do
    [ -x "$file" ] || { echo "missing $file: make build windows windows-test" >&2; exit 2; }
done
command -v wine >/dev/null || { echo "wine is missing: apt-get install wine wine64" >&2; exit 2; }

work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
wineboot --init >/dev/null 2>&1 || true
wineserver -p >/dev/null 2>&1 || true  # keep the server between runs

echo "== unit tests under Wine"
wine "$unit" --gtest_filter=-RealProgram* --gtest_brief=1
# The first start of a program right after the unit tests can fail under Wine while the server
# is still taking their process down (empty output, status 1): a start whose result is ignored.
wine "$windows" --version >/dev/null 2>&1 || true

compared=0
moves=0
# Runs one input through both programs with the given options and compares bytes and status.
compare() {
    local name="$1" input="$2"
    shift 2
    local linuxStatus=0 windowsStatus=0
    "$linux" "$@" <"$input" >"$work/linux.out" 2>/dev/null || linuxStatus=$?
    # A start that Wine fails (nothing written, status 1: seen now and then right after the unit
    # tests, however long the warm-up) is tried again, at most twice; a fault of the program
    # itself fails every time.
    for attempt in 1 2 3; do
        windowsStatus=0
        wine "$windows" "$@" <"$input" >"$work/windows.out" 2>/dev/null || windowsStatus=$?
        if [ "$windowsStatus" != 1 ] || [ -s "$work/windows.out" ] || [ ! -s "$work/linux.out" ]; then
            break
        fi
        echo "Wine start failed ($name, attempt $attempt): trying again" >&2
        sleep 1
    done
    if ! cmp -s "$work/linux.out" "$work/windows.out" || [ "$linuxStatus" != "$windowsStatus" ]; then
        echo "DIFFERENT: $name ($*), status $linuxStatus on Linux, $windowsStatus on Windows"
        cmp "$work/linux.out" "$work/windows.out" | head -3 || true
        exit 1
    fi
    compared=$((compared + 1))
    # Each move is reported as " f5に置きました", in Shift-JIS "に置きました" is 82 c9 92 75 82 ab 82 dc 82 b5 82 bd.
    moves=$((moves + $(grep -c -a $'\x82\xc9\x92\x75\x82\xab\x82\xdc\x82\xb5\x82\xbd' "$work/linux.out" || true)))
}

echo "== transcripts"
for input in tests/sessions/*.in; do
    name=$(basename "$input" .in)
    level=0
    [[ "$name" =~ ^level_([0-9]+)_ ]] && level="${BASH_REMATCH[1]}"
    compare "$name" "$input" --pause-scale=0 --seed=1 --level="$level"
done
echo "transcripts: $compared sessions, $moves moves, the same bytes and status"

echo "== generated sessions"
RANDOM=20261207
words=(auto p auto auto out f5 d3 c4 e6 a1 x 4 0 -1 3 2 1)
for ((s = 0; s < sessions; s++)); do
    input="$work/session-$s.in"
    level=$((s % 11))
    {
        ((RANDOM % 2)) && echo 3
        for ((g = 0; g < 1 + RANDOM % 2; g++)); do
            echo $((1 + RANDOM % 2))
            # Whole games of auto moves at the gentle levels, a few moves at the strong ones.
            count=$((level <= 6 ? 40 : 6))
            for ((m = 0; m < count; m++)); do
                if ((RANDOM % 8 == 0)); then echo "${words[RANDOM % ${#words[@]}]}"; else echo auto; fi
            done
            echo out
        done
        echo 4
        echo -1
    } >"$input"
    options=(--pause-scale=0 --seed=$((RANDOM * 7919)) --level="$level")
    ((s % 5 == 4)) && options+=(--charset=UTF-8)
    compare "session $s" "$input" "${options[@]}"
done
echo "windows test: $compared sessions compared ($sessions generated), $moves moves: no difference"
