#!/usr/bin/env bash
# Builds the Debian package of Vorlaxis and prints its path:
#
#   bash scripts/make-deb.sh [BUILD_DIR [OUT_DIR]]
#
# BUILD_DIR is a CMake build tree (default: build, configured with the default preset when it
# is missing); only the two programs are built in it. The package goes to OUT_DIR (default:
# BUILD_DIR). The programs, their help pages and "whatsnew.txt" lie together in
# /usr/lib/vorlaxis/, because the program finds its documents beside its own file; /usr/bin
# has links to the programs. The desktop entry, icon, AppStream metadata, manual pages and
# copyright go under /usr/share. The version is the one vorlaxis-check reports (the project's
# version in CMakeLists.txt); the files packaging/linux/*.in get it and the day of the last
# commit. File times come from the last commit too, so the same build gives the same package
# byte for byte.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-$build}

if [ ! -f "$build/CMakeCache.txt" ]; then
  if [ "$build" != build ]; then
    echo "make-deb: $build is not a configured build tree" >&2
    exit 2
  fi
  cmake --preset default >&2
fi
cmake --build "$build" --target vorlaxis vorlaxis-check >&2

version=$("$build/cli/vorlaxis-check" --version | sed -n 's/^vorlaxis-check //p')
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || stat -c %Y CMakeLists.txt)}
export SOURCE_DATE_EPOCH=$epoch
day=$(date -u -d "@$epoch" +%Y-%m-%d)
arch=$(dpkg --print-architecture)
maintainer="Zubrak <zubrak@example.org>"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
pkg=$work/debian/vorlaxis
lib=$pkg/usr/lib/vorlaxis
DESTDIR=$pkg cmake --install "$build" --prefix /usr/lib/vorlaxis --strip >/dev/null
# The desktop entry and icon were installed below the prefix; they belong under /usr/share.
mkdir -p "$pkg/usr/share" "$pkg/usr/bin"
cp -R "$lib/share/." "$pkg/usr/share/"
rm -rf "$lib/share"
ln -s ../lib/vorlaxis/vorlaxis "$pkg/usr/bin/vorlaxis"
ln -s ../lib/vorlaxis/vorlaxis-check "$pkg/usr/bin/vorlaxis-check"

fill() { sed -e "s/@VERSION@/$version/g" -e "s/@DATE@/$day/g" "packaging/linux/$1"; }
mkdir -p "$pkg/usr/share/man/man1" "$pkg/usr/share/metainfo" "$pkg/usr/share/doc/vorlaxis"
for page in vorlaxis vorlaxis-check; do
  fill "$page.1.in" | gzip -9n >"$pkg/usr/share/man/man1/$page.1.gz"
done
metainfo=org.example.zubrak.vorlaxis.metainfo.xml
fill "$metainfo.in" >"$pkg/usr/share/metainfo/$metainfo"
cp packaging/linux/copyright THIRD-PARTY "$pkg/usr/share/doc/vorlaxis/"
# The package's history: one entry for the version, dated by the last commit.
{
  printf 'vorlaxis (%s) unstable; urgency=medium\n\n' "$version"
  printf '  * Vorlaxis %s; what is new is in /usr/lib/vorlaxis/whatsnew.txt.\n\n' "$version"
  printf ' -- %s  %s\n' "$maintainer" "$(date -u -R -d "@$epoch")"
} | gzip -9n >"$pkg/usr/share/doc/vorlaxis/changelog.gz"

# Modes as a package has them, whatever the umask and the checkout gave.
find "$pkg" -type d -exec chmod 0755 {} +
find "$pkg" -type f -exec chmod 0644 {} +
chmod 0755 "$lib/vorlaxis" "$lib/vorlaxis-check"

# The shared libraries the programs link, as Debian's own tool names their packages (it knows
# the package's root by its DEBIAN folder).
mkdir -p "$pkg/DEBIAN"
printf 'Source: vorlaxis\n\nPackage: vorlaxis\nArchitecture: any\n' >"$work/debian/control"
depends=$(cd "$work" && dpkg-shlibdeps -O -edebian/vorlaxis/usr/lib/vorlaxis/vorlaxis \
  -edebian/vorlaxis/usr/lib/vorlaxis/vorlaxis-check | sed -n 's/^shlibs:Depends=//p')
# libcrypto and zlib are loaded only when a checksum file's hash or CRC is wanted, libblkid only
# when a device is probed, so the tool cannot see them.
depends="$depends, libssl3 | libssl3t64, zlib1g, libblkid1"

(cd "$pkg" && find usr -type f | LC_ALL=C sort | xargs md5sum) >"$pkg/DEBIAN/md5sums"
cat >"$pkg/DEBIAN/control" <<EOF
Package: vorlaxis
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $(du -sk "$pkg/usr" | cut -f1)
Depends: $depends
Recommends: qt6-translations-l10n, xdg-utils
Section: utils
Priority: optional
Description: test whether the files on a medium can still be read
 Vorlaxis walks the tree of each chosen location (a CD, a DVD, any drive or
 folder), opens and reads every file (all data, every 4th, 8th or 16th block,
 or only opening), shows the progress, speed and remaining time, and writes a
 test log with the medium's label and serial number, each unreadable file, a
 checksum of the data read and the outcome. Its texts are Czech.
 .
 vorlaxis-check runs the same test without a window, for scripts; it gives a
 JSON result.
EOF
chmod 0644 "$pkg/DEBIAN/md5sums" "$pkg/DEBIAN/control"
find "$pkg" -exec touch -h -d "@$epoch" {} +

mkdir -p "$out"
deb=$out/vorlaxis_${version}_$arch.deb
dpkg-deb --root-owner-group -Zxz --build "$pkg" "$deb" >/dev/null
echo "$deb"
