#!/bin/sh
# The opening book's builder from its command line: a tiny book built in two shards and merged
# is the same file, byte for byte, as the book built in one; a merge without all the shards and
# a bad command line fail with their statuses.
#   book_shards_test.sh ORVANTA_BOOK WORK_DIR
set -eu
book=$1
dir=$2
rm -rf "$dir"
mkdir -p "$dir"
small="--plies 4 --margin 150 --wide-margin 300 --wide-plies 2 --select-depth 2 --leaf-depth 4 --hash 1"
fail() { echo "book_shards_test: $*" >&2; exit 1; }

# shellcheck disable=SC2086  # the options are words
"$book" $small --out "$dir/one.bin" > "$dir/one.log"
"$book" $small --shard 1/2 --out "$dir/shard1.bin" > /dev/null
"$book" $small --shard=2/2 --out "$dir/shard2.bin" > /dev/null
"$book" --merge --out "$dir/merged.bin" "$dir/shard2.bin" "$dir/shard1.bin" > /dev/null
cmp "$dir/one.bin" "$dir/merged.bin" || fail "the merged shards differ from the one-shard book"
[ "$(wc -c < "$dir/one.bin")" -gt 24 ] || fail "the book is empty"

status=0
"$book" --merge --out "$dir/half.bin" "$dir/shard1.bin" > /dev/null 2> "$dir/half.err" || status=$?
[ "$status" -eq 1 ] || fail "a merge without every shard ended with status $status"
grep -q "a shard is missing" "$dir/half.err" || fail "no word of the missing shard"
[ ! -e "$dir/half.bin" ] || fail "a failed merge wrote its file"
for bad in "--shard 3/2" "--shard 0/2" "--shard 1/10001" "--hash +4" "--plies x" "--margin" "--bogus 1" "stray"; do
    status=0
    # shellcheck disable=SC2086
    "$book" $bad --out "$dir/bad.bin" > /dev/null 2>&1 || status=$?
    [ "$status" -eq 2 ] || fail "'$bad' ended with status $status"
done
echo "book_shards_test: merged shards match the one-shard book ($(wc -c < "$dir/one.bin") bytes)"
