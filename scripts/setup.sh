#!/usr/bin/env bash
# Installs the Debian packages Zarkent needs to build, run and test (Debian 12). Root or sudo.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
PACKAGES=(cmake make g++ pkg-config zlib1g-dev libgtest-dev qt6-base-dev qt6-base-dev-tools libgl-dev
          util-linux clang-format clang libclang-rt-14-dev pigz)
missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
