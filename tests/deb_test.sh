#!/usr/bin/env bash
# Checks a built .deb: laid out as Debian's games (the program in /usr/games, its page in
# man6), in section games, and the packaged program runs.
# Usage: tests/deb_test.sh PACKAGE.deb
set -euo pipefail
deb="$1"
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
expected=$(printf '%s\n' ./usr/games/orvanta ./usr/share/man/man6/orvanta.6.gz)
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
echo "package ok: $deb"
