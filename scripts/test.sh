#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: built with GCC as the package
# is (the same tree then becomes the package), and built with Clang under AddressSanitizer
# and UndefinedBehaviorSanitizer. Every build here treats warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

echo "== clang-format"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

jobs=$(nproc)
launcher=()
if command -v ccache > /dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

echo "== build"
# One translation unit per eight sources: the headers are read once, not once a file. The
# sanitizer build below compiles each file alone, so a missing include still shows.
# shellcheck source=scripts/package-flags.sh
. scripts/package-flags.sh
cmake -S . -B build -G Ninja "${package_cmake_flags[@]}" -DCMAKE_UNITY_BUILD=ON -DTAMARIKO_WERROR=ON \
  "${launcher[@]}"
cmake --build build -j "$jobs"

echo "== clang build under sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DTAMARIKO_SANITIZE=ON -DTAMARIKO_BENCH=OFF -DTAMARIKO_WERROR=ON "${launcher[@]}"
cmake --build build-asan -j "$jobs"

echo "== the start command, without a window"
./scripts/run.sh --batch --seed 1 --json - > /dev/null

if [ -x scripts/cups-test-server.sh ]; then
  # shellcheck source=/dev/null
  . scripts/cups-test-server.sh
  cups_test_server_start
  trap cups_test_server_stop EXIT
fi

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1

echo "== tests"
ctest --test-dir build --output-on-failure -j "$jobs"
echo "== tests of the clang build under sanitizers"
ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== Debian package: build, lintian, install, run, remove"
./scripts/package.sh --check --tree build
