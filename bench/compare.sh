#!/usr/bin/env bash
# A medium compared with the folder it was made from: vorlaxis-check --compare-with against
# `diff -rq SRC PATH` over the same two trees (3 x 256 MiB plus 49152 files of 4 KiB, both on
# the same disk), cold, timed in alternation as bench/run.sh times its pairs. Targets: wall time
# at most 1.0 x diff's, CPU time at most 1.5 x diff's. It never fails a test run: it is not part
# of the suite. The trees are made once and reused.
#
#   bench/compare.sh [FOLDER]   (default /var/tmp/vorlaxis-bench-compare)
#   BENCH_ROUNDS (default 3), BENCH_LARGE_MB (default 256) and BENCH_CHECK override them.
set -u
source "$(dirname "$0")/lib.sh"
folder="${1:-/var/tmp/vorlaxis-bench-compare}"
rounds="${BENCH_ROUNDS:-3}"
large_mb="${BENCH_LARGE_MB:-256}"
check="${BENCH_CHECK:-$root/build/cli/vorlaxis-check}"
if [ ! -x "$check" ]; then bench_build vorlaxis-check || exit 1; fi

# The source: 3 large files and 3072 folders of 16 small ones, each small file its own bytes;
# the medium: a copy of it.
stamp="$folder/.made-$large_mb"
if [ ! -f "$stamp" ]; then
  rm -rf "$folder" && mkdir -p "$folder/source/large" || exit 1
  for i in 1 2 3; do
    head -c $((large_mb * 1048576)) /dev/urandom > "$folder/source/large/file$i.bin"
  done
  python3 - "$folder/source/small" <<'PY'
import os, sys
base = sys.argv[1]
block = os.urandom(4096)
for d in range(3072):
    sub = os.path.join(base, "d%02d" % (d // 64), "d%04d" % d)
    os.makedirs(sub, exist_ok=True)
    for f in range(16):
        with open(os.path.join(sub, "f%02d.bin" % f), "wb") as out:
            out.write(d.to_bytes(2, "little") + f.to_bytes(2, "little") + block[4:])
PY
  cp -a "$folder/source" "$folder/medium" && sync && touch "$stamp"
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
q() { printf %q "$1"; }
# --no-file-limit: the 3 large files come on top of the table's 49152.
check_cmd="$(q "$check") --no-file-limit --log /dev/null --compare-with $(q "$folder/source") $(q "$folder/medium")"
diff_cmd="diff -rq $(q "$folder/source") $(q "$folder/medium")"

echo "bench/compare.sh: $rounds rounds; 3 x $large_mb MiB + 49152 x 4 KiB, source and medium on one disk"
echo "trees in $folder; page cache dropped for cold runs: $([ "$can_drop" = 1 ] && echo yes || echo no, not permitted)"
echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
# Both must find the trees the same, or the times say nothing.
"$check" --no-file-limit --log /dev/null --compare-with "$folder/source" "$folder/medium" >/dev/null 2>&1
check_status=$?
diff -rq "$folder/source" "$folder/medium" >/dev/null 2>&1
diff_status=$?
echo "exit status: vorlaxis-check $check_status, diff $diff_status (both 0 for the same trees)"

COLD=1 pair cmp "$check_cmd" "$diff_cmd"

echo
echo "|                                |   wall s |    CPU s |"
echo "|--------------------------------|----------|----------|"
printf "| %-30s | %8s | %8s |\n" "vorlaxis-check --compare-with" "$cmp_a_wall" "$cmp_a_cpu"
printf "| %-30s | %8s | %8s |\n" "diff -rq" "$cmp_b_wall" "$cmp_b_cpu"
time_ratio=$(ratio "$cmp_a_wall" "$cmp_b_wall")
cpu_ratio=$(ratio "$cmp_a_cpu" "$cmp_b_cpu")
echo
echo "time: $time_ratio x diff's (target <= 1.0)  $(met "$time_ratio" "<=" 1.0)"
echo "CPU:  $cpu_ratio x diff's (target <= 1.5)  $(met "$cpu_ratio" "<=" 1.5)"
exit 0
