#!/usr/bin/env bash
# Makes the Windows zip from a cross build: quorvane.exe, the Qt DLLs it
# loads, the platform and style plugins, and the compiler's runtime DLLs.
# Nothing else: the program keeps Quorvane.ini beside itself once it runs.
# Usage: scripts/package_windows.sh [build-dir]   (prints the zip's path)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-${QUORVANE_WIN_BUILD_DIR:-build-win}}" && pwd)
qt=$build/qt6-mingw
program=$build/src/quorvane.exe
compiler=x86_64-w64-mingw32-g++-posix
[[ -f $program ]] || { echo "no program at $program" >&2; exit 1; }
[[ -d $qt/bin ]] || { echo "no Windows Qt at $qt" >&2; exit 1; }

# Where a DLL the program or a plugin names may come from; the system's own
# DLLs are found nowhere here and stay out of the zip.
find_dll() {
  local name=$1 found
  if [[ -f $qt/bin/$name ]]; then echo "$qt/bin/$name"; return 0; fi
  found=$("$compiler" -print-file-name="$name")
  [[ $found == */* && -f $found ]] && realpath "$found"
  return 0
}

# Qt finds its plugins in folders named by kind beside the program.
plugins=(platforms/qwindows.dll styles/qwindowsvistastyle.dll)

stage=$build/package/quorvane
rm -rf "$build/package"
mkdir -p "$stage"
cp "$program" "$stage/"
for p in "${plugins[@]}"; do
  [[ -f $qt/plugins/$p ]] || { echo "no Qt plugin $p in $qt/plugins" >&2; exit 1; }
  mkdir -p "$stage/$(dirname "$p")"
  cp "$qt/plugins/$p" "$stage/$p"
done

# Every DLL reachable from the program and its plugins, taken once.
queue=("$stage/quorvane.exe")
for p in "${plugins[@]}"; do queue+=("$stage/$p"); done
declare -A taken=()
while ((${#queue[@]})); do
  file=${queue[0]}
  queue=("${queue[@]:1}")
  while read -r name; do
    key=${name,,}
    [[ -n ${taken[$key]:-} ]] && continue
    taken[$key]=1
    source=$(find_dll "$name")
    [[ -n $source ]] || continue
    cp "$source" "$stage/$name"
    # The compiler's runtime DLLs come with their debugging symbols; the program needs none.
    [[ $source == "$qt"/* ]] || x86_64-w64-mingw32-strip --strip-debug "$stage/$name"
    queue+=("$stage/$name")
  done < <(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p')
done
for runtime in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
  [[ -f $stage/$runtime ]] || { echo "the program does not use $runtime: is it linked statically?" >&2; exit 1; }
done

zip=$build/quorvane-windows.zip
rm -f "$zip"
(cd "$build/package" && cmake -E tar cf "$zip" --format=zip quorvane)
echo "$zip"
