#include "exchange/ImpBuf.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ecr/LTools.h"
#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/NumberTools.h"
#include "platform/Os.h"
#include "platform/Translation.h"

namespace {

// About a tenth of a second, in days: how long the writer runs before it measures its batch.
const double kBatchMeasureDays = 1.16e-06;
const unsigned kYieldMs = 20;

// Amounts and quantities are written as whole numbers. A value that rounds to zero from below
// (minus zero, -0.4) is "0": the host reads "-0" as a negative amount.
void AppendAmount(AnsiString& out, long double value) {
    const size_t at = out.size();
    AppendWhole(out, value);
    if (out.size() == at + 2 && out[at] == '-' && out[at + 1] == '0') out.erase(at, 1);
}

AnsiString Amount(long double value) {
    AnsiString text;
    AppendAmount(text, value);
    return text;
}

// Whole number as the text form stores it.
long double Stored(long double value) { return std::strtold(Amount(value).c_str(), nullptr); }

char Flag(bool value) { return value ? 'T' : 'N'; }

}  // namespace

QxImpBuf::QxImpBuf() {
    fPlu = ds_plu.Fields().Add("plu", mftString);
    fQuantity = ds_plu.Fields().Add("quantity", mftExtended);
    fValue = ds_plu.Fields().Add("value", mftExtended);
    fSave = ds_plu.Fields().Add("save", mftInteger);
    fIdentifier = ds_plu.Fields().Add("identifier", mftInteger);
    ds_plu.Open();
    Clear();
}

QxImpBuf::~QxImpBuf() = default;

void QxImpBuf::Clear() {
    ds_plu.Clear();
    FIndex.Clear();
    FLines.clear();
    FLongCodes.clear();
    FAhead.clear();
    FLineOfKey.clear();
    Sorted = false;
    discount = 0;
    fp_bony = fp_czeki = fp_karty = fp_inne = 0;
    il_koszykow = il_linii_par = 0;
    for (int h = 0; h < 24; ++h) {
        godzinowy[h] = 0;
        godz_ilkoszykow[h] = 0;
        godz_il_liniipar[h] = 0;
    }
    payin = payout = 0;
    bottles_turned = bottles_saled = 0;
    paragony.clear();
    Kas_Clear();
}

double QxImpBuf::GetTotalValue() {
    if (!fisk_z_plu) return 0;
    PutBackSums();
    long double total = 0;
    const int count = ds_plu.GetCount();
    for (int r = 0; r < count; ++r) {
        ds_plu.SetPosition(r);
        if (fSave->GetAsInteger() == 1) total += fValue->GetAsExtended();
    }
    return static_cast<double>(total);
}

void QxImpBuf::GetPlu(int i, QxImpTowRec& rec) {
    PutBackSums();
    ds_plu.SetPosition(i);
    rec.plu = fPlu->GetAsString();
    rec.quantity = static_cast<double>(fQuantity->GetAsExtended());
    rec.value = static_cast<double>(fValue->GetAsExtended());
    rec.save = fSave->GetAsInteger() == 1;
    rec.identifier = static_cast<e_identifier>(fIdentifier->GetAsInteger());
}

std::string_view QxImpBuf::LineCode(int rec) const {
    const TLine& line = FLines[static_cast<size_t>(rec)];
    if (line.codeLength == TLine::kLongCode) return FLongCodes[line.longCode];
    return std::string_view(line.code, line.codeLength);
}

size_t QxImpBuf::FindSlot(std::string_view code) const {
    return FIndex.Find(code, [this](int r) { return LineCode(r); });
}

void QxImpBuf::IndexAppend(int rec) {
    FLines[static_cast<size_t>(rec)].nextSame = -1;
    const std::string_view code = LineCode(rec);
    const size_t slot = FindSlot(code);
    if (slot == TCodeIndex::npos) {
        FIndex.Insert(code, rec, [this](int r) { return LineCode(r); });
    } else {
        int& last = FIndex.Last(slot);
        FLines[static_cast<size_t>(last)].nextSame = rec;
        last = rec;
    }
}

void QxImpBuf::BuildIndex() {
    FIndex.Clear();
    for (size_t r = 0; r < FLines.size(); ++r) IndexAppend(static_cast<int>(r));
    Sorted = true;
}

void QxImpBuf::AddPlu(const AnsiString& code, double quantity, double value, e_identifier identifier) {
    ds_plu.Append();
    fPlu->SetAsString(code);
    fQuantity->SetAsExtended(quantity);
    fValue->SetAsExtended(value);
    fSave->SetAsInteger(1);
    fIdentifier->SetAsInteger(identifier);
    TLine line{};
    if (code.size() <= TLine::kShortCode) {
        line.codeLength = static_cast<uint8_t>(code.size());
        std::memcpy(line.code, code.data(), code.size());
    } else {
        line.codeLength = TLine::kLongCode;
        line.longCode = static_cast<uint32_t>(FLongCodes.size());
        FLongCodes.push_back(code);
    }
    line.identifier = identifier;
    line.nextSame = -1;
    line.quantity = quantity;
    line.value = value;
    FLines.push_back(line);
    if (Sorted) IndexAppend(static_cast<int>(FLines.size()) - 1);
}

int QxImpBuf::FindLine(std::string_view code) {
    if (FLines.empty()) return -1;
    if (!Sorted) BuildIndex();
    const size_t slot = FindSlot(code);
    return slot == TCodeIndex::npos ? -1 : FIndex.First(slot);
}

int QxImpBuf::FindRec(const AnsiString& code) {
    if (ds_plu.GetCount() == 0) return -1;
    SearchedPlu = code;
    return FindLine(code);
}

void QxImpBuf::AddToLine(int rec, double quantity, double value) {
    TLine& line = FLines[static_cast<size_t>(rec)];
    line.quantity += quantity;
    line.value += value;
    if (!line.ahead) {
        line.ahead = true;
        FAhead.push_back(rec);
    }
}

void QxImpBuf::PutBackSums() {
    for (const int rec : FAhead) {
        TLine& line = FLines[static_cast<size_t>(rec)];
        ds_plu.SetPosition(rec);
        fQuantity->SetAsExtended(line.quantity);
        fValue->SetAsExtended(line.value);
        line.ahead = false;
    }
    FAhead.clear();
}

int QxImpBuf::LineFor(std::string_view code, e_identifier identifier) {
    // The first line of this code, in order of creation, with the same identifier.
    for (int r = FindLine(code); r >= 0; r = FLines[static_cast<size_t>(r)].nextSame)
        if (FLines[static_cast<size_t>(r)].identifier == identifier) return r;
    return -1;
}

void QxImpBuf::AddToCode(std::string_view code, double quantity, double value, e_identifier identifier) {
    const int r = LineFor(code, identifier);
    if (r >= 0)
        AddToLine(r, quantity, value);
    else
        AddPlu(AnsiString(code), quantity, value, identifier);
}

void QxImpBuf::AddSold(const QVRSoldLine& sold, int hour) {
    const double value = static_cast<double>(sold.value);
    // Lines are only ever appended, so a code's first line stays its first, and a key names
    // one code: the line a key once found is its line until the buffer is cleared. The code's
    // text is not looked at again; it lies elsewhere in memory.
    const size_t key = static_cast<size_t>(sold.key);
    const int r = key < FLineOfKey.size() ? FLineOfKey[key] : -1;
    if (r >= 0) {
        AddToLine(r, sold.quantity, value);
    } else {
        // A position without a code goes under its PLU number, which a sale line has not.
        const bool plu = sold.code.empty();
        AddToCode(plu ? std::string_view("-1") : sold.code, sold.quantity, value, plu ? id_plu : id_barcode);
        if (!plu && sold.key >= 0) {
            if (key >= FLineOfKey.size()) FLineOfKey.resize(key + 1, -1);
            FLineOfKey[key] = LineFor(sold.code, id_barcode);
        }
    }
    AddGodzinowy(hour, value, 0, 0);
    if (sold.type == ptBottleSale)
        AddBottlesSaled(value);
    else if (sold.type == ptBottleReturn)
        AddBottlesTurned(value);
}

void QxImpBuf::AddToPlu(const AnsiString& code, double quantity, double value, e_identifier identifier) {
    AddToCode(code, quantity, value, identifier);
}

void QxImpBuf::AddDiscount(double amount, bool absolute) { discount += absolute ? std::fabs(amount) : amount; }

void QxImpBuf::AddBottlesTurned(double a) { bottles_turned += std::fabs(a); }

void QxImpBuf::AddBottlesSaled(double a) { bottles_saled += std::fabs(a); }

void QxImpBuf::AddGodzinowy(int hour, double value, int baskets, int lines) {
    if (hour < 0 || hour >= 24) return;
    godzinowy[hour] += value;
    godz_ilkoszykow[hour] += baskets;
    godz_il_liniipar[hour] += lines;
}

void QxImpBuf::AddReceipt(QVRParagon* receipt) {
    const std::unique_ptr<QVRParagon> owned(receipt);
    AddReceipt(*owned);
}

void QxImpBuf::AddReceipt(QVRParagon& receipt) {
    AddReceiptSums(receipt);
    FReceipts.Add(receipt);
}

void QxImpBuf::AddReceipt(QVRParagon& receipt, const std::vector<QVRSoldLine>& sold, long long stagedFrom,
                          long long stagedTo) {
    receipt.PostProcess();
    if (sprzedaz_z_paragonow) {
        const int hour = HourOf(receipt.Fdata_czas);
        // The goods lines the receipt adds to, fetched from memory together rather than one
        // after the other.
        for (const QVRSoldLine& line : sold) {
            const size_t key = static_cast<size_t>(line.key);
            if (key < FLineOfKey.size() && FLineOfKey[key] >= 0)
                __builtin_prefetch(&FLines[static_cast<size_t>(FLineOfKey[key])], 1);
        }
        for (const QVRSoldLine& line : sold) AddSold(line, hour);
        for (QVRPayment& payment : receipt.Fpymnt) *this + &payment;
        AddGodzinowy(hour, 0, 1, static_cast<int>(sold.size()));
        AddDiscount(receipt.Frabat, true);
    }
    FReceipts.AddStaged(receipt, sold.size(), stagedFrom, stagedTo);
}

void QxImpBuf::AddReceiptSums(QVRParagon& receipt) {
    receipt.PostProcess();
    if (!sprzedaz_z_paragonow) return;
    for (QVRPosition& position : receipt.Fpos) *this + &position;
    for (QVRPayment& payment : receipt.Fpymnt) *this + &payment;
    AddGodzinowy(HourOf(receipt.Fdata_czas), 0, 1, receipt.GetnPosCount());
    AddDiscount(receipt.Frabat, true);
}

int QxImpBuf::HourOf(double when) {
    if (when != FHourOf) {
        FHourOf = when;
        FHour = TdtTools(when).Hour();
    }
    return FHour;
}

QxImpBuf& QxImpBuf::operator+(QVRPosition* position) {
    const std::string_view code = TrimView(position->Fkod);
    if (code.empty())
        AddToCode(IntToStr(position->Fplu), position->Filosc, static_cast<double>(position->Fwartosc), id_plu);
    else
        AddToCode(code, position->Filosc, static_cast<double>(position->Fwartosc), id_barcode);
    AddGodzinowy(HourOf(position->Fdata_czas), static_cast<double>(position->Fwartosc), 0, 0);
    if (position->FTyp == ptBottleSale)
        AddBottlesSaled(static_cast<double>(position->Fwartosc));
    else if (position->FTyp == ptBottleReturn)
        AddBottlesTurned(static_cast<double>(position->Fwartosc));
    return *this;
}

QxImpBuf& QxImpBuf::operator+(QVRPayment* payment) {
    long long product = 0;
    double amount;
    if (__builtin_mul_overflow(static_cast<long long>(payment->Fwartosc), static_cast<long long>(payment->Fkurs),
                               &product))
        amount = std::trunc(static_cast<long double>(payment->Fwartosc) * payment->Fkurs / 100);
    else
        amount = static_cast<double>(product / 100);
    switch (payment->Fkod) {
        case 1: AddBony(amount); break;
        case 2: AddCzeki(amount); break;
        case 3: AddKarty(amount); break;
        case 4: AddInne(amount); break;
        default: break;
    }
    return *this;
}

void QxImpBuf::AddParameter(std::string_view name, const AnsiString& value) {
    for (auto& item : FParametry) {
        if (item.first == name) {
            item.second = value;
            return;
        }
    }
    FParametry.emplace_back(AnsiString(name), value);
}

AnsiString QxImpBuf::WalutaText(int number, const TWaluta& w) {
    return Format("KAS_WAL%d_NAZWA;%s\r\nKAS_WAL%d_KURS;%s\r\nKAS_WAL%d_STAN;%s\r\nKAS_WAL%d_BILANS;%s\r\n", number,
                  w.name.c_str(), number, Amount(w.rate).c_str(), number, Amount(w.cash).c_str(), number,
                  Amount(w.balance).c_str());
}

void QxImpBuf::Kas_AddWaluta(const AnsiString& name, double rate, double cash, double balance) {
    for (size_t k = 0; k < FWaluty.size(); ++k) {
        TWaluta& w = FWaluty[k];
        if (w.name != name) continue;
        if (rate > 0) w.rate = Stored(rate);
        w.cash = Stored(w.cash + cash);
        w.balance = Stored(w.balance + balance);
        kas_wal[k] = WalutaText(static_cast<int>(k) + 1, w);
        return;
    }
    FWaluty.push_back(TWaluta{name, Stored(rate), Stored(cash), Stored(balance)});
    kas_wal.push_back(WalutaText(static_cast<int>(FWaluty.size()), FWaluty.back()));
}

void QxImpBuf::Kas_Clear() {
    kas_active = false;
    kas_numer = 0;
    kas_nazwisko.clear();
    kas_is_nazwisko = false;
    kas_uprawn = 0;
    kas_is_uprawn = false;
    kas_biez = TdtTools(0.0);
    kas_is_biez = false;
    kas_stankasy = kas_karty = kas_bony = kas_czeki = kas_przelewy = kas_innefplat = 0;
    kas_is_stankasy = kas_is_karty = kas_is_bony = kas_is_czeki = kas_is_przelewy = kas_is_innefplat = false;
    kas_paragonow = kas_il_par_anulowanych = kas_il_storno = 0;
    kas_is_paragonow = kas_is_il_par_anulowanych = kas_is_il_storno = false;
    kas_wart_par_anulowanych = kas_wart_storno = 0;
    kas_is_wart_par_anulowanych = kas_is_wart_storno = false;
    kas_wal.clear();
    FWaluty.clear();
    StanKasyStr.clear();
}

void QxImpBuf::MakeStanKasyStr() {
    AnsiString s = Format("KAS_NUMER;%d\r\n", kas_numer);
    if (kas_numer != 0) {
        if (kas_is_nazwisko) s += "KAS_NAZWISKO;" + kas_nazwisko + "\r\n";
        if (kas_is_uprawn) s += Format("KAS_UPRAWN;%d\r\n", kas_uprawn);
        if (kas_is_biez) s += "KAS_BIEZ;" + kas_biez.ToString(TdtTools::fmtDateTimeCompressed) + "\r\n";
        if (kas_is_stankasy) s += "KAS_STANKASY;" + Amount(kas_stankasy) + "\r\n";
        if (kas_is_karty) s += "KAS_KARTY;" + Amount(kas_karty) + "\r\n";
        if (kas_is_bony) s += "KAS_BONY;" + Amount(kas_bony) + "\r\n";
        if (kas_is_czeki) s += "KAS_CZEKI;" + Amount(kas_czeki) + "\r\n";
        if (kas_is_przelewy) s += "KAS_PRZELEWY;" + Amount(kas_przelewy) + "\r\n";
        if (kas_is_innefplat) s += "KAS_INNEFPLAT;" + Amount(kas_innefplat) + "\r\n";
        if (kas_is_paragonow) s += Format("KAS_PARAGONOW;%d\r\n", kas_paragonow);
        if (kas_is_il_par_anulowanych) s += Format("KAS_IL_PAR_ANULOWANYCH;%d\r\n", kas_il_par_anulowanych);
        if (kas_is_wart_par_anulowanych) s += "KAS_WART_PAR_ANULOWANYCH;" + Amount(kas_wart_par_anulowanych) + "\r\n";
        if (kas_is_il_storno) s += Format("KAS_IL_STORNO;%d\r\n", kas_il_storno);
        if (kas_is_wart_storno) s += "KAS_WART_STORNO;" + Amount(kas_wart_storno) + "\r\n";
    }
    for (const AnsiString& entry : kas_wal) s += entry;
    StanKasyStr = s;
}

e_identifier QxImpBuf::Resolve(int identifier, const char* error) const {
    switch (identifier) {
        case id_global: return ident_barcode ? id_barcode : id_plu;
        case id_plu: return id_plu;
        case id_barcode: return id_barcode;
        default: throw Exception(Ansi(error));
    }
}

void QxImpBuf::WriteToFile(TMFile& file, bool stripZeros) {
    PutBackSums();
    file.WriteLine("[TOWAROWE]");
    const double start = Clock().Now();
    int batch = 0;
    const int count = ds_plu.GetCount();
    AnsiString line;
    for (int r = 0; r < count; ++r) {
        ds_plu.SetPosition(r);
        const long double quantity = fQuantity->GetAsExtended();
        if (fSave->GetAsInteger() == 1 && quantity != 0) {
            const e_identifier id = Resolve(static_cast<int>(fIdentifier->GetAsInteger()),
                                            u8"QxExpBuf::WriteToFile() - nieprawidłowy ident");
            const AnsiString code = fPlu->GetAsString();
            line = "PLU;";
            if (id == id_plu) {
                line += code;
                line += ';';
            } else {
                line += ';';
                size_t skip = 0;
                if (stripZeros)
                    while (code.size() - skip > 1 && code[skip] == '0') ++skip;
                line.append(code, skip, AnsiString::npos);
            }
            line += ';';
            AppendAmount(line, quantity);
            line += ';';
            AppendAmount(line, fValue->GetAsExtended());
            line += "\r\n";
            file.Write(line);
        }
        // Yield to the host: measure how many records take a tenth of a second, then pause
        // after every such batch.
        const int written = r + 1;
        if (batch == 0) {
            if (Clock().Now() - start > kBatchMeasureDays) batch = written;
        } else if (written % batch == 0) {
            Sleep(kYieldMs);
        }
    }

    file.WriteLine("\r\n[OPERACJE]");
    for (const auto& item : FParametry)
        file.WriteLine("KASPAR;" + ReplaceAll(item.first + "=" + item.second, "=", ";"));

    file.WriteLine("\r\n[RAPORT_GODZINOWY]");
    for (int h = 0; h < 24; ++h)
        if (godzinowy[h] != 0)
            file.WriteLine(
                Format("GODZ;%d;%s;%d;%d", h, Amount(godzinowy[h]).c_str(), godz_ilkoszykow[h], godz_il_liniipar[h]));

    file.WriteLine("\r\n[RAPORT_WALUTOWY]");

    file.WriteLine("\r\n[FINANSOWE]");
    file.WriteLine("WPLATY;" + Amount(payin));
    file.WriteLine("WYPLATY;" + Amount(payout));
    file.WriteLine("RABATY;" + Amount(discount));
    file.WriteLine("ZWROT_OPAKOWAN;" + Amount(bottles_turned));
    file.WriteLine("SPRZEDAZ_OPAKOWAN;" + Amount(bottles_saled));
    file.WriteLine("FPLATN_BON;" + Amount(fp_bony));
    file.WriteLine("FPLATN_CZEK;" + Amount(fp_czeki));
    file.WriteLine("FPLATN_KARTA;" + Amount(fp_karty));
    file.WriteLine("FPLATN_INNE;" + Amount(fp_inne));
    file.WriteLine(Format("IL_KOSZYKOW;%d", il_koszykow));
    file.WriteLine(Format("IL_LINII_PAR;%d", il_linii_par));

    if (kas_active) MakeStanKasyStr();
    if (!StanKasyStr.empty()) {
        file.WriteLine("\r\n[STAN_KASY]");
        size_t end = StanKasyStr.size();
        while (end > 0 && (StanKasyStr[end - 1] == '\r' || StanKasyStr[end - 1] == '\n')) --end;
        file.WriteLine(StanKasyStr.substr(0, end));
    }

    file.WriteLine("\r\n[FLAGI]");
    file.WriteLine("DATA_SPRZEDAZY;" + data.ToString(TdtTools::fmtDateTimeCompressed));
    file.WriteLine(Format("FISK_Z_PLU;%c", Flag(fisk_z_plu)));
    file.WriteLine(Format("NADPISZ_FISK;%c", Flag(nadpisz_fisk)));
    file.WriteLine(Format("NADPISZ_OPAK;%c", Flag(nadpisz_opak)));
    file.WriteLine(Format("PODSUMUJ_OPAK;%c", Flag(podsumuj_opak)));
    file.WriteLine(Format("NADPISZ_PLU;%c", Flag(nadpisz_plu)));
    file.WriteLine(Format("DOKLEJ_PLU;%c", Flag(doklej_plu)));

    if (par_szczeg) {
        QVRParagon receipt;
        for (size_t i = 0; i < FReceipts.Count(); ++i) {
            FReceipts.Get(i, receipt, FPositionSource);
            file << receipt;
        }
    }
}

void QxImpBuf::Save(const AnsiString& fileName, bool stripZeros) {
    TMFile file;
    file.SetPath(fileName);
    file.SetReadOnly(false);
    file.Open();
    try {
        file.SetPointer(0);
        file.SetEof();
        WriteToFile(file, stripZeros);
    } catch (...) {
        try {
            file.Close();
        } catch (...) {
        }
        throw;
    }
    file.Close();
}

void QxImpBuf::AddLiniaParEx(const AnsiString& code, double quantity, double value, double discount_,
                             const AnsiString& receiptText, const TdtTools& date, int extra1, int extra2,
                             e_identifier identifier) {
    const e_identifier id = Resolve(identifier, u8"QxExpBuf::AddLiniaParEx() - nieprawidłowy _ident");
    const AnsiString kod = id == id_plu ? code : AnsiString();
    const AnsiString kodkresk = id == id_barcode ? code : AnsiString();
    AnsiString line = "PAR;" + kod + ";" + kodkresk + ";" + Amount(quantity) + ";" + Amount(value) + ";" +
                      Amount(discount_) + ";" + receiptText + ";" + date.ToString(TdtTools::fmtDateTimeCompressed) +
                      ";";
    if (extra1 >= 0) line += IntToStr(extra1);
    line += ';';
    if (extra2 >= 0) line += IntToStr(extra2);
    line += "\r\n";
    paragony += line;
}

void QxImpBuf::SaveOneParag(const AnsiString& fileName) { TLTools::BufToFile(paragony, fileName); }
