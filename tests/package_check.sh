#!/usr/bin/env bash
# Makes the Debian package and checks it: the file name, the files it
# holds, its control fields, no lintian errors, and a flight flown by the
# program unpacked from it.
#   package_check.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb="$build/lm-simulator_${version}_${arch}.deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB >/dev/null)
[ -f "$deb" ] || { echo "no package $deb"; exit 1; }

dpkg-deb -c "$deb" | awk '{ print $6 }' >"$work/contents"
for file in ./usr/games/lm_simulator ./usr/share/man/man6/lm_simulator.6.gz \
  ./usr/share/doc/lm-simulator/copyright ./usr/share/doc/lm-simulator/changelog.gz; do
  grep -qx "$file" "$work/contents" || { echo "the package lacks $file"; exit 1; }
done
[ "$(dpkg-deb -f "$deb" Package)" = lm-simulator ]
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ]
[ "$(dpkg-deb -f "$deb" Section)" = games ]
dpkg-deb -f "$deb" Depends | grep -q '^libc6' || { echo "no dependencies worked out"; exit 1; }

command -v lintian >/dev/null || { echo "lintian is not installed (Debian package lintian)"; exit 1; }
# The whole report is shown; its errors (lines E:) fail the package below.
lintian --tag-display-limit 0 "$deb" >"$work/lintian" 2>&1 || true
cat "$work/lintian"
if grep -q '^E:' "$work/lintian"; then
  echo "lintian reports errors"
  exit 1
fi

dpkg-deb -x "$deb" "$work/root"
"$work/root/usr/games/lm_simulator" <"$source/tests/transcripts/two_metres_three_litres.in" \
  >"$work/flight.out"
cmp "$work/flight.out" "$source/tests/transcripts/two_metres_three_litres.out"
LC_ALL=C.UTF-8 man --warnings -l "$work/root/usr/share/man/man6/lm_simulator.6.gz" \
  >/dev/null 2>"$work/man"
[ ! -s "$work/man" ] || { cat "$work/man"; exit 1; }
echo "package: $(basename "$deb") complete, no lintian errors, flies"
