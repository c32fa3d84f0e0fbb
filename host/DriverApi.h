#pragma once
// The driver library's fifteen entry points, found in a loaded library by name.
#include "platform/DynamicLibrary.h"

struct TDriverApi {
    int (*TypBiblioteki)(void) = nullptr;
    void (*Wlasciwosci)(char* out, int index) = nullptr;
    void* (*RejestrujBiblioteke)(void* arg1, void* reserved1, void* reserved2, void* window) = nullptr;
    void (*RejestrujCallback)(void* library, void* function, int number) = nullptr;
    void (*ZwolnijBiblioteke)(void* library) = nullptr;
    void (*UstawJezykKomponentow)(int language) = nullptr;
    int (*Parametr)(int group, int index, char* name, char* description, char* defaultValue, char* minimum,
                    char* maximum, int* flags) = nullptr;
    int (*TekstListyParametru)(const char* name, int index, char* out) = nullptr;
    int (*SerKasJakSzukacParagonu)(void* library, void* arg2, int* a, int* b, int* c) = nullptr;
    int (*SerKasOpisOkna)(char* out, int window) = nullptr;
    int (*SerKasPokazOkno)(void* library, void* arg2, int window, int flag, int* code, char* name) = nullptr;
    void (*WlasciwosciUrzadzenia)(void* library, void* arg2, char* out, int property) = nullptr;
    void (*SerKasNazwaZasobuDzielonego)(void* library, void* arg2, char* out) = nullptr;
    int (*SerKasOperacja)(void* library, void* arg2, void** session, char* sessionName, int code,
                          int parameter) = nullptr;
    void (*SerKasPodtrzymajSesje)(void* library, void** session, char* sessionName, int value, int close) = nullptr;

    // Resolves every entry point; raises Exception naming the first one missing.
    void Resolve(const TDynamicLibrary& library);
};

// Where the driver library is: $VELKORA_LIBRARY, else <binDir>/<system file name>.
AnsiString DriverLibraryPath(const AnsiString& binDir);
