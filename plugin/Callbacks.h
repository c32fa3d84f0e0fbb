#pragma once
// The host's callbacks by number, as plain C function pointers.

extern "C" {
typedef int (*QVRDLLCBCzyPrzerwac)(void* arg1, void* arg2);                                     // 5
typedef int (*QVRDLLCBWartoscParametru)(void* arg1, void* arg2, const char* name, char* value);  // 6
typedef int (*QVRDLLCBDaneUrzadzenia)(void* arg1, void* arg2, int* deviceId, int* deviceNumber, char* deviceName,
                                      char* stationName, char* exchangeDirectory);  // 11
typedef int (*QVRDLLCBDodajKomunikat)(void* arg1, void* arg2, int kind, const char* text);          // 12
typedef int (*QVRDLLCBZmienOstatniKomunikat)(void* arg1, void* arg2, int kind, const char* text);   // 13
typedef int (*QVRDLLCBFormatWazony)(void* arg1, void* arg2, int index, char* format);               // 14
typedef int (*QVRDLLCBStawkaVAT)(void* arg1, void* arg2, int index, int* rate);                     // 15, 32
typedef int (*QVRDLLCBZapisz)(void* arg1, void* arg2);                                             // 16, 17, 18
typedef int (*QVRDLLCBOdczytajTowar)(void* arg1, void* arg2, char* record, const char* code);      // 19
typedef int (*QVRDLLCBOdswiezParametry)(void* arg1, void* arg2);                                   // 20
typedef int (*QVRDLLCBZmienParametr)(void* arg1, void* arg2, const char* name, const char* value);  // 21
typedef int (*QVRDLLCBZasob)(void* arg1, void* arg2, const char* resource);                         // 22, 23
typedef int (*QVRDLLCBKasujFlageAlarmu)(void* arg1, void* arg2);                                    // 24
typedef int (*QVRDLLCBWstrzymajOperacje)(void* arg1, void* arg2, const char* text, int value);      // 25
typedef int (*QVRDLLCBZapiszStanLicznika)(void* arg1, void* arg2, int* values, int count);          // 28
typedef int (*QVRDLLCBZapiszStanICzasLicznika)(void* arg1, void* arg2, int* values, int count,
                                               const char* time);  // 31
typedef int (*QVRDLLCBDodajTowarZKasy)(void* arg1, void* arg2, char* name, int goodsNumber, char* code,
                                       int overwrite, char* groupName, char* unitName, int vatRate, double price1,
                                       double price2, double price3, double price4, int openPrice, int package,
                                       char* packageCode);  // 33
typedef int (*QVRDLLCBTekst)(char* out, int size, const char* context, const char* key);  // 34
}
