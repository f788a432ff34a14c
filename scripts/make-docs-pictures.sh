#!/usr/bin/env bash
# Makes the README's pictures under docs/ with the program itself: the main window after
# ケリモ, drawn offscreen, and the printed mental addition sheet, from the batch mode's PDF.
# The seed is fixed, so the pictures change only when the program does.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh optipng
seed=20261207

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j "$(nproc)" --target tamariko tamariko_grab_window

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p docs

XDG_RUNTIME_DIR="$work" XDG_CONFIG_HOME="$work" build/tools/tamariko_grab_window "$seed" docs/main-window.png
build/app/tamariko --batch --seed "$seed" --sheets mitori --pdf "$work/sheet.pdf" 2> /dev/null
pdftoppm -f 1 -l 1 -gray -png -scale-to-x 900 -scale-to-y -1 -singlefile \
  "$work/sheet.pdf" docs/mental-addition-sheet
optipng -quiet -o5 -strip all docs/main-window.png docs/mental-addition-sheet.png
ls -l docs/*.png
