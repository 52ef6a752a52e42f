#!/usr/bin/env bash
# Installs a build into a scratch prefix as `make install` does and checks what lands there:
# the stripped program under bin/ (it runs and quits), a manual page in section 6 that man
# renders without a warning, and the copyright and changelog under share/doc/orvanta/.
# Usage: tests/install_test.sh BUILD-DIR
set -euo pipefail
build="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" --strip >/dev/null
program="$prefix/bin/orvanta"
page="$prefix/share/man/man6/orvanta.6.gz"
[ -x "$program" ] || { echo "missing $program"; exit 1; }
[ -f "$page" ] || { echo "missing $page"; exit 1; }
for doc in copyright changelog.gz; do
    [ -f "$prefix/share/doc/orvanta/$doc" ] || { echo "missing share/doc/orvanta/$doc"; exit 1; }
done
if readelf -S "$program" | grep -q '\.symtab'; then echo "the program is not stripped"; exit 1; fi

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
