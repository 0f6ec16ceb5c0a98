#!/usr/bin/env bash
# Builds a static Qt 6 for 64-bit Windows (MinGW-w64, posix threads) from Debian's own qt6-base source,
# the same version as the Linux Qt, whose host tools (moc, rcc, uic) serve the cross build.
#   bash scripts/build_qt_mingw.sh
# The kit goes to ${XDG_CACHE_HOME:-$HOME/.cache}/zarkent/qt-<version>-mingw-<hash>, where the hash
# covers this script, cmake/mingw-w64.cmake and the patches in scripts/qt-mingw/ (if any): a second run
# with the same inputs finds the kit complete and stops at once. The last line printed is the kit's path.
# Only the parts the window program uses are built: Core, Gui, Widgets, Test and the windows and
# offscreen platform plugins. A clean build takes about 25 minutes on two cores.
set -euo pipefail
script=$(realpath "$0")
cd "$(dirname "$script")/.."
root=$(pwd)
toolchain=$root/cmake/mingw-w64.cmake
patches=()
if [ -d "$root/scripts/qt-mingw" ]; then
    while IFS= read -r -d '' p; do patches+=("$p"); done \
        < <(find "$root/scripts/qt-mingw" -maxdepth 1 -name '*.patch' -print0 | sort -z)
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
need=(ninja-build dpkg-dev cmake qt6-base-dev qt6-base-dev-tools g++-mingw-w64-x86-64-posix)
missing=()
for p in "${need[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The source version is the Linux Qt's: its host tools must match the target libraries exactly.
deb_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
qt_version=${deb_version%%+*}
qt_version=${qt_version%%-*}

hash=$( (echo "$deb_version"; cat "$script" "$toolchain"; [ "${#patches[@]}" -eq 0 ] || cat "${patches[@]}") \
        | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/zarkent
kit=$cache/qt-$qt_version-mingw-$hash
if [ -f "$kit/.complete" ] && [ -x "$kit/bin/qt-cmake" ]; then
    echo "$kit"
    exit 0
fi

# Work folder beside the kit; kept after a failure so that a new run resumes the build where it stopped.
work=$kit.work
mkdir -p "$work"

# apt with a configuration of its own: one deb-src line for the address and suite of the machine's
# Debian entry, private lists and cache. The machine's own sources are not touched.
sources=/etc/apt/sources.list.d/debian.sources
uri=$(awk '/^URIs:/ {print $2; exit}' "$sources")
suite=$(awk '/^Suites:/ {print $2; exit}' "$sources")
if [ -z "$uri" ] || [ -z "$suite" ]; then
    echo "build_qt_mingw.sh: no Debian address or suite in $sources" >&2
    exit 1
fi
apt_dir=$work/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
echo "deb-src $uri $suite main" >"$apt_dir/sources.list"
apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
          -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")

src_dir=$work/qtbase-$qt_version
if [ ! -f "$src_dir/.unpacked" ]; then
    rm -rf "$src_dir" "$work/download"
    mkdir -p "$work/download"
    apt-get "${apt_opts[@]}" update -qq
    (cd "$work/download" && apt-get "${apt_opts[@]}" source --download-only "qt6-base=$deb_version")
    # Upstream source as Debian ships it; Debian's own patches (Linux packaging) are not applied.
    dpkg-source --skip-patches -x "$work/download/qt6-base_${deb_version#*:}.dsc" "$src_dir"
    for p in "${patches[@]}"; do
        patch -d "$src_dir" -p1 --forward <"$p"
    done
    touch "$src_dir/.unpacked"
fi

# Tablet events stay off: the windows plugin would include wintab.h, which Debian's source leaves out.
# OpenGL stays on (loaded at run time): 6.4.2's windows plugin does not compile without it.
build=$work/build
cmake -S "$src_dir" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$kit" -DBUILD_SHARED_LIBS=OFF -DCMAKE_BUILD_TYPE=Release \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_freetype=OFF \
    -DFEATURE_fontconfig=OFF -DFEATURE_jpeg=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_opengl=ON >"$work/configure.log" 2>&1 || { tail -n 60 "$work/configure.log" >&2; exit 1; }
cmake --build "$build" --parallel 2
rm -rf "$kit"
cmake --install "$build" >"$work/install.log"
touch "$kit/.complete"
rm -rf "$work"
echo "$kit"
