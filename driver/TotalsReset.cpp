#include "driver/TotalsReset.h"

#include "driver/NovitusAction.h"
#include "driver/NovitusTexts.h"
#include "platform/Exceptions.h"

namespace {
const char* const kCls = "TQxNovitusECRAction";
// Transfer types the host gives an export ("RodzajTransmisji").
const int kClosedShiftUpdate = 1;
const int kListChange = 3;
// Sales taken from the receipt buffer ("NovitusECRSaleSource").
const int kFromReceiptBuffer = 1;
}  // namespace

void TTotalsReset::ResetSaleF7() {
    TQxNovitusECRAction& a = ksaction;
    if (a.cfgMedium == md_file)
        throw Exception(
            NvTxt(kCls, "ResetSaleF7", "Exception", u8"Ustawione złącze PLIK! Ustaw na normalny port COM lub TCP/IP."));
    a.ReadParams();
    a.OpenPort();
    try {
        ResetTotals();
    } catch (...) {
        try {
            a.ClosePort();
        } catch (...) {
            // the reset's error is the one to report
        }
        throw;
    }
    a.ClosePort();
}

void TTotalsReset::ResetTotals() {
    TQxNovitusECRAction& a = ksaction;
    a.MsgAdd(NvTxt(kCls, "ResetSaleF7", "Bezwarun", u8"Bezwarunkowe zerowanie obrotów"), LPV_None, 100);
    try {
        a.BeginReset("i", rm_resetting, 1, -1);
    } catch (...) {
        a.MsgAdd(NvTxt(kCls, "ResetSaleF7", "Bladpodc", u8"Błąd podczas zerowania obrotów"), LPV_Error, 100);
        throw;
    }
    a.MsgS(LPV_Ok);
}

void TTotalsReset::PrecedingResets() {
    TQxNovitusECRAction& a = ksaction;
    const int kind = a.ParamAsInt("RodzajTransmisji");
    if (a.ParamAsInt("NovitusECRPreclear") != 0 && a.cfgSaleSource == kFromReceiptBuffer) {
        if (kind == kListChange || kind == kClosedShiftUpdate)
            ResetTotals();
        else
            a.MsgAdd(NvTxt(kCls, "Eksport", "Zerowani",
                           u8"Zerowanie poprzedzające wykonywane jest tylko przed zmianą listy i aktualizacją dla "
                           u8"zamkniętej zmiany."),
                     LPV_Warning, 100);
    }
    if (kind != kListChange) return;
    // These two lines are shown as written, not translated.
    a.MsgAdd(Ansi(u8"Zerowanie list towarów"), LPV_None, 100);
    try {
        a.BeginReset("i", rm_resetting, 6, -1);
    } catch (...) {
        a.MsgAdd(Ansi(u8"Błąd podczas zerowania list towarów"), LPV_Error, 100);
        throw;
    }
    a.MsgS(LPV_Ok);
}
