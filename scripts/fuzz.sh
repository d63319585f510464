#!/usr/bin/env bash
# Fuzzes with clang's libFuzzer for a bounded time, split evenly between the targets, each
# starting from its kept corpus in tests/fuzz/corpus/<target>/:
#   settings  the settings file's reader and writer (ReadINIs, WriteINIs, the INI text)
#   optical   the label and serial of a disc: UDF and ISO 9660 / Joliet descriptors
#   disk      the label and serial of a disk: FAT, exFAT and NTFS
#   names     names from listings and label texts: display form, log form, their decoders
#   lists     checksum lists found on a medium (every name and form), whole and in pieces
#   record    a medium's record as the history keeps it (read, written back, read again)
# Usage: scripts/fuzz.sh [seconds for all targets, default 80; 0 only builds] [target...]
# Prints one line per target with its executions.
# Exit status: 0 nothing found; 1 a failing input was found (saved in build-fuzz/findings/<target>/);
# 2 fuzzing could not run on this machine (no clang or libFuzzer, or the build failed);
# 3 a target stopped for a slow or memory-hungry input (reported, not a proven fault).
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2
seconds=${1:-80}
shift $(($# > 0 ? 1 : 0))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(settings optical disk names lists record)

if ! command -v clang++ >/dev/null; then
  echo "fuzz: clang++ not found, fuzzing skipped" >&2
  exit 2
fi
mkdir -p build-fuzz
if ! cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORLAXIS_BUILD_GUI=OFF -DVORLAXIS_BUILD_TESTS=OFF \
    -DVORLAXIS_FUZZ=ON -DVORLAXIS_WERROR=OFF \
    "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
    "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" >build-fuzz/build.log 2>&1 ||
   ! cmake --build build-fuzz --target make_seed ini_fuzzer optical_fuzzer disk_fuzzer \
       names_fuzzer lists_fuzzer record_fuzzer >>build-fuzz/build.log 2>&1; then
  echo "fuzz: the fuzz targets did not build (see build-fuzz/build.log), fuzzing skipped" >&2
  exit 2
fi
[ "$seconds" -gt 0 ] || exit 0

share=$((seconds / ${#targets[@]} > 0 ? seconds / ${#targets[@]} : 1))
result=0
for target in "${targets[@]}"; do
  case $target in
    settings) binary=ini_fuzzer max_len=8192 ;;
    optical | disk) binary=${target}_fuzzer max_len=16384 ;;
    names) binary=names_fuzzer max_len=256 ;;  # NAME_MAX
    lists) binary=lists_fuzzer max_len=65536 ;;
    record) binary=record_fuzzer max_len=4096 ;;
    *) echo "fuzz: no target $target" >&2; exit 2 ;;
  esac
  work=build-fuzz/corpus/$target findings=build-fuzz/findings/$target log=build-fuzz/$target.log
  mkdir -p "$work" "$findings"
  rm -f "$findings"/*
  "./build-fuzz/tests/fuzz/$binary" "$work" "tests/fuzz/corpus/$target" \
    -max_total_time="$share" -max_len=$max_len -timeout=60 -rss_limit_mb=2048 \
    -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  echo "fuzz: $target, $share s, ${runs:-?} executions ($((${runs:-0} / share))/s)," \
    "$(ls "$work" | wc -l) inputs in the work corpus"
  # The kind of a finding shows in the name of the input libFuzzer saved.
  if compgen -G "$findings/crash-*" >/dev/null || compgen -G "$findings/leak-*" >/dev/null; then
    echo "fuzz: $target: FAILING INPUT FOUND (kept in $findings/):" >&2
    grep -E 'ERROR|property broken|SUMMARY|Test unit written' "$log" | head -20 >&2
    result=1
  elif [ "$status" != 0 ]; then
    echo "fuzz: $target: stopped with status $status (slow or memory-hungry input?), see $log" >&2
    grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -10 >&2
    [ "$result" = 1 ] || result=3
  fi
done
exit $result
