#pragma once
// The goods export buffer: reads the host's export file "kasa.exp" (goods with their change
// status, VAT rates, units, customers, cashiers, currencies, assortment groups and the euro
// rate), holds the goods records while the goods export delivers them, and writes the export
// result file "wynik.exp".
#include <memory>
#include <vector>

#include "exchange/Asort.h"
#include "exchange/KasjerWaluta.h"
#include "exchange/KontrRec.h"
#include "exchange/LQuickSort.h"
#include "exchange/OwningStringList.h"
#include "exchange/RecordFields.h"
#include "exchange/TowRec.h"
#include "platform/DataSet.h"

class TMLgExtTools;
class TProgressSink;

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
    using TTowFields = TRecordFields<QxTowRec, int, bool, stTow, double, AnsiString>;
    using TKontrFields = TRecordFields<QxKontrRec, int, bool, double, AnsiString, TdtTools>;
    static const TTowFields::Column kTowColumns[];
    static const TKontrFields::Column kKontrColumns[];

    void Reconcile(bool stripZeros, bool compareSets);
    void CountStatus(int status, int delta);
    AnsiString JednWord(int i, int word) const;
    AnsiString Text(const char* method, const char* piece, const char* defaultUtf8, int duplicate = 0) const;

    TTowFields FTow;
    TKontrFields FKontr;
    // Fields the buffer reads or sets on their own.
    TMField* FKod;
    TMField* FStatus;
    TMField* FFlag;
    TMField* FOpakowanie;
    TMField* FNrBuf;
    TMField* FKontrNrBuf;
    TMField* FInKod;
    TMField* FInDodInfo;
    TMField* FIndex;
    TMField* FAsNo;
    TMField* FAsName;
};
