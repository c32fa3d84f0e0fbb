#pragma once
// The driver library's fifteen entry points, found in a loaded library by name. Each member is
// named after its entry point without the "QVRDLL" prefix and has that entry point's type.
#include "platform/DynamicLibrary.h"
#include "plugin/qvrdll.h"

struct TDriverApi {
    decltype(&QVRDLLTypBiblioteki) TypBiblioteki = nullptr;
    decltype(&QVRDLLWlasciwosci) Wlasciwosci = nullptr;
    decltype(&QVRDLLRejestrujBiblioteke) RejestrujBiblioteke = nullptr;
    decltype(&QVRDLLRejestrujCallback) RejestrujCallback = nullptr;
    decltype(&QVRDLLZwolnijBiblioteke) ZwolnijBiblioteke = nullptr;
    decltype(&QVRDLLUstawJezykKomponentow) UstawJezykKomponentow = nullptr;
    decltype(&QVRDLLParametr) Parametr = nullptr;
    decltype(&QVRDLLTekstListyParametru) TekstListyParametru = nullptr;
    decltype(&QVRDLLSerKasJakSzukacParagonu) SerKasJakSzukacParagonu = nullptr;
    decltype(&QVRDLLSerKasOpisOkna) SerKasOpisOkna = nullptr;
    decltype(&QVRDLLSerKasPokazOkno) SerKasPokazOkno = nullptr;
    decltype(&QVRDLLWlasciwosciUrzadzenia) WlasciwosciUrzadzenia = nullptr;
    decltype(&QVRDLLSerKasNazwaZasobuDzielonego) SerKasNazwaZasobuDzielonego = nullptr;
    decltype(&QVRDLLSerKasOperacja) SerKasOperacja = nullptr;
    decltype(&QVRDLLSerKasPodtrzymajSesje) SerKasPodtrzymajSesje = nullptr;

    // Resolves every entry point; raises Exception naming the first one missing.
    void Resolve(const TDynamicLibrary& library);
};

// Where the driver library is: $VELKORA_LIBRARY, else <binDir>/<system file name>.
AnsiString DriverLibraryPath(const AnsiString& binDir);
