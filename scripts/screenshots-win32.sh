#!/usr/bin/env bash
# Screenshots of the Win32 windows under Wine on Xvfb: the main window idle and during a test,
# the read-error question, the busy window, the input dialog, the bad-file list and the log
# viewer after a test, the about box, the options dialog's three tabs and the windows after a
# location (slow files, speed graph, changes). The scene program of tests/win32 drives the
# program into each state over a tree on the fault file system (drive M:), so every value shown
# is the program's own, and says when its windows are ready.
# Compare them with the Qt windows' pictures of scripts/screenshots.sh.
#
#   scripts/screenshots-win32.sh [OUT_DIR]     (default build-windows/screenshots)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-windows"
out="$(mkdir -p "${1:-$build/screenshots}" && cd "${1:-$build/screenshots}" && pwd)"
cmake --build "$build" --target vorlaxis-win32-scene >/dev/null
cmake --build "$root/build" --target vorlaxis-faultfs >/dev/null
# shellcheck source=scripts/screenshots-tree.sh
source "$root/scripts/screenshots-tree.sh"

wine=wine
[ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's own fonts in the prefix: this Wine does not look for them where Debian puts them, and
# without them every face falls back to a wider one that clips the captions.
cp -u /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
# Czech dates and times, as the Windows tests run.
if ! locale -a 2>/dev/null | grep -qix 'cs_CZ.utf-\?8'; then
  export LOCPATH="$build/locale"
fi
export LC_ALL=cs_CZ.UTF-8
work="$(mktemp -d /tmp/vorlaxis-shots-win32-XXXXXX)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wineserver -k >/dev/null 2>&1 || true
  unwine_drives
  unmount_tree "$work"
  rm -rf "$work"
}
trap cleanup EXIT

make_tree "$work"
mount_tree "$work" "$root/build/tests/faultfs/vorlaxis-faultfs"
pids+=("$tree_pid")
wine_drives "$work"

# A display of its own: Xvfb takes the first free number and tells it.
Xvfb -displayfd 3 -screen 0 1024x640x24 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=":$(cat "$work/display")"
export DISPLAY
for scene in idle testing error busy input errorlist viewer about options1 options2 options3 \
  slow graph changes; do
  scene_faults "$scene" "$work"
  folder="$work/$scene"
  mkdir -p "$folder"
  "$wine" "$build/tests/win32/vorlaxis-win32-scene.exe" "$scene" "$wine_tree" \
    "$(winpath "$folder/")" &
  scene_pid=$!
  await_scene "$folder" "$scene_pid" "$work"
  [ -e "$folder/ready" ] || echo "screenshots-win32: $scene: the windows never got into the state" >&2
  sleep 1  # painted, and the clock of the status bar shown
  /usr/bin/import -window root "$out/win32-$scene.png"
  kill "$scene_pid" 2>/dev/null || true
  wait "$scene_pid" 2>/dev/null || true
  echo "screenshots-win32: $out/win32-$scene.png"
done
