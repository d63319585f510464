#!/usr/bin/env bash
# Each window as the Qt face (Linux) and the Win32 face (Wine) draw it, side by side: one picture
# per window, the Qt face on the left, the Win32 face on the right, each cut to its windows. The
# windows come from the scene programs (scripts/ScreenshotScene.cpp for Qt,
# tests/win32/ScreenshotScene.cpp for Win32) on one virtual display with a black root, so that
# trimming the black leaves the windows. A scene only one face has stands alone.
#
#   scripts/screenshots-compare.sh [OUT_DIR]     (default build/screenshots-compare)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mkdir -p "${1:-$root/build/screenshots-compare}" && cd "${1:-$root/build/screenshots-compare}" && pwd)"
qt_scene="$root/build/scripts/vorlaxis-screenshot-scene"
win32_scene="$root/build-windows/tests/win32/vorlaxis-win32-scene.exe"
cmake --build "$root/build" --target vorlaxis-screenshot-scene >/dev/null
cmake --build "$root/build-windows" --target vorlaxis-win32-scene >/dev/null
convert=/usr/bin/convert  # ImageMagick's own, not a stand-in earlier on the PATH

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
display=":$((90 + RANDOM % 100))"
work="$(mktemp -d /tmp/vorlaxis-compare-XXXXXX)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -br -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
# Unmanaged Wine windows (no window manager here) and a server kept between the scenes.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -p >/dev/null 2>&1 || true

# Runs the command in the background, takes the screen after $1 seconds, cut to the windows.
picture() {
  local wait=$1 file=$2
  shift 2
  "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep "$wait"
  /usr/bin/import -window root "$work/screen.png"
  "$convert" "$work/screen.png" -trim +repage "$file"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

qt_scenes=" idle error busy input errorlist viewer about options1 options2 options3 graph "
echo "screenshots-compare:"
for scene in idle testing error busy input errorlist viewer about options1 options2 options3 \
  slow graph changes; do
  picture 4 "$work/win32.png" "$wine" "$win32_scene" "$scene"
  pair=("$work/win32.png")
  if [[ "$qt_scenes" == *" $scene "* ]]; then
    picture 2.5 "$work/qt.png" env VORLAXIS_SCREENSHOT_SCENE="$scene" QT_QPA_PLATFORM=xcb \
      "$qt_scene"
    pair=("$work/qt.png" "$work/win32.png")
  fi
  "$convert" "${pair[@]}" -bordercolor '#808080' -border 6 -background '#808080' +append \
    "$out/$scene.png"
  echo "  $out/$scene.png"
done
wineserver -k >/dev/null 2>&1 || true
