#!/usr/bin/env bash
# Builds the Debian package tamariko_<version>_amd64.deb into the top folder, from a
# Release tree of its own (build-package), and checks it with lintian.
#
# --tree DIR packages a tree configured with the flags of scripts/package-flags.sh instead
# (the test command's, so that the program is compiled once).
#
# --check then also installs the package, runs the installed program, validates its desktop
# entry, metadata and manual page, removes the package and checks that none of its files
# remain. It refuses to run while a tamariko package is installed, so as to leave it alone.
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
tree=
while [ $# -gt 0 ]; do
  case "$1" in
    --check) check=1 ;;
    --tree) [ $# -ge 2 ] || { echo "usage: $0 [--check] [--tree DIR]" >&2; exit 2; }; tree=$2; shift ;;
    *) echo "usage: $0 [--check] [--tree DIR]" >&2; exit 2 ;;
  esac
  shift
done

./scripts/install-deps.sh lintian desktop-file-utils appstream librsvg2-bin groff-base

id=org.example.tamariko
version=$(sed -n 's/^project(tamariko VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=tamariko_${version}_$(dpkg --print-architecture).deb

echo "== icons match their source"
./scripts/make-icons.sh --check

echo "== package build"
if [ -z "$tree" ]; then
  tree=build-package
  # shellcheck source=scripts/package-flags.sh
  . scripts/package-flags.sh
  cmake -S . -B "$tree" -G Ninja "${package_cmake_flags[@]}" -DTAMARIKO_BENCH=OFF -DTAMARIKO_TESTS=OFF \
    > /dev/null
fi
cmake --build "$tree" -j "$(nproc)"
rm -f "$tree/$deb"
(cd "$tree" && cpack -G DEB > /dev/null)
cp "$tree/$deb" .
echo "built $deb"

echo "== lintian"
lintian --fail-on error "$deb"

[ $check = 1 ] || exit 0

if dpkg-query -W -f='${Status}' tamariko 2>/dev/null | grep -q 'installed'; then
  echo "tamariko is installed on this machine; remove it before --check" >&2
  exit 1
fi
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
work=$(mktemp -d)
# Other apt runs on the machine hold the lock for a while; wait for them.
apt=("${sudo_cmd[@]}" apt-get -y -qq -o DPkg::Lock::Timeout=300)
remove() {
  "${apt[@]}" purge tamariko > /dev/null 2>&1 || true
  rm -rf "$work"
}
trap remove EXIT

echo "== install"
# Every regular file and link the package holds; none may outlive its removal.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed -n 's|^\./|/|; /[^/]$/p' > "$work/files"
export DEBIAN_FRONTEND=noninteractive
"${apt[@]}" install --no-install-recommends "./$deb" > /dev/null

echo "== the installed program"
test "$(/usr/bin/tamariko --batch --version)" = "tamariko $version"
/usr/bin/tamariko --batch --seed 1 --pdf "$work/set.pdf" 2> /dev/null
pdfinfo "$work/set.pdf" | grep -q '^Pages: *3$'
desktop-file-validate /usr/share/applications/$id.desktop
appstreamcli validate --no-net /usr/share/metainfo/$id.metainfo.xml > /dev/null
zcat /usr/share/man/man1/tamariko.1.gz | groff -k -man -Tutf8 -ww -z 2> "$work/groff"
if [ -s "$work/groff" ]; then
  cat "$work/groff" >&2
  exit 1
fi

echo "== removal"
"${apt[@]}" purge tamariko > /dev/null
left=0
while read -r file; do
  if [ -e "$file" ] || [ -L "$file" ]; then
    echo "left behind: $file" >&2
    left=1
  fi
done < "$work/files"
[ $left = 0 ]
echo "package checked: installs, runs and leaves nothing behind"
