#pragma once
// The goods record of the export file "kasa.exp" and its change status.
#include "exchange/LJWords.h"
#include "platform/Strings.h"

class TMLgExtTools;

// Change status of a goods record; stored in the datasets as an integer.
enum stTow { stDod = 0, stAkt = 1, stCen = 2, stUsu = 3, stNull = 4 };

// The word of a status in the exchange files ("DOD", "AKT", "CEN", "USU"); "" for stNull.
AnsiString StatusWord(int status);

// Goods record. Prices in grosze.
class QxTowRec {
public:
    QxTowRec() { Clear(); }
    // Back to the defaults; PKWiU, SWW, TerminW, poziom_cen, ile_w_kodzie and nr_src_buf stay.
    void Clear();
    // The price of a price level: 0 retail, 1 wholesale, 2 night, 3 additional, other retail.
    double CenaAkt(int level) const;
    // Reads the words of a PLU line (word 0 is "PLU"). Raises "Nieprawidłowy format pliku
    // eksportowego" for a bad status or flag word and EConvertError for a bad integer word.
    void FromLine(TLJWords& words, TMLgExtTools* translation);

    int plu;
    int koldod;
    AnsiString kod;
    AnsiString nazwa;
    double cena, cena_hurt, cena_noc, cena_dod;
    int stawka;       // percent; negative for the exempt rate
    int stawkaPrec;   // hundredths of a percent; -1 for the exempt rate
    int jedn;
    bool czy_wazony;
    int precyzja;
    bool wagowo_ilosciowy;
    bool opakowanie;
    bool cena_otwarta;
    AnsiString kod_opakowania;
    int plu_opakowania;
    int nr_asort;
    stTow status;
    AnsiString opis1, opis2;
    AnsiString PKWiU = "";
    AnsiString SWW = "";
    int TerminW = 0;
    int poziom_cen = -1;
    int ile_w_kodzie = 1000;
    AnsiString opis3, opis4;
    double dod_rabat_tow;
    AnsiString nazwa_pelna;
    int ile_jedn;
    AnsiString notatki;
    int nr_buf;
    AnsiString plu_rec;
    bool tr_ok;
    bool flag;
    bool add_rec;
    AnsiString org_barcode;
    stTow org_status;
    int nr_src_buf = 0;
    bool from_ecr;
    bool tow_z_kontr;
};
