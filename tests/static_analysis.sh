#!/usr/bin/env bash
# Static analysis: clang-tidy with the checks in .clang-tidy over every
# source file, and cppcheck. Fails on any finding, and on any file that
# clang-tidy cannot compile.
#   tests/static_analysis.sh [build-dir]     (default build-analysis)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-analysis}")
cd "$root"

cmake -S . -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
# Every source of this platform's build; the other platforms' raw calls and
# the web page's planner calls are checked by their own builds, which treat
# warnings as errors too, and the fuzz target, built only with clang++ and
# LM_FUZZ, is checked on its own.
mapfile -t sources < <(git ls-files '*.cpp' |
  grep -v -E -e '(^|/)platform/(windows|browser)\.cpp$' -e '^fuzz/' -e '^web/')
mapfile -t fuzz_sources < <(git ls-files 'fuzz/*.cpp')
# Each target's folder is its include directory.
includes=(-Imodel -Iconsole -Iconsole/texts -Iconsole/platform -Iflight -Itools/spawn
  -Itools/autopilot -Itests -Itests/binary64)

status=0
log="$build/clang-tidy.log"
printf '%s\n' "${sources[@]}" | xargs -P2 -n1 clang-tidy -p "$build" --quiet >"$log" 2>&1 || status=1
for source in "${fuzz_sources[@]}"; do
  clang-tidy --quiet "$source" -- -std=c++17 "${includes[@]}" >>"$log" 2>&1 || status=1
done
# Its count of the warnings it hid in system headers is all that is noise.
grep -v -E '^[0-9]+ (warning|error)s? (and [0-9]+ errors? )?generated\.$' "$log" || true
if [ "$status" -eq 0 ]; then
  echo "clang-tidy: no findings in ${#sources[@]} + ${#fuzz_sources[@]} files"
else
  echo "clang-tidy: findings or errors above" >&2
fi

# constParameterCallback: benchmark functions must keep the signature that
# Google Benchmark calls them with.
if cppcheck --quiet --std=c++17 --enable=warning,style,performance,portability --inline-suppr \
  --suppress=constParameterCallback --library=googletest --error-exitcode=1 "${includes[@]}" \
  "${sources[@]}" "${fuzz_sources[@]}"; then
  echo "cppcheck: no findings"
else
  echo "cppcheck: findings above" >&2
  status=1
fi
exit "$status"
