# Sourced by the bench scripts: the project's root and building what a bench runs.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Builds the given targets in the default build, configuring it first when there is none.
bench_build() {
  (cd "$root" && { [ -d build ] || cmake --preset default >/dev/null; } &&
    cmake --build build --target "$@" >/dev/null)
}

# The page cache, dropped before a cold run where this user may (root).
can_drop=0
if [ -w /proc/sys/vm/drop_caches ]; then can_drop=1; fi
drop() { if [ "$can_drop" = 1 ]; then sync; echo 3 > /proc/sys/vm/drop_caches; fi; }

# One run of a command (output discarded), the page cache dropped first when COLD=1: prints
# "wall cpu" in seconds, the CPU time being user + system of the command and everything it
# started (the shell's own counts for its children, to the millisecond).
run_once() {
  [ "${COLD:-0}" = 1 ] && drop
  local t0 t1 cpu
  t0=$(date +%s.%N)
  cpu=$( ("$@" >/dev/null 2>&1; times) | tail -1)
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" -v c="$cpu" 'BEGIN {
    n = split(c, f, /[ms ]+/)  # "0m0.120s 0m0.034s": minutes and seconds, user then system
    printf "%.3f %.3f\n", b - a, f[1] * 60 + f[2] + f[3] * 60 + f[4] }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# pair NAME "A command" "B command": $rounds rounds of A and B in alternation, their times kept
# in $tmp; sets NAME_a_wall, NAME_a_cpu, NAME_b_wall, NAME_b_cpu to the medians.
pair() {
  local name=$1 r
  local -a cmd=("$2" "$3") tag=(a b)
  : > "$tmp/a" && : > "$tmp/b"
  for r in $(seq 1 "$rounds"); do
    local i=$(((r + 1) % 2)) j=$((r % 2))  # A first in odd rounds, B first in even ones
    run_once bash -c "${cmd[i]}" >/dev/null  # thrown away
    run_once bash -c "${cmd[i]}" >> "$tmp/${tag[i]}"
    run_once bash -c "${cmd[j]}" >> "$tmp/${tag[j]}"
  done
  printf -v "${name}_a_wall" %s "$(cut -d' ' -f1 "$tmp/a" | median)"
  printf -v "${name}_a_cpu" %s "$(cut -d' ' -f2 "$tmp/a" | median)"
  printf -v "${name}_b_wall" %s "$(cut -d' ' -f1 "$tmp/b" | median)"
  printf -v "${name}_b_cpu" %s "$(cut -d' ' -f2 "$tmp/b" | median)"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
# met RATIO OP TARGET
met() { awk -v r="$1" -v op="$2" -v t="$3" 'BEGIN { if (r == "n/a") print "?"; else if (op == ">=" ? r >= t : r <= t) print "yes"; else print "NO" }'; }
