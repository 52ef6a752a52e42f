#!/bin/sh
# Builds the program of a git revision (default: main) for the self-play test, in a worktree
# under build-sprt/REVISION/ that is never committed (one for each revision, so that a match
# under way keeps its program while another revision is built); prints the program's path.
#   bench/build_reference.sh [REVISION]
set -eu
ref=${1:-main}
top=$(git rev-parse --show-toplevel)
rev=$(git -C "$top" rev-parse --verify --quiet "$ref^{commit}") || {
    echo "build_reference: $ref is not a revision" >&2
    exit 2
}
dir=$top/build-sprt/$(git -C "$top" rev-parse --short=12 "$rev")
src=$dir/src
out=$dir/build
if [ ! -e "$src/.git" ]; then
    mkdir -p "$dir"
    git -C "$top" worktree add --quiet --detach "$src" "$rev"
fi
# The bench preset's flags, without tests or benchmarks.
cmake -S "$src" -B "$out" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DORVANTA_TESTS=OFF -DORVANTA_BENCH=OFF >&2
cmake --build "$out" --parallel "${JOBS:-$(nproc 2>/dev/null || echo 2)}" --target orvanta >&2
echo "built $ref = $(git -C "$src" log -1 --format='%h %s')" >&2
echo "$out/orvanta"
