#include "driver/SingleReceipt.h"

#include "driver/NovitusAction.h"
#include "driver/NovitusTexts.h"
#include "driver/PacketParsers.h"
#include "driver/SalesImport.h"
#include "platform/Exceptions.h"
#include "platform/LineReader.h"
#include "platform/Os.h"

namespace {
const char* const kCls = "TQxNovitusECRAction";

int NumberAt(const AnsiString& text, int position, int length, int fallback) {
    int value = 0;
    return TryStrToInt(Trim(SubString(text, position, length)), value) ? value : fallback;
}
}  // namespace

void TSingleReceipt::ImportParagonu() {
    const char* method = "ImportParagonu";
    const int number = FAction.ParamAsInt("NovitusECRReceiptNo");
    if (Os().FileExists(FAction.FNameIMP()))
        throw Exception(NvTxt(kCls, method, "Exception",
                              u8"Istnieje plik novitus.imp zawierający dane importowe. Nie można wykonać importu "
                              u8"paragonu. Wykonaj import sprzedaży."));
    FAction.ReadParams();
    try {
        FAction.OpenPort();
        try {
            ReadOneReceiptFromECR(number);
        } catch (...) {
            try {
                FAction.ClosePort();
            } catch (...) {
            }
            throw;
        }
        FAction.ClosePort();
        ImportOneReceiptFromFile(number);
        // A receipt without a single sale line gives the host nothing to load.
        if (!FAction.imp_buf)
            throw Exception(FillIn(NvTxt(kCls, method, "Paragonb", u8"Paragon W%d nie zawiera pozycji sprzedaży"),
                                   {IntToStr(number)}));
        FAction.imp_buf->SaveOneParag(FAction.FNamePAR());
        FAction.ZapiszParagonImp();
        Os().DeleteFile(FAction.FNameIMP());
    } catch (...) {
        // The file held only this receipt: it must never block the next sales import.
        Os().DeleteFile(FAction.FNameIMP());
        throw;
    }
}

void TSingleReceipt::ReadOneReceiptFromECR(int number) {
    const char* method = "ReadOneReceiptFromECR";
    FAction.MsgAdd(NvTxt(kCls, method, "Odczytst", u8"Odczyt stanu bufora paragonów"), LPV_None, 100);
    const AnsiString status = FAction.ReadPacketSingle("p", rm_notresetting, 0, 0);
    FAction.MsgS(LPV_Ok);
    if (status.size() < 60)
        throw Exception(NvTxt(kCls, method, "Exception", u8"Pakiet \"p\" z kasy ma nieodpowiednią długość: ") +
                        IntToStr(static_cast<long long>(status.size())));
    const int first = NumberAt(status, 15, 10, 0);
    const int last = NumberAt(status, 25, 10, 0);
    if (first == 0 && last == 0)
        throw Exception(NvTxt(kCls, method, "Exception", u8"Bufor paragonów na kasie jest PUSTY", 1));
    FAction.MsgAdd(Ansi(u8"Na kasie są paragony o numerach: W") + IntToStr(first) + "-W" + IntToStr(last), LPV_None,
                   100);
    if (number < first || number > last)
        throw Exception(NvTxt(kCls, method, "Exception", u8"Na kasie nie ma szukanego paragonu o numerze W", 2) +
                        IntToStr(number));
    FAction.MsgAdd("Odczyt paragonu o numerze W" + IntToStr(number), LPV_Value, 100);
    FAction.BeginRead("k#00", rm_notresetting, number, number);
    for (;;) {
        bool eot = false;
        const AnsiString packet = FAction.ReadPacketNext(eot);
        if (eot) break;
        if (packet.empty()) continue;
        FAction.ArchiveReceivedPacket(packet, FAction.FNameIMP());
        if (packet.size() >= 27) {
            if (packet[2] == 'k' && packet[3] == '4')
                FAction.MsgP(NumberAt(packet, 18, 10, -1));
            else if (packet.compare(2, 4, "k#00") == 0 || packet.compare(2, 4, "k#01") == 0)
                FAction.MsgP(NumberAt(packet, 21, 10, -1));
        }
        FAction.ThrowPrzerwac();
    }
    FAction.MsgS(LPV_Ok);
}

void TSingleReceipt::ImportOneReceiptFromFile(int number) {
    TPacketParsers parsers(FAction);
    TSalesImport buffers(FAction);
    TMFile file;
    TLineReader reader(file);
    int lineNumber = 0;
    try {
        file.SetPath(FAction.FNameIMP());
        file.Open();
        QVRPosition position;
        AnsiString line;
        while (reader.Next(line)) {
            ++lineNumber;
            if (Trim(line).empty() || (line.size() >= 13 && line.compare(0, 12, "------------") == 0)) continue;
            if (line.size() < 5)
                throw Exception(NvTxt(kCls, "ImportOneReceiptFromFile", "Exception",
                                      u8"Nieprawidłowy pakiet przysłany przez kasę: ") +
                                line);
            if (line[1] != 'k' || line[2] < '0' || line[2] > '3') continue;
            if (line.size() < TPacketParsers::kSaleLineLength) {
                // The receipt is taken up to the line that cannot be read.
                parsers.WarnShortLine(line, "ParsePacket_k0123",
                                      u8" (pozycja sprzedaży) przysłana przez kasę ma nieprawidłową strukturę.");
                break;
            }
            if (!parsers.ReadSaleLine(line, position)) continue;
            const TdtTools now;
            buffers.ImpBufsSubstitute(now);
            FAction.imp_buf->AddLiniaParEx(position.Fkod, position.Filosc, static_cast<double>(position.Fwartosc),
                                           position.Frabat, IntToStr(number), now, -1, -1, id_global);
        }
        file.Close();
    } catch (...) {
        FAction.MsgAdd(FillIn(NvTxt(kCls, "ImportOneReceiptFromFile", "Bladwnov", u8"Błąd w novitus.imp w linii %d!"),
                              {IntToStr(lineNumber)}),
                       LPV_Error, 100);
        throw;
    }
}
