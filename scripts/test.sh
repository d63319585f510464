#!/usr/bin/env bash
# Everything a fresh Debian 12 machine needs to test Vorlaxis: installs the packages, builds
# with AddressSanitizer and UndefinedBehaviorSanitizer and runs the tests, then builds the
# normal configuration, checks the style (scripts/check-style.sh), tests its Debian package
# (scripts/test-deb.sh) and runs the tests again. Ends with ctest's summary line.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
jobs=$(nproc)

if [ "${VORLAXIS_SKIP_SANITIZE:-0}" != 1 ]; then
  cmake --preset sanitize >/dev/null
  cmake --build --preset sanitize -j "$jobs"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --preset sanitize -j "$jobs" --timeout 600
fi

# A bounded fuzzing run of the settings file and of the readers of what comes from a medium
# (VORLAXIS_FUZZ_SECONDS for all of them, default 80). Only a failing input it finds stops the
# test run; a machine where it cannot run just says so.
if [ "${VORLAXIS_SKIP_FUZZ:-0}" != 1 ]; then
  fuzz_status=0
  bash scripts/fuzz.sh "${VORLAXIS_FUZZ_SECONDS:-80}" || fuzz_status=$?
  if [ "$fuzz_status" = 1 ]; then exit 1; fi
fi

if [ -x scripts/test-windows.sh ] && [ "${VORLAXIS_SKIP_WINDOWS:-0}" != 1 ]; then
  bash scripts/test-windows.sh
fi

cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs"
# The Debian package: built, checked, installed, started and removed again.
if [ "${VORLAXIS_SKIP_DEB:-0}" != 1 ]; then
  bash scripts/test-deb.sh build
fi
# Format, clang-tidy over the core and the folders' include order; its findings fail the run
# once the tests have run.
style_status=0
bash scripts/check-style.sh build || style_status=$?
ctest --preset default -j "$jobs" --timeout 600
exit "$style_status"
