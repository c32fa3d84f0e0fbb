#include "driver/GoodsExport.h"

#include <memory>

#include "driver/NovitusAction.h"
#include "driver/NovitusExpBuf.h"
#include "driver/NovitusTexts.h"
#include "driver/TextPattern.h"
#include "driver/TotalsReset.h"
#include "driver/UnitsAndVat.h"
#include "ecr/EcrErrors.h"
#include "platform/Exceptions.h"
#include "platform/NumberTools.h"

namespace {
const char* const kCls = "TQxNovitusECRAction";
const char kEndMark = '\xFF';

// Flag bits of a goods record.
enum : unsigned {
    fb2Opakowanie = 0x02,
    fb3Powtarzanie = 0x04,
    fb4CenaZaprogramowana = 0x08,
    fb5CenaOtwarta = 0x10,
};

// Runs a clean-up step whose own failure must not hide the error being handled.
template <typename F>
void Quietly(F&& step) {
    try {
        step();
    } catch (...) {
    }
}
}  // namespace

AnsiString TGoodsExport::Txt(const char* method, const char* piece, const char* defaultUtf8, int duplicate) const {
    return NvTxt(kCls, method, piece, defaultUtf8, duplicate);
}

void TGoodsExport::Eksport() {
    const char* method = "Eksport";
    TQxNovitusECRAction& a = ksaction;
    if (a.cfgMedium == md_file)
        throw Exception(Txt(method, "Exception", u8"Ustawione złącze PLIK. Kasa nie obsługuje eksportu do pliku!"));
    a.exp_buf = nullptr;
    try {
        a.logError = std::make_unique<TErrorLog>(a.FNameERL());
    } catch (...) {
        a.logError.reset();  // warnings then go straight to the host's messages
    }
    a.ReadParams();
    const AnsiString warningsHeader = Txt(method, "WYSTAPIL", u8"WYSTĄPIŁY JAKIEŚ BŁĘDY, A JEST ICH ");
    std::unique_ptr<TQxNovitusECRExpBuf> buffer;
    bool handedOver = false;
    try {
        buffer = std::make_unique<TQxNovitusECRExpBuf>(a);
        a.exp_buf = buffer.get();
        buffer->ReadFromFile(a.FNameKEXP(), false, -1);
        if (buffer->il_rec == 0 && a.ParamAsInt("NovitusECRNoItNoCon") != 0) {
            a.MsgAdd(Txt(method, "Niematow", u8"Nie ma towarów do wysłania - zrezygnowano z połączenia z kasą"),
                     LPV_None, 100);
        } else {
            a.OpenPort();
            if (!a.CheckNumber()) throw Exception(Txt(method, "Exception", u8"Niezgodny numer urządzenia!", 1));
            TTotalsReset(a).PrecedingResets();
            a.ShowTowInfo(true);
            TUnitsAndVat units(a);
            units.PrepareUnitTable();
            a.ThrowPrzerwac();
            units.ReadVATRatesFromEcr();
            units.SendEuro();
            if (a.ParamAsInt("NovitusECRSendUnits") != 0) units.SendUnitTable();
            SendItems(false);
            SendItems(true);
            a.ClosePort();
            buffer->ZapiszWynikEksp(a.FNameWEXP());
            a.ZapiszWynikEksportu();
            handedOver = true;
            a.LogWarnings(a.logError.get(), warningsHeader, "", LPV_Error);
        }
    } catch (...) {
        // Whatever ended the export, the host learns which goods reached the register.
        Quietly([&] { a.ClosePort(); });
        a.MsgS(LPV_Error);
        if (buffer && !handedOver) {
            Quietly([&] { buffer->ZapiszWynikEksp(a.FNameWEXP()); });
            Quietly([&] { a.ZapiszWynikEksportu(); });
        }
        Quietly([&] { a.LogWarnings(a.logError.get(), warningsHeader, "", LPV_Error); });
        a.exp_buf = nullptr;
        throw;
    }
    a.exp_buf = nullptr;
}

void TGoodsExport::SendItems(bool tandem) {
    const char* method = "SendItems";
    TQxNovitusECRAction& a = ksaction;
    QxExpBuf& buffer = *a.exp_buf;
    const int count = buffer.il_rec;
    bool begin = true;
    int counter = 0;
    if (count == 0) return;
    if (!tandem) {
        anyTandemsFound = false;
        a.MsgAdd(Txt(method, "Programo", u8"Programowanie towarów"), LPV_Value, 100);
    } else {
        if (!anyTandemsFound) return;
        a.MsgAdd(Txt(method, "Programo", u8"Programowanie tandemów", 1), LPV_Value, 100);
    }
    QxTowRec rec;
    for (int x = 0; x < count; ++x) {
        try {
            // The record is read before a transfer opens, so that a refused opening is reported
            // with the name of the goods it was opened for.
            buffer.CzytajRec(x, &rec);
            if (!rec.kod_opakowania.empty()) anyTandemsFound = true;
            if (tandem == rec.kod_opakowania.empty()) continue;
            if (begin) {
                a.BeginWrite("I#00");
                begin = false;
            }
            if (rec.add_rec)
                MakePluRecAdd(rec);
            else
                MakePluRec(rec, tandem);
            a.Progress(counter);
            a.SendPacket(rec.plu_rec);
            rec.tr_ok = true;
            buffer.ZapiszRec(x, &rec);
            a.ThrowPrzerwac();
        } catch (const ENativeException& e) {
            // The register refused the record and ended the transfer: the next one opens anew.
            begin = true;
            const char* fallback = u8"Kasa odrzuciła \"%s\" (%s)";
            a.AddWarning(FillIn(Txt(method, "Kasaodrz", fallback), Ansi(fallback),
                                {rec.nazwa, e.GetErrorMessage(a.GetLgLink())}),
                         a.logError.get());
        } catch (const ENoBreakException& e) {
            const char* fallback = u8"Sterownik odrzucił towar \"%s\" (%s)";
            a.AddWarning(FillIn(Txt(method, "Sterowni", fallback), Ansi(fallback), {rec.nazwa, e.GetErrorMessage()}),
                         a.logError.get());
        } catch (...) {
            a.MsgS(LPV_Error);
            Quietly([&] { a.ResetCommunication(); });
            throw;
        }
    }
    a.MsgP(counter);
    a.ResetCommunication();
}

void TGoodsExport::MakePluRec(QxTowRec& rec, bool tandem) {
    const char* method = "MakePluRec";
    TQxNovitusECRAction& a = ksaction;
    const AnsiString action = rec.status == stUsu ? "0" : "1";
    const double price = rec.CenaAkt(a.cfgPoziomCen);
    if (price == 0 && !rec.cena_otwarta)
        throw ENoBreakException(Txt(method, "zerowaiz", u8"zerowa i zamknięta cena sprzedaży"));
    const AnsiString code = FormatBarcodeOut(rec.kod);

    AnsiString name = Trim(rec.nazwa);
    a.tools.pltype_in = TLTools::plCP1250;
    a.tools.pltype_out = TLTools::plCP852;
    a.tools.plstring(name);
    if (name.size() < 40) {
        name += kEndMark;
        name.resize(40, ' ');
    } else {
        name.resize(40);
    }

    const AnsiString priceField = Format("%010.0Lf", static_cast<long double>(price));
    const char letter = VatLetter(rec.stawkaPrec);
    const AnsiString precision = rec.precyzja < 0 ? AnsiString("3") : Format("%d", rec.precyzja);
    unsigned flags = rec.cena_otwarta ? fb5CenaOtwarta : fb4CenaZaprogramowana;
    if (rec.opakowanie) flags |= fb2Opakowanie;
    if (a.cfgPluAutoRepeat) flags |= fb3Powtarzanie;
    const AnsiString department = a.cfgPriceOpenD41 && !rec.cena_otwarta ? "41" : "01";
    const AnsiString package = tandem ? FormatBarcodeOut(rec.kod_opakowania) : AnsiString(18, ' ');
    int unit = TUnitsAndVat(a).GetUnitIdOut(rec.jedn, false);
    if (unit > 15) unit = 0;
    const AnsiString descriptions[] = {rec.opis1, rec.opis2, rec.opis3, rec.opis4};
    const int key = a.cfgEksportKeyCode >= 1 && a.cfgEksportKeyCode <= 4
                        ? StrToIntDef(descriptions[a.cfgEksportKeyCode - 1], 0)
                        : 0;

    rec.plu_rec = "DI#00" + action + code + "    0" + name + priceField + letter + precision + Format("%04X", flags) +
                  department + "01" + package + Format("%02d", unit) + AnsiString(20, ' ') + Format("%03d", key);
}

void TGoodsExport::MakePluRecAdd(QxTowRec& rec) {
    // The packet without its start and end bytes, its action field set to delete.
    rec.plu_rec = rec.plu_rec.size() >= 2 ? rec.plu_rec.substr(1, rec.plu_rec.size() - 2) : AnsiString();
    if (rec.plu_rec.size() >= 6) rec.plu_rec[5] = '0';
}

AnsiString TGoodsExport::FormatBarcodeOut(AnsiString code) {
    const char* method = "FormatBarcodeOut";
    if (code.empty()) throw ENoBreakException(Txt(method, "brakkodu", u8"brak kodu towaru"));
    if (ksaction.cfgCheckZeroes && code[0] == '0')
        throw ENoBreakException(Txt(method, "kodtowar", u8"kod towaru nie może zaczynać się od zera"));
    code = ReplaceAll(code, "?", "");
    return TLTools::StrSize(code, 18, ' ', left, right);
}

char TGoodsExport::VatLetter(int rate) {
    const auto& slots = ksaction.vatRates;
    const unsigned wanted = rate == -1 ? 0xFFFFu : static_cast<unsigned>(rate);
    for (size_t x = 0; x < slots.size(); ++x)
        if (rate >= -1 && slots[x] == wanted) return static_cast<char>('A' + x);
    if (rate == -1) return 'Z';
    TxfTools percent(static_cast<long double>(rate) / 100);
    throw ENoBreakException(Txt("VatLetter", "brakstaw", u8"brak stawki VAT ") + percent.ToString(2, 2) + "%" +
                            Txt("VatLetter", "nakasie", u8" na kasie"));
}
