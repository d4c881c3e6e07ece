#!/usr/bin/env bash
# Static analysis: clang-tidy with the checks in .clang-tidy over every
# source file, and cppcheck. Fails on any finding.
#   tests/static_analysis.sh [build-dir]     (default build-analysis)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-analysis}")
cd "$root"

cmake -S . -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
# The other platforms' raw calls are checked by their own builds, which
# treat warnings as errors too.
sources=$(git ls-files 'model/*.cpp' 'console/*.cpp' 'flight/*.cpp' 'tools/*.cpp' 'tests/*.cpp' 'bench/*.cpp' |
  grep -v -e '^console/platform/windows.cpp$' -e '^console/platform/browser.cpp$')
status=0
# shellcheck disable=SC2086
printf '%s\n' $sources | xargs -P2 -n1 clang-tidy -p "$build" --quiet 2>/dev/null || status=1
# The fuzz target is built only with clang++ and LM_FUZZ; check it on its own.
clang-tidy --quiet fuzz/reader_fuzzer.cpp -- -std=c++17 -Imodel -Iconsole -Itests 2>/dev/null || status=1
[ "$status" -eq 0 ] && echo "clang-tidy: no findings"

# constParameterCallback: benchmark functions must keep the signature that
# Google Benchmark calls them with.
cppcheck --quiet --std=c++17 --enable=warning,style,performance,portability --inline-suppr \
  --suppress=constParameterCallback --library=googletest --error-exitcode=1 \
  -I model -I console -I flight -I tools -I tests \
  -i console/platform/windows.cpp -i console/platform/browser.cpp \
  model console flight tools fuzz bench tests || status=1
[ "$status" -eq 0 ] && echo "cppcheck: no findings"
exit "$status"
