#!/usr/bin/env bash
# Shows that a change keeps every problem and every pixel: builds another revision beside
# the working tree and compares what both make from the same seeds.
#
#   scripts/compare-outputs.sh [--list] [--added MEMBER]... BASE_REV [JSON_SEEDS] [PAGE_SEEDS]
#
# --added MEMBER leaves a JSON member the working tree adds out of the comparison (the
# members that existed must stay byte for byte; the JSON is compared re-serialised then).
#
# JSON_SEEDS (default 3000) seeds are compared as JSON; PAGE_SEEDS (default 30) of them
# also as preview PNGs and as printed PDF pages, rasterised at 150 dpi (the PDF files carry
# their creation time). Images are compared by their decoded pixels, so an encoder that
# stores the same pixels otherwise (grey for RGB, other compression) passes. Needs netpbm
# (scripts/install-deps.sh --dev).
#
# Plain, it compares the default sheets and exits 1 at the first difference. With --list it
# compares the default sheets, --sheets all, each sheet alone (a run draws only for the
# kinds it makes, so each choice is a set of its own) and each --exam key of BASE_REV, and
# lists every difference: which
# choice, JSON or which picture, in which seeds, and how many pixels. Exits 1 if any.
set -euo pipefail
cd "$(dirname "$0")/.."

list=false
added=()
while [ $# -gt 0 ]; do
  case "$1" in
    --list) list=true; shift ;;
    --added) added+=("$2"); shift 2 ;;
    *) break ;;
  esac
done
base=${1:?usage: scripts/compare-outputs.sh [--list] [--added MEMBER]... BASE_REV [JSON_SEEDS] [PAGE_SEEDS]}
json_seeds=${2:-3000}
page_seeds=${3:-30}
jobs=$(nproc)
command -v pngtopnm >/dev/null || { echo "pngtopnm missing: scripts/install-deps.sh --dev" >&2; exit 2; }
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

# A PNG's pixels as 8-bit RGB, whatever colour type and compression it was stored with.
pixels() { pngtopnm "$1" | ppmtoppm; }
# How many pixels of two pictures of one size differ.
differing_pixels() {
  python3 - "$1" "$2" <<'EOF'
import sys
def read(path):
    with open(path, "rb") as f:
        data = f.read()
    # Binary PPM: magic, width, height, maxval, one white-space byte, then the pixels.
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    return fields[1:3], data[pos + 1:]
(size_a, a), (size_b, b) = read(sys.argv[1]), read(sys.argv[2])
if size_a != size_b:
    print("size " + b"x".join(size_a).decode() + " -> " + b"x".join(size_b).decode())
else:
    print(sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3]), "pixels")
EOF
}

work=$(mktemp -d "${TMPDIR:-/tmp}/tamariko-compare.XXXXXX")
cleanup() {
  git worktree remove --force "$work/base" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

echo "== building $base and the working tree"
git worktree add --detach "$work/base" "$base" >/dev/null
for tree in "$work/base" .; do
  cmake -S "$tree" -B "$tree/build-compare" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAMARIKO_BENCH=OFF "${launcher[@]}" >/dev/null
  cmake --build "$tree/build-compare" -j "$jobs" --target tamariko >/dev/null
done
old="$work/base/build-compare/app/tamariko"
new="./build-compare/app/tamariko"
export QT_QPA_PLATFORM=offscreen

choices=(default)
if $list; then
  choices+=(all)
  while read -r key _; do choices+=("$key"); done < <("$new" --batch --help 2>/dev/null |
    sed -n '/^問題 \/ sheets:/,/^$/p' | sed -n 's/^  \([a-z][a-z0-9]*\)  .*/\1/p')
  while read -r key _; do choices+=("exam:$key"); done < <("$old" --batch --exam list 2>/dev/null)
fi

# The options that make one choice: the default sheets, --sheets CHOICE or --exam KEY.
choice_args() {
  case $1 in
    default) ;;
    exam:*) printf '%s\n' --exam "${1#exam:}" ;;
    *) printf '%s\n' --sheets "$1" ;;
  esac
}

found=0
# Says one difference; stops at the first unless listing.
differs() {
  echo "$*" >&2
  found=1
  $list || exit 1
}

# JSON Lines without the --added members; as they are when none are named.
without_added() {
  if [ ${#added[@]} -eq 0 ]; then
    cat
    return
  fi
  python3 -c '
import json, sys
drop = sys.argv[1:]
for line in sys.stdin:
    o = json.loads(line)
    for m in drop:
        o.pop(m, None)
    print(json.dumps(o, ensure_ascii=False))
' "${added[@]}"
}

# Seeds FROM .. FROM+N-1 of one choice as JSON Lines, N up to 1000 a run.
json_lines() {
  local binary=$1 choice=$2 from=$3 n=$4 sheets=()
  mapfile -t sheets < <(choice_args "$choice")
  while ((n > 0)); do
    local take=$((n > 1000 ? 1000 : n))
    "$binary" --batch --seed "$from" --count "$take" "${sheets[@]}" --json - 2>/dev/null |
      without_added
    from=$((from + take))
    n=$((n - take))
  done
}

# Seed numbers (as "a b c", first 20) of the lines that differ between two files.
differing_lines() {
  paste -d '\n' "$1" "$2" | awk 'NR % 2 == 1 { a = $0 } NR % 2 == 0 && a != $0 {
    if (n < 20) printf "%s%d", (n ? " " : ""), (NR / 2) - 1; n++ } END { if (n > 20) printf " ... (%d in all)", n }'
}

for choice in "${choices[@]}"; do
  echo "== $choice: JSON of seeds 0 to $((json_seeds - 1))"
  json_lines "$old" "$choice" 0 "$json_seeds" >"$work/old.jsonl"
  json_lines "$new" "$choice" 0 "$json_seeds" >"$work/new.jsonl"
  if ! cmp -s "$work/old.jsonl" "$work/new.jsonl"; then
    if [ "$(wc -l <"$work/old.jsonl")" != "$(wc -l <"$work/new.jsonl")" ]; then
      differs "$choice: the JSON has another number of lines"
    else
      differs "$choice: the JSON differs in seeds $(differing_lines "$work/old.jsonl" "$work/new.jsonl")"
    fi
  fi

  echo "== $choice: previews and printed pages of seeds 0 to $((page_seeds - 1))"
  declare -A seeds=() counts=()
  for ((seed = 0; seed < page_seeds; seed++)); do
    mapfile -t sheets < <(choice_args "$choice")
    for side in old new; do
      mkdir -p "$work/$side"
      rm -f "$work/$side"/*
      "${!side}" --batch --seed "$seed" "${sheets[@]}" --png "$work/$side" \
        --pdf "$work/$side/set.pdf" 2>/dev/null
      pdftoppm -r 150 -png "$work/$side/set.pdf" "$work/$side/page"
      rm "$work/$side/set.pdf"
    done
    for file in "$work"/old/* "$work"/new/*; do
      name=$(basename "$file")
      [ -n "${seeds[$name]+x}" ] && [[ " ${seeds[$name]} " == *" $seed "* ]] && continue
      if [ ! -s "$work/old/$name" ] || [ ! -s "$work/new/$name" ]; then
        how="only in one"
      elif ! cmp -s <(pixels "$work/old/$name") <(pixels "$work/new/$name"); then
        pixels "$work/old/$name" >"$work/a.ppm"
        pixels "$work/new/$name" >"$work/b.ppm"
        how=$(differing_pixels "$work/a.ppm" "$work/b.ppm")
      else
        continue
      fi
      $list || differs "$choice: seed $seed: $name differs ($how)"
      seeds[$name]="${seeds[$name]:-}${seeds[$name]:+ }$seed"
      counts[$name]="${counts[$name]:-}${counts[$name]:+, }$how"
    done
  done
  for name in $(printf '%s\n' "${!seeds[@]}" | sort); do
    differs "$choice: $name differs in seeds ${seeds[$name]} (${counts[$name]})"
  done
  unset seeds counts
done

if [ "$found" = 0 ]; then
  echo "the same: ${choices[*]}; $json_seeds seeds as JSON, $page_seeds as previews and printed pages"
fi
exit "$found"
