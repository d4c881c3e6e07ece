#!/usr/bin/env bash
# cmake --install, with --prefix and with DESTDIR, puts the program, its
# manual page and its documents where they belong, and the installed
# program flies.
#   install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check_tree() {
  local top=$1
  for file in bin/lm_simulator share/man/man6/lm_simulator.6.gz share/doc/lm-simulator/README.md \
    share/doc/lm-simulator/LICENSE; do
    [ -f "$top/$file" ] || { echo "missing: $top/$file"; exit 1; }
  done
  [ -x "$top/bin/lm_simulator" ] || { echo "not executable: $top/bin/lm_simulator"; exit 1; }
  [ ! -e "$top/games" ] || { echo "the package's copy was installed too: $top/games"; exit 1; }
  "$top/bin/lm_simulator" <"$source/tests/transcripts/two_metres_three_litres.in" >"$work/flight.out"
  cmp "$work/flight.out" "$source/tests/transcripts/two_metres_three_litres.out"
  gzip -t "$top/share/man/man6/lm_simulator.6.gz"
}

cmake --install "$build" --prefix "$work/prefix" >/dev/null
check_tree "$work/prefix"

DESTDIR="$work/staging" cmake --install "$build" --prefix /opt/lm >/dev/null
check_tree "$work/staging/opt/lm"
echo "install: --prefix and DESTDIR trees complete"
