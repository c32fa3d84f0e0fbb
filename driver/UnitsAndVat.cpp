#include "driver/UnitsAndVat.h"

#include <cmath>

#include "driver/IdMap.h"
#include "driver/NovitusAction.h"
#include "driver/NovitusTexts.h"
#include "driver/TextPattern.h"
#include "ecr/EcrErrors.h"
#include "exchange/ExpBuf.h"
#include "exchange/LJWords.h"
#include "platform/Exceptions.h"

namespace {
const char* const kCls = "TQxNovitusECRAction";
const char kEndMark = '\xFF';
// Packets a VAT table read takes before it gives up on a register that never ends it.
const int kMaxVatPackets = 1000;

// Word i of a unit item "id;precision;name".
AnsiString UnitWord(const AnsiString& item, int i) {
    TLJWords words;
    words.FSeparator = ";";
    words.Init(item);
    return words[i];
}
}  // namespace

AnsiString TUnitsAndVat::Txt(const char* method, const char* piece, const char* defaultUtf8) const {
    return NvTxt(kCls, method, piece, defaultUtf8);
}

void TUnitsAndVat::PrepareUnitTable() {
    AnsiString ids;
    for (const AnsiString& item : ksaction.exp_buf->jmiary) ids += UnitWord(item, 0) + "\r\n";
    IdMap().Initialize(ksaction.unitMap, ids);
    ksaction.WriteLongParamEx("NovitusECRUnitMap", IdMap::Text(ksaction.unitMap), 6);
}

int TUnitsAndVat::GetUnitIdOut(int hostUnit, bool zeroBased) const {
    const AnsiString name = IntToStr(hostUnit) + "=";
    AnsiString value;
    for (const AnsiString& line : ksaction.unitMap)
        if (StartsWith(line, name)) {
            value = line.substr(name.size());
            break;
        }
    const int slot = StrToInt(value);
    return zeroBased ? slot : slot + 1;
}

void TUnitsAndVat::SendUnitTable() {
    const char* method = "SendUnitTable";
    TQxNovitusECRAction& a = ksaction;
    a.tools.pltype_in = TLTools::plCP1250;
    a.tools.pltype_out = TLTools::plCP852;
    a.MsgAdd(Txt(method, "Programo", u8"Programowanie jednostek miary"), LPV_Value, 100);
    bool begin = true;
    int counter = 0;
    for (const AnsiString& item : a.exp_buf->jmiary) {
        const AnsiString hostName = TLTools::StrMax(UnitWord(item, 2), 10, false);
        try {
            if (begin) {
                a.BeginWrite("I#01");
                begin = false;
            }
            const int slot = GetUnitIdOut(StrToInt(UnitWord(item, 0)), true);
            if (slot > 14) continue;  // the register has slots 0 to 14
            a.Progress(counter);
            AnsiString name = hostName;
            a.tools.plstring(name);
            if (name.size() < 10) name += kEndMark;
            a.SendPacket(Format("DI#01%02d%-10s", slot, name.c_str()));
        } catch (const ENativeException& e) {
            // The register ended the transfer with its refusal: the next unit opens a new one.
            begin = true;
            const char* fallback = u8"Kasa odrzuciła jednostkę miary: \"%s\" (%s)";
            a.AddWarning(
                FillIn(Txt(method, "Kasaodrz", fallback), Ansi(fallback), {hostName, e.GetErrorMessage(a.GetLgLink())}),
                a.logError.get());
        } catch (...) {
            a.MsgS(LPV_Error);
            try {
                a.ResetCommunication();
            } catch (...) {
                // the line is gone; the first error is the one to report
            }
            throw;
        }
    }
    a.MsgP(counter);
    a.ResetCommunication();
}

void TUnitsAndVat::SendEuro() {
    const char* method = "SendEuro";
    TQxNovitusECRAction& a = ksaction;
    if (a.ParamAsInt("NovitusECRProgEuro") == 0) return;
    a.ThrowPrzerwac();
    try {
        a.MsgAdd(Txt(method, "Odczytku", u8"Odczyt kursu euro (dla porównania)"), LPV_None, 100);
        const AnsiString packet = a.ReadPacketSingle("2", rm_notresetting, 0, 0);
        long long current = 0;
        if (!TryStrToInt64(Trim(SubString(packet, 4, 10)), current)) current = 0;
        // The rate in ten-thousandths, rounded: 4.3215 is not exact in binary and must not
        // lose its last digit.
        const double wanted = std::round(a.exp_buf->FKursEURO * 10000);
        const unsigned long rate = wanted <= 0              ? 0
                                   : wanted >= 4294967295.0 ? 4294967295UL
                                                            : static_cast<unsigned long>(wanted);
        if (current == static_cast<long long>(rate)) return;
        a.MsgAdd(Txt(method, "Programo", u8"Programowanie kursu euro"), LPV_None, 100);
        a.BeginWrite("2");
        a.SendPacket(Format("D2%10lu", rate));
        a.ResetCommunication();
        a.MsgS(LPV_Ok);
    } catch (const std::exception& e) {
        a.MsgS(LPV_Error);
        const char* fallback = u8"Nie można zaprogramować kursu euro (%s)";
        a.MsgAdd(FillIn(Txt(method, "Niemozna", fallback), Ansi(fallback), {e.what()}), LPV_Error, 100);
    }
}

void TUnitsAndVat::ReadVATRatesFromEcr() {
    const char* method = "ReadVATRatesFromEcr";
    TQxNovitusECRAction& a = ksaction;
    a.MsgAdd(Txt(method, "Odczytta", u8"Odczyt tablicy stawek VAT z kasy"), LPV_Value, 100);
    AnsiString packet;
    try {
        a.BeginRead("0", rm_notresetting, 0, 0);
        int counter = 0;
        for (;;) {
            bool eot = false;
            const AnsiString next = a.ReadPacketNext(eot);
            if (eot) break;
            if (!next.empty()) packet = next;
            a.Progress(counter);
            if (counter > kMaxVatPackets) {
                a.ResetCommunication();
                break;
            }
        }
        a.MsgS(LPV_Ok);
    } catch (...) {
        a.MsgS(LPV_Error);
        throw;
    }
    if (packet.size() != 32)
        throw Exception(Txt(method, "Kasaprzy", u8"Kasa przysłała nieprawidłowy pakiet stawek VAT: ") + packet);
    for (int x = 0; x < 7; ++x) {
        const AnsiString slot = SubString(packet, 4 + 4 * x, 4);
        int rate = 0;
        a.vatRates[static_cast<size_t>(x)] = slot == "FFFF" ? 0xFFFF : TryStrToInt(slot, rate) ? rate : 9999;
    }
}
