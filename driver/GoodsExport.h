#pragma once
// The goods export: the host's goods file "kasa.exp" programmed into the register's goods
// file "I#00", one record per goods, after the preceding resets, the VAT table, the euro rate
// and the units. A record the driver or the register refuses is a warning and the export goes
// on; whatever happens, the host gets "wynik.exp" listing the goods the register accepted.
#include "platform/Strings.h"

class TQxNovitusECRAction;
class QxTowRec;

class TGoodsExport {
public:
    explicit TGoodsExport(TQxNovitusECRAction& action) : ksaction(action) {}

    void Eksport();
    // One pass: the goods without a package code, or (tandem) those with one; the tandem pass
    // runs only when the ordinary pass met a package code.
    void SendItems(bool tandem);
    // The 132-character register record of the goods into rec.plu_rec; ENoBreakException with
    // the reason when the goods cannot be sent.
    void MakePluRec(QxTowRec& rec, bool tandem);
    // A record taken from the register's list, as a packet that deletes it.
    void MakePluRecAdd(QxTowRec& rec);
    // The 18-character code field: "?" removed, right-aligned, cut to the first 18.
    AnsiString FormatBarcodeOut(AnsiString code);
    // The register's VAT letter for a rate in hundredths of a percent (-1 exempt).
    char VatLetter(int rate);

private:
    AnsiString Txt(const char* method, const char* piece, const char* defaultUtf8, int duplicate = 0) const;
    TQxNovitusECRAction& ksaction;
    bool anyTandemsFound = false;
};
