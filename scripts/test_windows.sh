#!/usr/bin/env bash
# The Windows build: cross-compiles everything with MinGW-w64 and a static Qt 6 built from Debian's own
# qt6-base source (scripts/build_qt_mingw.sh; the first run builds that kit into the cache, which takes
# about 35 minutes on two cores, later runs reuse it), and runs the tests under Wine: the core's tests,
# the Windows platform tests, zarkent-cli.exe end to end with files crossing to and from the Linux
# zarkent-cli, the window tests (Qt's Windows platform plugin on a virtual display), and the setup
# program with zarkent.exe in a real window under a window manager (test_wine_e2e).
#   bash scripts/test_windows.sh [LINUX-ZARKENT-CLI]    (without one, a Linux zarkent-cli is built)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/setup.sh
started=$(date +%s)

linux_cli=${1:-}
if [ -z "$linux_cli" ]; then
    cmake -S . -B build-host -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZARKENT_CORE_ONLY=ON >/dev/null
    cmake --build build-host -j2 --target zarkent-cli
    linux_cli=$root/build-host/zarkent-cli
fi
linux_cli=$(realpath "$linux_cli")

# A fresh private Wine prefix of our own, no display; its server is the only one this script stops.
WINEPREFIX=$(mktemp -d)
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
# The prefix is set up once, while the build runs, so that the first test does not pay for it.
wineserver -p
wine cmd /c exit >"$WINEPREFIX.boot.log" 2>&1 &
boot=$!

kit_started=$(date +%s)
# Its progress shows in the log; the last line it prints is the kit's folder.
kit_log=$(mktemp)
bash scripts/build_qt_mingw.sh | tee "$kit_log" >&2
kit=$(tail -n1 "$kit_log")
rm -f "$kit_log"
echo "Qt kit for MinGW-w64: $kit ($(($(date +%s) - kit_started)) s)"
# The kit's toolchain finds Qt and chain-loads this checkout's MinGW toolchain (the kit may have been
# built from another checkout).
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE="$kit/lib/cmake/Qt6/qt.toolchain.cmake" \
      -DQT_CHAINLOAD_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DZARKENT_WERROR=ON -DZARKENT_LINUX_CLI="$linux_cli" >/dev/null
cmake --build build-win -j2

if ! wait "$boot"; then
    cat "$WINEPREFIX.boot.log"
    rm -f "$WINEPREFIX.boot.log"
    echo "test_windows.sh: Wine could not set up its prefix" >&2
    exit 1
fi
rm -f "$WINEPREFIX.boot.log"
(cd build-win && ctest --output-on-failure -j2 --timeout 300)
echo "Windows build and tests: $(($(date +%s) - started)) s"
