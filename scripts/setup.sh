#!/usr/bin/env bash
# Installs the Debian packages Zarkent needs to build, run and test (Debian 12). Root or sudo.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
PACKAGES=(cmake make g++ pkg-config zlib1g-dev libgtest-dev qt6-base-dev qt6-base-dev-tools libgl-dev
          qt6-translations-l10n
          util-linux clang-format clang libclang-rt-14-dev pigz
          desktop-file-utils shared-mime-info libglib2.0-bin dpkg-dev groff-base gzip
          # the window tests measure captions in this font
          fonts-dejavu-core
          # the Windows build (scripts/test_windows.sh): MinGW-w64, zlib and GoogleTest sources, Wine
          g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest wine wine64
          # its Qt kit built from Debian's source (scripts/build_qt_mingw.sh), the setup program, and
          # the window programs (this one, and under Wine) on a virtual display with a window manager
          ninja-build nsis xvfb xauth openbox xdotool imagemagick x11-utils)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
