#include "exchange/KontrRec.h"

#include "exchange/ExportWords.h"
#include "exchange/LJWords.h"

void QxKontrRec::FromLine(const AnsiString& line, TMLgExtTools* translation) {
    Clear();
    TLJWords words;
    words.FSeparator = ";";
    words.Init(line);
    KontrId = StrToInt(words[1]);
    Nazwa = words[2];
    Skrot = words[3];
    Ulica = words[4];
    Kod = words[5];
    Miasto = words[6];
    Telefon = words[7];
    NIP = words[8];
    KodKarty = words[9];
    // Nothing of the export uses the customers: an empty or unreadable date must not end it.
    TermWaznKarty.TryFromString(words[10], TdtTools::fmtDateTimeCompressed);
    KartaAktywna = FlagWord(words[11], translation);
    RabatOdbiorcy = NumberWord(words[12]);
    PoziomRabatu = StrToInt(words[13]);
    IloscPunktow = words.GetCount() > 14 ? StrToIntDef(words[14], 0) : 0;
}
