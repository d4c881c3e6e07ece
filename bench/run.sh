#!/usr/bin/env bash
# Benchmarks of lm_simulator as scripts and autopilots use it, printed as
# the two tables of the README's figures.
#
#   bench/run.sh [runs]     (default 5 runs per timing; medians are shown)
#
# Builds Release trees in build-bench/ and build-bench-soft/ (and
# build-bench-wasm/ with Emscripten, when installed), writes its own input
# files, and sends the output of every flight to /dev/null.
#
# Instruction counts come from valgrind's callgrind, with the program in an
# empty environment (env -i): the dynamic loader and the C library's
# start-up read the environment, so a login shell's adds thousands of
# instructions to a short flight. They are the same on every run of the
# same build with the same C library. Wall times are medians and depend on
# the machine and its load; the times compared as ratios are taken in
# turns, run by run, so that both sides see the same load. Write and read
# calls are counted with strace. valgrind, strace and Emscripten are
# optional: without them their figures say n/a.
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

# Prints the number with thousands separators, rounded to a whole number.
commas() {
  awk -v n="$1" 'BEGIN { s = sprintf("%.0f", n); r = ""
    while (length(s) > 3) { r = "," substr(s, length(s) - 2) r; s = substr(s, 1, length(s) - 3) }
    print s r }'
}
# Prints the number rounded to three significant digits, with separators.
three_digits() {
  commas "$(awk -v n="$1" 'BEGIN { e = int(log(n) / log(10)) - 2; p = 10 ^ e; print int(n / p + 0.5) * p }')"
}
# Prints a / b with two decimals.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# Prints a / b with three decimals.
per() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

# Prints the median of the numbers on standard input.
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Prints the wall time in seconds of one run of the command.
wall_once() {
  local start=$EPOCHREALTIME
  "$@"
  echo "$EPOCHREALTIME - $start" | bc -l
}
# Prints the median wall time in seconds of `runs` runs of the command.
time_median() {
  for _ in $(seq "$runs"); do wall_once "$@"; done | median
}
# Prints the median wall times of two commands, each run `runs` times in
# turns: "first second".
time_pair() {
  local first=$1 second=$2
  for _ in $(seq "$runs"); do
    echo "$(wall_once "$first") $(wall_once "$second")"
  done >"$work/pair"
  echo "$(awk '{ print $1 }' "$work/pair" | median) $(awk '{ print $2 }' "$work/pair" | median)"
}

# Prints the number of seconds simulated in the flight scripted by $1.
simulated_seconds() { "$sim" <"$1" | grep 'Elapsed Time:' | tail -n 1 | awk '{ print $3 }'; }

# Prints the instructions callgrind counts for the program in an empty
# environment, reading the file $2, or "n/a".
instructions() {
  if ! command -v valgrind >/dev/null; then echo n/a; return; fi
  env -i "$(command -v valgrind)" --tool=callgrind --callgrind-out-file=/dev/null "$1" \
    <"$2" 2>&1 >/dev/null | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

scripted() { "$sim" <"$work/hover.in" >/dev/null; }
soft_scripted() { "$soft_sim" <"$work/hover.in" >/dev/null; }
climb_scripted() { "$sim" <"$work/climb.in" >/dev/null; }
short_batch() { for _ in $(seq "$short_flights"); do "$sim" <"$work/short.in" >/dev/null; done; }
pilot_batch() { for _ in $(seq "$pilot_flights"); do "$pilot" >/dev/null; done; }

echo "| flight | simulated s | instructions per simulated s | median wall s | simulated s per wall s |"
echo "|---|---|---|---|---|"
for name in hover climb; do
  seconds=$(simulated_seconds "$work/$name.in")
  if [ $name = hover ]; then wall=$(time_median scripted); else wall=$(time_median climb_scripted); fi
  count=$(instructions "$sim" "$work/$name.in")
  per_second=n/a
  [ "$count" != n/a ] && per_second=$(commas "$(echo "$count / $seconds" | bc -l)")
  printf '| %s | %s | %s | %.3f | %s |\n' "$name" "$(commas "$seconds")" "$per_second" "$wall" \
    "$(three_digits "$(echo "$seconds / $wall" | bc -l)")"
done
hover_seconds=$(simulated_seconds "$work/hover.in")

echo
echo "| | |"
echo "|---|---|"
wall=$(time_median short_batch)
count=$(instructions "$sim" "$work/short.in")
[ "$count" != n/a ] && count=$(commas "$count")
printf '| short flight `2 3 9` | %s instructions, start-up and exit included; %d flights in a median %.3f s, %s flights per s |\n' \
  "$count" "$short_flights" "$wall" "$(three_digits "$(echo "$short_flights / $wall" | bc -l)")"

strip -o "$work/stripped" "$sim"
needed=$(readelf -d "$sim" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p' | paste -sd ' ')
printf '| binary | %s bytes as built, %s bytes stripped (as in the Debian package); needs only %s |\n' \
  "$(commas "$(stat -c %s "$sim")")" "$(commas "$(stat -c %s "$work/stripped")")" "$needed"

prompts=$("$pilot" | grep -o 'Enter ' | wc -l)
wall=$(time_median pilot_batch)
printf '| autopilot over pipes | %d prompts a flight from 1300 m with 500 l; %d flights in a median %.3f s, %s prompts per s |\n' \
  "$prompts" "$pilot_flights" "$wall" "$(three_digits "$(echo "$pilot_flights * $prompts / $wall" | bc -l)")"

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
  printf '| system calls | %s write and %s read per answered prompt, plus one write at exit (%d autopilot flights, %s prompts) |\n' \
    "$(per "$((writes - traced_flights))" "$answered")" "$(per "$reads" "$answered")" "$traced_flights" "$(commas "$answered")"
else
  echo "| system calls | n/a (strace not installed) |"
fi

read -r native soft < <(time_pair scripted soft_scripted)
count=$(instructions "$soft_sim" "$work/hover.in")
[ "$count" != n/a ] && count=$(commas "$(echo "$count / $hover_seconds" | bc -l)")
printf '| software arithmetic | the hover takes %s times as long as with the x87 (medians %.3f s against %.3f s, in turns), at %s instructions per simulated s |\n' \
  "$(ratio "$soft" "$native")" "$soft" "$native" "$count"

# The same hover compiled to WebAssembly and run by Node: the whole
# command, Node's start-up included. A machine-wide NODE_EXTRA_CA_CERTS
# makes every Node start parse that certificate bundle, which measures the
# machine rather than the program, so the ratio is taken without it and
# the time with it is shown beside.
if command -v emcmake >/dev/null && command -v node >/dev/null; then
  wasm_build="$root/build-bench-wasm"
  # emcmake says on stderr what it runs; shown only if the configure fails.
  emcmake cmake -S "$root" -B "$wasm_build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    >/dev/null 2>"$work/emcmake.log" || { cat "$work/emcmake.log" >&2; exit 1; }
  cmake --build "$wasm_build" -j2 --target lm_simulator >/dev/null
  node_scripted() { env -u NODE_EXTRA_CA_CERTS node "$wasm_build/lm_simulator.js" <"$work/hover.in" >/dev/null; }
  read -r node_wall native < <(time_pair node_scripted scripted)
  certs=""
  if [ -n "${NODE_EXTRA_CA_CERTS:-}" ]; then
    certs_scripted() { node "$wasm_build/lm_simulator.js" <"$work/hover.in" >/dev/null; }
    certs=$(printf '; %.3f s with NODE_EXTRA_CA_CERTS as set here' \
      "$(time_median certs_scripted)")
  fi
  printf '| WebAssembly under Node | the hover takes %s times as long as natively (medians %.3f s against %.3f s, in turns), Node'"'"'s start-up included%s |\n' \
    "$(ratio "$node_wall" "$native")" "$node_wall" "$native" "$certs"
else
  echo "| WebAssembly under Node | n/a (Emscripten not installed) |"
fi

# The best landing over a grid of 14,400 starts, in processor time (see
# bench/best_landing_bench.cpp); it exits with 1 if any start is not proven
# within 100 ms, which the row then says.
planner=$("$build/lm_planner_bench") || planner="$planner (not all proven)"
printf '| best landing | %s |\n' "$(printf '%s\n' "$planner" | tail -n 1)"

if [ -x "$build/bench/lm_bench" ]; then
  echo
  "$build/bench/lm_bench" --benchmark_min_time=0.2 2>/dev/null | grep -E '^[a-z_]+ '
fi
