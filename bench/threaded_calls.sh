#!/usr/bin/env bash
# What the helper thread of the blocking calls costs on a fast disk: one program tests the same
# folder alternately with the calls made on the run's own thread and with the calls carried out
# on the helper thread, and prints the cost of the helper in percent of the throughput (target:
# at most 3 %). Each test drops the files' cached pages first, as a real run does. It never
# fails a test run: it is not part of the suite.
#
#   bench/threaded_calls.sh [FOLDER]   (default /var/tmp/vorlaxis-bench-calls; files reused)
#   BENCH_CALLS_MB=256 BENCH_CALLS_FILES=4 BENCH_CALLS_ROUNDS=6 bench/threaded_calls.sh
set -u
source "$(dirname "$0")/lib.sh"
folder="${1:-/var/tmp/vorlaxis-bench-calls}"
mb="${BENCH_CALLS_MB:-256}"
files="${BENCH_CALLS_FILES:-4}"
rounds="${BENCH_CALLS_ROUNDS:-6}"
bench="$root/build/bench/vorlaxis-bench-calls"

bench_build vorlaxis-bench-calls || exit 1

mkdir -p "$folder"
for i in $(seq 1 "$files"); do
  f="$folder/file$i.bin"
  if [ ! -f "$f" ] || [ "$(stat -c %s "$f")" -ne $((mb * 1048576)) ]; then
    head -c $((mb * 1048576)) /dev/urandom > "$f"
  fi
done

echo "folder: $folder ($files files of $mb MiB), $rounds rounds, $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"
"$bench" "$folder" "$rounds"
