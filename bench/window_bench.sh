#!/usr/bin/env bash
# Window benchmark: the bench corpus tested through the real main window (offscreen) against
# vorlaxis-check on the same corpus, both cold (page cache dropped first where permitted).
# Prints the wall times, their ratio (target: at most 1.10) and the longest gap between two
# event-loop turns of the window during the run (target: under 100 ms). Never part of the suite.
#
#   bench/window_bench.sh [CORPUS_DIR]     (default /var/tmp/vorlaxis-bench, as bench/run.sh)
set -u
source "$(dirname "$0")/lib.sh"
corpus="${1:-/var/tmp/vorlaxis-bench}"
check="$root/build/cli/vorlaxis-check"
window="$root/build/bench/vorlaxis-bench-window"

bench_build vorlaxis-check vorlaxis-bench-window || exit 1
if [ ! -d "$corpus/large" ] || [ ! -d "$corpus/small" ]; then
  echo "window_bench: no corpus at $corpus; bench/run.sh builds it" >&2
  exit 0
fi

can_drop=0
if [ -w /proc/sys/vm/drop_caches ]; then can_drop=1; fi
drop() { if [ "$can_drop" = 1 ]; then sync; echo 3 > /proc/sys/vm/drop_caches; fi; }

# Wall seconds of vorlaxis-check on one folder, cold.
check_secs() {
  drop
  local t0 t1
  t0=$(date +%s.%N)
  "$check" "$1" >/dev/null 2>&1
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }'
}

# The window's own timing of the batch (from the start click to the unlocked window), cold.
window_run() {
  drop
  VORLAXIS_BENCH_CORPUS="$1" QT_QPA_PLATFORM=offscreen \
    "$window" 2>/dev/null | grep '^window_seconds='
}

echo "corpus: $corpus; page cache dropped before each run: $([ "$can_drop" = 1 ] && echo yes || echo no)"
printf "%-8s %10s %10s %7s %14s  %s\n" part check_s window_s ratio longest_gap_ms files
for part in large small; do
  best_check="" best_window="" gap="" files=""
  for _ in $(seq 1 "${BENCH_REPEAT:-2}"); do
    c=$(check_secs "$corpus/$part")
    line=$(window_run "$corpus/$part")
    w=$(echo "$line" | sed -n 's/.*window_seconds=\([0-9.]*\).*/\1/p')
    g=$(echo "$line" | sed -n 's/.*longest_gap_ms=\([0-9.]*\).*/\1/p')
    files=$(echo "$line" | sed -n 's/.*files=\([0-9]*\).*/\1/p')
    if [ -z "$best_check" ] || awk -v a="$c" -v b="$best_check" 'BEGIN { exit !(a < b) }'; then best_check=$c; fi
    if [ -n "$w" ] && { [ -z "$best_window" ] || awk -v a="$w" -v b="$best_window" 'BEGIN { exit !(a < b) }'; }; then best_window=$w; gap=$g; fi
  done
  ratio=$(awk -v a="$best_window" -v b="$best_check" 'BEGIN { if (b > 0 && a != "") printf "%.2f", a / b; else print "n/a" }')
  printf "%-8s %10s %10s %7s %14s  %s\n" "$part" "$best_check" "${best_window:-n/a}" "$ratio" "${gap:-n/a}" "${files:-?}"
done
echo "targets: window/check at most 1.10; longest gap under 100 ms"
