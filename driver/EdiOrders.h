#pragma once
// Customer orders taken on the register become EDI order documents in the EDI folder: each
// order's two records ("$#010" header, "$#001" lines) are turned into an intermediate text
// (also written as "order.imp"), which is then converted into the document.
#include "driver/PacketParsers.h"
#include "platform/Strings.h"

class TQxNovitusECRAction;

class TEdiOrders {
public:
    explicit TEdiOrders(TQxNovitusECRAction& action) : FAction(action), FParsers(action) {}

    // The intermediate text's header line or order line for a staged record; "" (with a
    // warning) when the record is too short.
    AnsiString ParsePacket_ordHeader(const AnsiString& line);
    AnsiString ParsePacket_ordLine(const AnsiString& line);
    // Writes one order's intermediate text as "order.imp", converts it and removes the file.
    void OrderSaveAndMakeEDI(const AnsiString& orderText);
    // Every order of type 2 in the file becomes a document of its own.
    void OrderConvert(const AnsiString& fileName);
    // The document's path: the EDI folder and a plain name made of the device number, the
    // order's date key and number and, for k > 0, a suffix telling copies apart.
    AnsiString FNameEDI(const AnsiString& dateKey, int orderNumber, int k);

private:
    TQxNovitusECRAction& FAction;
    TPacketParsers FParsers;
};
