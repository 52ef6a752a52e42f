#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks what lands there: the program under bin/
# (it runs and quits), and a manual page in section 6 that man renders without a warning.
# Usage: tests/install_test.sh BUILD-DIR
set -euo pipefail
build="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
program="$prefix/bin/orvanta"
page="$prefix/share/man/man6/orvanta.6.gz"
[ -x "$program" ] || { echo "missing $program"; exit 1; }
[ -f "$page" ] || { echo "missing $page"; exit 1; }

output=$(printf -- "-1\n" | "$program")
title=${output:0:10}
[ "$title" = " -Orvanta-" ] || { echo "installed program printed: $title"; exit 1; }

if command -v man >/dev/null; then
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "man warns: $warnings"; exit 1; }
    rendered=$(MANWIDTH=80 man -l "$page" 2>/dev/null)
    for heading in NAME SYNOPSIS DESCRIPTION FILES "EXIT STATUS" "DESCRIPTION IN JAPANESE"; do
        grep -q "^$heading" <<<"$rendered" || { echo "no $heading section"; exit 1; }
    done
    grep -q "対人戦" <<<"$rendered" || { echo "the Japanese description is missing"; exit 1; }
fi
echo "install layout ok: $(cd "$prefix" && find . -type f | sort | tr '\n' ' ')"
