#!/usr/bin/env bash
# Benchmark of vorlaxis-check against the standard tools doing the same work on the same files.
# Builds a corpus (large files, and 49152 small files in a few thousand directories), runs each
# tool with the page cache dropped first (where the machine allows it) and once warm, and prints
# the ratios with their targets. It never fails a test run: it is not part of the suite.
#
#   bench/run.sh [CORPUS_DIR]      (default /var/tmp/vorlaxis-bench; reused when present)
#   BENCH_LARGE_MB=256 BENCH_LARGE_FILES=3 BENCH_MEMORY_DIR=/dev/shm bench/run.sh
set -u
source "$(dirname "$0")/lib.sh"
corpus="${1:-/var/tmp/vorlaxis-bench}"
large_mb="${BENCH_LARGE_MB:-256}"
large_files="${BENCH_LARGE_FILES:-3}"
check="$root/build/cli/vorlaxis-check"

walker="$root/build/bench/bench_walk_table"
if [ ! -x "$check" ] || [ ! -x "$walker" ]; then bench_build vorlaxis-check bench_walk_table || exit 1; fi

make_corpus() {
  mkdir -p "$corpus/large" "$corpus/small"
  for i in $(seq 1 "$large_files"); do
    f="$corpus/large/file$i.bin"
    if [ ! -f "$f" ] || [ "$(stat -c %s "$f")" -ne $((large_mb * 1048576)) ]; then
      head -c $((large_mb * 1048576)) /dev/urandom > "$f"
    fi
  done
  if [ "$(find "$corpus/small" -type f | wc -l)" -ne 49152 ]; then
    rm -rf "$corpus/small" && mkdir -p "$corpus/small"
    python3 - "$corpus/small" <<'PY'
import os, sys
base = sys.argv[1]
block = os.urandom(4096)
for d in range(3072):                     # 3072 directories of 16 files: 49152 files
    sub = os.path.join(base, "d%02d" % (d // 64), "d%04d" % d)
    os.makedirs(sub, exist_ok=True)
    for f in range(16):
        with open(os.path.join(sub, "f%02d.bin" % f), "wb") as out:
            out.write(block)
PY
  fi
}

can_drop=0
if [ -w /proc/sys/vm/drop_caches ]; then can_drop=1; fi
drop() { if [ "$can_drop" = 1 ]; then sync; echo 3 > /proc/sys/vm/drop_caches; fi; }

# Wall seconds of a command (output discarded), cache dropped first unless WARM=1; the best of
# BENCH_REPEAT runs (default 3), since other work on the machine only ever adds time.
secs() {
  local best="" t0 t1 t
  for _ in $(seq 1 "${BENCH_REPEAT:-3}"); do
    [ "${WARM:-0}" = 1 ] || drop
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s.%N)
    t=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", b - a }')
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
  done
  echo "$best"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mbps() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.0f", a / 1048576 / b }'; }

dd_all() { for f in "$corpus"/large/*.bin; do dd if="$f" of=/dev/null bs=48k status=none; done; }
sum_all() { sum -s "$corpus"/large/*.bin; }
cat_small() { find "$corpus/small" -type f -exec cat {} + ; }
find_small() { find "$corpus/small"; }

make_corpus
log="$corpus/bench.log"
bytes=$((large_mb * 1048576 * large_files))
echo "corpus: $corpus ($large_files x $large_mb MiB; 49152 x 4 KiB in 3072 directories)"
echo "note: vorlaxis-check drops each file's cached pages before reading it (a media test reads"
echo "      the medium), so its warm runs read the medium again while the other tools read memory"
echo "page cache dropped before cold runs: $([ "$can_drop" = 1 ] && echo yes || echo no, not permitted)"
echo

for warm in 0 1; do
  export WARM=$warm
  label=$([ "$warm" = 1 ] && echo warm || echo cold)
  t_check=$(secs "$check" --log "$log" "$corpus/large")
  t_dd=$(secs dd_all)
  t_sum=$(secs sum_all)
  t_16=$(secs "$check" --mode 16 --log "$log" "$corpus/large")
  t_small=$(secs "$check" --log "$log" "$corpus/small")
  t_cat=$(secs cat_small)
  t_walk=$(secs "$walker" "$corpus/small/")
  t_find=$(secs find_small)
  echo "[$label]"
  printf "  full read:   vorlaxis-check %6.2f s (%s MB/s), dd bs=48k %6.2f s (%s MB/s), sum -s %6.2f s (%s MB/s)\n" \
    "$t_check" "$(mbps $bytes $t_check)" "$t_dd" "$(mbps $bytes $t_dd)" "$t_sum" "$(mbps $bytes $t_sum)"
  echo "    throughput vs dd:      $(ratio "$t_dd" "$t_check")x   (target >= 0.85)"
  echo "    throughput vs sum -s:  $(ratio "$t_sum" "$t_check")x   (target >= 2; ceiling here, dd vs sum -s: $(ratio "$t_sum" "$t_dd")x)"
  echo "  mode 16:     $t_16 s; wall vs full read: $(ratio "$t_16" "$t_check")x   (target <= 0.25)"
  echo "  49152 small: vorlaxis-check $t_small s, find -exec cat $t_cat s; wall ratio $(ratio "$t_small" "$t_cat")x   (target <= 1.5)"
  echo "  walk+table:  $t_walk s, find $t_find s; wall ratio $(ratio "$t_walk" "$t_find")x   (target <= 2)"
  echo
done

# The large files once more on a medium as fast as memory (a tmpfs): there no tool waits for a
# disk, so the cost of the work itself shows. Reading through read() copies every byte, so no
# reader can beat dd here; dd's own lead over sum -s is printed as that ceiling.
mem="${BENCH_MEMORY_DIR:-/dev/shm}/vorlaxis-bench-memory"
need_kb=$((large_mb * 1024 * large_files + 65536))
if [ -d "$(dirname "$mem")" ] && [ "$(df -Pk "$(dirname "$mem")" | awk 'NR == 2 { print $4 }')" -gt "$need_kb" ] &&
  [ "$(df -Pk "$(dirname "$mem")" | awk 'NR == 2 { print $1 }')" = tmpfs ]; then
  mkdir -p "$mem/large" && cp "$corpus"/large/*.bin "$mem/large/"
  export WARM=1
  t_check=$(secs "$check" --log "$log" "$mem/large")
  t_dd=$(secs sh -c 'for f in "$0"/*.bin; do dd if="$f" of=/dev/null bs=48k status=none; done' "$mem/large")
  t_sum=$(secs sh -c 'sum -s "$0"/*.bin' "$mem/large")
  rm -rf "$mem"
  echo "[memory medium: $(dirname "$mem"), a tmpfs]"
  printf "  full read:   vorlaxis-check %6.2f s (%s MB/s), dd bs=48k %6.2f s (%s MB/s), sum -s %6.2f s (%s MB/s)\n" \
    "$t_check" "$(mbps $bytes $t_check)" "$t_dd" "$(mbps $bytes $t_dd)" "$t_sum" "$(mbps $bytes $t_sum)"
  echo "    throughput vs dd:      $(ratio "$t_dd" "$t_check")x   (target >= 0.85)"
  echo "    throughput vs sum -s:  $(ratio "$t_sum" "$t_check")x   (target >= 2; ceiling here, dd vs sum -s: $(ratio "$t_sum" "$t_dd")x)"
  echo
else
  echo "[memory medium: no tmpfs with $((need_kb / 1024)) MiB free at $(dirname "$mem"); set BENCH_MEMORY_DIR]"
  echo
fi

if [ -x /usr/bin/time ]; then
  peak=$(/usr/bin/time -f %M "$check" --log "$log" "$corpus/small" 2>&1 >/dev/null | tail -1)
  echo "peak memory of vorlaxis-check with a full table: $((peak / 1024)) MiB ($peak KiB)   (target <= 32 MiB)"
else
  echo "peak memory: /usr/bin/time not installed"
fi
grep -a "po.et soubor" "$log" | head -1
