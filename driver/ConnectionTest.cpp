// The connection test: the register's status shown line by line, and the register-number
// check that the goods export and the sales import run as well.
#include "driver/NovitusAction.h"
#include "driver/NovitusTexts.h"
#include "platform/Exceptions.h"

namespace {
const char* const kCls = "TQxNovitusECRAction";

// The register's number from the byte at position 4 of its "P" packet.
int RegisterNumber(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 65 && c <= 154) return c - 55;
    return c;
}
}  // namespace

void TQxNovitusECRAction::TestConnection() {
    const char* method = "TestConnection";
    if (cfgMedium == md_file)
        throw Exception(NvTxt(kCls, method, "Exception",
                              u8"Ustawione złącze PLIK. Kasa nie obsługuje testu połączenia z plikiem!"));
    OpenPort();
    try {
        MsgAdd(NvTxt(kCls, method, "Odczytko", u8"Odczyt konfiguracji"), LPV_None, 100);
        const AnsiString packet = transfers.ReadPacketSingle("p", rm_notresetting, 0, 0);
        MsgS(LPV_Ok);
        if (packet.size() < 60)
            throw Exception(NvTxt(kCls, method, "Exception", u8"Pakiet \"p\" z kasy ma nieodpowiednią długość: ", 1) +
                            IntToStr(static_cast<long long>(packet.size())));
        const AnsiString state = SubString(packet, 4, 1);
        AnsiString stateText = "?";
        if (state == "0") stateText = NvTxt(kCls, method, "NIEFISKA", u8"NIEFISKALNA");
        if (state == "1") stateText = NvTxt(kCls, method, "FISKALNA", u8"FISKALNA");
        if (state == "2") stateText = NvTxt(kCls, method, "TYLKODOO", u8"TYLKO DO ODCZYTU");
        const struct {
            const char* piece;
            const char* label;
            int pos, len;
        } lines[] = {
            {"Iloscwol", u8"Ilość wolnego miejsca w buforze (bajtów): ", 5, 10},
            {"Najstars", u8"Najstarszy paragon w buforze: ", 15, 10},
            {"Najmlods", u8"Najmłodszy paragon w buforze: ", 25, 10},
        };
        MsgAdd(NvTxt(kCls, method, "Statuska", u8"Status kasy: ") + stateText, LPV_None, 100);
        for (const auto& line : lines)
            MsgAdd(NvTxt(kCls, method, line.piece, line.label) + Trim(SubString(packet, line.pos, line.len)), LPV_None,
                   100);
        MsgAdd(NvTxt(kCls, method, "Nazwaurz", u8"Nazwa urządzenia fiskalnego: \"") + Trim(SubString(packet, 35, 10)) +
                   "\"",
               LPV_None, 100);
        MsgAdd(NvTxt(kCls, method, "Numerwer", u8"Numer wersji oprogramowania aplikacyjnego: ") +
                   Trim(SubString(packet, 45, 4)),
               LPV_None, 100);
        MsgAdd(NvTxt(kCls, method, "Numerwer", u8"Numer wersji oprogramowania modułu fiskalnego: ", 1) +
                   Trim(SubString(packet, 49, 4)),
               LPV_None, 100);
        MsgAdd(NvTxt(kCls, method, "Typmecha", u8"Typ mechanizmu drukującego: ") + Trim(SubString(packet, 53, 5)),
               LPV_None, 100);
        if (!CheckNumber()) throw Exception(NvTxt(kCls, method, "Exception", u8"Niezgodny numer urządzenia!", 2));
    } catch (...) {
        MsgS(LPV_Error);
        try {
            ClosePort();
        } catch (...) {
        }
        throw;
    }
    ClosePort();
}

bool TQxNovitusECRAction::CheckNumber() {
    if (cfgIdControl == 0) return true;
    MsgAdd(NvTxt(kCls, "CheckNumber", "Odczytnu", u8"Odczyt numeru kasy"), LPV_None, 100);
    const AnsiString packet = transfers.ReadPacketSingle("P", rm_notresetting, 0, 0);
    MsgS(LPV_Ok);
    const int number = packet.size() >= 4 ? RegisterNumber(static_cast<unsigned char>(packet[3])) : -1;
    MsgAdd(NvTxt(kCls, "CheckNumber", "kasaonum", u8" - kasa o numerze: ") + IntToStr(number), LPV_None, 100);
    return number == FNrUrzadzenia;
}
