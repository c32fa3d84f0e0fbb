#pragma once
// The customer record of the export file's KON and KONA lines.
#include "platform/DateTools.h"
#include "platform/Strings.h"

class TMLgExtTools;

class QxKontrRec {
public:
    QxKontrRec() { Clear(); }
    void Clear();
    // Reads a KON/KONA line. A card expiry date that cannot be read stays unset (0).
    void FromLine(const AnsiString& line, TMLgExtTools* translation);

    int KontrId;
    AnsiString Nazwa, Skrot, Ulica, Kod, Miasto, Telefon, NIP, KodKarty;
    TdtTools TermWaznKarty;
    bool KartaAktywna;
    double RabatOdbiorcy;
    int PoziomRabatu;
    int IloscPunktow;
    int nr_buf;
    AnsiString kontr_rec;
    bool tr_ok;
};
