#!/usr/bin/env bash
# Builds the two release packages into build/packages (or OUTPUT_DIR):
#   velkora-VERSION-win64.zip            velkora.dll, velkora-host.exe and ecrsim.exe for 64-bit
#                                        Windows (mingw-w64, static runtime), README, samples
#   velkora-VERSION-linux-x86_64.tar.gz  bin/, lib/ (libvelkora.so.VERSION), include/, share/
#   usage: package.sh [OUTPUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-2}
out=${1:-build/packages}
mkdir -p "$out"
out=$(cd "$out" && pwd)

package() {  # package BUILD_DIR [CMAKE_OPTION...]: a Release build without tests, packed by CPack
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELKORA_TESTS=OFF "$@" >/dev/null
  cmake --build "$dir" -j"$JOBS"
  cpack --config "$dir/CPackConfig.cmake" -B "$out" >/dev/null
}

package build/package-linux
package build/package-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
rm -rf "$out/_CPack_Packages"
ls -1 "$out"/velkora-*.zip "$out"/velkora-*.tar.gz
