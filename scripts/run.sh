#!/usr/bin/env bash
# Installs what is missing, builds Vorlaxis and starts it. Without a display it says so and
# runs the headless test on the given folders (or on a sample folder) instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"

if [ -x build/app/vorlaxis ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec build/app/vorlaxis
fi

if [ -x build/app/vorlaxis ]; then
  echo "run: no display (DISPLAY/WAYLAND_DISPLAY unset): running the headless test instead" >&2
fi
if [ "$#" -eq 0 ]; then
  set -- "$PWD/docs"
fi
exec build/cli/vorlaxis-check "$@"
