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
files=$(cd "$work" && find . -type f -name '*.htm' | sed 's|^\./||' | LC_ALL=C sort)

# The contents (a book per page, in reading order, its sections inside) and the index (every
# page and section title) from the pages' <h1> and <h2 id="..."> headings. The viewer reads
# both in the file's language's code page: Windows-1250 for Czech.
pages_in_order="uvod.htm test.htm konfig/konfig.htm napoveda.htm"
for page in $(cd "$work" && find . -name '*.htm' | sed 's|^\./||'); do
  grep -qw "$page" <<<"$pages_in_order" ||
    { echo "make-chm: $page is not in the contents (pages_in_order)" >&2; exit 1; }
done
# "page|anchor|title" for each heading; the anchor is empty for a page's <h1>.
headings() {
  for page in $pages_in_order; do
    sed -n -e "s|^.*<h1[^>]*>\(.*\)</h1>.*$|$page\|\|\1|p" \
      -e "s|^.*<h2 id=\"\([^\"]*\)\"[^>]*>\(.*\)</h2>.*$|$page\|\1\|\2|p" "$work/$page"
    if grep -q '<h2>' "$work/$page"; then
      echo "make-chm: $page has a section without an id" >&2
      return 1
    fi
  done
}
entry() {  # name, local
  printf '<LI><OBJECT type="text/sitemap"><param name="Name" value="%s"><param name="Local" value="%s"></OBJECT>\r\n' "$1" "$2"
}
sitemap_start='<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">\r\n<HTML><HEAD>\r\n<meta http-equiv="Content-Type" content="text/html; charset=windows-1250">\r\n</HEAD><BODY>\r\n'
list=$(headings)
{
  printf "$sitemap_start"
  printf '<OBJECT type="text/site properties"><param name="ImageType" value="Folder"></OBJECT>\r\n<UL>\r\n'
  sections=""  # the list of a book's sections is open
  while IFS='|' read -r page anchor title; do
    if [ -z "$anchor" ]; then
      [ -n "$sections" ] && printf '</UL>\r\n'
      sections=""
      entry "$title" "$page"
    else
      [ -z "$sections" ] && printf '<UL>\r\n'
      sections=1
      entry "$title" "$page#$anchor"
    fi
  done <<<"$list"
  [ -n "$sections" ] && printf '</UL>\r\n'
  printf '</UL>\r\n</BODY></HTML>\r\n'
} | iconv -f UTF-8 -t WINDOWS-1250 >"$work/qantrel.hhc"
collation=C
locale -a 2>/dev/null | grep -qix 'cs_CZ.utf-\?8' && collation=cs_CZ.UTF-8
{
  printf "$sitemap_start"
  printf '<UL>\r\n'
  while IFS='|' read -r page anchor title; do
    entry "$title" "$page${anchor:+#$anchor}"
  done < <(LC_ALL=$collation sort -t '|' -k3,3 <<<"$list")
  printf '</UL>\r\n</BODY></HTML>\r\n'
} | iconv -f UTF-8 -t WINDOWS-1250 >"$work/qantrel.hhk"

{
  printf '[OPTIONS]\r\nCompatibility=1.1 or later\r\nCompiled file=qantrel.chm\r\n'
  printf 'Contents file=qantrel.hhc\r\nIndex file=qantrel.hhk\r\n'
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
