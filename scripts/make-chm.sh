#!/usr/bin/env bash
# Builds the Windows help file "qantrel.chm" from the same HTML pages as the Linux help, with
# chmcmd (Debian's fp-utils). Part of making the Windows package, not of the test run.
#   scripts/make-chm.sh [DOCS_HELP_FOLDER] [OUTPUT]   (defaults: docs/help, build-windows/qantrel.chm)
set -euo pipefail
cd "$(dirname "$0")/.."
pages=$(realpath "${1:-docs/help}")
output=$(realpath -m "${2:-build-windows/qantrel.chm}")
[ -f "$pages/uvod.htm" ] || { echo "make-chm: no help pages in $pages" >&2; exit 1; }
if ! command -v chmcmd >/dev/null; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get install -y -qq --no-install-recommends fp-utils >/dev/null
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$pages"/. "$work/"
# Names inside the file, the topics the program asks for ("/konfig/konfig.htm") and the
# context aliases all use forward slashes: the help viewer finds nothing by "konfig\konfig.htm".
files=$(cd "$work" && find . -type f ! -name '*.hhp' | sed 's|^\./||' | LC_ALL=C sort)
{
  printf '[OPTIONS]\r\nCompatibility=1.1 or later\r\nCompiled file=qantrel.chm\r\n'
  printf 'Default topic=uvod.htm\r\nDisplay compile progress=No\r\nLanguage=0x405 Czech\r\n'
  printf 'Title=Vorlaxis\r\n\r\n[FILES]\r\n'
  while IFS= read -r name; do printf '%s\r\n' "$name"; done <<<"$files"
  printf '\r\n[ALIAS]\r\nIDH_UVOD=uvod.htm\r\nIDH_KONFIG=konfig/konfig.htm\r\n'
  printf 'IDH_TEST=test.htm\r\nIDH_NAPOVEDA=napoveda.htm\r\n'
  printf '\r\n[MAP]\r\n#define IDH_UVOD 1\r\n#define IDH_KONFIG 2\r\n'
  printf '#define IDH_TEST 3\r\n#define IDH_NAPOVEDA 4\r\n'
} >"$work/qantrel.hhp"
(cd "$work" && chmcmd --verbosity 0 qantrel.hhp >/dev/null)
mkdir -p "$(dirname "$output")"
mv "$work/qantrel.chm" "$output"
echo "make-chm: $output"
