#pragma once
// The device-independent core of one operation: parameters, messages and progress, abort,
// results handed to the host, and the final error capture.
#include <exception>
#include <memory>
#include <vector>

#include "framework/HostLink.h"
#include "framework/StawkiKolejne.h"
#include "platform/DateTools.h"
#include "platform/IntegerSet.h"
#include "platform/ProgressSink.h"

// The environment of one operation call.
struct HQVRDLLSRODOWISKO {
    AnsiString NazwaSesji;
    void** phSesja = nullptr;
    int Wynik = 0;
};

class TQxActionBase : public TProgressSink {
public:
    TQxActionBase(TQxHostLink* library, void* handle);
    ~TQxActionBase() override;
    TQxActionBase(const TQxActionBase&) = delete;
    TQxActionBase& operator=(const TQxActionBase&) = delete;

    // Virtual operations, in slot order.
    virtual AnsiString NazwaZasobuDzielonego() = 0;
    virtual bool JakSzukacParagonu(int* a, int* b, int* c);
    virtual void Operacja(HQVRDLLSRODOWISKO* environment, int code, int parameter);
    virtual AnsiString WlasciwosciUrzadzenia(int property);
    virtual int IleMaxStawekKolejnych();

    TMLgExtTools* GetLgLink() override;
    void UstawParametrOperacji(int parameter) { FOperParam = parameter; }
    const std::vector<AnsiString>& GetFormatyWazone();

    // The host's window, owner of the driver's dialogs (null when the host gave none).
    void* GetOwnerWindow();

    // The host's VAT rates (whole percent, hundredths of a percent), fetched on first use, and
    // their assignment to the register's slots, read from the own parameters on first use.
    const TMacSetOfIntegers& GetStawkiDostepne();
    const TMacSetOfIntegers& GetStawkiDostepnePrec();
    TQxStawkiKolejne& GetStawkiKolejne();
    TQxStawkiKolejne& GetStawkiKolejnePrec();
    void OdczytajStawkiKolejne();
    void OdczytajStawkiKolejnePrec();
    void ZapiszStawkiKolejne();
    void ZapiszStawkiKolejnePrec();
    // The assignment in the dialog "Stawki VAT na kasie"; saved when confirmed and editable.
    void WyswietlOknoStawekNaKasie(const AnsiString& firstSlotName, bool editable, const AnsiString& specialName);
    void WyswietlOknoStawekNaKasiePrec(const AnsiString& firstSlotName, bool editable, const AnsiString& specialName);

    int GetIdUrzadzenia() const { return FIdUrzadzenia; }
    int GetNrUrzadzenia() const { return FNrUrzadzenia; }
    const AnsiString& GetNazwaUrzadzenia() const { return FNazwaUrzadzenia; }

    // Parameters.
    AnsiString WartoscParametru(const AnsiString& name);
    AnsiString ParamAsString(const AnsiString& name) { return WartoscParametru(name); }
    int ParamAsInt(const AnsiString& name);
    TdtTools ParamAsDate(const AnsiString& name);
    // A folder parameter, created when missing and probed for writing; a drive-letter folder
    // on POSIX is placed under the user's data folder (SystemFolder). Raises with the reason
    // (missing permission, full disk, read-only medium); the probe file never stays.
    AnsiString ParamAsDir(const AnsiString& name);
    void ReadParamEx(const AnsiString& name, AnsiString& value);
    void WriteParamEx(const AnsiString& name, const AnsiString& value);
    AnsiString ReadLongParamEx(const AnsiString& name, int count);
    void WriteLongParamEx(const AnsiString& name, const AnsiString& value, int count);
    void ZmienParametr(const AnsiString& name, const AnsiString& value);
    void OdswiezParametry();

    // Messages and progress.
    void DodajKomunikat(int kind, const AnsiString& text) override;
    AnsiString ZmienOstatniKomunikat(int kind, const AnsiString& text);
    AnsiString PodajOstatniKomunikat(bool withoutValue);
    void MsgAdd(const AnsiString& text, LPVState state, int max) override;
    void MsgAdd(const char* text, LPVState state, int max) { MsgAdd(AnsiString(text ? text : ""), state, max); }
    void MsgP(int progress) override;
    void MsgS(LPVState state) override;

    // Abort.
    bool CzyPrzerwac() override;
    void SprawdzCzyPrzerwac();

    // Results and other host services.
    void ZapiszWynikEksportu();
    void ZapiszKasaImp();
    void ZapiszParagonImp();
    AnsiString OdczytajTowar(const AnsiString& code);
    int DodajTowarZKasy(const AnsiString& name, int goodsNumber, const AnsiString& code, int overwrite,
                        const AnsiString& groupName, const AnsiString& unitName, int vatRate, double price1,
                        double price2, double price3, double price4, int openPrice, int package,
                        const AnsiString& packageCode);
    void ZapiszStanLicznika(int* values, int count);
    void ZapiszStanICzasLicznika(int* values, int count, const AnsiString& time);
    void ZajmijZasobSterownika(const AnsiString& resource);
    void ZwolnijZasobSterownika(const AnsiString& resource);
    void KasujFlageAlarmu();
    int WstrzymajOperacje(const AnsiString& text, int value);

    // Final error capture: one report for the host, every line an error message.
    // e is null when the failure was not one of the runtime's exception objects.
    void OstatecznePrzechwycenieBledu(const AnsiString& operationName, const std::exception* e);

    // Progress state of the line added by the latest MsgAdd (read by tests and subclasses).
    LPVState GetLastState() const { return FLastState; }
    int GetLastMax() const { return FLastMax; }

private:
    void WyswietlOkno(bool precise, const AnsiString& firstSlotName, bool editable, const AnsiString& specialName);

protected:
    // Texts of the operation framework, translated through the library's service.
    AnsiString Txt(const char* context, const char* cls, const char* method, const char* piece, const char* defaultUtf8,
                   int duplicate = 0);

private:
    TQxHostLink* FLibrary;

protected:
    void* FArg2;
    int FIdUrzadzenia = -1;
    int FNrUrzadzenia = 0;
    AnsiString FNazwaUrzadzenia;
    AnsiString FNazwaStanowiska;
    AnsiString FKatalogWymiany;
    std::unique_ptr<std::vector<AnsiString>> FFormatyWazone;
    std::unique_ptr<TMacSetOfIntegers> FStawkiDostepne;
    std::unique_ptr<TQxStawkiKolejne> FStawkiKolejne;
    std::unique_ptr<TMacSetOfIntegers> FStawkiDostepnePrec;
    std::unique_ptr<TQxStawkiKolejne> FStawkiKolejnePrec;
    AnsiString FLastMsg;
    LPVState FLastState = LPV_None;
    int FLastMax = 100;
    int FLastProgress = 0;
    int FOperParam = 0;
    AnsiString FOstatniKomunikat;

private:
    // Replaces the last line by FNextLine as ZmienOstatniKomunikat does, keeping the room of
    // both texts: progress replaces it thousands of times in a long run.
    void SendNextLine(int kind);
    AnsiString FNextLine;
};
