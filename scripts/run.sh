#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
# A tree already configured (by the test command, say) keeps its own build type and flags.
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
# The program alone: the tests and benchmarks are the test command's to build.
cmake --build build -j "$(nproc)" --target tamariko
exec ./build/app/tamariko "$@"
