#!/usr/bin/env bash
# Renders the program's icon from data/icons/org.example.tamariko.svg into the PNG sizes
# the hicolor theme wants, under data/icons/hicolor/. Run after changing the SVG and commit
# the PNGs; --check only says whether the committed PNGs are still what the SVG gives.
set -euo pipefail
cd "$(dirname "$0")/.."

id=org.example.tamariko
svg=data/icons/$id.svg
check=0
[ "${1:-}" = "--check" ] && check=1

if ! command -v rsvg-convert > /dev/null; then
  echo "rsvg-convert is missing (Debian package librsvg2-bin)" >&2
  exit 1
fi

status=0
for size in 16 32 48 64 128 256; do
  png=data/icons/hicolor/${size}x${size}/apps/$id.png
  if [ $check = 1 ]; then
    if ! rsvg-convert -w $size -h $size "$svg" | cmp -s - "$png"; then
      echo "$png is not what $svg renders to: run scripts/make-icons.sh" >&2
      status=1
    fi
  else
    mkdir -p "$(dirname "$png")"
    rsvg-convert -w $size -h $size "$svg" -o "$png"
  fi
done
exit $status
