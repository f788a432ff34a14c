#!/usr/bin/env bash
# Shows that a change keeps every problem and every pixel: builds another revision beside
# the working tree and compares what both make from the same seeds.
#
#   scripts/compare-outputs.sh BASE_REV [JSON_SEEDS] [PAGE_SEEDS]
#
# JSON_SEEDS (default 3000) seeds are compared as JSON; PAGE_SEEDS (default 30) of them
# also as preview PNGs and as printed PDF pages, rasterised at 150 dpi (the PDF files carry
# their creation time). Images are compared by their decoded pixels, so an encoder that
# stores the same pixels otherwise (grey for RGB, other compression) passes. Needs netpbm
# (scripts/install-deps.sh --dev). Exits 1 at the first difference.
set -euo pipefail
cd "$(dirname "$0")/.."

base=${1:?usage: scripts/compare-outputs.sh BASE_REV [JSON_SEEDS] [PAGE_SEEDS]}
json_seeds=${2:-3000}
page_seeds=${3:-30}
jobs=$(nproc)
command -v pngtopnm >/dev/null || { echo "pngtopnm missing: scripts/install-deps.sh --dev" >&2; exit 2; }

# A PNG's pixels as 8-bit RGB, whatever colour type and compression it was stored with.
pixels() { pngtopnm "$1" | ppmtoppm; }

work=$(mktemp -d /tmp/tamariko-compare.XXXXXX)
cleanup() {
  git worktree remove --force "$work/base" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

echo "== building $base and the working tree"
git worktree add --detach "$work/base" "$base" >/dev/null
for tree in "$work/base" .; do
  cmake -S "$tree" -B "$tree/build-compare" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAMARIKO_BENCH=OFF >/dev/null
  cmake --build "$tree/build-compare" -j "$jobs" --target tamariko >/dev/null
done
old="$work/base/build-compare/app/tamariko"
new="./build-compare/app/tamariko"
export QT_QPA_PLATFORM=offscreen

echo "== JSON of seeds 0 to $((json_seeds - 1))"
for ((seed = 0; seed < json_seeds; seed++)); do
  if ! cmp -s <("$old" --batch --seed "$seed" --json - 2>/dev/null) \
    <("$new" --batch --seed "$seed" --json - 2>/dev/null); then
    echo "seed $seed: the JSON differs" >&2
    exit 1
  fi
done

echo "== previews and printed pages of seeds 0 to $((page_seeds - 1))"
for ((seed = 0; seed < page_seeds; seed++)); do
  for side in old new; do
    mkdir -p "$work/$side"
    rm -f "$work/$side"/*
    "${!side}" --batch --seed "$seed" --png "$work/$side" --pdf "$work/$side/set.pdf" 2>/dev/null
    pdftoppm -r 150 -png "$work/$side/set.pdf" "$work/$side/page"
    rm "$work/$side/set.pdf"
  done
  for file in "$work"/old/*; do
    name=$(basename "$file")
    if [ ! -s "$work/new/$name" ] || ! cmp -s <(pixels "$file") <(pixels "$work/new/$name"); then
      echo "seed $seed: $name differs" >&2
      exit 1
    fi
  done
done
echo "the same: $json_seeds seeds as JSON, $page_seeds as previews and printed pages"
