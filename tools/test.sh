#!/usr/bin/env bash
# Installs what is missing, builds the engine and its tests, and runs every test.
#   tools/test.sh              release build in build/
#   tools/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh

build=build
options=(-DCMAKE_BUILD_TYPE=Release)
if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DRAVELIN_SANITIZE=ON -DRAVELIN_BENCH=OFF)
fi

cmake -S . -B "$build" -G Ninja -DRAVELIN_WERROR=ON "${options[@]}" >/dev/null
cmake --build "$build"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
