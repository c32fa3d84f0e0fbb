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
    plu = StrToInt(words[1]);
    koldod = StrToInt(words[2]);
    kod = words[3];
    nazwa = words[4];
    cena = NumberWord(words[5]);
    cena_hurt = NumberWord(words[6]);
    cena_noc = NumberWord(words[7]);
    cena_dod = NumberWord(words[8]);
    stawka = StrToInt(words[9]);
    jedn = StrToInt(words[10]);
    czy_wazony = FlagWord(words[11], translation);
    precyzja = StrToInt(words[12]);
    wagowo_ilosciowy = FlagWord(words[13], translation);
    opakowanie = FlagWord(words[14], translation);
    cena_otwarta = FlagWord(words[15], translation);
    kod_opakowania = words[16];
    const AnsiString pluOpak = words[17];
    plu_opakowania = pluOpak.empty() ? 0 : StrToInt(pluOpak);
    nr_asort = StrToInt(words[18]);

    const AnsiString st = words[19];
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
    opis1 = words[20];
    opis2 = words[21];
    PKWiU = words[22];
    SWW = words[23];
    TerminW = count > 24 ? CAtoi(words[24]) : 0;
    poziom_cen = count > 25 ? StrToIntDef(words[25], -1) : -1;
    ile_w_kodzie = count > 26 ? StrToIntDef(words[26], 1000) : 1000;

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

    opis3 = words[27];
    opis4 = words[28];
    dod_rabat_tow = NumberWord(words[29]);
    stawkaPrec = count >= 31 ? StrToIntDef(words[30], 0) : ClampToInt(RateInHundredths(stawka));
    nazwa_pelna = words[31];
    ile_jedn = ClampToInt(std::trunc(static_cast<long double>(NumberWord(words[32]))));
    notatki = words[33];
}
