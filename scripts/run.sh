#!/usr/bin/env bash
# Installs what building and running Vorlaxis needs, builds the two programs and starts the
# window; arguments go to the program (folders to test: they are ticked for this run). Without
# a display it says so and runs the headless test on the given folders (or on a sample folder)
# instead. The tests, their tools and their build are scripts/test.sh's.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh --run
# Without the tests: they need GoogleTest and about 140 more build steps. The preset turns them on
# again for scripts/test.sh in the same build folder.
cmake --preset default -DVORLAXIS_BUILD_TESTS=OFF >/dev/null
cmake --build --preset default -j "$(nproc)" --target vorlaxis vorlaxis-check

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/app/vorlaxis "$@"
fi

echo "run: no display (DISPLAY/WAYLAND_DISPLAY unset): running the headless test instead" >&2
if [ "$#" -eq 0 ]; then
  set -- "$PWD/docs"
fi
exec build/cli/vorlaxis-check "$@"
