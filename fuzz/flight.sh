#!/usr/bin/env bash
# Fuzzes whole flights: builds lm_simulator with AFL++'s compiler and
# AddressSanitizer, and runs afl-fuzz on it from the transcript inputs.
#
#   fuzz/flight.sh [seconds] [build-dir]     (default 60 s, build-afl)
#
# Fails if AFL++ finds a crash or a hang; a hang is an input that keeps
# the program running for more than a second, which no finite input
# should. Installs AFL++ (Debian's afl++) when it is missing (needs root).
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${2:-$root/build-afl}")

if ! command -v afl-fuzz >/dev/null || ! command -v afl-clang-fast++ >/dev/null; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends afl++
fi

CC=afl-clang-fast CXX=afl-clang-fast++ cmake -S "$root" -B "$build" -DBUILD_TESTING=OFF \
  -DLM_BENCHMARKS=OFF -DLM_SANITIZE=address >/dev/null
cmake --build "$build" -j2 --target lm_simulator >/dev/null

work="$build/afl"
rm -rf "$work"
mkdir -p "$work/seeds"
for seed in "$root"/tests/transcripts/*.in; do
  [ -s "$seed" ] && cp "$seed" "$work/seeds/"
done

# Inputs up to 16 KiB: even the longest flight such an input can script
# (a climb, then the fall back) ends in a small fraction of the second.
export AFL_SKIP_CPUFREQ=1 AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1 AFL_NO_UI=1
export ASAN_OPTIONS=abort_on_error=1:symbolize=0:detect_leaks=0
afl-fuzz -i "$work/seeds" -o "$work/out" -t 1000 -m none -G 16384 -V "$seconds" \
  -- "$build/lm_simulator" >"$work/afl.log" 2>&1 || {
  tail -n 30 "$work/afl.log"
  echo "afl-fuzz failed"
  exit 1
}

stats="$work/out/default/fuzzer_stats"
field() { sed -n "s/^$1 *: *//p" "$stats"; }
crashes=$(find "$work/out/default/crashes" -type f ! -name README.txt | wc -l)
hangs=$(find "$work/out/default/hangs" -type f | wc -l)
echo "afl-fuzz: $(field execs_done) executions in $(field run_time) s, $(field corpus_count) inputs" \
  "in the corpus, $crashes crashes, $hangs hangs"
if [ "$crashes" -ne 0 ] || [ "$hangs" -ne 0 ]; then
  echo "found in $work/out/default/crashes and $work/out/default/hangs"
  exit 1
fi
