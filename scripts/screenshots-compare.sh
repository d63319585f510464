#!/usr/bin/env bash
# Each window as the Qt face (Linux) and the Win32 face (Wine) draw it, side by side: one picture
# per window, the Qt face on the left, the Win32 face on the right, each cut to its windows. The
# scene programs (scripts/ScreenshotScene.cpp for Qt, tests/win32/ScreenshotScene.cpp for Win32)
# drive the real program into each state over one tree on the fault file system (drive M: for
# Wine), so every value shown is the program's own; each says when its windows are ready. They
# share one virtual display with a black root, so that trimming the black leaves the windows. A
# scene only one face has stands alone.
#
#   scripts/screenshots-compare.sh [OUT_DIR [SCENE...]]
#                                   (default build/screenshots-compare, every scene)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mkdir -p "${1:-$root/build/screenshots-compare}" && cd "${1:-$root/build/screenshots-compare}" && pwd)"
qt_scene="$root/build/scripts/vorlaxis-screenshot-scene"
win32_scene="$root/build-windows/tests/win32/vorlaxis-win32-scene.exe"
cmake --build "$root/build" --target vorlaxis-screenshot-scene vorlaxis-faultfs >/dev/null
cmake --build "$root/build-windows" --target vorlaxis-win32-scene >/dev/null
convert=/usr/bin/convert  # ImageMagick's own, not a stand-in earlier on the PATH
# shellcheck source=scripts/screenshots-tree.sh
source "$root/scripts/screenshots-tree.sh"

wine=wine
[ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64
export WINEPREFIX="$root/build-windows/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's own fonts in the prefix: this Wine does not look for them where Debian puts them, and
# without them every face falls back to a wider one that clips the captions.
cp -u /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
# Czech, as the Windows tests run (scripts/test-windows.sh makes the locale where it is missing).
if ! locale -a 2>/dev/null | grep -qix 'cs_CZ.utf-\?8'; then
  export LOCPATH="$root/build-windows/locale"
fi
export LC_ALL=cs_CZ.UTF-8
work="$(mktemp -d /tmp/vorlaxis-compare-XXXXXX)"
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
Xvfb -displayfd 3 -screen 0 1024x768x24 -br -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=":$(cat "$work/display")"
export DISPLAY
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
# Unmanaged Wine windows (no window manager here) and a server kept between the scenes.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -p >/dev/null 2>&1 || true

# Runs a scene program (the command) with the folder $1 of its own, waits until its windows
# are in the state, takes the screen cut to the windows into $2 and ends the program.
picture() {
  local folder=$1 file=$2
  shift 2
  rm -rf "$folder"
  mkdir -p "$folder"
  "$@" >"$folder/output.txt" 2>&1 &
  local pid=$!
  await_scene "$folder" "$pid" "$work"
  [ -e "$folder/ready" ] || echo "  $(basename "$folder"): the windows never got into the state" >&2
  sleep 1  # painted, and the clock of the status bar shown
  /usr/bin/import -window root "$work/screen.png"
  "$convert" "$work/screen.png" -trim +repage "$file"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

qt_scenes=" idle testing error busy input errorlist viewer about options1 options2 options3 slow "
qt_scenes+="graph changes "
echo "screenshots-compare:"
scenes=(idle testing error busy input errorlist viewer about options1 options2 options3 slow graph
  changes)
[ $# -gt 1 ] && scenes=("${@:2}")
for scene in "${scenes[@]}"; do
  scene_faults "$scene" "$work"
  picture "$work/win32-$scene" "$work/win32.png" \
    "$wine" "$win32_scene" "$scene" "$wine_tree" "$(winpath "$work/win32-$scene/")"
  pair=("$work/win32.png")
  if [[ "$qt_scenes" == *" $scene "* ]]; then
    scene_faults "$scene" "$work"
    picture "$work/qt-$scene" "$work/qt.png" env VORLAXIS_SCREENSHOT_SCENE="$scene" \
      VORLAXIS_SCENE_TREE="$work/mnt/" VORLAXIS_SCENE_FOLDER="$work/qt-$scene/" \
      TMPDIR="$work/qt-$scene" QT_QPA_PLATFORM=xcb "$qt_scene"
    pair=("$work/qt.png" "$work/win32.png")
  fi
  "$convert" "${pair[@]}" -bordercolor '#808080' -border 6 -background '#808080' +append \
    "$out/$scene.png"
  echo "  $out/$scene.png"
done
