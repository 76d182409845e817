#!/usr/bin/env bash
# Prints the path of the Qt for Windows archive the Windows stage builds
# against, taken from the first of: $QUORVANE_QT_MINGW_ARCHIVE, the shared
# folder beside this clone, the user's cache; else it is built from Debian's
# sources into that cache (once). Everything but the path goes to stderr.
set -euo pipefail
cd "$(dirname "$0")/.."
name=qt6-mingw-6.4.2.tar.xz
cached=${XDG_CACHE_HOME:-$HOME/.cache}/quorvane/$name
if [[ -n ${QUORVANE_QT_MINGW_ARCHIVE:-} ]]; then
  [[ -f $QUORVANE_QT_MINGW_ARCHIVE ]] || { echo "No Qt for Windows at $QUORVANE_QT_MINGW_ARCHIVE (QUORVANE_QT_MINGW_ARCHIVE)" >&2; exit 1; }
  echo "$QUORVANE_QT_MINGW_ARCHIVE"
elif [[ -f ../shared/qt6-mingw/$name ]]; then
  echo "../shared/qt6-mingw/$name"
elif [[ -f $cached ]]; then
  echo "$cached"
else
  {
    echo "No Qt for Windows was found (QUORVANE_QT_MINGW_ARCHIVE, ../shared/qt6-mingw/, $cached)."
    echo "It is built once from Debian's qt6-base and qt6-svg sources into $cached:"
    echo "some 1 300 compile steps, more than an hour on a 2-core machine."
  } >&2
  bash scripts/build_qt_mingw.sh "$cached" >&2
  echo "$cached"
fi
