#!/usr/bin/env bash
# Installs what Vorlaxis needs on Debian 12. Safe to run again: packages already present are
# left alone, and apt is asked only when something is missing.
#
#   bash scripts/install-deps.sh          building, running and testing (scripts/test.sh)
#   bash scripts/install-deps.sh --run    only building and running the two programs
#                                         (scripts/run.sh)
set -euo pipefail

# Building the two programs and running the window.
PACKAGES=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  # Qt's own Czech texts ("Ano", "Ne") and the dialog font the windows are laid out for.
  qt6-translations-l10n fonts-dejavu-core fonts-dejavu-extra
  libblkid-dev
  # Fingerprints (XXH3, header-only); libcrypto's headers for the checksum files found on
  # media.
  libxxhash-dev libssl-dev
)
if [ "${1:-}" != --run ]; then
  PACKAGES+=(
    qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools
    libgtest-dev libgmock-dev
    # xxh128sum for the tests.
    xxhash
    # Checksum lists as other tools write them, for the tests.
    rhash cksfv hashdeep
    libfuse3-dev fuse3
    clang libclang-rt-14-dev clang-format clang-tidy
    dosfstools exfatprogs ntfs-3g xorriso e2fsprogs util-linux udftools genisoimage
    xvfb xauth xdotool imagemagick
    # Where "Courier New" is found as "Nimbus Mono PS", as on most desktops: the viewer and its
    # test must hold there too.
    fonts-urw-base35
    python3 dpkg-dev appstream desktop-file-utils
    # xmllint: the speed graph must be well-formed SVG.
    libxml2-utils
    # The Debian package's own check.
    lintian
  )
fi
if [ "${VORLAXIS_WITH_WINDOWS:-0}" = 1 ]; then
  PACKAGES+=(g++-mingw-w64-x86-64-posix wine wine64 locales)
  # Wine's own fonts: "MS Sans Serif" as the windows were measured in, not a wider stand-in.
  PACKAGES+=(fonts-wine)
  # The Windows packages: the help file, the zip and the installer.
  PACKAGES+=(fp-utils zip unzip nsis)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "install-deps: installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
