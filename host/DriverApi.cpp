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

// One name per entry point: the symbol, the member and the member's type all come from it.
#define FIND(entry) Find<decltype(&QVRDLL##entry)>(library, "QVRDLL" #entry, entry)
void TDriverApi::Resolve(const TDynamicLibrary& library) {
    FIND(TypBiblioteki);
    FIND(Wlasciwosci);
    FIND(RejestrujBiblioteke);
    FIND(RejestrujCallback);
    FIND(ZwolnijBiblioteke);
    FIND(UstawJezykKomponentow);
    FIND(Parametr);
    FIND(TekstListyParametru);
    FIND(SerKasJakSzukacParagonu);
    FIND(SerKasOpisOkna);
    FIND(SerKasPokazOkno);
    FIND(WlasciwosciUrzadzenia);
    FIND(SerKasNazwaZasobuDzielonego);
    FIND(SerKasOperacja);
    FIND(SerKasPodtrzymajSesje);
}
#undef FIND

AnsiString DriverLibraryPath(const AnsiString& binDir) {
    if (const char* path = std::getenv("VELKORA_LIBRARY")) {
        if (*path) return path;
    }
    return IncludeTrailingPathDelimiter(binDir) + TDynamicLibrary::DriverFileName();
}
