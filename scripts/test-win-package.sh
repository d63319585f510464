#!/usr/bin/env bash
# The Windows packages as a Windows user meets them, under Wine: makes the zip and the installer,
# checks the zip's exact contents and
# that both programs need no DLL beyond Windows' own, then, in a throwaway Wine prefix, runs the
# installer silently, checks the installed files, the Start-menu entry and the uninstaller's
# entry and the context-menu entry of drives and folders, runs the installed vorlaxis-check.exe,
# starts the installed vorlaxis.exe under Xvfb as that entry does, with a drive, tests it and
# finds the saved log in the user's own folder, and finally runs the uninstaller silently and
# checks that nothing of the installation is left.
#
#   bash scripts/test-win-package.sh [OUT_DIR]      (default: build-windows)
#
# As on Windows, the program folder is made read-only for the user who runs the programs, so
# settings and logs must go to %APPDATA%\Vorlaxis. Root ignores file modes, so as root (CI) the
# Wine parts run as a user of their own, created and removed here. Called by
# scripts/test-windows.sh; skips, with a message and success, where Wine cannot run.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$(date +%s)
out=$(realpath -m "${1:-build-windows}")
user=${VORLAXIS_WINE_USER:-vorlaxis-wine}
say() { echo "test-win-package: $*" >&2; }
fail() {
  say "FAILED: $*"
  exit 1
}

wine=""
for candidate in /usr/lib/wine/wine64 wine64 wine; do
  if command -v "$candidate" >/dev/null 2>&1; then wine=$(command -v "$candidate"); break; fi
done

work=$(mktemp -d)
chmod 0755 "$work"
created_user=0
xvfb_pid=
as_user() { "$@"; }
cleanup() {
  as_user env WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  chmod -R u+w "$work" 2>/dev/null || true
  if [ "$created_user" = 1 ]; then userdel -r "$user" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'say "FAILED: line $LINENO: $BASH_COMMAND"' ERR

# --- the packages ------------------------------------------------------------------------
made=$(bash scripts/make-win-package.sh "$out")
zip=$(sed -n 1p <<<"$made")
setup=$(sed -n 2p <<<"$made")
version=$(basename "$zip" | sed -n 's/^vorlaxis-\(.*\)-win64\.zip$/\1/p')
[ -n "$version" ] || fail "no version in the name $zip"

contents=$(unzip -Z1 "$zip" | LC_ALL=C sort | tr '\n' ' ')
[ "$contents" = "LICENSE.txt THIRD-PARTY.txt qantrel.chm vorlaxis-check.exe vorlaxis.exe whatsnew.txt " ] ||
  fail "the zip holds $contents"
unzip -q "$zip" -d "$work/zip"
# whatsnew.txt as Notepad reads it on any Windows: a UTF-8 byte-order mark, CR LF, the text of
# docs/whatsnew.txt.
[ "$(head -c 3 "$work/zip/whatsnew.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
  fail "whatsnew.txt in the zip has no UTF-8 byte-order mark"
[ "$(tr -cd '\n' <"$work/zip/whatsnew.txt" | wc -c)" -eq "$(grep -c $'\r$' "$work/zip/whatsnew.txt")" ] ||
  fail "not every line of whatsnew.txt in the zip ends in CR LF"
tail -c +4 "$work/zip/whatsnew.txt" | tr -d '\r' | cmp -s - docs/whatsnew.txt ||
  fail "whatsnew.txt in the zip does not say what docs/whatsnew.txt says"
# The licence as the system has it, and what is linked into the programs.
tail -c +4 "$work/zip/LICENSE.txt" | tr -d '\r' | cmp -s - /usr/share/common-licenses/GPL-3 ||
  fail "LICENSE.txt in the zip is not the GPL version 3"
for part in xxHash mingw-w64 winpthreads libstdc++; do
  grep -q "$part" "$work/zip/THIRD-PARTY.txt" || fail "THIRD-PARTY.txt does not name $part"
done
# The help file names its contents and its index (the window tests open the contents).
for sitemap in qantrel.hhc qantrel.hhk; do
  grep -aq "$sitemap" "$work/zip/qantrel.chm" || fail "the help file has no $sitemap"
done
# Windows' own DLLs only: nothing that would have to lie beside the programs.
for exe in vorlaxis.exe vorlaxis-check.exe; do
  x86_64-w64-mingw32-objdump -p "$work/zip/$exe" | sed -n 's/^\s*DLL Name: //p' |
    tr '[:upper:]' '[:lower:]' | LC_ALL=C sort >"$work/dlls"
  grep -vx -e kernel32.dll -e user32.dll -e gdi32.dll -e comctl32.dll -e comdlg32.dll \
    -e shell32.dll -e ole32.dll -e oleaut32.dll -e advapi32.dll -e shlwapi.dll -e msvcrt.dll \
    -e hhctrl.ocx -e version.dll -e bcrypt.dll -e ntdll.dll "$work/dlls" >"$work/foreign" &&
    fail "$exe needs $(tr '\n' ' ' <"$work/foreign")"
done
say "$(basename "$zip") ($(stat -c %s "$zip") bytes) and $(basename "$setup")" \
  "($(stat -c %s "$setup") bytes) built; vorlaxis.exe $(stat -c %s "$work/zip/vorlaxis.exe")," \
  "vorlaxis-check.exe $(stat -c %s "$work/zip/vorlaxis-check.exe") bytes, no foreign DLLs"

if [ -z "$wine" ]; then
  say "SKIPPED: no Wine on this machine, the installer is not run"
  exit 0
fi

# --- a user of Wine's own ----------------------------------------------------------------
if [ "$(id -u)" = 0 ]; then
  if ! id -u "$user" >/dev/null 2>&1; then
    useradd -m "$user"
    created_user=1
  fi
  home=$(getent passwd "$user" | cut -d: -f6)
  chown "$user" "$work"
  as_user() { runuser -u "$user" -- "$@"; }
else
  user=$(id -un)
  home=$HOME
fi
Xvfb -displayfd 3 -ac -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
display=:$(cat "$work/display")
prefix=$work/prefix
# Without winemenubuilder: no menu entries or file types on the Linux desktop from the shortcut.
in_wine() {
  as_user env -i HOME="$home" USER="$user" PATH=/usr/bin:/bin LANG=C.UTF-8 \
    DISPLAY="$display" WINEPREFIX="$prefix" WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=" "$@"
}
if ! in_wine timeout 300 "$wine" cmd /c exit 0 >/dev/null 2>&1; then
  say "SKIPPED: Wine cannot run on this machine (creating its prefix failed)"
  exit 0
fi
# The small folder to test, as the root of drive T: with a label and a serial number, which
# the Wine server reads once when it starts.
in_wine wineserver -k >/dev/null 2>&1 || true
sample=$work/vzorek
mkdir -p "$sample/sub"
printf 'abc' >"$sample/sub/a"
printf 'de' >"$sample/b"
printf 'VZOREK' >"$sample/.windows-label"
printf '1234abcd' >"$sample/.windows-serial"
chown -R "$(stat -c %u "$prefix")" "$sample"
ln -sfn "$sample" "$prefix/dosdevices/t:"

# --- installed ---------------------------------------------------------------------------
cp "$setup" "$work/setup.exe"
chmod 0644 "$work/setup.exe"
# Shown to a person, the installer speaks Czech; it is left at its first page.
in_wine "$wine" "$work/setup.exe" >/dev/null 2>&1 &
DISPLAY=$display timeout 60 \
  xdotool search --sync --onlyvisible --name "^Instalace Vorlaxis $version\$" >/dev/null ||
  fail "no installer window \"Instalace Vorlaxis $version\""
in_wine "$wine" taskkill /f /im setup.exe >/dev/null 2>&1 || true
wait $! || true
in_wine "$wine" "$work/setup.exe" /S || fail "the installer reported $?"
in_wine timeout 120 wineserver -w || fail "Wine's programs did not end after the installer"
program="$prefix/drive_c/Program Files/Vorlaxis"
[ -d "$program" ] || fail "nothing installed in C:\\Program Files\\Vorlaxis"
installed=$(cd "$program" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')
[ "$installed" = "LICENSE.txt THIRD-PARTY.txt qantrel.chm uninstall.exe vorlaxis-check.exe vorlaxis.exe whatsnew.txt " ] ||
  fail "installed: $installed"
for file in LICENSE.txt THIRD-PARTY.txt qantrel.chm vorlaxis-check.exe vorlaxis.exe whatsnew.txt; do
  cmp -s "$program/$file" "$work/zip/$file" || fail "the installed $file is not the zip's"
done
shortcut="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Vorlaxis.lnk"
[ -f "$shortcut" ] || fail "no Start-menu entry Vorlaxis.lnk"
{ strings -a -el "$shortcut" && strings -a "$shortcut"; } |
  grep -i 'Program Files\\Vorlaxis\\vorlaxis\.exe' >/dev/null ||
  fail "the Start-menu entry does not start C:\\Program Files\\Vorlaxis\\vorlaxis.exe"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorlaxis'
in_wine "$wine" reg query "$key" 2>/dev/null | tr -d '\r' >"$work/uninstall-key"
grep -q "DisplayName.*REG_SZ.*Vorlaxis $version$" "$work/uninstall-key" ||
  fail "Add/Remove programs lacks \"Vorlaxis $version\""
grep -qF 'UninstallString    REG_SZ    "C:\Program Files\Vorlaxis\uninstall.exe"' \
  "$work/uninstall-key" || fail "the uninstaller is not registered"
# "Otestovat pomocí Vorlaxis" on a folder, a drive and a folder window's background, starting
# the program with that place.
menu_keys=('HKLM\Software\Classes\Directory\shell\Vorlaxis'
  'HKLM\Software\Classes\Drive\shell\Vorlaxis'
  'HKLM\Software\Classes\Directory\Background\shell\Vorlaxis')
for menu in "${menu_keys[@]}"; do
  place='"%1"'
  [[ $menu == *Background* ]] && place='"%V"'
  # reg writes to a pipe in the console's code page (437 in this prefix's English locale).
  in_wine "$wine" reg query "$menu" /ve 2>/dev/null | iconv -f CP437 -t UTF-8 | tr -d '\r' \
    >"$work/menu-key"
  grep -q 'REG_SZ    Otestovat pomocí Vorlaxis$' "$work/menu-key" ||
    fail "$menu does not offer \"Otestovat pomocí Vorlaxis\": $(cat "$work/menu-key")"
  in_wine "$wine" reg query "$menu\command" /ve 2>/dev/null | tr -d '\r' >"$work/menu-command"
  grep -qF "REG_SZ    \"C:\Program Files\Vorlaxis\vorlaxis.exe\" $place" "$work/menu-command" ||
    fail "$menu\command does not start vorlaxis.exe with $place: $(cat "$work/menu-command")"
done

# As on Windows, the user may read the program folder but not write to it.
chmod -R a-w "$program"

[ "$(in_wine "$wine" 'C:\Program Files\Vorlaxis\vorlaxis-check.exe' --version | tr -d '\r')" = \
  "vorlaxis-check $version" ] || fail "the installed vorlaxis-check.exe does not say its version"
[ "$(in_wine "$wine" 'C:\Program Files\Vorlaxis\vorlaxis.exe' --version | tr -d '\r')" = \
  "vorlaxis $version" ] || fail "the installed vorlaxis.exe does not say its version"
in_wine "$wine" 'C:\Program Files\Vorlaxis\vorlaxis-check.exe' --json - 'T:\' \
  >"$work/result.json" || fail "the small folder failed"
python3 - "$work/result.json" <<'EOF' || fail "unexpected JSON result"
import json, sys
location, = json.load(open(sys.argv[1]))["locations"]
# The label and serial files of Wine's drive are files of the medium too.
expected = {"outcome": "ok", "files": 4, "directories": 2, "bytes_read": 19}
got = {key: location[key] for key in expected}
if got != expected:
    sys.exit(f"got {got}")
EOF

# The window program as the context menu of drive T: starts it: its settings (in the user's
# folder, as it would have written them) keep each log and tick drive C: alone; the drive given
# is added and ticked, the others unticked, so Ctrl+S tests T: alone. Closed, the program
# writes its settings with their own list.
appdata="$prefix/drive_c/users/$user/AppData/Roaming"
[ -d "$appdata" ] || fail "no %APPDATA% in the prefix"
mkdir -p "$appdata/Vorlaxis"
printf '%s\r\n' '[Application]' 'Eject media=0' '[Logs]' 'Show Logs After Test=0' \
  'Save Logs to Disk=1' '[Paths]' 'Path0=C:\' 'Path0Checked=1' \
  >"$appdata/Vorlaxis/Ulvenor.ini"
chown -R "$(stat -c %u "$prefix")" "$appdata/Vorlaxis"
window_started=$(date +%s%N)
in_wine "$wine" 'C:\Program Files\Vorlaxis\vorlaxis.exe' 'T:\' >"$work/window.log" 2>&1 &
window_job=$!
window=$(DISPLAY=$display timeout 60 \
  xdotool search --sync --onlyvisible --name "^Zubrak's Vorlaxis v" | sed -n 1p) ||
  { cat "$work/window.log" >&2; fail "the main window of vorlaxis.exe did not appear"; }
start_ms=$((($(date +%s%N) - window_started) / 1000000))
DISPLAY=$display xdotool windowfocus --sync "$window" key ctrl+s
# Done when the saved log holds the end of the test.
for _ in $(seq 300); do
  logs=$(find "$appdata/Vorlaxis/Logs" -type f 2>/dev/null | sed -n 1p || true)
  if [ -n "$logs" ]; then
    iconv -f WINDOWS-1250 -t UTF-8 "$logs" 2>/dev/null | tr -d '\r' >"$work/saved.txt" || true
    grep -c 'test úspěšně dokončen' "$work/saved.txt" >/dev/null && break
  fi
  sleep 0.1
done
[ -n "$logs" ] || fail "no saved log in %APPDATA%\\Vorlaxis\\Logs after the test"
grep -q 'test úspěšně dokončen' "$work/saved.txt" || fail "the saved log does not end the test"
[ "$(basename "$logs")" = VZOREK.txt ] || fail "the saved log is named $(basename "$logs")"
grep -qx '  počet souborů:       4' "$work/saved.txt" || fail "the saved log does not count 4 files"
in_wine "$wine" taskkill /im vorlaxis.exe >/dev/null 2>&1 || true
for _ in $(seq 100); do kill -0 "$window_job" 2>/dev/null || break; sleep 0.1; done
kill -0 "$window_job" 2>/dev/null && fail "vorlaxis.exe did not close"
saved=$(cd "$appdata/Vorlaxis/Logs" && find . -maxdepth 1 -name '*.txt' | tr '\n' ' ')
[ "$saved" = "./VZOREK.txt " ] || fail "not drive T: alone was tested: $saved"
tr -d '\r' <"$appdata/Vorlaxis/Ulvenor.ini" >"$work/settings"
grep -q '^Xpos=' "$work/settings" || fail "vorlaxis.exe did not write its settings at the close"
grep -qx 'Path0=C:\\' "$work/settings" && grep -qx 'Path0Checked=1' "$work/settings" &&
  ! grep -q 'T:' "$work/settings" || fail "the drive from the command line reached the settings"
[ "$(cd "$program" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')" = \
  "$installed" ] || fail "the programs wrote into their folder"
say "installed: vorlaxis-check.exe ran, vorlaxis.exe showed its window in ${start_ms} ms," \
  "tested T:\\ and saved %APPDATA%\\Vorlaxis\\Logs\\$(basename "$logs")"

# --- removed -----------------------------------------------------------------------------
chmod -R u+w "$program"
# The settings that a run as administrator writes beside the program go with it.
printf '[Application]\r\n' >"$program/Ulvenor.ini"
in_wine "$wine" 'C:\Program Files\Vorlaxis\uninstall.exe' /S || fail "the uninstaller reported $?"
# The uninstaller runs on from a copy of itself in the temporary folder.
in_wine timeout 120 wineserver -w || fail "the uninstaller did not end"
[ ! -e "$program" ] || fail "left after removal: $(find "$program" | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the Start-menu entry is left after removal"
in_wine "$wine" reg query "$key" >/dev/null 2>&1 && fail "the uninstaller is still registered"
for menu in "${menu_keys[@]}"; do
  in_wine "$wine" reg query "$menu" >/dev/null 2>&1 && fail "$menu is left after removal"
done
[ -f "$logs" ] || fail "the uninstaller removed the user's saved logs"
say "removed: nothing of the installation left; the user's settings and logs kept"
say "passed in $(($(date +%s) - started)) s"
