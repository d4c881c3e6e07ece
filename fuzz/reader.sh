#!/usr/bin/env bash
# Fuzzes the answer reader with libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, starting from fuzz/corpus/.
#
#   fuzz/reader.sh [seconds] [build-dir]     (default 60 s, build-fuzz)
#
# Fails on any crash, leak, sanitizer report or disagreement with the
# harness's reference parse. New inputs are kept in the build directory;
# the committed corpus is not changed.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${2:-$root/build-fuzz}")

CXX=clang++ cmake -S "$root" -B "$build" -DLM_FUZZ=ON -DBUILD_TESTING=OFF \
  -DLM_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j2 --target lm_fuzz_reader >/dev/null

corpus="$build/reader-corpus"
mkdir -p "$corpus"
cp "$root"/fuzz/corpus/* "$corpus/"
"$build/lm_fuzz_reader" -max_total_time="$seconds" -max_len=16384 -rss_limit_mb=512 \
  -print_final_stats=1 "$corpus" >"$build/reader.log" 2>&1 || {
  tail -n 40 "$build/reader.log"
  echo "lm_fuzz_reader found a fault"
  exit 1
}
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/reader.log")
echo "lm_fuzz_reader: $runs executions in $seconds s, no fault"
