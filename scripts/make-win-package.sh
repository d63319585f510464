#!/usr/bin/env bash
# Builds the Windows packages of Vorlaxis and prints their paths, the zip first:
#
#   bash scripts/make-win-package.sh [OUT_DIR]      (default: build-windows)
#
# Builds vorlaxis.exe and vorlaxis-check.exe with the windows preset (build-windows), then
# makes
#   vorlaxis-<version>-win64.zip        the portable program: the two programs, the help file
#                                       qantrel.chm, whatsnew.txt, LICENSE.txt and
#                                       THIRD-PARTY.txt, at the top of the zip
#                                       (Windows' "Extract All" makes the folder)
#   vorlaxis-<version>-win64-setup.exe  the NSIS installer (packaging/windows/vorlaxis.nsi)
# The version is the project's version in CMakeLists.txt. The programs are stripped; file times
# in the zip come from the last commit (chmcmd still writes the time of making into the help
# file, so two zips of one build differ there).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build="build-windows"
out=$(realpath -m "${1:-$build}")

VORLAXIS_WITH_WINDOWS=1 bash scripts/install-deps.sh
# Configured every time: chmcmd, installed after a first configuration, is found then.
cmake --preset windows >/dev/null
cmake --build "$build" -j2 --target vorlaxis vorlaxis-check >&2
[ -f "$build/app/win32/qantrel.chm" ] ||
  { echo "make-win-package: no qantrel.chm (is chmcmd installed?)" >&2; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "make-win-package: no project version in $build" >&2; exit 1; }
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || stat -c %Y CMakeLists.txt)}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/vorlaxis
cmake --install "$build" --prefix "$stage" --strip >/dev/null
# Exactly these files; anything else installed into the prefix is a fault of the build.
listed=$(cd "$stage" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')
[ "$listed" = "LICENSE.txt THIRD-PARTY.txt qantrel.chm vorlaxis-check.exe vorlaxis.exe whatsnew.txt " ] ||
  { echo "make-win-package: unexpected files installed: $listed" >&2; exit 1; }
chmod 0644 "$stage"/*
chmod 0755 "$stage" "$stage"/*.exe
find "$stage" -exec touch -h -d "@$epoch" {} +

mkdir -p "$out"
zip=$out/vorlaxis-$version-win64.zip
setup=$out/vorlaxis-$version-win64-setup.exe
rm -f "$zip" "$setup"
(cd "$stage" && TZ=UTC zip -q -X -9 "$zip" vorlaxis.exe vorlaxis-check.exe qantrel.chm whatsnew.txt \
  LICENSE.txt THIRD-PARTY.txt)

size_kb=$(du -sk --apparent-size "$stage" | cut -f1)
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" \
  -DSIZE_KB="$size_kb" "$root/packaging/windows/vorlaxis.nsi" >&2
echo "$zip"
echo "$setup"
