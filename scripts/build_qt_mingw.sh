#!/usr/bin/env bash
# Builds the Qt for the Windows build (Qt Base and Qt SVG 6.4.2, cross-built
# with mingw-w64) from Debian's own source packages, and packs it the way the
# Windows stage takes it: an archive that unpacks to a folder qt6-mingw/.
#
# Usage: scripts/build_qt_mingw.sh [ARCHIVE]
# ARCHIVE defaults to ${XDG_CACHE_HOME:-~/.cache}/quorvane/qt6-mingw-6.4.2.tar.xz.
# Each step leaves a mark in the work folder beside the archive, so a second
# run after a failure goes on from the step that failed.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
version=6.4.2
cache=${XDG_CACHE_HOME:-$HOME/.cache}/quorvane
archive=${1:-$cache/qt6-mingw-$version.tar.xz}
work=${QUORVANE_QT_MINGW_WORK:-$(dirname "$archive")/qt6-mingw-$version-work}
stage=$work/stage/qt6-mingw
mkdir -p "$work" "$(dirname "$archive")"
work=$(cd "$work" && pwd)
stage=$work/stage/qt6-mingw

say() { printf '[%4d s] %s\n' $((SECONDS - start)) "$*"; }
done_mark() { [[ -f $work/.done-$1 ]]; }
mark_done() { touch "$work/.done-$1"; }

if [[ -f $archive && -f $work/.done-archive ]]; then
  say "Qt for Windows is already built: $archive"
  exit 0
fi

say "Building Qt $version for Windows from Debian's sources into $archive (work folder $work)"
bash scripts/setup.sh dpkg-dev g++-mingw-w64-x86-64 cmake ninja-build perl python3 xz-utils \
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev

# The sources: Debian's qt6-base and qt6-svg of the release this machine runs,
# fetched through a deb-src entry that exists only while this script runs.
source_list=/etc/apt/sources.list.d/quorvane-qt-sources.sources
remove_source_list() { [[ -f $source_list ]] || return 0; rm -f "$source_list"; apt-get update -qq || true; }
trap remove_source_list EXIT
# Fetches and unpacks (with Debian's patches) source package $1 into $work/$2.
unpack_source() {
  local package=$1 folder=$2
  done_mark "source-$package" && return 0
  say "Fetching the source package $package"
  if [[ ! -f $source_list ]]; then
    # The same archives and suites the machine already uses for binaries.
    local uris suites
    uris=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
    suites=$(awk '/^Suites:/ {$1=""; print; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
    printf 'Types: deb-src\nURIs: %s\nSuites:%s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "${uris:-http://deb.debian.org/debian}" "${suites:- bookworm}" >"$source_list"
    apt-get update -qq
  fi
  mkdir -p "$work/src"
  if ! (cd "$work/src" && apt-get source -qq --download-only "$package"); then
    echo "The source package $package could not be fetched from this machine's package archive (see above)." >&2
    exit 1
  fi
  local dsc
  dsc=$(ls "$work/src/${package}_$version"*.dsc 2>/dev/null | head -n 1)
  [[ -n $dsc ]] || { echo "No $package $version source package was found: $(ls "$work/src")" >&2; exit 1; }
  rm -rf "${work:?}/$folder"
  dpkg-source -q -x "$dsc" "$work/$folder"
  mark_done "source-$package"
}

toolchain=$work/mingw-w64-toolchain.cmake
cat >"$toolchain" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${CMAKE_CURRENT_LIST_DIR})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
host=(-DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)

# Both sources first: a missing one is said at once, not after the long build.
unpack_source qt6-base qtbase
unpack_source qt6-svg qtsvg
if ! done_mark qtbase; then
  say "Configuring Qt Base"
  # Only what the program uses: no OpenGL, SQL, printing, D-Bus, Vulkan, Xml,
  # Concurrent or OpenSSL (Network speaks TLS through Schannel); Debian's
  # source has no wintab.h, so no tablet events. Third-party libraries are Qt's own copies.
  cmake -S "$work/qtbase" -B "$work/build-qtbase" -G Ninja --log-level=WARNING \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DCMAKE_INSTALL_PREFIX="$stage" "${host[@]}" \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_tabletevent=OFF -DFEATURE_sql=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_dbus=OFF -DFEATURE_vulkan=OFF -DFEATURE_xml=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_openssl=OFF -DFEATURE_zstd=OFF -DFEATURE_pkg_config=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_doubleconversion=OFF >"$work/configure-qtbase.log"
  say "Building Qt Base (the long step)"
  cmake --build "$work/build-qtbase" >"$work/build-qtbase.log" || { tail -n 40 "$work/build-qtbase.log" >&2; exit 1; }
  cmake --install "$work/build-qtbase" >"$work/install-qtbase.log"
  mark_done qtbase
fi
if ! done_mark qtsvg; then
  say "Configuring and building Qt SVG"
  cmake -S "$work/qtsvg" -B "$work/build-qtsvg" -G Ninja --log-level=WARNING \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$stage" \
    -DCMAKE_INSTALL_PREFIX="$stage" "${host[@]}" -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    >"$work/configure-qtsvg.log"
  cmake --build "$work/build-qtsvg" >"$work/build-qtsvg.log" || { tail -n 40 "$work/build-qtsvg.log" >&2; exit 1; }
  cmake --install "$work/build-qtsvg" >"$work/install-qtsvg.log"
  mark_done qtsvg
fi

say "Packing $archive"
cp "$toolchain" "$stage/"
cat >"$stage/README.md" <<EOF
# Qt $version for Windows (x86_64-w64-mingw32), cross-built

Built by Quorvane's scripts/build_qt_mingw.sh from Debian's source packages
$(cd "$work/src" && ls qt6-base_*.dsc qt6-svg_*.dsc | sed 's/\.dsc$//' | tr '\n' ' ')
with x86_64-w64-mingw32-g++-posix; shared, release. Configure a project with
-DCMAKE_PREFIX_PATH=<this folder> -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
and the toolchain file mingw-w64-toolchain.cmake of this folder. Qt is available under the LGPL v3 (LICENSES/).
EOF
tar -cJf "$archive.part" -C "$work/stage" qt6-mingw
mv "$archive.part" "$archive"
mark_done archive
say "Done: $archive ($(du -h "$archive" | cut -f1)) in $((SECONDS - start)) s"
