#!/usr/bin/env bash
# A mutation check of the core, outside the test run: each slip of scripts/mutants.txt (a bound
# off by one, a swapped condition, a skipped error check, a wrong escape) is put alone into a
# copy of the last commit's source, the programs are built and the test programs run, the slip's
# folder's own first; a slip that no test notices survives. The working tree is never touched.
# Prints one line per slip and the score; exits non-zero when a slip survived.
#
#   bash scripts/mutants.sh [DIR] [WORD]   (DIR default build-mutants: the copy and its build;
#                                           WORD: only the slips whose header contains it)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$(realpath -m "${1:-build-mutants}")
only=${2:-}
export QT_QPA_PLATFORM=offscreen
slips_file=$PWD/scripts/mutants.txt

# The copy: a detached worktree at the last commit, kept between runs for the build's sake.
root=$dir/src
build=$dir/build
if [ ! -d "$root/.git" ] && [ ! -f "$root/.git" ]; then
  mkdir -p "$dir"
  git worktree add --detach "$root" HEAD >/dev/null 2>&1
fi
git -C "$root" checkout --detach -q --force "$(git rev-parse HEAD)"
git -C "$root" clean -fdq

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER_LAUNCHER="$(command -v ccache || true)" >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null

# The test programs, the slip's folder's own first (tests/<folder>/).
programs() {
  local folder=$1
  find "$build/tests" -maxdepth 2 -type f -perm -u+x -name '*tests*' |
    awk -v f="/tests/$folder/" '{ print (index($0, f) ? 0 : 1) " " $0 }' | sort | cut -d' ' -f2-
}

saved=$(mktemp)
current=""
restore() { [ -n "$current" ] && cp "$saved" "$root/$current"; current=""; }
trap 'restore; rm -f "$saved"' EXIT

# The slips as "file<US>header<US>before<US>after" records, one per NUL.
slips=$(mktemp)
python3 - "$slips_file" >"$slips" <<'PY'
import sys
blocks, block, part = [], None, None
for line in open(sys.argv[1], encoding="utf-8").read().split("\n"):
    if line.startswith("#"):
        continue
    if line.startswith("== "):
        block = {"header": line[3:], "-": [], "+": []}
        blocks.append(block)
        part = None
    elif block is not None and line[:2] in ("- ", "+ "):
        part = line[0]
        block[part].append(line[2:])
    elif block is not None and part and line.strip():
        block[part].append(line)
    else:
        part = None
for b in blocks:
    file = b["header"].split(":", 1)[0]
    sys.stdout.write("\x1f".join([file, b["header"], "\n".join(b["-"]), "\n".join(b["+"])]) + "\0")
PY

total=0 killed=0 survived=0 stale=0
while IFS=$'\x1f' read -r -d '' file header before after; do
  [ -n "$only" ] && [[ "$header" != *"$only"* ]] && continue
  total=$((total + 1))
  cp "$root/$file" "$saved"
  if ! python3 - "$root/$file" "$before" "$after" <<'PY'; then
import sys
path, before, after = sys.argv[1:4]
text = open(path, encoding="utf-8").read()
if text.count(before) != 1:
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(before, after))
PY
    echo "STALE     $header"
    stale=$((stale + 1))
    continue
  fi
  current=$file
  verdict="SURVIVED"
  if ! cmake --build "$build" -j "$(nproc)" >/dev/null 2>&1; then
    verdict="killed (does not build)"
  else
    while read -r program; do
      if ! (cd "$(dirname "$program")" && timeout 600 "$program" --gtest_brief=1 >/dev/null 2>&1); then
        verdict="killed by $(basename "$program")"
        break
      fi
    done < <(programs "$(dirname "$file")")
  fi
  restore
  echo "$verdict  $header"
  if [ "$verdict" = SURVIVED ]; then survived=$((survived + 1)); else killed=$((killed + 1)); fi
done <"$slips"
rm -f "$slips"
cmake --build "$build" -j "$(nproc)" >/dev/null  # back to the source as it is
echo "mutants: $killed of $((total - stale)) slips noticed, $survived survived, $stale stale"
[ "$survived" -eq 0 ]
