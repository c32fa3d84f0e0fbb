#!/usr/bin/env bash
# Checks that the driver library exports exactly the fifteen QVRDLL entry points
# (and, for the DLL, that it is a 64-bit PE that needs no MinGW runtime DLLs).
set -euo pipefail
export LC_ALL=C
lib=$1
expected="QVRDLLParametr
QVRDLLRejestrujBiblioteke
QVRDLLRejestrujCallback
QVRDLLSerKasJakSzukacParagonu
QVRDLLSerKasNazwaZasobuDzielonego
QVRDLLSerKasOpisOkna
QVRDLLSerKasOperacja
QVRDLLSerKasPodtrzymajSesje
QVRDLLSerKasPokazOkno
QVRDLLTekstListyParametru
QVRDLLTypBiblioteki
QVRDLLUstawJezykKomponentow
QVRDLLWlasciwosci
QVRDLLWlasciwosciUrzadzenia
QVRDLLZwolnijBiblioteke"
case "$lib" in
  *.dll)
    dump=$(x86_64-w64-mingw32-objdump -p "$lib")
    grep -q 'file format pei-x86-64' <<<"$dump" || { echo "$lib is not PE32+ x86-64"; exit 1; }
    grep -q 'Magic.*020b' <<<"$dump" || { echo "$lib is not PE32+"; exit 1; }
    actual=$(awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[ \t]*\[/{print $NF;next} {t=0}' <<<"$dump" | sort)
    if grep -qiE 'DLL Name: (libstdc\+\+|libgcc|libwinpthread)' <<<"$dump"; then
      echo "$lib needs MinGW runtime DLLs"; exit 1
    fi
    ;;
  *)
    actual=$(nm -D --defined-only "$lib" | awk '{print $3}' | sort)
    ;;
esac
expected=$(sort <<<"$expected")
if [ "$actual" != "$expected" ]; then
  echo "$lib exports differ from the fifteen entry points:"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
echo "$lib: exactly the fifteen QVRDLL entry points"
