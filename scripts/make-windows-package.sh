#!/usr/bin/env bash
# The Windows packages: the portable vorlaxis-<version>-win64.zip (vorlaxis.exe,
# vorlaxis-check.exe, qantrel.chm, whatsnew.txt) and the installer
# vorlaxis-<version>-win64-setup.exe (NSIS), both in build-windows/package.
#   scripts/make-windows-package.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
for tool in makensis zip chmcmd; do
  command -v "$tool" >/dev/null || VORLAXIS_WITH_WINDOWS=1 bash scripts/install-deps.sh
done
cmake --preset windows >/dev/null
cmake --build --preset windows -j 2 --target vorlaxis vorlaxis-check
version=$(sed -n 's/^project(Vorlaxis VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="vorlaxis-$version-win64"
out="$root/build-windows/package"
stage="$out/$name"
rm -rf "$stage" "$out/$name.zip" "$out/$name-setup.exe"
mkdir -p "$stage"
cp build-windows/app/win32/vorlaxis.exe build-windows/cli/vorlaxis-check.exe docs/whatsnew.txt \
  "$stage/"
bash scripts/make-chm.sh docs/help "$stage/qantrel.chm"
(cd "$out" && zip -qrX "$name.zip" "$name")
makensis -V2 -DVERSION="$version" -DSOURCE="$stage" -DOUTFILE="$out/$name-setup.exe" \
  packaging/windows/vorlaxis.nsi
echo "make-windows-package: $out/$name.zip"
echo "make-windows-package: $out/$name-setup.exe"
