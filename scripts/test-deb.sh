#!/usr/bin/env bash
# The Debian package as a user meets it: builds it (twice: the same build must give the same
# bytes), checks its contents, manual pages, desktop entry and AppStream metadata and lets
# lintian check it (no error, no warning), installs it with dpkg, runs vorlaxis-check from the
# PATH on a small tree, starts the window program under Xvfb as an ordinary user and checks
# that its window appears, that it finds its documents beside its own file and that a folder
# given to it (as the desktop entry's %F does) is ticked for a test and not saved, then removes
# and purges the package and checks that nothing is left.
#
#   bash scripts/test-deb.sh [BUILD_DIR]      (default: build)
#
# Installing needs root (CI runs as root on a throwaway machine); otherwise only the package is
# built and checked. A "vorlaxis" package installed before is not touched: the test refuses.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
user=${VORLAXIS_DEB_USER:-vorlaxis-test}

fail() {
  echo "test-deb: $*" >&2
  exit 1
}

work=$(mktemp -d)
chmod 0755 "$work"
installed=0
created_user=0
xvfb_pid=
window_pid=
cleanup() {
  if [ -n "$window_pid" ]; then kill "$window_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  if [ "$installed" = 1 ]; then dpkg --purge vorlaxis >/dev/null 2>&1 || true; fi
  if [ "$created_user" = 1 ]; then userdel -r "$user" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# --- the package -------------------------------------------------------------------------
deb=$(bash scripts/make-deb.sh "$build" "$work/one")
again=$(bash scripts/make-deb.sh "$build" "$work/two")
cmp -s "$deb" "$again" || fail "two packages of the same build differ"
version=$("$build/cli/vorlaxis-check" --version | sed -n 's/^vorlaxis-check //p')

# Exactly these files, and nothing beside them.
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./|/|' | LC_ALL=C sort >"$work/files"
{
  printf '%s\n' /usr/bin/vorlaxis /usr/bin/vorlaxis-check \
    /usr/lib/vorlaxis/vorlaxis /usr/lib/vorlaxis/vorlaxis-check /usr/lib/vorlaxis/whatsnew.txt \
    /usr/share/applications/vorlaxis.desktop \
    /usr/share/icons/hicolor/scalable/apps/vorlaxis.svg \
    /usr/share/metainfo/org.example.zubrak.vorlaxis.metainfo.xml \
    /usr/share/man/man1/vorlaxis.1.gz /usr/share/man/man1/vorlaxis-check.1.gz \
    /usr/share/doc/vorlaxis/copyright /usr/share/doc/vorlaxis/changelog.gz \
    /usr/share/doc/vorlaxis/THIRD-PARTY
  (cd docs && find help -type f -printf '/usr/lib/vorlaxis/%p\n')
} | LC_ALL=C sort >"$work/expected"
diff -u "$work/expected" "$work/files" || fail "the package holds other files than expected"

dpkg-deb --contents "$deb" >"$work/contents"
grep -q ' ./usr/bin/vorlaxis -> ../lib/vorlaxis/vorlaxis$' "$work/contents" ||
  fail "/usr/bin/vorlaxis is no link to the program"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
[[ "$(dpkg-deb -f "$deb" Depends)" == *libqt6widgets6* ]] || fail "Depends lacks the Qt libraries"

dpkg-deb -x "$deb" "$work/root"
appstreamcli validate --no-net --pedantic \
  "$work/root/usr/share/metainfo/org.example.zubrak.vorlaxis.metainfo.xml" >"$work/appstream" ||
  { cat "$work/appstream" >&2; fail "AppStream metadata refused"; }
desktop-file-validate "$work/root/usr/share/applications/vorlaxis.desktop" ||
  fail "desktop entry refused"
grep -qx 'Exec="/usr/lib/vorlaxis/vorlaxis" %F' "$work/root/usr/share/applications/vorlaxis.desktop" ||
  fail "desktop entry does not start the installed program with the folders it is given"
grep -qx 'MimeType=inode/directory;' "$work/root/usr/share/applications/vorlaxis.desktop" ||
  fail "desktop entry is not offered for folders and mounted media"
grep -q '<project_license>GPL-3.0-or-later</project_license>' \
  "$work/root/usr/share/metainfo/org.example.zubrak.vorlaxis.metainfo.xml" ||
  fail "AppStream metadata names no licence"
! grep -rIl 'https\?://[a-z.]*example\.' "$work/root" "$work/contents" >"$work/placeholders" ||
  { cat "$work/placeholders" >&2; fail "the package names a placeholder address"; }
lintian --fail-on error,warning "$deb" >"$work/lintian" 2>&1 ||
  { cat "$work/lintian" >&2; fail "lintian found errors or warnings"; }
for page in vorlaxis vorlaxis-check; do
  zcat "$work/root/usr/share/man/man1/$page.1.gz" | LC_ALL=C.UTF-8 groff -man -ww -z 2>"$work/groff"
  [ ! -s "$work/groff" ] || { cat "$work/groff" >&2; fail "manual page $page has faults"; }
done
zgrep -q '^\.B bytes_read' "$work/root/usr/share/man/man1/vorlaxis-check.1.gz" ||
  fail "the manual page does not document the JSON result"
echo "test-deb: $deb built and checked"

if [ "$(id -u)" != 0 ]; then
  echo "test-deb: not root, so the package is not installed here"
  exit 0
fi
package_status() { dpkg-query -W -f='${Status}' vorlaxis 2>/dev/null || true; }
if [ "$(package_status)" = "install ok installed" ]; then
  fail "a vorlaxis package is installed already; remove it first (dpkg --purge vorlaxis)"
fi

# --- installed ---------------------------------------------------------------------------
installed=1
dpkg -i "$deb" >/dev/null
if ! id -u "$user" >/dev/null 2>&1; then
  useradd -m "$user"
  created_user=1
fi
home=$(getent passwd "$user" | cut -d: -f6)
# What the user's session would have: no variables of this shell's.
as_user() {
  runuser -u "$user" -- env -i HOME="$home" USER="$user" LANG=C.UTF-8 PATH="$work/bin:/usr/bin:/bin" "$@"
}

[ "$(as_user sh -c 'command -v vorlaxis-check')" = /usr/bin/vorlaxis-check ] ||
  fail "vorlaxis-check is not on the PATH"
[ "$(as_user vorlaxis-check --version)" = "vorlaxis-check $version" ] || fail "wrong --version"
[ "$(as_user vorlaxis --version)" = "vorlaxis $version" ] || fail "wrong --version of vorlaxis"
as_user vorlaxis --help | grep -q '^Použití: vorlaxis \[UMÍSTĚNÍ\.\.\.\]' ||
  fail "vorlaxis --help says no usage"
# No display: a word that points to the program without a window, and status 1.
status=0
as_user vorlaxis >/dev/null 2>"$work/nodisplay" || status=$?
[ "$status" = 1 ] && grep -q vorlaxis-check "$work/nodisplay" ||
  fail "without a display vorlaxis ended with $status: $(cat "$work/nodisplay")"

mkdir -p "$work/tree/sub"
printf 'abc' >"$work/tree/sub/a"
printf 'de' >"$work/tree/b"
chmod -R a+rX "$work/tree"
as_user vorlaxis-check --json - "$work/tree" >"$work/result.json" || fail "the small tree failed"
python3 - "$work/result.json" <<'EOF' || fail "unexpected JSON result"
import json, sys
location, = json.load(open(sys.argv[1]))["locations"]
expected = {"outcome": "ok", "files": 2, "directories": 2, "checksum": "01EF", "bytes_read": 5}
got = {key: location[key] for key in expected}
if got != expected:
    sys.exit(f"got {got}")
EOF

# The window program as an ordinary user. A stand-in for the desktop's opener records what
# "Co je nového?" opens: the program must find whatsnew.txt beside its own file.
mkdir -p "$work/bin"
cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$1" >"$work/own/opened"
EOF
chmod 0755 "$work/bin/xdg-open"
install -d -o "$user" "$work/own"
# -noreset: the display stays up when its last client (the first window) has gone.
Xvfb -displayfd 3 -ac -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
DISPLAY=:$(cat "$work/display")
export DISPLAY
as_user DISPLAY="$DISPLAY" vorlaxis >"$work/window.log" 2>&1 &
window=$(timeout 30 xdotool search --sync --onlyvisible --name "Vorlaxis v" | sed -n 1p) ||
  { cat "$work/window.log" >&2; fail "the main window did not appear"; }
window_pid=$(xdotool getwindowpid "$window")
[ "$(readlink "/proc/$window_pid/exe")" = /usr/lib/vorlaxis/vorlaxis ] ||
  fail "the window is not the installed program"
[ "$(stat -c %U "/proc/$window_pid")" = "$user" ] || fail "the window program does not run as $user"
xdotool windowfocus --sync "$window"
# Nápo&věda, then its third item "Co je nového?".
xdotool key --delay 150 alt+v Down Down Return
for _ in $(seq 100); do [ -s "$work/own/opened" ] && break; sleep 0.1; done
[ "$(cat "$work/own/opened" 2>/dev/null)" = /usr/lib/vorlaxis/whatsnew.txt ] ||
  fail "\"Co je nového?\" did not open /usr/lib/vorlaxis/whatsnew.txt"
kill "$window_pid"
window_pid=

# Opened with a folder, as the desktop entry's %F does: the folder is added and ticked alone,
# so "Spustit test" (Ctrl+S) tests it and nothing else (one temporary log, of its two files);
# closed untouched, the settings keep their own list and not the folder. The medium stays in
# its drive.
config=$home/.config/vorlaxis
install -d -o "$user" "$home/.config" "$config" "$work/own/tmp"
printf '[Application]\nEject media=0\n[Paths]\nPath0=/usr/share/doc/vorlaxis\nPath0Checked=1\n' \
  >"$config/Ulvenor.ini"
chown "$user" "$config/Ulvenor.ini" "$work/own/tmp"
as_user DISPLAY="$DISPLAY" TMPDIR="$work/own/tmp" vorlaxis "$work/tree/" >"$work/window.log" 2>&1 &
window=$(timeout 30 xdotool search --sync --onlyvisible --name "Vorlaxis v" | sed -n 1p) ||
  { cat "$work/window.log" >&2; fail "the main window did not appear with a folder"; }
window_pid=$(xdotool getwindowpid "$window")
xdotool windowfocus --sync "$window"
xdotool key ctrl+s
tested() {
  find "$work/own/tmp" -name 'tmplog*.txt' -exec iconv -f WINDOWS-1250 -t UTF-8 {} \; 2>/dev/null |
    grep -c 'test úspěšně dokončen' || true
}
for _ in $(seq 200); do [ "$(tested)" -ge 1 ] && break; sleep 0.1; done
logs=$(find "$work/own/tmp" -name 'tmplog*.txt')
[ "$(tested)" = 1 ] && [ "$(wc -l <<<"$logs")" = 1 ] ||
  { cat "$work/window.log" >&2; fail "not the given folder alone was tested: $logs"; }
iconv -f WINDOWS-1250 -t UTF-8 "$logs" | tr -d '\r' | grep -qx '  počet souborů:       2' ||
  fail "the test did not count the given folder's 2 files"
# "&Konec" (Alt+X), and Enter on its question's default button, Yes.
xdotool windowfocus --sync "$window"
xdotool key --delay 300 alt+x Return
for _ in $(seq 100); do kill -0 "$window_pid" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$window_pid" 2>/dev/null || fail "the window program did not end through \"&Konec\""
window_pid=
grep -q '^Xpos=' "$config/Ulvenor.ini" || fail "the settings were not written at the close"
grep -qx 'Path0=/usr/share/doc/vorlaxis' "$config/Ulvenor.ini" &&
  grep -qx 'Path0Checked=1' "$config/Ulvenor.ini" || fail "the saved list was changed"
! grep -qF "$work/tree" "$config/Ulvenor.ini" || fail "the folder given on the command line was saved"
echo "test-deb: installed; vorlaxis-check ran from the PATH, the window appeared as $user and tested the folder it was given"

# --- removed -----------------------------------------------------------------------------
dpkg -r vorlaxis >/dev/null
dpkg --purge vorlaxis >/dev/null 2>&1  # nothing is left to purge: the package has no conffiles
installed=0
case $(package_status) in *" installed" | *config-files) fail "still installed" ;; esac
while read -r file; do
  if [ -e "$file" ] || [ -L "$file" ]; then fail "$file is left after removal"; fi
done <"$work/files"
[ ! -e /usr/lib/vorlaxis ] || fail "/usr/lib/vorlaxis is left after removal"
echo "test-deb: removed and purged, nothing left"
