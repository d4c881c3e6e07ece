#!/usr/bin/env bash
# What configuring says when something is missing or wrong: without
# GoogleTest (neither installed nor as sources), the configure step warns,
# the unit tests are left out, and ctest's output ends with the reason and
# the package to install; with a changelog whose newest entry is another
# version than project()'s, configuring stops and says so.
#   tests/configure_test.sh [work-dir]     (default: a temporary directory)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$(mktemp -d)}
mkdir -p "$work"
fail() {
  echo "configure_test: $*" >&2
  exit 1
}

# Without GoogleTest: only its configure and ctest's listing are needed, so
# nothing is built.
cmake -S "$root" -B "$work/no-gtest" -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
  -DLM_GOOGLETEST_SOURCE="$work/nowhere" -DLM_BENCHMARKS=OFF >"$work/no-gtest.log" 2>&1 ||
  fail "configure failed without GoogleTest: $(cat "$work/no-gtest.log")"
grep -q "GoogleTest is not installed: install Debian's libgtest-dev" "$work/no-gtest.log" ||
  fail "configure did not say that GoogleTest is missing"
(cd "$work/no-gtest" && ctest --output-on-failure -R googletest_missing) >"$work/ctest.log" 2>&1 ||
  fail "ctest failed: $(cat "$work/ctest.log")"
grep -q "googletest_missing (Skipped)" "$work/ctest.log" || fail "googletest_missing was not skipped"
tail -n 1 "$work/ctest.log" | grep -q "^googletest_missing: GoogleTest is not installed: install Debian's libgtest-dev" ||
  fail "ctest's output does not end with the reason: $(tail -n 3 "$work/ctest.log")"
listed=$(cd "$work/no-gtest" && ctest -N)
grep -q "Transcript\." <<<"$listed" || fail "the transcripts were left out too"

# A changelog that names another version: a copy of the sources with the
# newest entry's version changed.
mkdir -p "$work/source"
(cd "$root" && git ls-files -z | xargs -0 cp --parents -t "$work/source")
sed -i '1s/(\([^)]*\))/(\1.1)/' "$work/source/docs/changelog"
if cmake -S "$work/source" -B "$work/changelog" -DBUILD_TESTING=OFF -DLM_BENCHMARKS=OFF \
  >"$work/changelog.log" 2>&1; then
  fail "configure accepted a changelog of another version"
fi
grep -q "docs/changelog's newest entry is for version" "$work/changelog.log" ||
  fail "configure did not name the changelog: $(cat "$work/changelog.log")"
echo "configure: says what is missing without GoogleTest, and refuses a changelog of another version"
