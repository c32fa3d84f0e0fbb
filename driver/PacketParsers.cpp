#include "driver/PacketParsers.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string_view>

#include "codes/KartaRab.h"
#include "codes/KodWazony.h"
#include "driver/NovitusAction.h"
#include "driver/NovitusTexts.h"
#include "platform/DateTools.h"

namespace {
const char* const kCls = "TQxNovitusECRAction";

// The part of a field (position from 1) that exists, without the blanks around it.
std::string_view Field(std::string_view line, int position, int length) {
    const size_t from = static_cast<size_t>(position - 1);
    if (from >= line.size()) return {};
    return TrimView(line.substr(from, static_cast<size_t>(length)));
}

// A whole number field; false when it cannot be read as one (blanks around it are allowed).
// Read in place, and straight when digits fill it, as the register writes them: the analysis
// meets millions of them in a large staging file.
bool ReadNumber(std::string_view line, int position, int length, long long& value) {
    const size_t from = static_cast<size_t>(position - 1);
    if (from < line.size() && TryDigits(line.substr(from, static_cast<size_t>(length)), value)) return true;
    return TryStrToInt64(Field(line, position, length), value);
}

// A counter field: 0 when unreadable.
double Counter(std::string_view line, int position, int length) {
    long long value = 0;
    return ReadNumber(line, position, length, value) ? static_cast<double>(value) : 0;
}

int IntField(std::string_view line, int position, int length, int defaultValue) {
    // Ten digits, as the register fills its numbers of receipts and printouts: read at once.
    const size_t from = static_cast<size_t>(position - 1);
    if (length == 10 && from + 10 <= line.size()) {
        const uint64_t first = EightBytes(line.data() + from);
        const unsigned ninth = static_cast<unsigned char>(line[from + 8]) - '0';
        const unsigned tenth = static_cast<unsigned char>(line[from + 9]) - '0';
        if (NotDigits(first) == 0 && ninth <= 9 && tenth <= 9) {
            const uint64_t number = EightDigits(first) * 100 + ninth * 10 + tenth;
            return number <= INT_MAX ? static_cast<int>(number) : defaultValue;
        }
    }
    long long value = 0;
    if (!ReadNumber(line, position, length, value) || value < INT_MIN || value > INT_MAX) return defaultValue;
    return static_cast<int>(value);
}

// A record's whole number kept within the range of an int field, its fraction dropped.
int Clamped(double value) {
    if (!(value > INT_MIN)) return INT_MIN;
    if (!(value < INT_MAX)) return INT_MAX;
    return static_cast<int>(value);
}

int64_t Amount(double value) {
    if (!(value > -9.0e18)) return static_cast<int64_t>(-9.0e18);
    if (!(value < 9.0e18)) return static_cast<int64_t>(9.0e18);
    return static_cast<int64_t>(value);
}

// A one-character number field: its digit, else fallback (a blank or a sign is no number).
int DigitAt(std::string_view line, int position, int fallback) {
    const unsigned digit =
        static_cast<unsigned>(static_cast<unsigned char>(line[static_cast<size_t>(position - 1)])) - '0';
    return digit <= 9 ? static_cast<int>(digit) : fallback;
}

// A ten-character number field within the line: read straight when ten digits fill it, as the
// register writes them, else as ParseValue reads it. Inlined: a sale line has three of them.
[[gnu::always_inline]] inline double AmountAt(std::string_view line, int position) {
    const char* at = line.data() + position - 1;
    const unsigned ninth = static_cast<unsigned>(static_cast<unsigned char>(at[8])) - '0';
    const unsigned tenth = static_cast<unsigned>(static_cast<unsigned char>(at[9])) - '0';
    uint64_t first = 0;
    if (ninth <= 9 && tenth <= 9 && TryEightDigits(at, first))
        return static_cast<double>(static_cast<int64_t>(first * 100 + ninth * 10 + tenth));
    return TPacketParsers::ParseValue(line, position, 10);
}

// A sale line's figures apart from its code; false for a line of kind 0. Inlined: it is the
// analysis's work for nearly every line of a large staging file.
[[gnu::always_inline]] inline bool ReadSaleFigures(std::string_view line, int& quantity, int64_t& value, int& discount,
                                                   position_type& type) {
    const int kind = DigitAt(line, 3, 1);
    if (kind == 0) return false;
    const int decimals = DigitAt(line, 23, 3);
    // The three amounts, from positions 24, 34 and 44: read straight when digits fill all
    // thirty places, as the register writes them, else one by one.
    const char* at = line.data() + 23;
    const uint64_t w0 = EightBytes(at), w1 = EightBytes(at + 8), w2 = EightBytes(at + 16), w3 = EightBytes(at + 22);
    double raw, price, amount;
    if ((NotDigits(w0) | NotDigits(w1) | NotDigits(w2) | NotDigits(w3)) == 0) {
        // Each amount: its first eight digits, then its last two (a signed number converts
        // to a double in one step).
        const auto tenDigits = [&](int i) {
            const uint64_t first = EightDigits(EightBytes(at + i));
            return static_cast<double>(static_cast<int64_t>(first * 100 + (at[i + 8] - '0') * 10 + (at[i + 9] - '0')));
        };
        raw = tenDigits(0);
        price = tenDigits(10);
        amount = tenDigits(20);
    } else {
        raw = AmountAt(line, 24);
        price = AmountAt(line, 34);
        amount = AmountAt(line, 44);
    }
    // The field is one digit; its powers of ten are exact, as std::pow gives them.
    static const double kPowers[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    const double thousandths = raw / kPowers[decimals] * 1000;
    quantity = Clamped(thousandths >= 0 ? thousandths + 0.5 : thousandths - 0.5);
    value = Amount(amount);
    discount = Clamped(price * thousandths / 1000 - amount);
    type = kind == 2 ? ptBottleSale : kind == 3 ? ptBottleReturn : ptSale;
    if (kind == 3) {
        quantity = -quantity;
        value = -value;
    }
    return true;
}

// A payment of the closing line, made in place in its receipt.
void Fill(QVRPayment& payment, int kind, double value) {
    payment.Fkod = kind;
    payment.Fkurs = 100;
    payment.Fwartosc = Amount(value);
}
}  // namespace

void NvReceipt::PostProcess() { StampLines(*this); }

void NvReceipt::StampLines(QVRParagon& receipt) {
    for (QVRPosition& position : receipt.Fpos) {
        position.Fdata_czas = receipt.Fdata_czas;
        position.FnrParagonu = receipt.FnrPar;
    }
    for (QVRPayment& payment : receipt.Fpymnt) payment.Fdata_czas = receipt.Fdata_czas;
}

void NvReceipt::Restart() {
    static_cast<QVRParagonHead&>(*this) = QVRParagonHead();
    Fpos.clear();
    Fpymnt.clear();
    FSold.clear();
    FSoldFields.clear();
}

double TPacketParsers::ParseValue(std::string_view line, int position, int length) {
    long long value = 0;
    return ReadNumber(line, position, length, value) ? static_cast<double>(value) : 1;
}

AnsiString TPacketParsers::FormatBarcodeIn(std::string_view code) {
    const TKodWazony weighted(&FAction.GetFormatyWazone());
    return weighted.NormalizujNiepelny(TrimView(code), FAction.GetLgLink());
}

AnsiString TPacketParsers::ParseDiscoundCard(const AnsiString& card) {
    TKartaRab parser;
    parser.Rozparsuj(FAction.cfgCardParseMask, Trim(card), FAction.GetLgLink());
    return parser.KodKarty;
}

void TPacketParsers::WarnShortLine(std::string_view line, const char* method, const char* whatUtf8, bool translated) {
    const AnsiString what = translated ? NvTxt(kCls, method, "przyslan", whatUtf8) : Ansi(whatUtf8);
    FAction.AddWarning(NvTxt(kCls, method, "Linia", u8"Linia \"") + AnsiString(line) + "\"" + what,
                       FAction.logError.get());
}

bool TPacketParsers::ReadSaleLine(std::string_view line, QVRPosition& position) {
    if (!ReadSaleFigures(line, position.Filosc, position.Fwartosc, position.Frabat, position.FTyp)) return false;
    position.Fkod = FormatBarcodeIn(Field(line, 4, 18));
    return true;
}

void TPacketParsers::ParsePacket_k0123(std::string_view line, NvReceipt* receipt, double& positionsValue) {
    if (line.size() < kSaleLineLength)
        return WarnShortLine(line, "ParsePacket_k0123",
                             u8" (pozycja sprzedaży) przysłana przez kasę ma nieprawidłową strukturę.");
    QVRSoldLine& sold = receipt->FSold.emplace_back();
    if (!ReadSaleFigures(line, sold.quantity, sold.value, sold.discount, sold.type)) {
        receipt->FSold.pop_back();
        return;
    }
    FCodes.Prepare(line.substr(3, TSaleCodes::kFieldLength), receipt->FSoldFields.emplace_back());
    positionsValue += static_cast<double>(sold.value);
}

void TPacketParsers::TakeCodes(NvReceipt& receipt) {
    const auto make = [this](std::string_view field) { return FormatBarcodeIn(field); };
    FCodes.StartReceipt();
    QVRSoldLine* const sold = receipt.FSold.data();
    const TSaleCodes::TField* const fields = receipt.FSoldFields.data();
    for (size_t i = 0, n = receipt.FSold.size(); i < n; ++i) sold[i].key = FCodes.Get(fields[i], make, sold[i].code);
}

void TPacketParsers::ParsePacket_k5(std::string_view line, NvReceipt* receipt) {
    if (line.size() < 24)
        return WarnShortLine(line, "ParsePacket_k5",
                             u8" (nr karty rabatowej) przysłana przez kasę ma nieprawidłową strukturę.");
    // The card last read is kept with its field and the mask it was read by.
    const std::string_view field = line.substr(3, 18);
    if (field != FCardField || FAction.cfgCardParseMask != FCardMask) {
        FCard = ParseDiscoundCard(AnsiString(field));
        FCardField.assign(field);
        FCardMask = FAction.cfgCardParseMask;
    }
    receipt->FnrKlienta = FCard;
}

void TPacketParsers::ParsePacket_k8(std::string_view line, NvReceipt* receipt) {
    if (line.size() < 20)
        return WarnShortLine(line, "ParsePacket_k8",
                             u8" (NIP klienta) przysłana przez kasę ma nieprawidłową strukturę.", false);
    receipt->FnrNIPKlienta = AnsiString(Field(line, 4, 16));
}

void TPacketParsers::ParsePacket_k004(std::string_view line, NvReceipt* receipt, double positionsValue) {
    if (line.size() < 145)
        return WarnShortLine(line, "ParsePacket_k004",
                             u8" (stopka sprzedaży) przysłana przez kasę ma nieprawidłową strukturę.");
    receipt->FnrPar = IntField(line, 10, 10, 0);
    receipt->FnrTrans = IntField(line, 20, 10, 0);
    receipt->FnrKasjera = static_cast<unsigned char>(line[41]) - '0';
    receipt->FnrKasy = IntField(line, 43, 2, 0);
    // The date (8 digits from position 30) and the hour and minute (4 from 38): read straight
    // when digits, as the register writes them, else as the general date reader takes them.
    long long day = 0, minute = 0;
    if (TryDigits(line.substr(29, 8), day) && TryDigits(line.substr(37, 4), minute)) {
        const int y = static_cast<int>(day / 10000), m = static_cast<int>(day / 100 % 100),
                  d = static_cast<int>(day % 100);
        const int h = static_cast<int>(minute / 100), n = static_cast<int>(minute % 100);
        if (TdtTools::IsValid(y, m, d, h, n, 0, 0)) receipt->Fdata_czas = TdtTools::Encode(y, m, d, h, n, 0, 0);
    } else {
        char stamp[17] = "000000000000";
        line.copy(stamp, 12, 29);
        TdtTools date;
        if (date.TryFromString(std::string_view(stamp, 17), TdtTools::fmtDateTimeCompressed))
            receipt->Fdata_czas = date.Value();
    }

    // Vouchers, cheques, cards, then the two other forms (the second with its own code).
    const struct {
        int position, kind, extended;
    } forms[] = {{86, 1, -1}, {66, 2, -1}, {76, 3, -1}, {106, 4, 5}, {96, 4, 6}};
    double paid = 0;
    for (const auto& form : forms) {
        const double value = AmountAt(line, form.position);
        if (value == 0) continue;
        receipt->AddPaymentFilled([&](QVRPayment& payment) {
            Fill(payment, form.kind, value);
            if (form.extended >= 0) {
                payment.Fkod_f_plat_ext = form.extended;
                payment.Fwartosc_pln = Clamped(value);
            }
        });
        paid += value;
    }
    const double cash = positionsValue - paid;
    if (cash != 0) receipt->AddPaymentFilled([&](QVRPayment& payment) { Fill(payment, 0, cash); });
    receipt->FwoDetails = FAction.cfgReceiptDetails < 2;
}

void TPacketParsers::ParsePacket_n00(const AnsiString& line, double euroRate) {
    QxImpBuf& buf = *FAction.imp_buf;
    buf.Kas_ActiveKasjerSection();
    const double cash = ParseValue(line, 9, 20);
    buf.Kas_AddStankasy(SubString(line, 8, 1) == "-" ? -cash : cash);
    buf.Kas_AddCzeki(ParseValue(line, 29, 20));
    buf.Kas_AddKarty(ParseValue(line, 49, 20));
    buf.Kas_AddBony(ParseValue(line, 89, 20));
    buf.Kas_AddWartStorno(ParseValue(line, 169, 20));
    buf.Kas_AddIlParAnulowanych(IntField(line, 229, 10, 0));
    buf.Kas_AddIlStorno(IntField(line, 239, 10, 0));
    buf.Kas_AddWartParAnulowanych(ParseValue(line, 309, 20));
    const double euroCash = ParseValue(line, 339, 20);
    const double euroBalance = ParseValue(line, 359, 20);
    buf.Kas_AddPrzelewy(ParseValue(line, 429, 20));
    buf.Kas_AddInnefplat(ParseValue(line, 449, 20));
    buf.Kas_AddParagonow(0);
    buf.Kas_SetNumer(1);
    buf.Kas_SetNazwisko(NvTxt(kCls, "ParsePacket_n00", "wszyscy", u8"wszyscy"));
    buf.Kas_SetUprawn(0);
    buf.Kas_SetBiez(buf.data);
    buf.Kas_AddWaluta("EUR", euroRate, euroCash, euroBalance);
}

void TPacketParsers::ParsePacket_o00(const AnsiString& line) {
    QxImpBuf& buf = *FAction.imp_buf;
    buf.AddPayIn(ParseValue(line, 127, 20));
    buf.AddPayOut(ParseValue(line, 147, 20));
    // With sales from the receipts these totals come from the receipts themselves.
    if (FAction.cfgSaleSource != 0) return;
    buf.AddDiscount(ParseValue(line, 187, 20) - ParseValue(line, 207, 20), true);
    buf.AddBony(ParseValue(line, 87, 20));
    buf.AddCzeki(ParseValue(line, 27, 20));
    buf.AddKarty(ParseValue(line, 47, 20));
    for (int position : {67, 427, 447}) buf.AddInne(ParseValue(line, position, 20));
}

void TPacketParsers::ParsePacket_U(const AnsiString& line) {
    if (line.size() < 93)
        return WarnShortLine(line, "ParsePacket_U",
                             u8" (linia raportu sprzedaży) przysłana przez kasę ma nieprawidłową strukturę.");
    FAction.imp_buf->AddPlu(FormatBarcodeIn(SubString(line, 3, 18)), Counter(line, 59, 20), Counter(line, 39, 20),
                            id_global);
}

void TPacketParsers::ParsePacket_d(const AnsiString& line) {
    if (line.size() < 118)
        return WarnShortLine(line, "ParsePacket_d",
                             u8" (linia raportu sprzedaży opakowań) przysłana przez kasę ma nieprawidłową strukturę.");
    QxImpBuf& buf = *FAction.imp_buf;
    const AnsiString code = FormatBarcodeIn(SubString(line, 3, 18));
    const double soldValue = Counter(line, 39, 20);
    const double soldQuantity = Counter(line, 59, 20) * 1000;
    const double returnedValue = Counter(line, 79, 20);
    const double returnedQuantity = Counter(line, 99, 20) * 1000;
    if (soldQuantity > 0) {
        buf.AddPlu(code, soldQuantity, soldValue, id_global);
        buf.AddBottlesSaled(soldValue);
    }
    if (returnedQuantity > 0) {
        buf.AddPlu(code, returnedQuantity, -returnedValue, id_global);
        buf.AddBottlesTurned(-returnedValue);
    }
}
