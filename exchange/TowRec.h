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
    // Back to the defaults below; PKWiU, SWW, TerminW, poziom_cen, ile_w_kodzie and nr_src_buf
    // stay (reading a PLU line sets them all).
    void Clear();
    // The price of a price level: 0 retail, 1 wholesale, 2 night, 3 additional, other retail.
    double CenaAkt(int level) const;
    // Reads the words of a PLU line (word 0 is "PLU"). Raises "Nieprawidłowy format pliku
    // eksportowego" for a bad status or flag word and EConvertError for a bad integer word.
    void FromLine(TLJWords& words, TMLgExtTools* translation);

    int plu = 0;
    int koldod = 0;
    AnsiString kod;
    AnsiString nazwa;
    double cena = 0, cena_hurt = 0, cena_noc = 0, cena_dod = 0;
    int stawka = 0;      // percent; negative for the exempt rate
    int stawkaPrec = 0;  // hundredths of a percent; -1 for the exempt rate
    int jedn = 0;
    bool czy_wazony = false;
    int precyzja = 0;
    bool wagowo_ilosciowy = false;
    bool opakowanie = false;
    bool cena_otwarta = true;
    AnsiString kod_opakowania = "0";
    int plu_opakowania = 0;
    int nr_asort = 0;
    stTow status = stNull;
    AnsiString opis1, opis2;
    AnsiString PKWiU;
    AnsiString SWW;
    int TerminW = 0;
    int poziom_cen = -1;
    int ile_w_kodzie = 1000;
    AnsiString opis3, opis4;
    double dod_rabat_tow = 0;
    AnsiString nazwa_pelna;
    int ile_jedn = 0;
    AnsiString notatki;
    int nr_buf = -1;
    AnsiString plu_rec;
    bool tr_ok = false;
    bool flag = false;
    bool add_rec = false;
    AnsiString org_barcode;
    stTow org_status = stNull;
    int nr_src_buf = 0;
    bool from_ecr = false;
    bool tow_z_kontr = false;
};
