#pragma once
// The sales import buffer: everything imported from the register for one sales day, and the
// writer of the host's sales import file "kasa.imp" and of the single-receipt lines.
#include <climits>
#include <memory>
#include <utility>
#include <vector>

#include "exchange/CodeIndex.h"
#include "exchange/LQuickSort.h"
#include "exchange/Receipt.h"
#include "exchange/ReceiptStore.h"
#include "platform/DataSet.h"
#include "platform/DateTools.h"
#include "platform/Strings.h"

class TMFile;

// How a goods code is read by the host.
enum e_identifier {
    id_global = 0,  // decided by the buffer's ident_barcode
    id_plu = 1,     // the code is a PLU number
    id_barcode = 2  // the code is a barcode
};

// Value form of one goods line.
class QxImpTowRec {
public:
    void Clear() {
        plu.clear();
        quantity = 0;
        value = 0;
        save = true;
    }
    AnsiString plu;
    double quantity = 0;
    double value = 0;
    bool save = true;
    e_identifier identifier = id_global;
};

class QxImpBuf : public TLQuickSort {
public:
    QxImpBuf();
    ~QxImpBuf() override;
    QxImpBuf(const QxImpBuf&) = delete;
    QxImpBuf& operator=(const QxImpBuf&) = delete;

    // Empties the goods lines, totals, hourly report, single-receipt lines and cash state;
    // receipts, parameters and flags stay.
    void Clear();

    int CountPlu() const { return ds_plu.GetCount(); }
    int GetReceiptsCount() const { return static_cast<int>(FReceipts.Count()); }
    // With fisk_z_plu: the sum of the values of the goods lines to be saved; otherwise 0.
    double GetTotalValue();
    // Copies goods line i (from 0).
    void GetPlu(int i, QxImpTowRec& rec);

    // Goods lines.
    void AddPlu(const AnsiString& code, double quantity, double value, e_identifier identifier);
    void AddToPlu(const AnsiString& code, double quantity, double value, e_identifier identifier);
    // Record number of the first goods line with this code, or -1.
    int FindRec(const AnsiString& code);

    // Totals.
    void AddDiscount(double amount, bool absolute);
    void AddPayIn(double a) { payin += a; }
    void AddPayOut(double a) { payout += a; }
    void AddBony(double a) { fp_bony += a; }
    void AddCzeki(double a) { fp_czeki += a; }
    void AddKarty(double a) { fp_karty += a; }
    void AddInne(double a) { fp_inne += a; }
    void AddBottlesTurned(double a);
    void AddBottlesSaled(double a);
    void AddGodzinowy(int hour, double value, int baskets, int lines);

    // Receipts: the buffer takes ownership of one that came from new, or keeps a copy of
    // one it is lent, whose lines it moves out.
    void AddReceipt(QVRParagon* receipt);
    void AddReceipt(QVRParagon& receipt);
    // The same for a receipt whose positions the bytes [stagedFrom, stagedTo) of the position
    // source hold: its sums are taken now from its sold lines, its positions are read again
    // when it is written. A sold line's key names one code for as long as the buffer lives:
    // the buffer finds the code's goods line by the key once it has met it.
    void AddReceipt(QVRParagon& receipt, const std::vector<QVRSoldLine>& sold, long long stagedFrom,
                    long long stagedTo);
    // Where staged receipts' positions are read again; it must outlive the writing.
    void SetPositionSource(TPositionSource* source) { FPositionSource = source; }
    QxImpBuf& operator+(QVRPosition* position);
    QxImpBuf& operator+(QVRPayment* payment);

    // Parameters for the host; a repeated name keeps its place and takes the later value.
    void AddParameter(std::string_view name, const AnsiString& value);

    // Cash state of the cashiers' report.
    void Kas_ActiveKasjerSection() { kas_active = true; }
    bool Kas_IsActiveKasjerSection() const { return kas_active; }
    void Kas_SetNumer(int n) { kas_numer = n; }
    void Kas_SetNazwisko(const AnsiString& text) {
        kas_nazwisko = text;
        kas_is_nazwisko = true;
    }
    void Kas_SetUprawn(int n) {
        kas_uprawn = n;
        kas_is_uprawn = true;
    }
    void Kas_SetBiez(const TdtTools& date) {
        kas_biez = date;
        kas_is_biez = true;
    }
    void Kas_AddStankasy(double a) {
        kas_stankasy += a;
        kas_is_stankasy = true;
    }
    void Kas_AddKarty(double a) {
        kas_karty += a;
        kas_is_karty = true;
    }
    void Kas_AddBony(double a) {
        kas_bony += a;
        kas_is_bony = true;
    }
    void Kas_AddCzeki(double a) {
        kas_czeki += a;
        kas_is_czeki = true;
    }
    void Kas_AddPrzelewy(double a) {
        kas_przelewy += a;
        kas_is_przelewy = true;
    }
    void Kas_AddInnefplat(double a) {
        kas_innefplat += a;
        kas_is_innefplat = true;
    }
    void Kas_AddParagonow(int n) {
        AddCount(kas_paragonow, n);
        kas_is_paragonow = true;
    }
    void Kas_AddIlParAnulowanych(int n) {
        AddCount(kas_il_par_anulowanych, n);
        kas_is_il_par_anulowanych = true;
    }
    void Kas_AddWartParAnulowanych(double a) {
        kas_wart_par_anulowanych += a;
        kas_is_wart_par_anulowanych = true;
    }
    void Kas_AddIlStorno(int n) {
        AddCount(kas_il_storno, n);
        kas_is_il_storno = true;
    }
    void Kas_AddWartStorno(double a) {
        kas_wart_storno += a;
        kas_is_wart_storno = true;
    }
    // Adds to the entry of the currency name (rate replaced when greater than 0), or appends one.
    void Kas_AddWaluta(const AnsiString& name, double rate, double cash, double balance);
    void Kas_Clear();
    // Builds StanKasyStr from the cash state.
    void MakeStanKasyStr();

    // Files.
    void Save(const AnsiString& fileName, bool stripZeros);
    void WriteToFile(TMFile& file, bool stripZeros);
    void AddLiniaParEx(const AnsiString& code, double quantity, double value, double discount,
                       const AnsiString& receiptText, const TdtTools& date, int extra1, int extra2,
                       e_identifier identifier);
    void SaveOneParag(const AnsiString& fileName);

    // Goods lines: "plu" (string), "quantity", "value" (extended), "save" (0/1),
    // "identifier" (e_identifier), in order of creation. Sums added to a line reach its record
    // when the lines are read through this class (GetPlu, GetTotalValue, the file writers).
    TMDataSet ds_plu;
    TReceiptStore FReceipts;
    double discount = 0;
    double fp_bony = 0, fp_czeki = 0, fp_karty = 0, fp_inne = 0;
    int il_koszykow = 0, il_linii_par = 0;
    double godzinowy[24] = {};
    int godz_ilkoszykow[24] = {};
    int godz_il_liniipar[24] = {};
    AnsiString paragony;
    std::vector<std::pair<AnsiString, AnsiString>> FParametry;  // name, value
    AnsiString StanKasyStr;
    AnsiString SearchedPlu;
    TdtTools data;
    bool fisk_z_plu = false;
    bool nadpisz_fisk = false;
    bool nadpisz_opak = true;
    bool podsumuj_opak = false;
    bool nadpisz_plu = false;
    bool doklej_plu = false;
    bool ident_barcode = false;
    bool sprzedaz_z_paragonow = false;
    bool par_szczeg = false;
    double payin = 0, payout = 0;
    double bottles_turned = 0, bottles_saled = 0;

    bool kas_active = false;
    int kas_numer = 0;
    AnsiString kas_nazwisko;
    bool kas_is_nazwisko = false;
    int kas_uprawn = 0;
    bool kas_is_uprawn = false;
    TdtTools kas_biez;
    bool kas_is_biez = false;
    double kas_stankasy = 0, kas_karty = 0, kas_bony = 0, kas_czeki = 0, kas_przelewy = 0, kas_innefplat = 0;
    bool kas_is_stankasy = false, kas_is_karty = false, kas_is_bony = false, kas_is_czeki = false,
         kas_is_przelewy = false, kas_is_innefplat = false;
    int kas_paragonow = 0, kas_il_par_anulowanych = 0, kas_il_storno = 0;
    bool kas_is_paragonow = false, kas_is_il_par_anulowanych = false, kas_is_il_storno = false;
    double kas_wart_par_anulowanych = 0, kas_wart_storno = 0;
    bool kas_is_wart_par_anulowanych = false, kas_is_wart_storno = false;
    // One preformatted entry per currency, numbered from 1.
    std::vector<AnsiString> kas_wal;

private:
    // A count of the cashiers' report summed over reports, held at the limits of an int:
    // a garbled report must not wrap it round.
    static void AddCount(int& total, int n) {
        const long long sum = static_cast<long long>(total) + n;
        total = sum > INT_MAX ? INT_MAX : sum < INT_MIN ? INT_MIN : static_cast<int>(sum);
    }
    struct TWaluta {
        AnsiString name;
        long double rate, cash, balance;
    };
    // The index of the goods lines: code -> first and last line with it; nextSame chains the
    // lines of one code in order of creation. Built on the first search (Sorted), kept
    // up to date by AddPlu afterwards.
    void BuildIndex();
    void IndexAppend(int rec);
    // The code of goods line rec.
    std::string_view LineCode(int rec) const;
    // The index slot of the code, or TCodeIndex::npos.
    size_t FindSlot(std::string_view code) const;
    // The first line of the code, or -1.
    int FindLine(std::string_view code);
    void AddToCode(std::string_view code, double quantity, double value, e_identifier identifier);
    void AddToLine(int rec, double quantity, double value);
    // Puts the sums of the lines added to since into ds_plu; every reader of it calls this first.
    void PutBackSums();
    e_identifier Resolve(int identifier, const char* error) const;
    // A receipt's part in the buffer's sums, before it is kept.
    void AddReceiptSums(QVRParagon& receipt);
    // What a sold line adds to the goods lines, the hours and the bottles.
    void AddSold(const QVRSoldLine& sold, int hour);
    // The first goods line of the code with this identifier, or -1.
    int LineFor(std::string_view code, e_identifier identifier);
    // The hour of a moment; a receipt's positions share theirs.
    int HourOf(double when);
    static AnsiString WalutaText(int number, const TWaluta& w);

    TCodeIndex FIndex;
    // Each goods line's code, identifier and sums as ds_plu holds them, or will once put back:
    // a position added to a line already there changes these alone, not the line's record, so
    // that an import of a million positions on a few thousand goods does not decode and
    // re-encode a record for each of them. A line fills one cache line, its code in place (a
    // longer one among FLongCodes), so that finding a line and adding to it touch the same
    // 64 bytes.
    struct alignas(64) TLine {
        static constexpr size_t kShortCode = 20;
        static constexpr uint8_t kLongCode = 0xFF;
        union {
            char code[kShortCode];
            uint32_t longCode;
        };
        uint8_t codeLength;  // kLongCode: the code is FLongCodes[longCode]
        bool ahead;          // not yet put back
        int identifier;
        int nextSame;  // the next line of the same code, or -1
        long double quantity, value;
    };
    static_assert(sizeof(TLine) == 64, "a goods line fills one cache line");
    std::vector<TLine> FLines;
    std::vector<AnsiString> FLongCodes;
    std::vector<int> FAhead;      // the lines whose sums are not yet put back
    std::vector<int> FLineOfKey;  // by a sold line's key: its code's goods line, or -1
    std::vector<TWaluta> FWaluty;
    TPositionSource* FPositionSource = nullptr;
    double FHourOf = 0;
    int FHour = 0;
    TMField* fPlu;
    TMField* fQuantity;
    TMField* fValue;
    TMField* fSave;
    TMField* fIdentifier;
};
