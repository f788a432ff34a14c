#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once as a normal build, once
# under AddressSanitizer and UndefinedBehaviorSanitizer, and once built with Clang.
# Every build here treats warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh

echo "== clang-format"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

jobs=$(nproc)

echo "== build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAMARIKO_WERROR=ON
cmake --build build -j "$jobs"

echo "== sanitizer build"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAMARIKO_SANITIZE=ON -DTAMARIKO_BENCH=OFF \
  -DTAMARIKO_WERROR=ON
cmake --build build-asan -j "$jobs"

echo "== clang build"
cmake -S . -B build-clang -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
  -DTAMARIKO_BENCH=OFF -DTAMARIKO_WERROR=ON
cmake --build build-clang -j "$jobs"

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
echo "== tests under sanitizers"
ctest --test-dir build-asan --output-on-failure -j "$jobs"
echo "== tests of the clang build"
ctest --test-dir build-clang --output-on-failure -j "$jobs"

echo "== Debian package: build, lintian, install, run, remove"
./scripts/package.sh --check
