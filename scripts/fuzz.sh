#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a bounded time.
#   scripts/fuzz.sh            15 seconds per target
#   FUZZ_SECONDS=300 scripts/fuzz.sh
# Fails when a target crashes or a sanitizer reports; the crashing input is left in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-15}"
targets=(annalex_fuzz_hive annalex_fuzz_ini annalex_fuzz_store annalex_fuzz_command_line
         annalex_fuzz_holiday_rules)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DANNALEX_BUILD_FUZZ=ON -DANNALEX_BUILD_TESTS=OFF -DANNALEX_BUILD_BENCH=OFF \
  -DANNALEX_BUILD_UI=OFF >/dev/null
cmake --build build-fuzz --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
  corpus="build-fuzz/corpus/${target}"
  mkdir -p "$corpus"
  echo "fuzzing ${target} for ${seconds}s"
  (cd build-fuzz && "./fuzz/${target}" -max_total_time="$seconds" -print_final_stats=1 \
     "corpus/${target}" 2>"${target}.log") || {
    tail -n 60 "build-fuzz/${target}.log"
    echo "fuzz target ${target} failed" >&2
    exit 1
  }
  tail -n 3 "build-fuzz/${target}.log"
done
