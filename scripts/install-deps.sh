#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need (Xvfb and openbox
# for the window tests on a real display), and any named as arguments; --dev adds the
# developers' tools (python3-fonttools for scripts/make-font.py, xdotool for driving the
# window by hand, netpbm for scripts/compare-outputs.sh). Idempotent: packages already
# present are left alone.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libpng-dev libcups2-dev cups cups-client cups-bsd printer-driver-cups-pdf cups-filters ghostscript
  fonts-ipafont-gothic fonts-vlgothic
  qt6-translations-l10n
  poppler-utils qpdf clang-format clang
  xvfb openbox
)
for argument in "$@"; do
  if [ "$argument" = --dev ]; then
    packages+=(python3-fonttools xdotool netpbm)
  else
    packages+=("$argument")
  fi
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
