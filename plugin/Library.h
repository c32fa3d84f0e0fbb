#pragma once
// The library object: one per registration. It keeps the host's callbacks and translation
// service, answers the host's static questions and makes a fresh action for every call.
#include <memory>

#include "framework/ActionBase.h"
#include "framework/HostLink.h"
#include "platform/Translation.h"
#include "plugin/qvrdll.h"

class TQxLibrary : public TQxHostLink {
public:
    explicit TQxLibrary(HQVRCBARG1 arg1);
    ~TQxLibrary() override;
    TQxLibrary(const TQxLibrary&) = delete;
    TQxLibrary& operator=(const TQxLibrary&) = delete;

    // Virtual operations, in slot order.
    virtual TQxActionBase* UtworzAkcje(void* handle) = 0;
    virtual bool PokazOkno(TQxActionBase* action, int window, int flag, int* code, char* name);
    virtual void WeryfikujTypSesji(void* session, const AnsiString& sessionName);
    virtual void PodtrzymajSesje(void** session, AnsiString& sessionName, int value, bool close);

    static int TypBiblioteki() { return 1; }
    static AnsiString StaticWlasciwosci(int index);
    static AnsiString OpisOkna(int window);
    static int Parametr(int group, int index, AnsiString& name, AnsiString& description, AnsiString& defaultValue,
                        AnsiString& minimum, AnsiString& maximum, int& flags);
    static AnsiString TekstListyParametru(const AnsiString& name, int index);

    void RejestrujCallback(void* function, int number);
    // The host's window given at registration: the owner of the library's dialogs.
    void SetOwnerWindow(void* window) { FOwnerWindow = window; }

    // TQxHostLink: the callback wrappers.
    TMLgExtTools* GetLgLink() override { return FLgLink.get(); }
    AnsiString Wlasciwosci(int index) override { return StaticWlasciwosci(index); }
    void* GetOwnerWindow() override { return FOwnerWindow; }
    bool CzyPrzerwac(void* arg2) override;
    AnsiString WartoscParametru(void* arg2, const AnsiString& name) override;
    void WypelnijDaneUrzadzenia(void* arg2, TDaneUrzadzenia& data) override;
    void DodajKomunikat(void* arg2, int kind, const AnsiString& text) override;
    void ZmienOstatniKomunikat(void* arg2, int kind, const AnsiString& text) override;
    void WypelnijFormatyWazone(void* arg2, std::vector<AnsiString>& formats) override;
    void WypelnijStawkiVAT(void* arg2, TMacSetOfIntegers& rates) override;
    void WypelnijStawkiVATPrec(void* arg2, TMacSetOfIntegers& rates) override;
    bool ZapiszWynikEksportu(void* arg2) override;
    bool ZapiszImport(void* arg2) override;
    bool ZapiszParagon(void* arg2) override;
    AnsiString OdczytajTowar(void* arg2, const AnsiString& code) override;
    void OdswiezParametry(void* arg2) override;
    bool ZmienParametr(void* arg2, const AnsiString& name, const AnsiString& value) override;
    bool ZajmijZasobSterownika(void* arg2, const AnsiString& resource) override;
    void ZwolnijZasobSterownika(void* arg2, const AnsiString& resource) override;
    void KasujFlageAlarmu(void* arg2) override;
    int WstrzymajOperacje(void* arg2, const AnsiString& text, int value) override;
    void ZapiszStanLicznika(void* arg2, int* values, int count) override;
    void ZapiszStanICzasLicznika(void* arg2, int* values, int count, const AnsiString& time) override;
    int DodajTowarZKasy(void* arg2, const AnsiString& name, int goodsNumber, const AnsiString& code, int overwrite,
                        const AnsiString& groupName, const AnsiString& unitName, int vatRate, double price1,
                        double price2, double price3, double price4, int openPrice, int package,
                        const AnsiString& packageCode) override;

private:
    HQVRCBARG1 FArg1;
    QVRDLLCBCzyPrzerwac FCBCzyPrzerwac = nullptr;
    QVRDLLCBWartoscParametru FCBWartoscParametru = nullptr;
    QVRDLLCBDaneUrzadzenia FCBDaneUrzadzenia = nullptr;
    QVRDLLCBDodajKomunikat FCBDodajKomunikat = nullptr;
    QVRDLLCBZmienOstatniKomunikat FCBZmienOstatniKomunikat = nullptr;
    QVRDLLCBFormatWazony FCBFormatWazony = nullptr;
    QVRDLLCBStawkaVAT FCBStawkaVAT = nullptr;
    QVRDLLCBStawkaVATPrec FCBStawkaVATPrec = nullptr;
    QVRDLLCBZapiszWynikEksportu FCBZapiszWynikEksportu = nullptr;
    QVRDLLCBZapiszImport FCBZapiszImport = nullptr;
    QVRDLLCBZapiszParagon FCBZapiszParagon = nullptr;
    QVRDLLCBOdczytajTowar FCBOdczytajTowar = nullptr;
    QVRDLLCBOdswiezParametry FCBOdswiezParametry = nullptr;
    QVRDLLCBZmienParametr FCBZmienParametr = nullptr;
    QVRDLLCBZajmijZasobSterownika FCBZajmijZasobSterownika = nullptr;
    QVRDLLCBZwolnijZasobSterownika FCBZwolnijZasobSterownika = nullptr;
    QVRDLLCBKasujFlageAlarmu FCBKasujFlageAlarmu = nullptr;
    QVRDLLCBWstrzymajOperacje FCBWstrzymajOperacje = nullptr;
    QVRDLLCBZapiszStanLicznika FCBZapiszStanLicznika = nullptr;
    QVRDLLCBZapiszStanICzasLicznika FCBZapiszStanICzasLicznika = nullptr;
    QVRDLLCBDodajTowarZKasy FCBDodajTowarZKasy = nullptr;
    std::unique_ptr<TMLgExtTools> FLgLink;
    void* FOwnerWindow = nullptr;
};
