#!/usr/bin/env bash
# The manual page formats without a single warning from man and groff, and
# names the version being built.
#   man_page_test.sh PAGE VERSION
set -euo pipefail
page=$1
version=$2
# Without man there is nothing to check: skipped (CI installs it), and why
# is said at the end of the ctest run, through the file LM_SKIP_NOTE names.
if ! command -v man >/dev/null; then
  reason="man_page skipped: man is not installed (Debian package man-db)"
  echo "$reason"
  [ -z "${LM_SKIP_NOTE:-}" ] || echo "$reason" >>"$LM_SKIP_NOTE"
  exit 77
fi

warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
  printf 'man reports:\n%s\n' "$warnings"
  exit 1
fi
text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null)
for heading in NAME SYNOPSIS DESCRIPTION INPUT "EXIT STATUS" EXAMPLES VERSION; do
  grep -qx "$heading" <<<"$text" || { echo "no $heading section"; exit 1; }
done
grep -q "lm_simulator $version" <<<"$text" || { echo "the page does not name version $version"; exit 1; }
echo "manual page: no warnings, all sections, version $version"
