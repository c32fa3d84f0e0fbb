// The fifteen entry points the host calls. No exception leaves this file: every failure
// ends as the documented result, a message for the host or, last of all, a message box.
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <set>

#include "driver/NovitusTexts.h"
#include "platform/Exceptions.h"
#include "platform/Os.h"
#include "platform/StringTools.h"
#include "plugin/NovitusLibrary.h"
#include "plugin/qvrdll.h"

namespace {
const char* const kCls = "TQxLibrary";

// Library objects handed out and not yet freed; a pointer the host passes must be one of
// them, so a stale or foreign handle is refused instead of followed.
std::set<void*>& LiveLibraries() {
    static std::set<void*> live;
    return live;
}

// Actions running per library, and libraries the host freed while one of their actions ran:
// such a library goes when its last action ends, never under it.
std::map<void*, int>& RunningActions() {
    static std::map<void*, int> running;
    return running;
}
std::set<void*>& FreedWhileRunning() {
    static std::set<void*> freed;
    return freed;
}

void DestroyLibrary(TQxLibrary* library) {
    if (hLib == library) {
        // LgLink belonged to this object: it must not outlive it.
        hLib = nullptr;
        LgLink = nullptr;
    }
    delete library;
}

// Marks an action of the library as running for its lifetime; when the host freed the
// library meanwhile (from a callback), the library goes when the last of its actions ends.
class TRunningAction {
public:
    explicit TRunningAction(TQxLibrary* library) : FLibrary(library) { ++RunningActions()[library]; }
    ~TRunningAction() {
        auto it = RunningActions().find(FLibrary);
        if (it == RunningActions().end() || --it->second > 0) return;
        RunningActions().erase(it);
        if (FreedWhileRunning().erase(FLibrary) > 0) DestroyLibrary(FLibrary);
    }
    TRunningAction(const TRunningAction&) = delete;
    TRunningAction& operator=(const TRunningAction&) = delete;

private:
    TQxLibrary* FLibrary;
};

// The handle given to the host is the TQxLibrary base of the object, so that it converts
// back without knowing the derived class.
TQxLibrary* AsLibrary(void* library) {
    if (!library || LiveLibraries().count(library) == 0) return nullptr;
    return static_cast<TQxLibrary*>(library);
}

AnsiString ReadHostText(const char* text) {
    if (!text) return "";
    return AnsiString(text, strnlen(text, 300));
}

void WriteHostText(char* out, const AnsiString& text) {
    if (out) CopyToHostBuffer(out, text);
}

AnsiString OperationName(int code) {
    switch (code) {
        case -1: return NvTxt(kCls, "NazwaOperacji", "1", u8"test połączenia");
        case -2: return NvTxt(kCls, "NazwaOperacji", "2", u8"eksport");
        case -3: return NvTxt(kCls, "NazwaOperacji", "3", u8"import sprzedaży");
        case -4: return NvTxt(kCls, "NazwaOperacji", "4", u8"import paragonu");
        case -5: return NvTxt(kCls, "NazwaOperacji", "5", u8"eksport automatyczny");
        case -6: return NvTxt(kCls, "NazwaOperacji", "6", u8"import automatyczny");
        case -7: return NvTxt(kCls, "NazwaOperacji", "7", u8"nasłuch");
        case -9: return NvTxt(kCls, "NazwaOperacji", "9", u8"import licznika");
        default: return NvTxt(kCls, "NazwaOperacji", "operacja", u8"operacja [") + IntToStr(code) + "]";
    }
}

// Runs one action method for an export that creates an action; reports a failure through
// the action's final error capture under the export's operation name.
template <typename F>
bool RunActionMethod(TQxLibrary* library, void* arg2, const char* piece, const char* operationUtf8, F method) {
    TRunningAction running(library);
    std::unique_ptr<TQxActionBase> action(library->UtworzAkcje(arg2));
    try {
        method(*action);
        return true;
    } catch (const std::exception& e) {
        action->OstatecznePrzechwycenieBledu(NvTxt(kCls, "Operacja", piece, operationUtf8), &e);
    } catch (...) {
        action->OstatecznePrzechwycenieBledu(NvTxt(kCls, "Operacja", piece, operationUtf8), nullptr);
    }
    return false;
}
}  // namespace

// Defined with C linkage, so that a definition that strays from its prototype in the interface
// header is a compile error, not a second function.
extern "C" {

int QVRDLL_CALL QVRDLLTypBiblioteki(void) { return TQxLibrary::TypBiblioteki(); }

void QVRDLL_CALL QVRDLLWlasciwosci(char* out, int index) {
    try {
        WriteHostText(out, Trim(TQxLibrary::StaticWlasciwosci(index)));
    } catch (...) {
        WriteHostText(out, "");
    }
}

void* QVRDLL_CALL QVRDLLRejestrujBiblioteke(HQVRCBARG1 arg1, void*, void*, void* window) {
    try {
        auto object = std::make_unique<TQxNovitusECRLibrary>(arg1);
        TQxLibrary* library = object.get();
        LiveLibraries().insert(library);
        object.release();
        hLib = library;
        LgLink = library->GetLgLink();
        library->SetOwnerWindow(window);
        return library;
    } catch (...) {
        return nullptr;
    }
}

void QVRDLL_CALL QVRDLLRejestrujCallback(void* library, void* function, int number) {
    try {
        if (TQxLibrary* lib = AsLibrary(library)) lib->RejestrujCallback(function, number);
    } catch (...) {
    }
}

void QVRDLL_CALL QVRDLLZwolnijBiblioteke(void* library) {
    try {
        TQxLibrary* lib = AsLibrary(library);
        if (!lib) return;
        // From now on the handle is refused; the object itself waits for its running actions.
        LiveLibraries().erase(library);
        if (RunningActions().count(lib) > 0)
            FreedWhileRunning().insert(lib);
        else
            DestroyLibrary(lib);
    } catch (...) {
    }
}

void QVRDLL_CALL QVRDLLUstawJezykKomponentow(int language) { EMException::Language = language; }

int QVRDLL_CALL QVRDLLParametr(int group, int index, char* name, char* description, char* defaultValue, char* minimum,
                               char* maximum, int* flags) {
    try {
        AnsiString n, d, v, lo, hi;
        int f = 0;
        const int kind = TQxLibrary::Parametr(group, index, n, d, v, lo, hi, f);
        WriteHostText(name, n);
        WriteHostText(description, d);
        WriteHostText(defaultValue, v);
        WriteHostText(minimum, lo);
        WriteHostText(maximum, hi);
        if (flags) *flags = f;
        return kind;
    } catch (...) {
        return 0;
    }
}

int QVRDLL_CALL QVRDLLTekstListyParametru(const char* name, int index, char* out) {
    try {
        const AnsiString text = Trim(TQxLibrary::TekstListyParametru(ReadHostText(name), index));
        WriteHostText(out, text);
        return !text.empty();
    } catch (...) {
        WriteHostText(out, "");
        return 0;
    }
}

int QVRDLL_CALL QVRDLLSerKasOpisOkna(char* out, int window) {
    try {
        const AnsiString text = Trim(TQxLibrary::OpisOkna(window));
        WriteHostText(out, text);
        return !text.empty();
    } catch (...) {
        WriteHostText(out, "");
        return 0;
    }
}

int QVRDLL_CALL QVRDLLSerKasPokazOkno(void* library, HQVRCBARG2 arg2, int window, int flag, int* code, char* name) {
    try {
        TQxLibrary* lib = AsLibrary(library);
        if (!lib) return 0;
        bool result = false;
        const bool ok = RunActionMethod(lib, arg2, "okno", u8"wyświetlanie okna", [&](TQxActionBase& action) {
            result = lib->PokazOkno(&action, window, flag, code, name);
        });
        return ok && result;
    } catch (...) {
        return 0;
    }
}

int QVRDLL_CALL QVRDLLSerKasJakSzukacParagonu(void* library, HQVRCBARG2 arg2, int* a, int* b, int* c) {
    try {
        TQxLibrary* lib = AsLibrary(library);
        if (!lib) return 0;
        bool result = false;
        const bool ok = RunActionMethod(lib, arg2, "paragon", u8"jak szukać paragonu",
                                        [&](TQxActionBase& action) { result = action.JakSzukacParagonu(a, b, c); });
        return ok && result;
    } catch (...) {
        return 0;
    }
}

void QVRDLL_CALL QVRDLLWlasciwosciUrzadzenia(void* library, HQVRCBARG2 arg2, char* out, int property) {
    try {
        WriteHostText(out, "");
        TQxLibrary* lib = AsLibrary(library);
        if (!lib) return;
        AnsiString text;
        RunActionMethod(lib, arg2, "wlasciwo", u8"właściwości urządzenia",
                        [&](TQxActionBase& action) { text = action.WlasciwosciUrzadzenia(property); });
        WriteHostText(out, Trim(text));
    } catch (...) {
    }
}

void QVRDLL_CALL QVRDLLSerKasNazwaZasobuDzielonego(void* library, HQVRCBARG2 arg2, char* out) {
    try {
        if (out) out[0] = '\0';
        TQxLibrary* lib = AsLibrary(library);
        if (!lib) return;
        AnsiString text;
        RunActionMethod(lib, arg2, "zasob", u8"identyfikacja zasobu dzielonego",
                        [&](TQxActionBase& action) { text = action.NazwaZasobuDzielonego(); });
        WriteHostText(out, text);
    } catch (...) {
    }
}

int QVRDLL_CALL QVRDLLSerKasOperacja(void* library, HQVRCBARG2 arg2, HQVRDLLSKSESJA* session, char* sessionName,
                                     int code, int parameter) {
    try {
        TQxLibrary* lib = AsLibrary(library);
        if (!lib) return 0;
        HQVRDLLSRODOWISKO environment;
        AnsiString operationName = NvTxt(kCls, "Operacja", "weryfika", u8"weryfikacja typu sesji");
        TRunningAction running(lib);
        std::unique_ptr<TQxActionBase> action(lib->UtworzAkcje(arg2));
        const AnsiString name = ReadHostText(sessionName);
        try {
            lib->WeryfikujTypSesji(session ? *session : nullptr, name);
        } catch (...) {
            action->DodajKomunikat(
                zkInformacja, NvTxt(kCls, "Operacja", "Oczekiwa", u8"Oczekiwanie na zamknięcie sesji '") + name + "'");
            Sleep(1000);
            return 1;
        }
        try {
            action->UstawParametrOperacji(parameter);
            operationName = OperationName(code);
            environment.NazwaSesji = name;
            environment.phSesja = session;
            environment.Wynik = 0;
            action->Operacja(&environment, code, parameter);
        } catch (const std::exception& e) {
            action->OstatecznePrzechwycenieBledu(operationName, &e);
            environment.Wynik = 0;
        } catch (...) {
            action->OstatecznePrzechwycenieBledu(operationName, nullptr);
            environment.Wynik = 0;
        }
        action.reset();
        WriteHostText(sessionName, environment.NazwaSesji);
        return environment.Wynik;
    } catch (...) {
        try {
            TxTools::MsgBox(Ansi(u8"Wyjątek w QVRDLLSerKasOperacja"), Ansi(u8"Uwaga!!!"), 0);
        } catch (...) {
        }
        return 0;
    }
}

void QVRDLL_CALL QVRDLLSerKasPodtrzymajSesje(void* library, HQVRDLLSKSESJA* session, char* sessionName, int value,
                                             int close) {
    try {
        TQxLibrary* lib = AsLibrary(library);
        if (!lib) return;
        AnsiString name = ReadHostText(sessionName);
        lib->WeryfikujTypSesji(session ? *session : nullptr, name);
        lib->PodtrzymajSesje(session, name, value, close != 0);
        WriteHostText(sessionName, name);
    } catch (...) {
    }
}

}  // extern "C"
