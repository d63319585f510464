#!/usr/bin/env bash
# The Windows build, tested under Wine: installs the cross compiler and Wine, builds the core,
# vorlaxis-check.exe, vorlaxis.exe and the tests with mingw-w64, runs the tests under Wine (the
# window tests on a virtual display), then runs
# vorlaxis-check.exe over a test tree and over a medium with unreadable files (the fault file
# system) and compares each log with the Linux build's log of the same tree (apart from dates,
# times, path forms and the medium's identity, which each system learns its own way), and
# finally tests the Windows packages (scripts/test-win-package.sh). Skips, with a message and success, only when Wine cannot run on this machine.
# Called by scripts/test.sh; VORLAXIS_SKIP_WINDOWS=1 there leaves it out.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$(date +%s)
say() { echo "test-windows: $*" >&2; }

VORLAXIS_WITH_WINDOWS=1 bash scripts/install-deps.sh
jobs=$(nproc)

wine=""
for candidate in /usr/lib/wine/wine64 wine64 wine; do
  if command -v "$candidate" >/dev/null 2>&1; then wine=$(command -v "$candidate"); break; fi
done
if [ -z "$wine" ]; then
  say "SKIPPED: no Wine on this machine, the Windows build is not tested"
  exit 0
fi

# Wine's own prefix in the build folder; its ANSI code page comes from the locale (1250 for
# Czech), and file names reach Linux as UTF-8 only under a UTF-8 locale.
build="$root/build-windows"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export VORLAXIS_WINE="$wine"
mkdir -p "$build"
# The window tests run once more under English, where the Czech letters need the Central
# European fonts the windows ask for. With LOCPATH set the system's locales are not looked at,
# so both are made there.
if ! locale -a 2>/dev/null | grep -qix 'cs_CZ.utf-\?8' ||
  ! locale -a 2>/dev/null | grep -qix 'en_US.utf-\?8'; then
  mkdir -p "$build/locale"
  for name in cs_CZ en_US; do
    [ -d "$build/locale/$name.UTF-8" ] ||
      localedef -i "$name" -f UTF-8 "$build/locale/$name.UTF-8" 2>/dev/null || true
  done
  export LOCPATH="$build/locale"
fi
export LC_ALL=cs_CZ.UTF-8

stop_wine() { wineserver -k >/dev/null 2>&1 || true; wineserver -w >/dev/null 2>&1 || true; }
trap stop_wine EXIT
stop_wine

# The prefix is made once (a few seconds); a machine where even that fails cannot run Wine.
if [ ! -d "$WINEPREFIX/dosdevices" ]; then
  if ! timeout 300 "$wine" cmd /c exit 0 >/dev/null 2>&1; then
    say "SKIPPED: Wine cannot run on this machine (creating its prefix failed)"
    exit 0
  fi
  stop_wine
fi

# Wine's own fonts in the prefix: this Wine does not look for them where Debian puts them, and
# without them every face falls back to a wider one that clips the captions.
cp -u /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true

# The end-to-end tree, reached from Windows as drive T:. The drives, and the label and serial
# files of T:, must be in place before the Wine server starts: it reads them once. Drive Z: (the whole Linux file system) moves to Y: so that tests
# may take Z:\ for a drive that does not exist, as on most Windows machines.
e2e="$build/e2e"
tree="$e2e/tree"
rm -rf "$e2e"
mkdir -p "$tree"
dosdevices="$WINEPREFIX/dosdevices"
[ -L "$dosdevices/z:" ] && mv -f "$dosdevices/z:" "$dosdevices/y:"
ln -sfn "$tree" "$dosdevices/t:"
# A second medium with unreadable files, served by the fault file system, as drive U:.
faulty="$e2e/faulty" backing="$e2e/backing"
mkdir -p "$faulty" "$backing/Čtení_chyb"
ln -sfn "$faulty" "$dosdevices/u:"

# The tree: Czech names, hidden and system files, a subfolder tree, names outside Windows-1250,
# an empty file and a file another program holds open for writing. The label is longer than
# the 19 characters an old 20-character buffer could hold.
label="Zkušební médium s dlouhým jménem"
printf '%s' "$label" >"$tree/.windows-label"
printf '9abcdef0' >"$tree/.windows-serial"
printf 'hello\n' >"$tree/ascii.txt"
printf 'Příliš žluťoučký kůň úpěl ďábelské ódy\r\n' >"$tree/Příliš žluťoučký kůň.txt"
mkdir -p "$tree/Čtení/hluboko/ještě hlouběji" "$tree/Čtení/prázdná" "$tree/b"
head -c 300000 /dev/urandom >"$tree/Čtení/úpěl.bin"
head -c 70000 /dev/urandom >"$tree/Čtení/hluboko/ještě hlouběji/data.bin"
: >"$tree/Čtení/hluboko/prázdný.txt"
printf 'b' >"$tree/b/b.txt"
printf 'dot' >"$tree/.tečka"
printf 'hidden' >"$tree/skrytý.txt"
printf 'system' >"$tree/systém.sys"
printf 'both' >"$tree/b/obojí.dat"
printf 'japanese' >"$tree/日本語.txt"
printf 'greek' >"$tree/Ωmega.txt"
printf 'written by another program\r\n' >"$tree/zapisovaný.log"
mkdir -p "$tree/日本語 složka"
printf 'x' >"$tree/日本語 složka/soubor.txt"
# One warm-up run outside ctest, then the server stays: each test program then starts in a
# fraction of a second instead of seconds.
wineserver -p </dev/null >/dev/null 2>&1 &
if ! timeout 300 "$wine" cmd /c exit 0 >/dev/null 2>&1; then
  say "SKIPPED: Wine cannot run on this machine (its first program did not start)"
  exit 0
fi

# Without a window manager (Xvfb) Wine would wait two seconds for every hidden window of the
# window tests to be withdrawn; unmanaged windows are hidden at once.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# Windows opens ".txt" documents ("whatsnew.txt", the logs) with Notepad; a Wine prefix has no
# such association until it is given one.
"$wine" reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null 2>&1

say "building the Windows programs and tests"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
say "running the core tests under Wine"
ctest --preset windows -j "$jobs" --timeout 600 -E '^win32_tests$'
# The window tests on a Wine server of their own: one left by a program started without the
# virtual display keeps a desktop without one, and no window could be created on it.
stop_wine
say "running the window tests under Wine"
ctest --preset windows --timeout 600 -R '^win32_tests$'
# Only the controls' and the typing tests under English: a server of its own for the locale.
stop_wine
say "running the window tests of the controls and of typing under an English locale"
LC_ALL=en_US.UTF-8 LANG=en_US.UTF-8 GTEST_FILTER='Win32ControlsTest.*:*Typed*' \
  ctest --preset windows --timeout 600 -R '^win32_tests$'

say "building the Linux vorlaxis-check for the comparison"
cmake --preset default >/dev/null
cmake --build --preset default -j "$jobs" --target vorlaxis-check vorlaxis-faultfs

# One server for the rest, as for the core tests: it does not quit and restart between programs.
wineserver -p </dev/null >/dev/null 2>&1 &

# The hidden and system attributes (Wine keeps them in extended attributes).
"$wine" cmd /c 'attrib +h T:\skrytý.txt & attrib +s T:\systém.sys & attrib +h +s T:\b\obojí.dat' \
  >/dev/null
attributes=$("$wine" cmd /c 'attrib T:\skrytý.txt & attrib T:\systém.sys & attrib T:\b\obojí.dat')
if [ "$(grep -c ' H \|HS \|S ' <<<"$attributes")" -ne 3 ]; then
  say "FAILED: the hidden and system attributes could not be set:"$'\n'"$attributes"
  exit 1
fi

say "end-to-end: Linux run"
linux_log="$e2e/linux.log"
set +e
build/cli/vorlaxis-check --log "$linux_log" "$tree" >/dev/null
linux_rc=$?
set -e

say "end-to-end: Windows run with a file held open for writing"
ready="$e2e/ready" release="$e2e/release"
"$wine" build-windows/tests/platform/vorlaxis-hold-open.exe 'T:\zapisovaný.log' \
  "Y:${ready//\//\\}" "Y:${release//\//\\}" &
holder=$!
for _ in $(seq 300); do [ -e "$ready" ] && break; sleep 0.1; done
[ -e "$ready" ] || { say "FAILED: the holding program did not open the file"; exit 1; }
windows_log="$e2e/windows.log"
set +e
"$wine" build-windows/cli/vorlaxis-check.exe --log "Y:${windows_log//\//\\}" 'T:\' >/dev/null
windows_rc=$?
set -e
touch "$release"
wait "$holder"

# ---------------------------------------------------------------------------------------------
# Comparison: both logs are Windows-1250 with CR LF; dates, times, the medium's identity and
# the form of paths are each system's own.
fail() { say "FAILED: $*"; exit 1; }
[ "$linux_rc" -eq 0 ] || fail "the Linux run reported $linux_rc"
[ "$windows_rc" -eq 0 ] || fail "vorlaxis-check.exe reported $windows_rc"
for log in "$linux_log" "$windows_log"; do
  [ -s "$log" ] || fail "no log $log"
  lines=$(tr -cd '\n' <"$log" | wc -c)
  crlf=$(grep -c $'\r$' "$log" || true)
  [ "$lines" -eq "$crlf" ] || fail "$log: not every line ends in CR LF"
done
normalise() {
  iconv -f WINDOWS-1250 -t UTF-8 "$1" | sed -e 's/\r$//' \
    -e 's/^\(Datum testu: \).*\(, start testu: \).*$/\1<datum>\2<čas>/' \
    -e 's/^\(  test úspěšně dokončen \).*$/\1<datum, čas>/' \
    -e 's/^\(  test přerušen uživatelem \).*$/\1<datum, čas>/' \
    -e 's/^\(  jméno média:  *\).*$/\1<jméno>/' \
    -e 's/^\(  sériové číslo média: \).*$/\1<číslo>/' \
    -e "s|$2|<kořen>/|g" -e '/nelze přečíst$/ s|\\|/|g'
}
normalise "$linux_log" "$tree/" >"$e2e/linux.txt"
normalise "$windows_log" 'T:\\' >"$e2e/windows.txt"
if ! diff -u "$e2e/linux.txt" "$e2e/windows.txt"; then
  fail "the Windows log differs from the Linux log (above)"
fi
windows_text=$(iconv -f WINDOWS-1250 -t UTF-8 "$windows_log")
grep -qx "  jméno média:         $label"$'\r' <<<"$windows_text" ||
  fail "the Windows log does not name the medium \"$label\""
grep -qx $'  sériové číslo média: 9ABCDEF0\r' <<<"$windows_text" ||
  fail "the Windows log does not carry the serial number 9ABCDEF0"
grep -qx $'  počet souborů:       16\r' <<<"$windows_text" ||
  fail "the Windows log does not count the 16 files (hidden and system files included)"
grep -q "žádné problémy při čtení souborů" <<<"$windows_text" ||
  fail "the Windows run found unreadable files"

# The second medium: a read error inside a file, a file that cannot be opened, and names that
# Windows-1250 cannot hold. Both systems read it through the same fault file system, so the
# failure lines must match too, apart from the form of the paths.
head -c 100000 /dev/urandom >"$backing/Čtení_chyb/vadný_soubor_ž.bin"
printf 'never opened' >"$backing/日本語_vadný.txt"
printf 'fine' >"$backing/v pořádku.txt"
printf '%s\n' 'read-error /Čtení_chyb/vadný_soubor_ž.bin 50000 10' \
  'open-error /日本語_vadný.txt EIO' >"$e2e/faults.conf"
build/tests/faultfs/vorlaxis-faultfs "$backing/" "$faulty/" --config "$e2e/faults.conf" \
  -f -o auto_unmount </dev/null >/dev/null 2>&1 &
faultfs=$!
for _ in $(seq 100); do mountpoint -q "$faulty" && break; sleep 0.1; done
mountpoint -q "$faulty" || fail "the fault file system could not be mounted"
set +e
build/cli/vorlaxis-check --log "$e2e/linux-faults.log" "$faulty" >/dev/null
linux_rc=$?
"$wine" build-windows/cli/vorlaxis-check.exe --log "Y:${e2e//\//\\}\\windows-faults.log" 'U:\' \
  >/dev/null
windows_rc=$?
set -e
fusermount3 -u "$faulty" 2>/dev/null || umount "$faulty" 2>/dev/null || true
wait "$faultfs" 2>/dev/null || true
[ "$linux_rc" -eq 1 ] || fail "the Linux run over the faulty medium reported $linux_rc, not 1"
[ "$windows_rc" -eq 1 ] || fail "vorlaxis-check.exe over the faulty medium reported $windows_rc"
normalise "$e2e/linux-faults.log" "$faulty/" >"$e2e/linux-faults.txt"
normalise "$e2e/windows-faults.log" 'U:\\' >"$e2e/windows-faults.txt"
if ! diff -u "$e2e/linux-faults.txt" "$e2e/windows-faults.txt"; then
  fail "over the faulty medium the Windows log differs from the Linux log (above)"
fi
grep -qx '  "<kořen>/???_vadný.txt" nelze přečíst' "$e2e/windows-faults.txt" ||
  fail "the name outside Windows-1250 is not in the Windows log as \"???\""
grep -qx '  počet chybých souborů: 2' "$e2e/windows-faults.txt" ||
  fail "the Windows log does not count the 2 unreadable files"

# A location named outside the ANSI code page reaches the program whole (wide command line).
# A failure here was seen once in CI and never again in hundreds of runs: its exit status and
# output are printed, and one more try tells a fault in the arguments (it fails again) from a
# passing fault of the machine (it is reported and the stage goes on).
single_run() {
  set +e
  single=$("$wine" build-windows/cli/vorlaxis-check.exe --mode open 'T:\日本語 složka' 2>&1 | tr -d '\r')
  single_rc=$?  # with pipefail, the program's own status
  set -e
}
single_run
if [ "$single_rc" -ne 0 ]; then
  say "vorlaxis-check.exe over 'T:\日本語 složka' reported $single_rc, printing:"$'\n'"$single"
  single_run
  [ "$single_rc" -eq 0 ] ||
    fail "vorlaxis-check.exe could not test 'T:\日本語 složka' ($single_rc):"$'\n'"$single"
  say "WARNING: the second try passed; the first failure above came from outside the program's arguments"
fi
grep -q "^  počet souborů:       1$" <<<"$single" ||
  fail "vorlaxis-check.exe did not find the file in 'T:\日本語 složka'"

# The zip and the installer, installed and removed again in a Wine prefix of their own.
stop_wine
bash scripts/test-win-package.sh build-windows

say "passed in $(($(date +%s) - started)) s (core tests under Wine, logs identical)"
