#include "host/DriverApi.h"

#include <cstdlib>

#include "platform/Exceptions.h"
#include "platform/Os.h"

namespace {
template <typename T>
void Find(const TDynamicLibrary& library, const char* name, T& slot) {
    void* symbol = library.Symbol(name);
    if (!symbol) throw Exception(AnsiString("The driver library has no entry point ") + name);
    slot = reinterpret_cast<T>(symbol);
}
}  // namespace

void TDriverApi::Resolve(const TDynamicLibrary& library) {
    Find(library, "QVRDLLTypBiblioteki", TypBiblioteki);
    Find(library, "QVRDLLWlasciwosci", Wlasciwosci);
    Find(library, "QVRDLLRejestrujBiblioteke", RejestrujBiblioteke);
    Find(library, "QVRDLLRejestrujCallback", RejestrujCallback);
    Find(library, "QVRDLLZwolnijBiblioteke", ZwolnijBiblioteke);
    Find(library, "QVRDLLUstawJezykKomponentow", UstawJezykKomponentow);
    Find(library, "QVRDLLParametr", Parametr);
    Find(library, "QVRDLLTekstListyParametru", TekstListyParametru);
    Find(library, "QVRDLLSerKasJakSzukacParagonu", SerKasJakSzukacParagonu);
    Find(library, "QVRDLLSerKasOpisOkna", SerKasOpisOkna);
    Find(library, "QVRDLLSerKasPokazOkno", SerKasPokazOkno);
    Find(library, "QVRDLLWlasciwosciUrzadzenia", WlasciwosciUrzadzenia);
    Find(library, "QVRDLLSerKasNazwaZasobuDzielonego", SerKasNazwaZasobuDzielonego);
    Find(library, "QVRDLLSerKasOperacja", SerKasOperacja);
    Find(library, "QVRDLLSerKasPodtrzymajSesje", SerKasPodtrzymajSesje);
}

AnsiString DriverLibraryPath(const AnsiString& binDir) {
    if (const char* path = std::getenv("VELKORA_LIBRARY")) {
        if (*path) return path;
    }
    return IncludeTrailingPathDelimiter(binDir) + TDynamicLibrary::DriverFileName();
}
