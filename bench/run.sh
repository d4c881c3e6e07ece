#!/usr/bin/env bash
# Benchmarks of lm_simulator as scripts and autopilots use it.
#
#   bench/run.sh [runs]     (default 5 runs per timing; medians are shown)
#
# Builds a Release tree in build-bench/ (and build-bench-wasm/ with
# Emscripten, when installed), writes its own input files, and
# prints one table. Output of every flight goes to /dev/null. Instruction
# counts come from valgrind's callgrind and do not depend on the machine's
# load; write and read calls are counted with strace. Both tools are
# optional: without them their rows say so.
set -euo pipefail

runs=${1:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null
soft_build="$root/build-bench-soft"
cmake -S "$root" -B "$soft_build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DLM_BENCHMARKS=OFF -DLM_SOFT_EXTENDED=ON >/dev/null
cmake --build "$soft_build" -j2 --target lm_simulator >/dev/null
sim="$build/lm_simulator"
soft_sim="$soft_build/lm_simulator"
pilot="$build/lm_autopilot"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Prints `count` lines holding `answer`.
answers() { awk -v n="$1" -v a="$2" 'BEGIN { for (i = 0; i < n; i++) print a }'; }
{ printf '9999\n2000000000\n'; answers 1000000 5; answers 200 0; } >"$work/hover.in"
{ printf '9999\n9000000\n'; answers 1000000 9; } >"$work/climb.in"
printf '2 3 9\n' >"$work/short.in"
short_flights=200
pilot_flights=200

# Prints the median of the numbers on standard input.
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Prints the median wall time in seconds of `runs` runs of the command.
time_median() {
  for _ in $(seq "$runs"); do
    local start=$EPOCHREALTIME
    "$@"
    echo "$EPOCHREALTIME - $start" | bc -l
  done | median
}

# Prints the number of seconds simulated in the flight scripted by $1.
simulated_seconds() { "$sim" <"$1" | grep 'Elapsed Time:' | tail -n 1 | awk '{ print $3 }'; }

# Prints the instructions callgrind counts for the command, or "n/a".
instructions() {
  if ! command -v valgrind >/dev/null; then echo n/a; return; fi
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
    sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

scripted() { "$sim" <"$1" >/dev/null; }
soft_scripted() { "$soft_sim" <"$1" >/dev/null; }
short_batch() { for _ in $(seq "$short_flights"); do "$sim" <"$work/short.in" >/dev/null; done; }
pilot_batch() { for _ in $(seq "$pilot_flights"); do "$pilot" >/dev/null; done; }

printf '%-12s %14s %12s %20s %18s\n' flight "sim seconds" "median s" "sim s per wall s" "instr per sim s"
for name in hover climb; do
  seconds=$(simulated_seconds "$work/$name.in")
  wall=$(time_median scripted "$work/$name.in")
  count=$(instructions "$sim" <"$work/$name.in")
  per_second=n/a
  [ "$count" != n/a ] && per_second=$(echo "$count / $seconds" | bc)
  printf '%-12s %14d %12.3f %20.0f %18s\n' "$name" "$seconds" "$wall" \
    "$(echo "$seconds / $wall" | bc -l)" "$per_second"
done

native=$(time_median scripted "$work/hover.in")
soft=$(time_median soft_scripted "$work/hover.in")
printf '%-12s hover with the software extended arithmetic: median %.3f s against %.3f s, ratio %.2f; %s instructions per sim s\n' \
  soft "$soft" "$native" "$(echo "$soft / $native" | bc -l)" \
  "$(echo "$(instructions "$soft_sim" <"$work/hover.in") / $(simulated_seconds "$work/hover.in")" | bc)"

# The same hover compiled to WebAssembly and run by Node, when Emscripten
# is installed: the whole command, Node's start-up included. A machine-wide
# NODE_EXTRA_CA_CERTS makes every Node start parse that certificate bundle
# (40 ms of a 90 ms start on a machine that sets it), which measures the
# machine rather than the program, so the ratio is taken without it and
# the time with it is shown beside.
if command -v emcmake >/dev/null && command -v node >/dev/null; then
  wasm_build="$root/build-bench-wasm"
  NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH} emcmake cmake -S "$root" -B "$wasm_build" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  NODE_PATH=/usr/share/nodejs cmake --build "$wasm_build" -j2 --target lm_simulator >/dev/null
  node_scripted() { env -u NODE_EXTRA_CA_CERTS node "$wasm_build/lm_simulator.js" <"$1" >/dev/null; }
  node_wall=$(time_median node_scripted "$work/hover.in")
  native=$(time_median scripted "$work/hover.in")
  printf '%-12s hover under Node: median %.3f s against %.3f s native, ratio %.2f\n' \
    wasm "$node_wall" "$native" "$(echo "$node_wall / $native" | bc -l)"
  if [ -n "${NODE_EXTRA_CA_CERTS:-}" ]; then
    certs_scripted() { node "$wasm_build/lm_simulator.js" <"$1" >/dev/null; }
    printf '%-12s with NODE_EXTRA_CA_CERTS as set here: median %.3f s\n' \
      "" "$(time_median certs_scripted "$work/hover.in")"
  fi
else
  echo "wasm         hover under Node: n/a (Emscripten not installed)"
fi

echo
wall=$(time_median short_batch)
count=$(instructions "$sim" <"$work/short.in")
printf '%-12s %d flights of "2 3 9": median %.3f s, %.0f flights per s, %s instructions per flight\n' \
  short "$short_flights" "$wall" "$(echo "$short_flights / $wall" | bc -l)" "$count"
printf '%-12s %s bytes\n' "binary size" "$(stat -c %s "$sim")"

echo
prompts=$("$pilot" | grep -o 'Enter ' | wc -l)
wall=$(time_median pilot_batch)
printf '%-12s %d autopilot flights from 1300 m, 500 l: %d prompts each, median %.3f s, %.0f prompts per s\n' \
  interactive "$pilot_flights" "$prompts" "$wall" "$(echo "$pilot_flights * $prompts / $wall" | bc -l)"
if command -v strace >/dev/null; then
  cat >"$work/traced" <<TRACED
#!/bin/sh
exec strace -e trace=read,write -o "$work/calls.\$\$" "$sim"
TRACED
  chmod +x "$work/traced"
  traced_flights=20
  for _ in $(seq "$traced_flights"); do LM_SIMULATOR="$work/traced" "$pilot" >/dev/null; done
  # Only reads of standard input and writes of standard output count: the
  # dynamic loader reads the shared libraries too.
  writes=$(cat "$work"/calls.* | grep -c '^write(1,' || true)
  reads=$(cat "$work"/calls.* | grep -c '^read(0,' || true)
  answered=$((traced_flights * prompts))
  printf '%-12s per answered prompt: %.3f writes, %.3f reads (%d flights: %d writes, %d reads, %d prompts; each flight adds one write at exit)\n' \
    "" "$(echo "($writes - $traced_flights) / $answered" | bc -l)" "$(echo "$reads / $answered" | bc -l)" \
    "$traced_flights" "$writes" "$reads" "$answered"
else
  echo "             write and read calls: n/a (strace not installed)"
fi

if [ -x "$build/bench/lm_bench" ]; then
  echo
  "$build/bench/lm_bench" --benchmark_min_time=0.2 2>/dev/null | grep -E '^[a-z_]+ '
fi
