#!/usr/bin/env bash
# Checks that the driver library exports exactly the entry points declared in plugin/qvrdll.h,
# that the header is plain C (it is compiled as C for the library's platform), and, for the DLL,
# that it is a 64-bit PE that needs no MinGW runtime DLLs.
set -euo pipefail
export LC_ALL=C
lib=$1
header=$(realpath -m --relative-to=. "$(dirname "$0")/../plugin/qvrdll.h")
expected=$(sed -nE 's/.*QVRDLL_CALL (QVRDLL[A-Za-z]+)\(.*/\1/p' "$header" | sort)
case "$lib" in
  *.dll)
    cc=x86_64-w64-mingw32-gcc-posix
    dump=$(x86_64-w64-mingw32-objdump -p "$lib")
    grep -q 'file format pei-x86-64' <<<"$dump" || { echo "$lib is not PE32+ x86-64"; exit 1; }
    grep -q 'Magic.*020b' <<<"$dump" || { echo "$lib is not PE32+"; exit 1; }
    actual=$(awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[ \t]*\[/{print $NF;next} {t=0}' <<<"$dump" | sort)
    if grep -qiE 'DLL Name: (libstdc\+\+|libgcc|libwinpthread)' <<<"$dump"; then
      echo "$lib needs MinGW runtime DLLs"; exit 1
    fi
    ;;
  *)
    cc=gcc
    actual=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort)
    ;;
esac
for exporting in "" -DQVRDLL_EXPORTS; do
  "$cc" -std=c99 -pedantic -Wall -Wextra -Werror -fsyntax-only $exporting -x c "$header" ||
    { echo "$header is not plain C"; exit 1; }
done
if [ "$actual" != "$expected" ]; then
  echo "$lib exports differ from the entry points of $header:"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
echo "$lib: exactly the $(wc -l <<<"$expected") QVRDLL entry points of $header"
