#!/usr/bin/env bash
# Benchmark of vorlaxis-check against the standard tools doing the same work on the same files,
# printed as one table: each measure, its ratio, the target and whether it is met.
#
# Every measure is a pair (A and B) timed in alternation, A B, then B A, and so on, with the
# order swapped every round; a discarded run comes before each timed pair (the first read after
# other work often runs slow on a virtual disk). The table gives the medians of the rounds, wall
# time and CPU time (user + system of the command and its children) side by side. It never fails
# a test run: it is not part of the suite. Below the table: the cold start, the floor the disk
# itself sets under mode 16, speeds and peak memory.
#
#   bench/run.sh [--quick|--full] [CORPUS_DIR]     (default --full, /var/tmp/vorlaxis-bench)
#   --quick: 3 rounds over 3 x 64 MiB; --full: 7 rounds over 3 x 256 MiB (the issue's corpus).
#   BENCH_ROUNDS, BENCH_LARGE_MB, BENCH_LARGE_FILES and BENCH_MEMORY_DIR (default /dev/shm)
#   override them; BENCH_CHECK names another vorlaxis-check to time.
set -u
source "$(dirname "$0")/lib.sh"
mode=full
case "${1:-}" in
  --quick) mode=quick; shift ;;
  --full) shift ;;
esac
if [ "$mode" = quick ]; then
  rounds="${BENCH_ROUNDS:-3}" large_mb="${BENCH_LARGE_MB:-64}"
else
  rounds="${BENCH_ROUNDS:-7}" large_mb="${BENCH_LARGE_MB:-256}"
fi
corpus="${1:-/var/tmp/vorlaxis-bench}"
large_files="${BENCH_LARGE_FILES:-3}"
check="${BENCH_CHECK:-$root/build/cli/vorlaxis-check}"  # another build, for a before and after
walker="$root/build/bench/bench_walk_table"
nth="$root/build/bench/bench_nth_blocks"
if [ ! -x "$check" ] || [ ! -x "$walker" ] || [ ! -x "$nth" ]; then
  bench_build vorlaxis-check bench_walk_table bench_nth_blocks || exit 1
fi

make_corpus() {
  mkdir -p "$corpus/large" "$corpus/small"
  rm -f "$corpus"/large/file*.bin.tmp
  for i in $(seq 1 "$large_files"); do
    f="$corpus/large/file$i.bin"
    if [ ! -f "$f" ] || [ "$(stat -c %s "$f")" -ne $((large_mb * 1048576)) ]; then
      head -c $((large_mb * 1048576)) /dev/urandom > "$f"
    fi
  done
  for f in "$corpus"/large/file*.bin; do  # a larger run's files left behind
    n=${f##*/file}; n=${n%.bin}
    if [ "$n" -gt "$large_files" ]; then rm -f "$f"; fi
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

row() {  # measure, A wall/cpu, B wall/cpu, ratio, op, target
  printf "| %-44s | %7s s %7s s | %7s s %7s s | %5s | %s %-4s | %-3s |\n" \
    "$1" "$2" "$3" "$4" "$5" "$6" "$7" "$8" "$(met "$6" "$7" "$8")"
}

tmp=$(mktemp -d)
mem="${BENCH_MEMORY_DIR:-/dev/shm}/vorlaxis-bench-memory"
trap 'rm -rf "$tmp" "$mem"' EXIT
make_corpus
log="$tmp/bench.log"
q() { printf %q "$1"; }
dd_cmd="for f in $(q "$corpus")/large/*.bin; do dd if=\"\$f\" of=/dev/null bs=48k status=none; done"
full_cmd="$(q "$check") --log $(q "$log") $(q "$corpus/large")"
m16_cmd="$(q "$check") --mode 16 --log $(q "$log") $(q "$corpus/large")"
small_cmd="$(q "$check") --log $(q "$log") $(q "$corpus/small")"
cat_cmd="find $(q "$corpus/small") -type f -exec cat {} +"
walk_cmd="$(q "$walker") $(q "$corpus/small/")"
find_cmd="find $(q "$corpus/small") -printf '%s\n'"

echo "bench/run.sh --$mode: $rounds rounds; $large_files x $large_mb MiB; 49152 x 4 KiB in 3072 directories"
echo "corpus $corpus; page cache dropped for cold runs: $([ "$can_drop" = 1 ] && echo yes || echo no, not permitted)"
echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), nice $(nice)"

COLD=1 pair full "$full_cmd" "$dd_cmd"
COLD=1 pair m16 "$m16_cmd" "$full_cmd"
# The floor under mode 16: its blocks alone, all asked for at once, read by a bare reader.
floor_cmd="$(q "$nth") 16 49152 $(q "$corpus")/large/*.bin"
COLD=1 pair floor "$floor_cmd" "$m16_cmd"
COLD=1 pair small "$small_cmd" "$cat_cmd"
COLD=0 pair walk "$walk_cmd" "$find_cmd"
# What every run pays before its first file, from a cold cache: the program's start, the log,
# the medium's identity and the helper thread, on an empty folder.
mkdir -p "$corpus/empty"
empty_cmd="$(q "$check") --log $(q "$log") $(q "$corpus/empty")"
COLD=1 pair empty "$empty_cmd" "dd if=/dev/null of=/dev/null status=none"

# The same large files on a medium as fast as memory (a tmpfs): nothing waits for a disk, so
# the cost of the work itself shows.
need_kb=$((large_mb * 1024 * large_files + 65536))
memory=0
if [ -d "$(dirname "$mem")" ] && [ "$(df -Pk "$(dirname "$mem")" | awk 'NR == 2 { print $4 }')" -gt "$need_kb" ] &&
  [ "$(df -Pk "$(dirname "$mem")" | awk 'NR == 2 { print $1 }')" = tmpfs ]; then
  memory=1
  mkdir -p "$mem/large" && cp "$corpus"/large/*.bin "$mem/large/"
  mem_cmd="$(q "$check") --log $(q "$log") $(q "$mem/large")"
  mem_dd="for f in $(q "$mem")/large/*.bin; do dd if=\"\$f\" of=/dev/null bs=48k status=none; done"
  COLD=0 pair mem "$mem_cmd" "$mem_dd"
  # Fingerprints and the record of the medium: the same read with --history against without.
  mem_history="$(q "$check") --history $(q "$tmp/history") --log $(q "$log") $(q "$mem/large")"
  COLD=0 pair hist "$mem_history" "$mem_cmd"
  rm -rf "$mem"
fi

echo
printf "| %-44s | %-19s | %-19s | %-5s | %-7s | %-3s |\n" measure "A wall     A cpu" "B wall     B cpu" ratio target met
echo "|----------------------------------------------|---------------------|---------------------|-------|---------|-----|"
row "full read vs dd bs=48k, cold (B/A wall)" "$full_a_wall" "$full_a_cpu" "$full_b_wall" "$full_b_cpu" \
  "$(ratio "$full_b_wall" "$full_a_wall")" ">=" 0.98
if [ "$memory" = 1 ]; then
  row "tmpfs full read vs dd (B/A wall)" "$mem_a_wall" "$mem_a_cpu" "$mem_b_wall" "$mem_b_cpu" \
    "$(ratio "$mem_b_wall" "$mem_a_wall")" ">=" 0.95
  row "tmpfs CPU seconds vs dd's (A/B cpu)" "$mem_a_wall" "$mem_a_cpu" "$mem_b_wall" "$mem_b_cpu" \
    "$(ratio "$mem_a_cpu" "$mem_b_cpu")" "<=" 1.3
  row "tmpfs read with records vs without (A/B wall)" "$hist_a_wall" "$hist_a_cpu" "$hist_b_wall" \
    "$hist_b_cpu" "$(ratio "$hist_a_wall" "$hist_b_wall")" "<=" 1.03
else
  echo "| tmpfs: no tmpfs with $((need_kb / 1024)) MiB free at $(dirname "$mem"); set BENCH_MEMORY_DIR |"
fi
row "mode 16 / full read, cold (A/B wall)" "$m16_a_wall" "$m16_a_cpu" "$m16_b_wall" "$m16_b_cpu" \
  "$(ratio "$m16_a_wall" "$m16_b_wall")" "<=" 0.10
row "49152 small vs find -exec cat, cold (A/B)" "$small_a_wall" "$small_a_cpu" "$small_b_wall" \
  "$small_b_cpu" "$(ratio "$small_a_wall" "$small_b_wall")" "<=" 0.9
row "walk+table vs find -printf, warm (A/B wall)" "$walk_a_wall" "$walk_a_cpu" "$walk_b_wall" \
  "$walk_b_cpu" "$(ratio "$walk_a_wall" "$walk_b_wall")" "<=" 1.2
echo

awk -v a="$empty_a_wall" -v c="$empty_a_cpu" -v d="$empty_b_wall" \
  'BEGIN { printf "cold start on an empty folder: vorlaxis-check %.0f ms (CPU %.0f ms), dd %.0f ms\n", a * 1000, c * 1000, d * 1000 }'
# The mode 16 run beside the floor is the one timed in the same rounds as the floor itself.
awk -v f="$floor_a_wall" -v m="$floor_b_wall" -v r="$m16_b_wall" 'BEGIN {
  printf "mode 16 blocks alone (all asked for at once, nothing summed): %.0f ms, mode 16 run %.0f ms (%.2f x the floor); floor / full read %.2f\n", f * 1000, m * 1000, (f > 0 ? m / f : 0), (r > 0 ? f / r : 0) }'
bytes=$((large_mb * 1048576 * large_files))
awk -v b="$bytes" -v a="$full_a_wall" -v d="$full_b_wall" \
  'BEGIN { printf "cold full read: vorlaxis-check %.0f MB/s, dd %.0f MB/s\n", b / 1048576 / a, b / 1048576 / d }'
if [ -x /usr/bin/time ]; then
  peak=$(/usr/bin/time -f %M "$check" --log "$log" "$corpus/small" 2>&1 >/dev/null | tail -1)
  echo "peak memory of vorlaxis-check with a full table: $((peak / 1024)) MiB ($peak KiB)   (target <= 32 MiB)"
fi
