#!/usr/bin/env bash
# How fast the web page takes a paste of 200,000 answers in each browser
# engine, printed as the README's table of it.
#
#   bench/browser_paste.sh [runs]     (default 5 runs per engine; medians are shown)
#
# Builds a Release tree of the page in build-bench-wasm/ (as bench/run.sh
# does) and runs the browser test's paste case there, in one engine at a
# time: it pastes the answers at once, and says after how long the verdict
# came, the longest the page's timers were held up at a time (how long the
# tab stopped answering), and the highest JavaScript heap (Chromium alone
# tells it). The test itself only fails a paste that never ends or holds
# the tab for seconds; the figures depend on the machine and its load.
# Needs Emscripten, Node, the test's npm packages and the browsers.
set -euo pipefail

runs=${1:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-bench-wasm"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
emcmake cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  >/dev/null 2>"$work/emcmake.log" || { cat "$work/emcmake.log" >&2; exit 1; }
cmake --build "$build" -j2 --target lm_simulator lm_page_program lm_page_scripts >/dev/null

# Prints the median of the numbers on standard input, or n/a without any.
median() {
  sort -g | awk '{ v[NR] = $1 } END {
    if (NR == 0) print "n/a"; else print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "| engine | runs | median s to the verdict (range) | median longest hold-up ms | median highest heap MB |"
echo "|---|---|---|---|---|"
for engine in chromium firefox webkit; do
  for _ in $(seq "$runs"); do
    node "$root/tests/browser/browser_test.mjs" "$build/web" "$root/tests/transcripts" \
      --program "$build/lm_simulator.js" --engines "$engine" --only 'paste of 200 000' || true
  done >"$work/$engine.log"
  # "  chromium: 200001 answers pasted: verdict after 7.12 s, busy 542 ms at most at a time,
  #  heap at most 92.4 MB" (or "?" where the engine does not tell its heap)
  sed -n 's/.* answers pasted: verdict after \([0-9.]*\) s, busy \([0-9]*\) ms .* at most \([0-9.?]*\) MB$/\1 \2 \3/p' \
    "$work/$engine.log" >"$work/$engine.figures"
  count=$(wc -l <"$work/$engine.figures")
  range=$(sort -g "$work/$engine.figures" | awk 'NR == 1 { low = $1 } { high = $1 } END { if (NR) printf " (%s to %s)", low, high }')
  printf '| %s | %d of %d | %s%s | %s | %s |\n' "$engine" "$count" "$runs" \
    "$(awk '{ print $1 }' "$work/$engine.figures" | median)" "$range" \
    "$(awk '{ print $2 }' "$work/$engine.figures" | median)" \
    "$(awk '$3 != "?" { print $3 }' "$work/$engine.figures" | median)"
done
