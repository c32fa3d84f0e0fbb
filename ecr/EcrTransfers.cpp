#include "ecr/EcrTransfers.h"

#include <exception>

#include "platform/Exceptions.h"
#include "platform/Translation.h"

namespace {

const char* const kContext = "velkora_nvaction";
const char* const kClass = "TQxNovitusECRAction";
// How long an answer to a byte the register no longer expected may take to arrive.
constexpr unsigned kLateAnswerMs = 100;

AnsiString ReadRange(long value) {
    if (value == -1) return AnsiString(18, ' ');
    return Format("%018ld", value);
}

AnsiString ResetRange(long value) {
    if (value == -1) return AnsiString(18, ' ');
    return Format("%18ld", value);
}

}  // namespace

TEcrTransfers::TEcrTransfers(TEcrLink& link) : FLink(link) {}

AnsiString TEcrTransfers::Text(const char* method, const char* piece, const char* defaultUtf8, int duplicate) const {
    return Tr(FLink.Channel().LgLink(), kContext, kClass, method, piece, defaultUtf8, duplicate);
}

AnsiString TEcrTransfers::StartPacketData(TKind kind, const AnsiString& dataType, e_Resetting resetting, long rangeBeg,
                                          long rangeEnd) {
    AnsiString data = "S" + dataType;
    switch (kind) {
        case tkWrite:
            data += "1";
            data += Format("%018u", 0u);
            data += Format("%018u", 0u);
            break;
        case tkReset:
            data += resetting == rm_resetting ? "2" : "0";
            data += ResetRange(rangeBeg);
            data += ResetRange(rangeEnd);
            break;
        case tkRead:
            data += resetting == rm_resetting ? "2" : "0";
            data += ReadRange(rangeBeg);
            data += ReadRange(rangeEnd);
            break;
    }
    return data;
}

void TEcrTransfers::Open(TKind kind, const AnsiString& dataType, e_Resetting resetting, long rangeBeg, long rangeEnd) {
    TEcrChannel& ch = FLink.Channel();
    if (kind == tkWrite)
        ch.Log("  ", Format("-> BeginWrite(\"%s\")", dataType.c_str()));
    else
        ch.Log("  ", Format("-> BeginRead(\"%s\", %sresetting, beg: %ld, end: %ld)", dataType.c_str(),
                            resetting == rm_resetting ? "" : "not ", rangeBeg, rangeEnd));
    AnsiString frame = TEcrLink::CreatePacket(StartPacketData(kind, dataType, resetting, rangeBeg, rangeEnd));

    bool granted = false;
    for (int attempt = 0; attempt < 2 && !granted; ++attempt) {
        ch.ClearStaleInput();
        ch.SendData(AnsiString(1, EcrByte::ENQ));
        if (AnswerToEnq() == EcrByte::ACK)
            granted = true;
        else
            FLink.ResetCommunication();
    }
    if (!granted) throw Exception(Text("Begin", "Exception", u8"Nie udało się nawiązać połączenia z kasą (ENQ->ACK)"));

    if (!FLink.SendAcknowledged(frame, 2))
        throw Exception(Text("Begin", "Exception", u8"Nie udało się nawiązać połączenia z kasą - pakiet :", 1) +
                        dataType);
}

char TEcrTransfers::AnswerToEnq() {
    TEcrChannel& ch = FLink.Channel();
    // An EOT before the answer is the register giving up an earlier exchange late: it opens
    // nothing and needs no answer. One is passed over; a second is an answer like any other.
    for (int late = 0;; ++late) {
        char c = 0;
        if (ch.ReadByte(c) == 0) {
            ch.Log("<-", ch.NoByteText());
            return 0;
        }
        ch.Log("<-", c);
        if (c != EcrByte::EOT || late > 0) return c;
        ch.Log("  ", "<- Late EOT passed over");
    }
}

void TEcrTransfers::BeginRead(const AnsiString& dataType, e_Resetting resetting, long rangeBeg, long rangeEnd) {
    TEcrChannel& ch = FLink.Channel();
    try {
        Open(tkRead, dataType, resetting, rangeBeg, rangeEnd);
        ch.SendData(AnsiString(1, EcrByte::EOT));
        char c = 0;
        if (ch.ReadData(&c, 1) != 1)
            throw Exception(Text("BeginRead", "Exception", u8"Kasa niespodziewanie zerwała komunikację (<-ENQ)"));
        if (c != EcrByte::ENQ)
            throw Exception(Text("BeginRead", "Exception", u8"Kasa odpowiedziała nieprawidłowo (<-ENQ)", 1));
        ch.SendData(AnsiString(1, EcrByte::ACK));
        ch.Log("  ", "<- BeginRead OK");
    } catch (const std::exception& e) {
        ch.Log("  ", Format("<- BeginRead ERROR! (%s)", e.what()));
        throw;
    }
}

void TEcrTransfers::BeginReset(const AnsiString& dataType, e_Resetting resetting, long rangeBeg, long rangeEnd) {
    TEcrChannel& ch = FLink.Channel();
    try {
        Open(tkReset, dataType, resetting, rangeBeg, rangeEnd);
        ch.SendData(AnsiString(1, EcrByte::EOT));
        char c = 0;
        ch.ReadData(&c, 1);  // the register's ENQ, not examined
        ch.SendData(AnsiString(1, EcrByte::ACK));
        c = 0;
        bool got = ch.ReadByte(c) == 1;
        if (got) ch.Log("<-", c);
        if (!got || c != EcrByte::EOT)
            throw Exception(Text("BeginReset", "Exception", u8"Kasa odpowiedziała nieprawidłowo (<-EOT)"));
        ch.Log("  ", "<- BeginRead OK");
    } catch (const std::exception& e) {
        ch.Log("  ", Format("<- BeginRead ERROR! (%s)", e.what()));
        throw;
    }
}

void TEcrTransfers::BeginWrite(const AnsiString& dataType) {
    TEcrChannel& ch = FLink.Channel();
    try {
        Open(tkWrite, dataType, rm_notresetting, 0, 0);
        FWriteId = dataType;
        ch.Log("  ", "<- BeginWrite OK");
    } catch (const std::exception& e) {
        ch.Log("  ", Format("<- BeginWrite ERROR! (%s)", e.what()));
        throw;
    }
}

void TEcrTransfers::SendPacket(const AnsiString& data) {
    const uint32_t idle = FLink.MsSinceAcknowledged();
    if (!FWriteId.empty() && idle > maxWriteIdleMs) {
        FLink.Channel().Log("  ", Format("-> Write transfer idle %u ms: opened anew", static_cast<unsigned>(idle)));
        FLink.ResetCommunication();
        // The register may have given the transfer up already and answers the EOT late.
        FLink.Channel().ClearStaleInput(kLateAnswerMs);
        BeginWrite(FWriteId);
    }
    FLink.SendPacket(data);
}

AnsiString TEcrTransfers::ReadPacketSingle(const AnsiString& dataType, e_Resetting resetting, long rangeBeg,
                                           long rangeEnd) {
    BeginRead(dataType, resetting, rangeBeg, rangeEnd);
    AnsiString last;
    bool eot = false;
    int packets = 0;
    for (;;) {
        AnsiString packet = FLink.ReadPacketNext(eot);
        if (eot) break;
        if (!packet.empty()) last = packet;
        if (++packets > maxSinglePackets) {
            // A register that never ends the transfer: give the line up and report.
            FLink.ResetCommunication();
            last.clear();
            break;
        }
    }
    if (last.empty()) throw Exception(Text("ReadPacketSingle", "Exception", u8"Błąd komunikacji"));
    return last;
}
