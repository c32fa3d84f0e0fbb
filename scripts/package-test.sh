#!/usr/bin/env bash
# The packages of scripts/package.sh as an integrator gets them, each unpacked into an empty
# folder outside the build tree (no library path of the build visible): the programs print the
# project's version, the library has its exports (and its soname on Linux), the Windows files
# import system DLLs only and the DLL's version resource reads back the version through the
# Windows version API; then, from the unpacked folder, the packaged host runs the connection
# test against the packaged simulator over TCP/IP (the Windows pair under Wine).
#   usage: package-test.sh [PACKAGE_DIR]   (default build/packages)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
packages=$(cd "${1:-$root/build/packages}" && pwd)
version=$(sed -nE 's/^project\(velkora VERSION ([0-9.]+).*/\1/p' "$root/CMakeLists.txt")
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
unset LD_LIBRARY_PATH
cmake --build "$root/build/package-windows" --target file_version_check >/dev/null
checker=$root/build/package-windows/file_version_check.exe

work=$(mktemp -d)
sim=""
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; rm -rf "$work"' EXIT

unpack() {  # unpack ARCHIVE: into an empty folder; prints the archive's top folder
  local into=$work/$(basename "$1")
  mkdir "$into"
  (cd "$into" && cmake -E tar xf "$1")
  echo "$into/$(ls "$into")"
}

connection() {  # connection FOLDER RUNNER HOST SIM REGISTER: the host's messages go to $work/out.txt
  local port r=0
  cd "$1"
  # A second start when the first gave no port: Wine on a loaded machine can be slow to come up.
  for attempt in 1 2; do
    $2 "$4" --tcp 0 --register "$5" >"$work/sim.txt" 2>"$work/sim-err.txt" &
    sim=$!
    for _ in $(seq 600); do [ -s "$work/sim.txt" ] && break; sleep 0.1; done
    port=$(head -n1 "$work/sim.txt" | tr -dc '0-9')
    [ -n "$port" ] && break
    echo "the simulator gave no port (attempt $attempt):" && cat "$work/sim-err.txt"
    kill "$sim" 2>/dev/null && wait "$sim" 2>/dev/null || true
  done
  [ -n "$port" ] || { cd "$root" && return 1; }
  for setting in "NovitusECRPort TCP/IP" "NovitusECRIpAddress 127.0.0.1" "NovitusECRIpPort $port"; do
    $2 "$3" set $setting
  done
  LD_DEBUG=libs $2 "$3" run test >"$work/out.txt" 2>&1 || r=$?
  kill "$sim" && wait "$sim" 2>/dev/null || true
  sim=""
  cd "$root"
  [ $r -eq 0 ] && grep -q 'kasa o numerze: 1' "$work/out.txt"
}

linux_case() {
  local top
  top=$(unpack "$packages/velkora-$version-linux-x86_64.tar.gz")
  [ "$("$top/bin/velkora-host" --version)" = "velkora-host $version" ] &&
    [ "$("$top/bin/ecrsim" --version)" = "ecrsim $version" ] &&
    readelf -d "$top/lib/libvelkora.so.$version" | grep -qF "soname: [libvelkora.so.${version%%.*}]" &&
    "$root/scripts/check-exports.sh" "$top/lib/libvelkora.so" &&
    connection "$top" "" bin/velkora-host bin/ecrsim share/velkora/demo-register.txt &&
    grep -q "calling init: $top/bin/../lib/libvelkora.so" "$work/out.txt"  # the unpacked library
}

windows_case() {
  local top imports
  top=$(unpack "$packages/velkora-$version-win64.zip")
  imports=$(x86_64-w64-mingw32-objdump -p "$top"/*.exe "$top"/*.dll | sed -n 's/.*DLL Name: //p' | sort -fu)
  echo "imported DLLs:" $imports
  ! grep -viE '^(kernel32|user32|gdi32|advapi32|ws2_32|msvcrt)\.dll$' <<<"$imports" &&
    [ "$(wine "$top/velkora-host.exe" --version | tr -d '\r')" = "velkora-host $version" ] &&
    [ "$(wine "$top/ecrsim.exe" --version | tr -d '\r')" = "ecrsim $version" ] &&
    wine "$checker" "$top/velkora.dll" "$version" | tr -d '\r' &&
    "$root/scripts/check-exports.sh" "$top/velkora.dll" &&
    connection "$top" wine velkora-host.exe ecrsim.exe 'samples\demo-register.txt'
}

failed=0
for case in linux_case windows_case; do
  if $case; then echo "ok: $case"; else failed=$((failed + 1)) && echo "FAILED: $case" && cat "$work/out.txt" || true; fi
done
[ "$failed" -eq 0 ]
