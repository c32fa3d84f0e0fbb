#pragma once
// The host as an operation sees it: the library object's wrappers around the host's
// callbacks. The library object implements it; each call passes the action's per-call handle.
#include <vector>

#include "platform/IntegerSet.h"
#include "platform/Strings.h"

class TMLgExtTools;

struct TDaneUrzadzenia {
    int id = -1;
    int number = 0;
    AnsiString name;
    AnsiString station;
    AnsiString exchangeDirectory;
};

class TQxHostLink {
public:
    virtual ~TQxHostLink() = default;

    // The translation service of the library (null until the host registered its lookup).
    virtual TMLgExtTools* GetLgLink() = 0;
    // The library's self-description (index 2 is the type string).
    virtual AnsiString Wlasciwosci(int index) = 0;
    // The host's window that owns the driver's dialogs; null when there is none.
    virtual void* GetOwnerWindow() { return nullptr; }

    virtual bool CzyPrzerwac(void* arg2) = 0;
    virtual AnsiString WartoscParametru(void* arg2, const AnsiString& name) = 0;
    virtual void WypelnijDaneUrzadzenia(void* arg2, TDaneUrzadzenia& data) = 0;
    virtual void DodajKomunikat(void* arg2, int kind, const AnsiString& text) = 0;
    virtual void ZmienOstatniKomunikat(void* arg2, int kind, const AnsiString& text) = 0;
    virtual void WypelnijFormatyWazone(void* arg2, std::vector<AnsiString>& formats) = 0;
    virtual void WypelnijStawkiVAT(void* arg2, TMacSetOfIntegers& rates) = 0;
    virtual void WypelnijStawkiVATPrec(void* arg2, TMacSetOfIntegers& rates) = 0;
    virtual bool ZapiszWynikEksportu(void* arg2) = 0;
    virtual bool ZapiszImport(void* arg2) = 0;
    virtual bool ZapiszParagon(void* arg2) = 0;
    virtual AnsiString OdczytajTowar(void* arg2, const AnsiString& code) = 0;
    virtual void OdswiezParametry(void* arg2) = 0;
    virtual bool ZmienParametr(void* arg2, const AnsiString& name, const AnsiString& value) = 0;
    virtual bool ZajmijZasobSterownika(void* arg2, const AnsiString& resource) = 0;
    virtual void ZwolnijZasobSterownika(void* arg2, const AnsiString& resource) = 0;
    virtual void KasujFlageAlarmu(void* arg2) = 0;
    virtual int WstrzymajOperacje(void* arg2, const AnsiString& text, int value) = 0;
    virtual void ZapiszStanLicznika(void* arg2, int* values, int count) = 0;
    virtual void ZapiszStanICzasLicznika(void* arg2, int* values, int count, const AnsiString& time) = 0;
    virtual int DodajTowarZKasy(void* arg2, const AnsiString& name, int goodsNumber, const AnsiString& code,
                                int overwrite, const AnsiString& groupName, const AnsiString& unitName, int vatRate,
                                double price1, double price2, double price3, double price4, int openPrice, int package,
                                const AnsiString& packageCode) = 0;
};
