#include "exchange/TowRec.h"

#include <cmath>
#include <utility>

#include "exchange/ExportWords.h"
#include "platform/Exceptions.h"
#include "platform/NumberTools.h"

namespace {

long double RoundWhole(long double value) {
    TxfTools x(value);
    x.Round(0);
    return x.Value();
}

}  // namespace

AnsiString StatusWord(int status) {
    switch (status) {
        case stDod: return "DOD";
        case stAkt: return "AKT";
        case stCen: return "CEN";
        case stUsu: return "USU";
        default: return "";
    }
}

void QxTowRec::Clear() {
    QxTowRec cleared;
    cleared.PKWiU = std::move(PKWiU);
    cleared.SWW = std::move(SWW);
    cleared.TerminW = TerminW;
    cleared.poziom_cen = poziom_cen;
    cleared.ile_w_kodzie = ile_w_kodzie;
    cleared.nr_src_buf = nr_src_buf;
    *this = std::move(cleared);
}

double QxTowRec::CenaAkt(int level) const {
    switch (level) {
        case 1: return cena_hurt;
        case 2: return cena_noc;
        case 3: return cena_dod;
        default: return cena;
    }
}

void QxTowRec::FromLine(TLJWords& words, TMLgExtTools* translation) {
    // Numbers, flags and the status are read in place; only texts are copied.
    plu = StrToInt(words.Word(1));
    koldod = StrToInt(words.Word(2));
    kod.assign(words.Word(3));
    nazwa.assign(words.Word(4));
    cena = NumberWord(words.Word(5));
    cena_hurt = NumberWord(words.Word(6));
    cena_noc = NumberWord(words.Word(7));
    cena_dod = NumberWord(words.Word(8));
    stawka = StrToInt(words.Word(9));
    jedn = StrToInt(words.Word(10));
    czy_wazony = FlagWord(words.Word(11), translation);
    precyzja = StrToInt(words.Word(12));
    wagowo_ilosciowy = FlagWord(words.Word(13), translation);
    opakowanie = FlagWord(words.Word(14), translation);
    cena_otwarta = FlagWord(words.Word(15), translation);
    kod_opakowania.assign(words.Word(16));
    const std::string_view pluOpak = words.Word(17);
    plu_opakowania = pluOpak.empty() ? 0 : StrToInt(pluOpak);
    nr_asort = StrToInt(words.Word(18));

    const std::string_view st = words.Word(19);
    if (st == "DOD")
        status = stDod;
    else if (st == "AKT")
        status = stAkt;
    else if (st == "CEN")
        status = stCen;
    else if (st == "USU")
        status = stUsu;
    else
        throw Exception(BadExportFormat(translation));
    org_barcode = kod;
    org_status = status;

    // Optional words: past the end of the line each keeps its default.
    const int count = words.GetCount();
    opis1.assign(words.Word(20));
    opis2.assign(words.Word(21));
    PKWiU.assign(words.Word(22));
    SWW.assign(words.Word(23));
    TerminW = count > 24 ? CAtoi(words.Word(24)) : 0;
    poziom_cen = count > 25 ? StrToIntDef(words.Word(25), -1) : -1;
    ile_w_kodzie = count > 26 ? StrToIntDef(words.Word(26), 1000) : 1000;

    // The file's price level puts the chosen price into the retail price.
    switch (poziom_cen) {
        case 1: cena = cena_hurt; break;
        case 2: cena = cena_dod; break;
        case 3: cena = cena_noc; break;
        default: break;
    }
    // Prices of a code that stands for another quantity than one unit.
    if (ile_w_kodzie != 1000) {
        const long double f = RoundWhole(ile_w_kodzie) / 1000;
        for (double* price : {&cena, &cena_hurt, &cena_noc, &cena_dod})
            *price = static_cast<double>(RoundWhole(*price * f));
    }

    opis3.assign(words.Word(27));
    opis4.assign(words.Word(28));
    dod_rabat_tow = NumberWord(words.Word(29));
    stawkaPrec = count >= 31 ? StrToIntDef(words.Word(30), 0) : ClampToInt(RateInHundredths(stawka));
    nazwa_pelna.assign(words.Word(31));
    ile_jedn = ClampToInt(std::trunc(static_cast<long double>(NumberWord(words.Word(32)))));
    notatki.assign(words.Word(33));
}
