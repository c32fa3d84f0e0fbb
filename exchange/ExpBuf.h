#pragma once
// The goods export buffer: reads the host's export file "kasa.exp" (goods with their change
// status, VAT rates, units, customers, cashiers, currencies, assortment groups and the euro
// rate), holds the goods records while the goods export delivers them, and writes the export
// result file "wynik.exp".
#include <memory>
#include <utility>
#include <vector>

#include "exchange/LJWords.h"
#include "exchange/LQuickSort.h"
#include "platform/DataSet.h"
#include "platform/DateTools.h"
#include "platform/Strings.h"

class TMLgExtTools;
class TProgressSink;

// Change status of a goods record; stored in the datasets as an integer.
enum stTow { stDod = 0, stAkt = 1, stCen = 2, stUsu = 3, stNull = 4 };

// The word of a status in the exchange files ("DOD", "AKT", "CEN", "USU"); "" for stNull.
AnsiString StatusWord(int status);

// Goods record. Prices in grosze.
class QxTowRec {
public:
    QxTowRec() { Clear(); }
    // Back to the defaults; PKWiU, SWW, TerminW, poziom_cen, ile_w_kodzie and nr_src_buf stay.
    void Clear();
    // The price of a price level: 0 retail, 1 wholesale, 2 night, 3 additional, other retail.
    double CenaAkt(int level) const;
    // Reads the words of a PLU line (word 0 is "PLU"). Raises "Nieprawidłowy format pliku
    // eksportowego" for a bad status or flag word and EConvertError for a bad integer word.
    void FromLine(TLJWords& words, TMLgExtTools* translation);

    int plu;
    int koldod;
    AnsiString kod;
    AnsiString nazwa;
    double cena, cena_hurt, cena_noc, cena_dod;
    int stawka;       // percent; negative for the exempt rate
    int stawkaPrec;   // hundredths of a percent; -1 for the exempt rate
    int jedn;
    bool czy_wazony;
    int precyzja;
    bool wagowo_ilosciowy;
    bool opakowanie;
    bool cena_otwarta;
    AnsiString kod_opakowania;
    int plu_opakowania;
    int nr_asort;
    stTow status;
    AnsiString opis1, opis2;
    AnsiString PKWiU = "";
    AnsiString SWW = "";
    int TerminW = 0;
    int poziom_cen = -1;
    int ile_w_kodzie = 1000;
    AnsiString opis3, opis4;
    double dod_rabat_tow;
    AnsiString nazwa_pelna;
    int ile_jedn;
    AnsiString notatki;
    int nr_buf;
    AnsiString plu_rec;
    bool tr_ok;
    bool flag;
    bool add_rec;
    AnsiString org_barcode;
    stTow org_status;
    int nr_src_buf = 0;
    bool from_ecr;
    bool tow_z_kontr;
};

// Customer record (KON and KONA lines).
class QxKontrRec {
public:
    QxKontrRec() { Clear(); }
    void Clear();
    // Reads a KON/KONA line.
    void FromLine(const AnsiString& line, TMLgExtTools* translation);

    int KontrId;
    AnsiString Nazwa, Skrot, Ulica, Kod, Miasto, Telefon, NIP, KodKarty;
    TdtTools TermWaznKarty;
    bool KartaAktywna;
    double RabatOdbiorcy;
    int PoziomRabatu;
    int IloscPunktow;
    int nr_buf;
    AnsiString kontr_rec;
    bool tr_ok;
};

// Assortment group.
class QxAsort {
public:
    void Clear() {
        nr = 0;
        nazwa.clear();
    }
    int nr = 0;
    AnsiString nazwa;
};

// A cashier of an OPER line: number;surname;permission level;identifier;card code.
class QxKasjer {
public:
    explicit QxKasjer(const AnsiString& text, TMLgExtTools* translation = nullptr);
    QxKasjer(int numer, const AnsiString& nazwisko, int poziom, const AnsiString& identyfikator,
             const AnsiString& kodKarty, TMLgExtTools* translation = nullptr);
    virtual ~QxKasjer() = default;
    int GetNumer();
    AnsiString GetNazwisko();
    int GetPoziomUprawnien();
    AnsiString GetIdentyfikator();
    AnsiString GetKodKarty();
    TLJWords FWords;

private:
    TMLgExtTools* FLgLink;
};

// A currency of a WAL line: code;name;rate;default (T);change may be given (T).
class QxWaluta {
public:
    explicit QxWaluta(const AnsiString& text, TMLgExtTools* translation = nullptr);
    virtual ~QxWaluta() = default;
    AnsiString GetKod();
    AnsiString GetNazwa();
    int GetKurs();
    bool GetCzyDomyslna();
    bool GetCzyMoznaWydawacReszte();
    TLJWords FWords;

private:
    TMLgExtTools* FLgLink;
};

// A list of texts, each with an object the list owns.
template <class T>
class TOwningStringList {
public:
    int GetCount() const { return static_cast<int>(FItems.size()); }
    const AnsiString& Strings(int i) const { return FItems.at(static_cast<size_t>(i)).first; }
    T* Objects(int i) const { return FItems.at(static_cast<size_t>(i)).second.get(); }
    void Add(const AnsiString& text, T* object) { FItems.emplace_back(text, std::unique_ptr<T>(object)); }
    void Clear() { FItems.clear(); }

private:
    std::vector<std::pair<AnsiString, std::unique_ptr<T>>> FItems;
};

class QxExpBuf : public TLQuickSort {
public:
    // action receives the progress lines and gives the translation service; may be null.
    explicit QxExpBuf(TProgressSink* action);
    ~QxExpBuf() override;
    QxExpBuf(const QxExpBuf&) = delete;
    QxExpBuf& operator=(const QxExpBuf&) = delete;

    void Clear();
    // Archives the export file into "ARCH2.EXP" beside it and reads it.
    void ReadFromFile(const AnsiString& fileName, bool sort, int exportKind);

    void DodajRec(QxTowRec* rec);
    void DodajRec(QxKontrRec* rec);
    void DodajAsort(QxAsort* rec);
    void CzytajRec(int index, QxTowRec* rec);
    void CzytajRec(int index, QxKontrRec* rec);
    void CzytajAsort(int index, QxAsort* rec);
    // Stores all fields of the record at index and moves it between the status counters.
    void ZapiszRec(int index, QxTowRec* rec);
    void ResetFlags(bool value);
    void PrzeliczTowary();
    void AddInPlu(const AnsiString& kod, const AnsiString& dodinfo);

    int GetTowCount() const { return ds_plu->GetCount(); }
    int GetKontrCount() const { return ds_kontr->GetCount(); }
    int GetAsortCount() const { return ds_asort->GetCount(); }

    // Position of a goods record with exactly this barcode among the first count, or -1.
    int FindRec(const AnsiString& kod, int count);
    void CreateIndex();
    int SortCompare(int i, int j) override;
    int ExChange(int i, int j) override;
    int FindCompare(int i) override;

    void ZapiszWynikEksp(const AnsiString& fileName);

    // Units of measure (jmiary items "id;precision;name").
    int IdxJednId(int i) const;
    int IdxJednPrec(int i) const;
    AnsiString IdxJednNazwa(int i) const;
    QxKasjer* GetKasjer(int i) const;
    QxWaluta* GetWaluta(int i) const;

    // Hooks of the list reconciliation.
    virtual void DodInfo2TowRec(const AnsiString& dodinfo, QxTowRec* rec) {}
    virtual void ModifyPLUStatus(QxTowRec& host, QxTowRec& ecr);
    virtual bool CheckIfDeletePLU(QxTowRec& host, QxTowRec& ecr) { return false; }

    // Reconcile the register's list (ds_inplu) with the goods records.
    void AnalizujCancelBufor(bool stripZeros);
    void ComparePLUSets(bool stripZeros);
    // Turns the customers into discount-card goods records; returns how many were made.
    int UtworzTowaryZKontrahentow(int pluBase, const AnsiString& mask, AnsiString& debugText);

    TProgressSink* ksaction;
    TMLgExtTools* LgLink;
    AnsiString SearchedPlu;
    std::unique_ptr<TMDataSet> ds_plu;
    std::unique_ptr<TMDataSet> ds_inplu;
    std::unique_ptr<TMDataSet> ds_index;
    std::unique_ptr<TMDataSet> ds_asort;
    std::unique_ptr<TMDataSet> ds_kontr;
    TOwningStringList<QxKasjer> kasjerzy;
    TOwningStringList<QxWaluta> waluty;
    int effect_exp = 0;
    int il_rec = 0;
    int il_dod = 0, il_akt = 0, il_cen = 0, il_usu = 0;
    int il_opak = 0;
    bool zm_listy_kontr = false;
    int il_kontr = 0;
    int il_tow_z_kontr = 0;
    std::vector<AnsiString> stawki;
    std::vector<AnsiString> stawkiPrec;
    std::vector<AnsiString> jmiary;
    double FKursEURO = 0;

private:
    void Reconcile(bool stripZeros, bool compareSets);
    // Writes every field of the record at the current position of ds_plu.
    void WriteTow(const QxTowRec& rec, int nrBuf);
    void CountStatus(int status, int delta);
    AnsiString JednWord(int i, int word) const;
    AnsiString Text(const char* method, const char* piece, const char* defaultUtf8, int duplicate = 0) const;

    enum {
        fPlu, fKoldod, fKod, fCena, fCenaHurt, fCenaNoc, fCenaDod, fNazwa, fStawka, fStawkaPrec,
        fJedn, fCzyWazony, fPrecyzja, fWagowoIlosciowy, fOpakowanie, fCenaOtwarta, fKodOpakowania,
        fPluOpakowania, fNrAsort, fStatus, fNrBuf, fPluRec, fTrOk, fFlag, fAddRec, fOrgBarcode,
        fOrgStatus, fOpis1, fOpis2, fPKWiU, fSWW, fTerminW, fNrSrcBuf, fFromEcr, fTowZKontr,
        fOpis3, fOpis4, fPoziomCen, fIleWKodzie, fDodRabatTow, fNazwaPelna, fIleJedn, fNotatki,
        fPluFieldCount
    };
    enum {
        kKontrId, kNazwa, kSkrot, kUlica, kKod, kMiasto, kTelefon, kNIP, kKodKarty, kTermWaznKarty,
        kKartaAktywna, kPoziomRabatu, kRabatOdbiorcy, kNrBuf, kIloscPunktow, kKontrFieldCount
    };
    TMField* FPlu[fPluFieldCount];
    TMField* FKontr[kKontrFieldCount];
    TMField* FInKod;
    TMField* FInDodInfo;
    TMField* FIndex;
    TMField* FAsNo;
    TMField* FAsName;
};
