#pragma once
// Discount card codes built from customer data by a mask, and the customer code taken back
// out of a scanned card.
//
// Mask characters: 0-9 fixed digit; s prefix; k customer code (required); y/Y year, m/M month,
// d/D day of the expiry date (lower case keeps the last digits of a longer value, upper case
// the first); r discount level; x EAN-13 check digit (13th character only).
#include "platform/DateTools.h"
#include "platform/Strings.h"

class TMLgExtTools;

class TKartaRab {
public:
    TKartaRab();
    ~TKartaRab() = default;

    // Prefix, level and customer code back to 0, 0 and ""; the expiry date stays.
    void Czysc();
    // Raises Exception with the reason when the mask is not valid.
    void SprawdzPoprawnoscWzorca(const AnsiString& mask, TMLgExtTools* translation) const;
    // The card code for the current members.
    AnsiString Poskladaj(const AnsiString& mask, TMLgExtTools* translation) const;
    // Clears the members and takes the customer code out of a card code.
    void Rozparsuj(const AnsiString& mask, const AnsiString& code, TMLgExtTools* translation);

    int Przedrostek = 0;
    TdtTools TermWaznKarty;
    int PoziomRabatu = 0;
    AnsiString KodKarty;
};
