#pragma once
// Receipts as the host receives them: a header record, optionally the positions, and the
// payments, written as a block of the sales import file.
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/Strings.h"

class TMFile;

enum position_type { ptSale = 0, ptBottleSale = 1, ptBottleReturn = 2 };

enum formy { FP_UNDEFINED = -1, FP_GOT = 0, FP_BON = 1, FP_CZEK = 2, FP_KARTA = 3, FP__INNE = 4 };

// One sold or returned item.
class QVRPosition {
public:
    int Fplu = -1;          // PLU number; -1 = none
    AnsiString Fkod;        // goods code (barcode)
    int Filosc = -1;        // thousandths of the unit
    int64_t Fwartosc = -1;  // grosze
    int Frabat = -1;        // grosze
    int FnrParagonu = -1;
    double Fdata_czas = 0;
    position_type FTyp = ptSale;

    // "ZAW;..." ended by LF alone.
    AnsiString ToString() const;
    void AppendTo(AnsiString& out) const;
};

// A sale position as the import buffer sums it, without the receipt it belongs to: its goods
// code, a number its maker gives that code (from 0; -1 for none) and its figures. The code is
// a view of text the maker keeps at least until the position has been added.
struct QVRSoldLine {
    std::string_view code;
    int key = -1;
    int quantity = 0;  // thousandths of the unit
    int discount = 0;  // grosze
    position_type type = ptSale;
    int64_t value = 0;  // grosze
};

// One payment.
class QVRPayment {
public:
    int Fkod = -1;          // 0 cash, 1 voucher, 2 cheque, 3 card, 4 other
    int64_t Fwartosc = -1;  // grosze
    int Fkurs = 1;          // hundredths (100 = 1:1)
    int FnrDokWplaty = -1;
    int Ftransfer = -1;
    formy Frodzaj = FP_UNDEFINED;
    bool Fkonczaca = false;  // the closing payment of the receipt
    bool Fterminowa = false;
    AnsiString Ftytul;
    double Fdata_czas = 0;
    int Fkod_f_plat_ext = -1;  // -1 = none
    AnsiString Fkod_waluty;
    int Fkurs_prec = 10000;
    int Fwartosc_pln = 0;

    // "PMT;..." ended by LF alone.
    AnsiString ToString() const;
    void AppendTo(AnsiString& out) const;
};

// What a receipt says of itself, apart from its lines.
struct QVRParagonHead {
    bool FwoDetails = true;  // written without positions
    int FnrTrans = -1;
    int FnrPar = -1;
    int FnrKasjera = -1;
    int FnrKasy = -1;
    AnsiString FnrKlienta;
    AnsiString FnrNIPKlienta;
    int FkodRabatu = -1;
    double Fdata_czas = 0;
    int Frabat = 0;
    int FnrZmiany = -1;
};

class QVRParagon : public QVRParagonHead {
public:
    QVRParagon() = default;
    QVRParagon(const QVRParagon&) = delete;
    QVRParagon& operator=(const QVRParagon&) = delete;

    virtual void ProcessFirstPosition(QVRPosition& position);
    virtual void ProcessFirstPayment(QVRPayment& payment) {}
    virtual void ProcessEachPosition(QVRPosition& position) {}
    virtual void ProcessEachPayment(QVRPayment& payment) {}
    virtual ~QVRParagon() = default;
    virtual void PostProcess() {}

    // Adds a position or payment. The pointer forms take ownership of an object that came
    // from new; the receipt keeps its positions and payments by value, so that a receipt costs
    // an allocation or two however many lines it has.
    QVRParagon& operator+(QVRPosition* position);
    QVRParagon& operator+(QVRPayment* payment);
    QVRParagon& Add(QVRPosition position);
    QVRParagon& Add(QVRPayment payment);
    // Adds a payment that fill(payment) makes in place: a receipt read from a large file then
    // copies none.
    template <class Fill>
    void AddPaymentFilled(Fill&& fill) {
        QVRPayment& payment = Fpymnt.emplace_back();
        fill(payment);
        ProcessEachPayment(payment);
        if (Fpymnt.size() == 1) ProcessFirstPayment(payment);
    }

    int GetnPosCount() const { return static_cast<int>(Fpos.size()); }
    int GetnPaymentCount() const { return static_cast<int>(Fpymnt.size()); }
    QVRPosition* GetPozycje(int i) { return &Fpos.at(static_cast<size_t>(i)); }
    QVRPayment* GetPlatnosci(int i) { return &Fpymnt.at(static_cast<size_t>(i)); }

    // The head text: the empty line, "[Paragon nr N]", the header record and the NIP line,
    // at most 255 bytes.
    AnsiString HeadText() const;

    // Writes the receipt block (as operator<<).
    void operator>>(TMFile& file);

    std::vector<QVRPosition> Fpos;
    std::vector<QVRPayment> Fpymnt;
};

TMFile& operator<<(TMFile& file, const QVRPosition& position);
TMFile& operator<<(TMFile& file, const QVRPayment& payment);
// Marks the last payment as the closing one and writes the block.
TMFile& operator<<(TMFile& file, QVRParagon& receipt);
