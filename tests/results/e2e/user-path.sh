#!/usr/bin/env bash
# The user's path through the results in the real window program under Xvfb, with screenshots
# to look at: add a folder, tick it, set the options to keep logs by serial number and to show
# them in the internal viewer, test, read the log in the viewer, find the kept copy in Logs,
# and open the last logs again with "Poslední dočasné záznamy" (Ctrl+F).
#
#   tests/results/e2e/user-path.sh [build-dir] [output-dir]
#
# Needs Xvfb, xdotool and ImageMagick's import. Without a window manager the windows stand
# exactly where the program puts them: the main window at 100,100 (no settings file yet), the
# options dialog 30,30 from it; the clicks below are measured from there.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../../.." && pwd)"
build="${1:-$root/build}"
out="${2:-$(mktemp -d /tmp/vorlaxis-e2e-XXXXXX)}"
mkdir -p "$out"
work="$(mktemp -d /tmp/vorlaxis-e2e-work-XXXXXX)"
display=":$((90 + RANDOM % 9))"

for tool in Xvfb xdotool /usr/bin/import; do
  command -v "$tool" >/dev/null || { echo "user-path: $tool is missing" >&2; exit 77; }
done

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# The program in a folder of its own: the settings file and Logs/ lie beside it.
mkdir -p "$work/prog" "$work/tmp" "$work/bin" "$work/medium/sub"
cp "$build/app/vorlaxis" "$work/prog/"
printf 'first file\n' > "$work/medium/a.txt"
head -c 300000 /dev/urandom > "$work/medium/sub/b.bin"

# A stand-in text editor on the PATH: records how it was started and shows the file.
cat > "$work/bin/gedit" <<'EDITOR'
#!/bin/sh
printf '%s\n' "$@" >> "$EDITOR_CALLS"
for last; do :; done
exec xmessage -title "gedit $last" -file "$last"
EDITOR
chmod +x "$work/bin/gedit"

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY="$display"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

export TMPDIR="$work/tmp" EDITOR_CALLS="$work/editor-calls.txt" PATH="$work/bin:$PATH"
export LC_ALL=C.UTF-8
"$work/prog/vorlaxis" >"$out/vorlaxis.log" 2>&1 &
pids+=($!)

shot() { /usr/bin/import -window root "$out/$1.png"; echo "screenshot $out/$1.png"; }
click() { xdotool mousemove "$1" "$2" click 1; sleep "${3:-0.5}"; }
wait_window() {  # a visible window whose title matches
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "user-path: no window \"$1\"" >&2
  shot "missing-window"
  exit 1
}
focus() { xdotool windowfocus --sync "$(xdotool search --onlyvisible --name "$1" | head -1)"; }
main_id=""
# Focuses the newest visible top-level window other than the main window (a dialog).
focus_dialog() {
  local id=""
  for _ in $(seq 50); do
    id=$(xdotool search --onlyvisible --name '.' 2>/dev/null | grep -v "^$main_id\$" | tail -1 || true)
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || { shot missing-dialog; echo "user-path: no dialog" >&2; exit 1; }
  xdotool windowfocus --sync "$id"
  sleep 0.3
}

wait_window 'Vorlaxis'
sleep 1
main_id=$(xdotool search --onlyvisible --name 'Vorlaxis' | head -1)
focus 'Vorlaxis'
x0=100 y0=118  # the central area: below the menu bar
shot 01-start

# Add the medium's folder by hand and tick it.
click $((x0 + 253)) $((y0 + 184))
sleep 0.5
focus_dialog
xdotool type --delay 20 "$work/medium"
xdotool key Return
sleep 1
click $((x0 + 24)) $((y0 + 28))   # the first entry's tick box
shot 02-folder-added

# Options: keep logs by serial number, show every log in the internal viewer.
focus 'Vorlaxis'
click 230 107   # "Nastavení"
click 255 126   # "Možnosti..."
sleep 0.5
focus_dialog
shot 03-options
# The ">" button leads to the log options; the dialog's page starts about 139,158.
click 347 286
click 190 206   # "zobrazit jej vždy"
click 165 225   # "Uchovávat automaticky výsledky na disku"
click 195 257   # "Sériové číslo media"
click 163 355   # "Interní prohlížeč"
shot 04-options-set
click 473 418   # OK
grep -q 'Logs FileNameFormat=1' "$work/prog/Ulvenor.ini" || { echo "user-path: options not written" >&2; exit 1; }

# Test: the log shows in the internal viewer afterwards.
focus 'Vorlaxis'
click $((x0 + 148)) $((y0 + 218)) 3
shot 05-log-in-viewer
focus_dialog
xdotool key Return
sleep 1
shot 06-after-test

saved=$(ls "$work/prog/Logs/")
echo "kept in Logs: $saved"
[[ "$saved" =~ ^[0-9A-F]{8}\.txt$ ]] || { echo "user-path: no copy named by serial" >&2; exit 1; }
cmp "$work/prog/Logs/$saved" "$(ls "$work"/tmp/vorlaxis-*/tmplog0.txt 2>/dev/null || ls "$work"/tmp/*/tmplog0.txt)"

# "Poslední dočasné záznamy" (Ctrl+F): the text editor opens the last log again.
focus 'Vorlaxis'
xdotool key ctrl+f
sleep 2
shot 07-reopened
echo "editor started with:"; cat "$EDITOR_CALLS"
grep -q -- '--encoding=WINDOWS-1250' "$EDITOR_CALLS"
grep -q 'tmplog0.txt$' "$EDITOR_CALLS"
echo "user-path: all steps done; screenshots in $out"
