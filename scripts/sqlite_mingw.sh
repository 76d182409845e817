#!/usr/bin/env bash
# Prints the folder of the SQLite the Windows build links (include/sqlite3.h and
# lib/libsqlite3.a, with FTS5), taken from the first of: $QUORVANE_SQLITE_MINGW,
# the shared folder beside this clone, the user's cache; else it is built once
# into that cache from Debian's sqlite3 source package: its single-file
# amalgamation (made with tcl) compiled with mingw-w64. Everything but the path
# goes to stderr.
set -euo pipefail
cd "$(dirname "$0")/.."
version=3.40.1
name=sqlite-mingw-$version
cached=${XDG_CACHE_HOME:-$HOME/.cache}/quorvane/$name
found() { [[ -f $1/include/sqlite3.h && -f $1/lib/libsqlite3.a ]]; }
if [[ -n ${QUORVANE_SQLITE_MINGW:-} ]]; then
  found "$QUORVANE_SQLITE_MINGW" || { echo "No SQLite for Windows in $QUORVANE_SQLITE_MINGW (QUORVANE_SQLITE_MINGW)" >&2; exit 1; }
  echo "$QUORVANE_SQLITE_MINGW"
  exit 0
elif found "../shared/$name"; then
  echo "$(cd "../shared/$name" && pwd)"
  exit 0
elif found "$cached"; then
  echo "$cached"
  exit 0
fi

{
  echo "No SQLite for Windows was found (QUORVANE_SQLITE_MINGW, ../shared/$name, $cached)."
  echo "It is built once from Debian's sqlite3 source package into $cached."
  bash scripts/setup.sh dpkg-dev g++-mingw-w64-x86-64 tcl make gcc curl
  work=$(mktemp -d)
  source_list=/etc/apt/sources.list.d/quorvane-sqlite-sources.sources
  cleanup() {
    rm -rf "$work"
    [[ -f $source_list ]] || return 0
    rm -f "$source_list"
    apt-get update -qq || true
  }
  trap cleanup EXIT
  # The known source package straight from the archive's pool, its description
  # checked against the hash recorded here and its files against the description;
  # any other release through a deb-src entry that exists only while this script
  # runs (a slow index download).
  known=3.40.1-2+deb12u2
  known_dsc_sha256=ee3459ae9d00939741c7708fc1b8ce1bde12d8c3fb1dfa005bbbc8651d884e23
  pool=http://deb.debian.org/debian/pool/main/s/sqlite3
  fetched=
  if curl -fsS -o "$work/sqlite3_$known.dsc" "$pool/sqlite3_$known.dsc" &&
    [[ $(sha256sum <"$work/sqlite3_$known.dsc" | cut -d' ' -f1) == "$known_dsc_sha256" ]]; then
    fetched=1
    for file in $(awk '/^Files:/ {on = 1; next} /^[^ ]/ {on = 0} on {print $3}' "$work/sqlite3_$known.dsc"); do
      curl -fsS -o "$work/$file" "$pool/$file" || { fetched=; break; }
    done
  fi
  if [[ -z $fetched ]]; then
    rm -f "$work"/sqlite3_*
    uris=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
    suites=$(awk '/^Suites:/ {$1=""; print; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
    printf 'Types: deb-src\nURIs: %s\nSuites:%s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "${uris:-http://deb.debian.org/debian}" "${suites:- bookworm}" >"$source_list"
    apt-get update -qq
    (cd "$work" && apt-get source -qq --download-only sqlite3)
  fi
  dsc=$(ls "$work"/sqlite3_"$version"*.dsc | head -n 1)
  dpkg-source -q -x "$dsc" "$work/src"
  # The amalgamation is made by the source tree's own tcl scripts, on the build machine.
  (cd "$work/src" && ./configure -q >/dev/null && make -s sqlite3.c >/dev/null)
  mkdir -p "$work/out/include" "$work/out/lib"
  x86_64-w64-mingw32-gcc-posix -O2 -DSQLITE_ENABLE_FTS5 -DSQLITE_THREADSAFE=1 -DSQLITE_DQS=0 \
    -c "$work/src/sqlite3.c" -o "$work/sqlite3.o"
  x86_64-w64-mingw32-ar rcs "$work/out/lib/libsqlite3.a" "$work/sqlite3.o"
  cp "$work/src/sqlite3.h" "$work/out/include/"
  rm -rf "$cached"
  mkdir -p "$(dirname "$cached")"
  cp -r "$work/out" "$cached"
  echo "SQLite $version for Windows is in $cached"
} >&2
echo "$cached"
