/* The plug-in interface of the driver library in plain C, needing no other header: the entry
 * points the host calls and the callbacks it offers. The library defines the entry points and
 * the host stand-in takes its function types from here; the export check compares the
 * library's exports with the entry points declared here. */
#ifndef VELKORA_QVRDLL_H
#define VELKORA_QVRDLL_H

/* The platform's C calling convention, named on Windows where a compiler may default to another. */
#if defined(_WIN32)
#define QVRDLL_CALL __cdecl
#else
#define QVRDLL_CALL
#endif

/* The library is built with QVRDLL_EXPORTS defined and exports the entry points; everyone
 * else only sees the declarations (the host finds them by name in the loaded library). */
#if !defined(QVRDLL_EXPORTS)
#define QVRDLL_API
#elif defined(_WIN32)
#define QVRDLL_API __declspec(dllexport)
#else
#define QVRDLL_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef void* HQVRCBARG1;     /* the host's handle given at registration: first argument of callbacks */
typedef void* HQVRCBARG2;     /* the host's handle given with a call: second argument of callbacks */
typedef void* HQVRDLLSKSESJA; /* the host's session handle */

/* Callbacks, by the number they are registered under (the trailing comment). Text buffers are
 * 301 bytes unless noted; kind: 0 information, 1 warning, 2 error; a BOOL is non-zero for true. */
typedef int(QVRDLL_CALL* QVRDLLCBCzyPrzerwac)(HQVRCBARG1 arg1, HQVRCBARG2 arg2); /* 5 */
typedef int(QVRDLL_CALL* QVRDLLCBWartoscParametru)(HQVRCBARG1 arg1, HQVRCBARG2 arg2, const char* name,
                                                   char* value); /* 6 */
typedef int(QVRDLL_CALL* QVRDLLCBDaneUrzadzenia)(HQVRCBARG1 arg1, HQVRCBARG2 arg2, int* deviceId, int* deviceNumber,
                                                 char* deviceName, char* stationName,
                                                 char* exchangeDirectory /* 261 bytes */);                      /* 11 */
typedef int(QVRDLL_CALL* QVRDLLCBDodajKomunikat)(HQVRCBARG1 arg1, HQVRCBARG2 arg2, int kind, const char* text); /* 12 */
typedef int(QVRDLL_CALL* QVRDLLCBZmienOstatniKomunikat)(HQVRCBARG1 arg1, HQVRCBARG2 arg2, int kind,
                                                        const char* text);                                 /* 13 */
typedef int(QVRDLL_CALL* QVRDLLCBFormatWazony)(HQVRCBARG1 arg1, HQVRCBARG2 arg2, int index, char* format); /* 14 */
typedef int(QVRDLL_CALL* QVRDLLCBStawkaVAT)(HQVRCBARG1 arg1, HQVRCBARG2 arg2, int index,
                                            int* rate /* whole percent */);              /* 15 */
typedef int(QVRDLL_CALL* QVRDLLCBZapiszWynikEksportu)(HQVRCBARG1 arg1, HQVRCBARG2 arg2); /* 16 */
typedef int(QVRDLL_CALL* QVRDLLCBZapiszImport)(HQVRCBARG1 arg1, HQVRCBARG2 arg2);        /* 17 */
typedef int(QVRDLL_CALL* QVRDLLCBZapiszParagon)(HQVRCBARG1 arg1, HQVRCBARG2 arg2);       /* 18 */
typedef int(QVRDLL_CALL* QVRDLLCBOdczytajTowar)(HQVRCBARG1 arg1, HQVRCBARG2 arg2, char* record /* 2049 bytes */,
                                                const char* code);                    /* 19 */
typedef int(QVRDLL_CALL* QVRDLLCBOdswiezParametry)(HQVRCBARG1 arg1, HQVRCBARG2 arg2); /* 20 */
typedef int(QVRDLL_CALL* QVRDLLCBZmienParametr)(HQVRCBARG1 arg1, HQVRCBARG2 arg2, const char* name,
                                                const char* value); /* 21 */
typedef int(QVRDLL_CALL* QVRDLLCBZajmijZasobSterownika)(HQVRCBARG1 arg1, HQVRCBARG2 arg2,
                                                        const char* resource); /* 22 */
typedef int(QVRDLL_CALL* QVRDLLCBZwolnijZasobSterownika)(HQVRCBARG1 arg1, HQVRCBARG2 arg2,
                                                         const char* resource);       /* 23 */
typedef int(QVRDLL_CALL* QVRDLLCBKasujFlageAlarmu)(HQVRCBARG1 arg1, HQVRCBARG2 arg2); /* 24 */
typedef int(QVRDLL_CALL* QVRDLLCBWstrzymajOperacje)(HQVRCBARG1 arg1, HQVRCBARG2 arg2, const char* text,
                                                    int value);                                                 /* 25 */
typedef int(QVRDLL_CALL* QVRDLLCBZapiszStanLicznika)(HQVRCBARG1 arg1, HQVRCBARG2 arg2, int* values, int count); /* 28 */
typedef int(QVRDLL_CALL* QVRDLLCBZapiszStanICzasLicznika)(HQVRCBARG1 arg1, HQVRCBARG2 arg2, int* values, int count,
                                                          const char* time); /* 31 */
typedef int(QVRDLL_CALL* QVRDLLCBStawkaVATPrec)(HQVRCBARG1 arg1, HQVRCBARG2 arg2, int index,
                                                int* rate /* hundredths of a percent */); /* 32 */
typedef int(QVRDLL_CALL* QVRDLLCBDodajTowarZKasy)(HQVRCBARG1 arg1, HQVRCBARG2 arg2, char* name, int goodsNumber,
                                                  char* code, int overwrite, char* groupName, char* unitName,
                                                  int vatRate, double price1, double price2, double price3,
                                                  double price4, int openPrice, int package,
                                                  char* packageCode); /* 33 */
/* The host's text lookup, without handles: the translation of (context, key) into out. */
typedef int(QVRDLL_CALL* QVRDLLCBTekst)(char* out, int size, const char* context, const char* key); /* 34 */

/* The entry points. library is the object QVRDLLRejestrujBiblioteke returned. */
QVRDLL_API int QVRDLL_CALL QVRDLLTypBiblioteki(void);
QVRDLL_API void QVRDLL_CALL QVRDLLWlasciwosci(char* out, int index);
QVRDLL_API void* QVRDLL_CALL QVRDLLRejestrujBiblioteke(HQVRCBARG1 arg1, void* reserved1, void* reserved2, void* window);
QVRDLL_API void QVRDLL_CALL QVRDLLRejestrujCallback(void* library, void* function, int number);
QVRDLL_API void QVRDLL_CALL QVRDLLZwolnijBiblioteke(void* library);
QVRDLL_API void QVRDLL_CALL QVRDLLUstawJezykKomponentow(int language);
QVRDLL_API int QVRDLL_CALL QVRDLLParametr(int group, int index, char* name, char* description, char* defaultValue,
                                          char* minimum, char* maximum, int* flags);
QVRDLL_API int QVRDLL_CALL QVRDLLTekstListyParametru(const char* name, int index, char* out);
QVRDLL_API int QVRDLL_CALL QVRDLLSerKasOpisOkna(char* out, int window);
QVRDLL_API int QVRDLL_CALL QVRDLLSerKasPokazOkno(void* library, HQVRCBARG2 arg2, int window, int flag, int* code,
                                                 char* name);
QVRDLL_API int QVRDLL_CALL QVRDLLSerKasJakSzukacParagonu(void* library, HQVRCBARG2 arg2, int* a, int* b, int* c);
QVRDLL_API void QVRDLL_CALL QVRDLLWlasciwosciUrzadzenia(void* library, HQVRCBARG2 arg2, char* out, int property);
QVRDLL_API void QVRDLL_CALL QVRDLLSerKasNazwaZasobuDzielonego(void* library, HQVRCBARG2 arg2, char* out);
QVRDLL_API int QVRDLL_CALL QVRDLLSerKasOperacja(void* library, HQVRCBARG2 arg2, HQVRDLLSKSESJA* session,
                                                char* sessionName, int code, int parameter);
QVRDLL_API void QVRDLL_CALL QVRDLLSerKasPodtrzymajSesje(void* library, HQVRDLLSKSESJA* session, char* sessionName,
                                                        int value, int close);

#ifdef __cplusplus
}
#endif

#endif
