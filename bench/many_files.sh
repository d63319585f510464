#!/usr/bin/env bash
# A million files with --no-file-limit: vorlaxis-check against `find -type f -exec cat {} +`
# over the same tree, with the peak memory of the test (targets: time at most 1.0 x find's,
# peak RSS at most 256 MiB). The tree is made once and reused. It never fails a test run: it is
# not part of the suite.
#
#   bench/many_files.sh [FOLDER]   (default /dev/shm/vorlaxis-bench-many)
#   BENCH_MANY_FILES=1000000 BENCH_MANY_PER_DIR=1000 BENCH_MANY_BYTES=0 bench/many_files.sh
set -u
source "$(dirname "$0")/lib.sh"
folder="${1:-/dev/shm/vorlaxis-bench-many}"
files="${BENCH_MANY_FILES:-1000000}"
per_dir="${BENCH_MANY_PER_DIR:-1000}"
bytes="${BENCH_MANY_BYTES:-0}"
check="${BENCH_CHECK:-$root/build/cli/vorlaxis-check}"

bench_build vorlaxis-check || exit 1

stamp="$folder/.made-$files-$per_dir-$bytes"
if [ ! -f "$stamp" ]; then
  rm -rf "$folder" && mkdir -p "$folder/tree" || exit 1
  python3 - "$folder/tree" "$files" "$per_dir" "$bytes" <<'PY'
import os, sys
top, files, per_dir, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
data = b"v" * size
for i in range(files):
    d = os.path.join(top, "d%05d" % (i // per_dir))
    if i % per_dir == 0:
        os.mkdir(d)
    with open(os.path.join(d, "f%07d" % i), "wb") as f:
        f.write(data)
PY
  touch "$stamp"
fi

echo "tree: $folder/tree ($files files of $bytes bytes, $per_dir a folder), $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"
read -r find_s find_kb < <(/usr/bin/time -f '%e %M' find "$folder/tree" -type f -exec cat {} + 2>&1 >/dev/null | tail -n 1)
read -r check_s check_kb < <(/usr/bin/time -f '%e %M' "$check" --no-file-limit --log /dev/null "$folder/tree" 2>&1 >/dev/null | tail -n 1)
echo "find -type f -exec cat {} +   ${find_s} s"
echo "vorlaxis-check --no-file-limit ${check_s} s"
awk -v a="$check_s" -v b="$find_s" -v kb="$check_kb" 'BEGIN {
  mib = kb / 1024
  printf "peak RSS  %6.0f MiB   (target <= 256)  %s\n", mib, mib <= 256 ? "met" : "NOT MET"
  if (b > 0) printf "time      %6.2f x find (target <= 1.0)  %s\n", a / b, a / b <= 1.0 ? "met" : "NOT MET"
}'
exit 0
