#!/usr/bin/env bash
# Puts the teachers' guide (resources/help/guide.md, what F1 shows) into the README's
# 先生方へ, between its two marker lines. A test fails while the two differ.
#
#   scripts/splice-guide.sh
set -euo pipefail
cd "$(dirname "$0")/.."
python3 - <<'PY'
import pathlib
readme = pathlib.Path("README.md")
guide = pathlib.Path("resources/help/guide.md").read_text(encoding="utf-8")
start, end = "<!-- guide: resources/help/guide.md -->\n", "<!-- guide end -->\n"
text = readme.read_text(encoding="utf-8")
if start not in text or end not in text:
    raise SystemExit("README.md has no guide markers")
head, rest = text.split(start, 1)
_, tail = rest.split(end, 1)
readme.write_text(head + start + "\n" + guide + "\n" + end + tail, encoding="utf-8")
PY
