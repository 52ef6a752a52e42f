#!/usr/bin/env bash
# Checks a built .deb: laid out as Debian's games (the stripped program in /usr/games, its page
# in man6, the copyright and changelog in /usr/share/doc/orvanta), in section games, lintian
# finds no error, and the packaged program runs.
# Usage: tests/deb_test.sh PACKAGE.deb
set -euo pipefail
deb="$1"
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
expected=$(printf '%s\n' ./usr/games/orvanta ./usr/share/doc/orvanta/changelog.gz \
    ./usr/share/doc/orvanta/copyright ./usr/share/man/man6/orvanta.6.gz)
[ "$files" = "$expected" ] || { printf 'unexpected files:\n%s\n' "$files"; exit 1; }
[ "$(dpkg-deb -f "$deb" Section)" = games ] || { echo "not in section games"; exit 1; }
[ "$(dpkg-deb -f "$deb" Package)" = orvanta ] || { echo "wrong package name"; exit 1; }

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
output=$(printf -- "-1\n" | "$root/usr/games/orvanta")
title=${output:0:10}
[ "$title" = " -Orvanta-" ] || { echo "packaged program printed: $title"; exit 1; }
zcat "$root/usr/share/man/man6/orvanta.6.gz" | grep -q '^\.TH ORVANTA 6' || { echo "bad page"; exit 1; }
if readelf -S "$root/usr/games/orvanta" | grep -q '\.symtab'; then echo "not stripped"; exit 1; fi
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    "$root/usr/share/doc/orvanta/copyright" || { echo "copyright not machine-readable"; exit 1; }
command -v lintian >/dev/null || { echo "lintian is missing: apt-get install lintian"; exit 1; }
errors=$(lintian --allow-root "$deb" 2>&1 | grep '^E:' || true)
[ -z "$errors" ] || { printf 'lintian:\n%s\n' "$errors"; exit 1; }
echo "package ok: $deb"
