#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while.
#   tools/fuzz.sh [seconds per target, default 20] [target name ...]
# A token dictionary fuzz/<target>.dict is passed with -dict= when it exists.
# Corpora live in build-fuzz/corpus/<target>, seeded from fuzz/seeds/<target> when present
# (read only: libFuzzer adds new inputs to the first folder it is given). Whatever libFuzzer
# keeps of a failing or slow input (crash-*, leak-*, oom-*, timeout-*, slow-unit-*) goes to
# build-fuzz/artifacts/<target>/, never into the working folder.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
seconds=${1:-20}
shift || true
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DRAVELIN_FUZZ=ON -DRAVELIN_TESTS=OFF -DRAVELIN_BENCH=OFF -DRAVELIN_WERROR=ON >/dev/null
cmake --build build-fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/*_fuzz.cpp; do [ -e "$f" ] && targets+=("$(basename "$f" .cpp)"); done
fi
for t in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$t
  artifacts=build-fuzz/artifacts/$t
  mkdir -p "$corpus" "$artifacts"
  seeds=()
  [ -d "fuzz/seeds/$t" ] && seeds=("fuzz/seeds/$t")
  dict=()
  [ -f "fuzz/$t.dict" ] && dict=("-dict=fuzz/$t.dict")
  echo "fuzzing $t for ${seconds}s"
  log=build-fuzz/$t.log
  set +e
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1 \
    "build-fuzz/fuzz/$t" -max_total_time="$seconds" -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "${dict[@]}" "$corpus" "${seeds[@]}" >"$log" 2>&1
  status=$?
  set -e
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
  if [ $status -ne 0 ]; then tail -n 60 "$log"; exit $status; fi
done
