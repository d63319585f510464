#!/usr/bin/env bash
# Screenshots of the window program under Xvfb: the main window idle and during a test, the
# cancel question, the read-error question, the about box, the help window, the busy window,
# the readable-but-slow files (summary and list) and the speed graph. The test reads a slow location on the fault file system, so it is still running
# when the picture is taken.
#
#   scripts/screenshots.sh [OUT_DIR]     (default build/screenshots)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(mkdir -p "${1:-$root/build/screenshots}" && cd "${1:-$root/build/screenshots}" && pwd)"
build="$root/build"
cmake --build "$build" --target vorlaxis vorlaxis-faultfs vorlaxis-screenshot-scene >/dev/null

work="$(mktemp -d /tmp/vorlaxis-shots-XXXXXX)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  fusermount3 -u -z "$work/mnt" 2>/dev/null || true
  fusermount3 -u -z "$work/slowmnt" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A program folder of its own: the program, its documents and its settings.
mkdir -p "$work/prog" "$work/backing/Archiv 2009" "$work/mnt" "$work/broken"
cp "$build/app/vorlaxis" "$work/prog/"
cp -r "$root/docs/help" "$root/docs/whatsnew.txt" "$work/prog/"
for i in $(seq 1 40); do head -c 2097152 /dev/zero > "$work/backing/Archiv 2009/snímek_$i.jpg"; done
echo "delay 40" > "$work/faults"
"$build/tests/faultfs/vorlaxis-faultfs" "$work/backing" "$work/mnt" --config "$work/faults" -f &
pids+=($!)
for _ in $(seq 50); do mountpoint -q "$work/mnt" && break; sleep 0.1; done
# Photos of which one reads slowly, as on an ageing disc.
mkdir -p "$work/slowbacking/Fotky" "$work/slowmnt"
for i in $(seq 1 60); do
  head -c $((100000 + i * 1000)) /dev/zero > "$work/slowbacking/Fotky/IMG_$((4000 + i)).jpg"
done
echo "delay 400 /Fotky/IMG_4042.jpg" > "$work/slowfaults"
"$build/tests/faultfs/vorlaxis-faultfs" "$work/slowbacking" "$work/slowmnt" \
  --config "$work/slowfaults" -f &
pids+=($!)
for _ in $(seq 50); do mountpoint -q "$work/slowmnt" && break; sleep 0.1; done
echo "čitelný" > "$work/broken/dobrý.txt"
ln -s "$work/nikde" "$work/broken/ztracený soubor.txt"
cat > "$work/prog/Ulvenor.ini" <<INI
[Application]
Xpos=20
Ypos=20
Eject media=0
[DataRead]
DataReadStyle=1
[Logs]
Show Logs After Test=0
[Paths]
Path0=$work/mnt/
Path0Checked=1
Path1=$work/broken/
Path1Checked=0
Path2=$work/slowmnt/
Path2Checked=0
INI

# No reset when the last client leaves: a client connecting during the reset is refused.
# A display of its own: Xvfb takes the first free number and tells it.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
DISPLAY=":$(cat "$work/display")"
export DISPLAY
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

shot() { sleep "${2:-0.6}"; /usr/bin/import -window root "$out/$1.png"; echo "  $out/$1.png"; }
window() { xdotool search --sync --onlyvisible --name "$1" | head -1; }
key() { xdotool windowfocus --sync "$(window "$1")" 2>/dev/null || true; xdotool key "$2"; }

# The program started again over the settings as the sed script $1 ticks them, and its test
# started; returns when a window named $2 is shown.
test_other() {
  sed -i "$1" "$work/prog/Ulvenor.ini"
  "$work/prog/vorlaxis" >/dev/null 2>&1 &
  pids+=($!)
  window "$main_title" >/dev/null
  key "$main_title" Return
  window "$2" >/dev/null
}

echo "screenshots:"
"$work/prog/vorlaxis" >/dev/null 2>&1 &
pids+=($!)
main_title="Vorlaxis v2.1"
window "$main_title" >/dev/null
shot 01-main-idle
key "$main_title" Return                      # Enter: start the test
shot 02-main-during-test 2.5
key "$main_title" Escape                      # Esc: the cancel question
shot 03-cancel-question
key "Potvrzen" Escape                         # No: the test goes on
sleep 0.3
key "$main_title" alt+v                       # Nápo&věda > O &aplikaci...
sleep 0.3
xdotool key a
shot 04-about-box
key "O aplikaci" Return
sleep 0.3
key "$main_title" alt+v                       # Nápo&věda > &Obsah...
sleep 0.3
xdotool key o
shot 05-help-window 1
xdotool windowclose "$(window "Nápověda")" 2>/dev/null || xdotool key --window "$(window "Nápověda")" ctrl+w || true
# Stop the slow test, then test the location with the unreadable file.
key "$main_title" Escape
key "Potvrzen" Return
shot 06-main-after-cancel 1.5
kill "${pids[-1]}" 2>/dev/null || true
test_other 's/^Path0Checked=1/Path0Checked=0/; s/^Path1Checked=0/Path1Checked=1/' "Chyba při čtení"
shot 07-read-error-question
key "Chyba při čtení" Escape                  # Ukončit test
shot 08-main-after-stop 1
kill "${pids[-1]}" 2>/dev/null || true

# The scene program (scripts/ScreenshotScene.cpp) in the scene $1 over the tree $2: returns
# when its windows are in the state; the caller ends it.
scene() {
  local folder="$work/scene-$1/"
  mkdir -p "$folder"
  VORLAXIS_SCREENSHOT_SCENE=$1 VORLAXIS_SCENE_TREE=$2 VORLAXIS_SCENE_FOLDER=$folder \
    TMPDIR=$folder QT_QPA_PLATFORM=xcb "$build/scripts/vorlaxis-screenshot-scene" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 600); do [ -e "$folder/ready" ] && break; sleep 0.1; done
}

# The busy window is shown only while a tree is collected: shown on its own for the picture.
scene busy "$work/mnt/"
shot 09-busy-window 1
kill "${pids[-1]}" 2>/dev/null || true

# The slow location: the summary, the list and the graph.
test_other 's/^Path1Checked=1/Path1Checked=0/; s/^Path2Checked=0/Path2Checked=1/' "Potvrzen"
shot 10-slow-files-summary
key "Potvrzen" Return                         # Ano: the list
window "pomalé soubory" >/dev/null
shot 11-slow-files-list
key "pomalé soubory" Return
sleep 0.3
key "$main_title" ctrl+g                      # Zobrazit > Graf rychlosti čtení...
window "Graf rychlosti" >/dev/null
shot 12-speed-graph
key "Graf rychlosti" Return
kill "${pids[-1]}" 2>/dev/null || true

# The graph after a test of the slow photos, with the mouse over the slow file.
scene graph "$work/slowmnt/"
shot 13-speed-graph-tooltip 1
kill "${pids[-1]}" 2>/dev/null || true
