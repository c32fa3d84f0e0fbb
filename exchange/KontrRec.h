#pragma once
// The customer record of the export file's KON and KONA lines.
#include "platform/DateTools.h"
#include "platform/Strings.h"

class TMLgExtTools;

class QxKontrRec {
public:
    // Back to the defaults below.
    void Clear() { *this = QxKontrRec(); }
    // Reads a KON/KONA line. A card expiry date that cannot be read stays unset (0).
    void FromLine(const AnsiString& line, TMLgExtTools* translation);

    int KontrId = 0;
    AnsiString Nazwa, Skrot, Ulica, Kod, Miasto, Telefon, NIP, KodKarty;
    TdtTools TermWaznKarty{0.0};
    bool KartaAktywna = false;
    double RabatOdbiorcy = 0;
    int PoziomRabatu = 0;
    int IloscPunktow = 0;
    int nr_buf = -1;
    AnsiString kontr_rec;
    bool tr_ok = false;
};
