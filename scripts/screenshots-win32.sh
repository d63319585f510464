#!/usr/bin/env bash
# Screenshots of the Win32 windows under Wine on Xvfb: the main window idle and during a test,
# the read-error question, the busy window, the input dialog, the bad-file list, the log viewer,
# the about box, the options dialog's three tabs and the windows after a location (slow files,
# speed graph, changes), each from the scene program of tests/win32.
# Compare them with the Qt windows' pictures of scripts/screenshots.sh.
#
#   scripts/screenshots-win32.sh [OUT_DIR]     (default build-windows/screenshots)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-windows"
out="$(mkdir -p "${1:-$build/screenshots}" && cd "${1:-$build/screenshots}" && pwd)"
cmake --build "$build" --target vorlaxis-win32-scene >/dev/null

wine=wine
[ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's own fonts in the prefix: this Wine does not look for them where Debian puts them, and
# without them every face falls back to a wider one that clips the captions.
cp -u /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
display=":$((90 + RANDOM % 100))"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x640x24 >/dev/null 2>&1 &
pids+=($!)
sleep 1
export DISPLAY="$display"
for scene in idle testing error busy input errorlist viewer about options1 options2 options3 \
  slow graph changes; do
  "$wine" "$build/tests/win32/vorlaxis-win32-scene.exe" "$scene" &
  scene_pid=$!
  sleep 4
  /usr/bin/import -window root "$out/win32-$scene.png"
  kill "$scene_pid" 2>/dev/null || true
  wait "$scene_pid" 2>/dev/null || true
  echo "screenshots-win32: $out/win32-$scene.png"
done
