#!/usr/bin/env bash
# Builds velkora for Linux (with AddressSanitizer and UndefinedBehaviorSanitizer) and for
# 64-bit Windows, and runs every test: the Windows programs under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS=${JOBS:-2}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

scripts/check-layers.sh
scripts/check-format.sh

echo "== Linux build (sanitizers on)"
cmake -S . -B build/linux -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKORA_SANITIZE=ON >/dev/null
cmake --build build/linux -j"$JOBS"
scripts/check-exports.sh build/linux/libvelkora.so

echo "== Windows build (mingw-w64)"
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/windows -j"$JOBS"
scripts/check-exports.sh build/windows/velkora.dll

echo "== clang build of the fuzz targets (warnings as errors), a short run of each"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DVELKORA_FUZZ=ON -DVELKORA_TESTS=OFF >/dev/null
cmake --build build/fuzz -j"$JOBS"
for target in build/fuzz/fuzz/fuzz_*; do
  name=$(basename "$target" | sed 's/^fuzz_//')
  found=build/fuzz/runs/$name
  mkdir -p "$found"  # new inputs go here; the seeds in fuzz/corpus are only read
  seeds=(); [ -d "fuzz/corpus/$name" ] && seeds=("fuzz/corpus/$name")
  "$target" -max_total_time="${FUZZ_SECONDS:-20}" "$found" "${seeds[@]}" >"$found.log" 2>&1 ||
    { tail -40 "$found.log"; exit 1; }
  echo "fuzz_$name: no finding in ${FUZZ_SECONDS:-20} s"
done

echo "== Linux tests"
ctest --test-dir build/linux --output-on-failure
echo "== The sales import killed at moments spread over it (short form of scripts/crash-test.sh)"
scripts/crash-test.sh build/linux 6 40
echo "== Windows tests (Wine)"
wineboot --init >/dev/null 2>&1 || true
ctest --test-dir build/windows --output-on-failure

echo "== velkora.dll under Wine against the simulator (TCP/IP and COM5; the sales import over COM5)"
timeout 900 scripts/wine-connection-test.sh build/linux build/windows

echo "== Release packages (scripts/package.sh), each unpacked into an empty folder and run there"
scripts/package.sh
scripts/package-test.sh
