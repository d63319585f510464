#!/usr/bin/env bash
# Fuzzes the settings-file reader and writer (the INI text, ReadINIs and WriteINIs) with
# clang's libFuzzer for a bounded time, starting from the kept corpus of nasty files.
# Usage: scripts/fuzz.sh [seconds, default 60]
# Exit status: 0 nothing found; 1 a failing input was found (saved in build-fuzz/findings/);
# 2 fuzzing could not run on this machine (no clang or libFuzzer, or the build failed);
# 3 the fuzzer stopped for a slow or memory-hungry input (reported, not a proven fault).
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

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
   ! cmake --build build-fuzz --target ini_fuzzer >>build-fuzz/build.log 2>&1; then
  echo "fuzz: the fuzz target did not build (see build-fuzz/build.log), fuzzing skipped" >&2
  exit 2
fi
mkdir -p build-fuzz/corpus build-fuzz/findings
rm -f build-fuzz/findings/*
log=build-fuzz/fuzz.log
./build-fuzz/tests/fuzz/ini_fuzzer build-fuzz/corpus tests/fuzz/corpus \
  -max_total_time="$seconds" -max_len=8192 -timeout=60 -rss_limit_mb=2048 \
  -artifact_prefix=build-fuzz/findings/ -print_final_stats=1 >"$log" 2>&1
status=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
echo "fuzz: settings file, ${seconds} s, ${runs:-?} executions," \
  "$(ls build-fuzz/corpus | wc -l) inputs in the work corpus"
# The kind of a finding shows in the name of the input libFuzzer saved.
if ls build-fuzz/findings/crash-* build-fuzz/findings/leak-* >/dev/null 2>&1; then
  echo "fuzz: FAILING INPUT FOUND (kept in build-fuzz/findings/):" >&2
  grep -E 'ERROR|property broken|SUMMARY|Test unit written' "$log" | head -20 >&2
  exit 1
fi
if [ "$status" != 0 ]; then
  echo "fuzz: stopped with status $status (slow or memory-hungry input?), see $log" >&2
  grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -10 >&2
  exit 3
fi
