#!/bin/sh
# Checks that the link chart in README.md is the one link-chart prints from
# the program's own link table; with --update, writes it there instead.
#
# Usage: link_chart.sh [--update] README PROGRAM [ARG...]
#   README   the file holding the chart between the lines
#            "<!-- link-chart begin -->" and "<!-- link-chart end -->"
#   PROGRAM  link-chart, or an emulator followed by it; its Shift_JIS output
#            is converted to UTF-8. With COMBO_CRLF=1 its lines end in CR LF.
# Exit status 0 when the two agree (or the README was updated), 1 otherwise.
set -u
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/../tools/lib.sh"
update=0
if [ "${1:-}" = --update ]; then
  update=1
  shift
fi
readme=$1
shift
begin='<!-- link-chart begin -->'
end='<!-- link-chart end -->'
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT

"$@" >"$work/sjis" || { echo "FAIL: link-chart ended with status $?"; exit 1; }
if [ "${COMBO_CRLF:-0}" = 1 ]; then
  without_cr "$work/sjis" >"$work/lf" && mv "$work/lf" "$work/sjis"
fi
iconv -f SHIFT_JIS -t UTF-8 "$work/sjis" >"$work/chart" || {
  echo "FAIL: link-chart's output is not Shift_JIS"
  exit 1
}

if [ "$(grep -cxF "$begin" "$readme")" != 1 ] ||
  [ "$(grep -cxF "$end" "$readme")" != 1 ]; then
  echo "FAIL: $readme needs one line '$begin' and one '$end'"
  exit 1
fi

if [ "$update" = 1 ]; then
  awk -v begin="$begin" -v end="$end" -v chart="$work/chart" '
    $0 == end { inside = 0 }
    !inside { print }
    $0 == begin { while ((getline line < chart) > 0) print line; inside = 1 }
  ' "$readme" >"$work/readme" && cat "$work/readme" >"$readme"
  exit
fi

awk -v begin="$begin" -v end="$end" '
  $0 == end { inside = 0 }
  inside { print }
  $0 == begin { inside = 1 }
' "$readme" >"$work/readme-chart"
if ! cmp -s "$work/chart" "$work/readme-chart"; then
  echo "FAIL: the link chart in $readme is not the program's (- README," \
    "+ link-chart):"
  diff -u "$work/readme-chart" "$work/chart" | tail -n +3
  echo "To bring the README up to date: tests/link_chart.sh --update" \
    "README.md build/link-chart"
  exit 1
fi
