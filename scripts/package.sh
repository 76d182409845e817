#!/usr/bin/env bash
# Builds the Debian package (a release build of the program alone, with
# Debian's own optimisation and hardening flags; no debugging information,
# since the package strips it anyway) and prints its path.
# Usage: scripts/package.sh   (QUORVANE_PACKAGE_BUILD_DIR overrides build-package)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
bash scripts/setup.sh "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
build=${QUORVANE_PACKAGE_BUILD_DIR:-build-package}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags="$(dpkg-buildflags --get CXXFLAGS | sed 's/\(^\| \)-g\( \|$\)/ /') $(dpkg-buildflags --get CPPFLAGS)"
cmake --preset release -B "$build" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCMAKE_MODULE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" --target quorvane quorvane_package_docs >/dev/null
(cd "$build" && cpack -G DEB >/dev/null)
ls "$PWD/$build"/quorvane_*.deb
