#include "ecr/EcrLink.h"

#include <cstring>
#include <exception>

#include "ecr/EcrErrors.h"
#include "ecr/LTools.h"
#include "platform/Exceptions.h"
#include "platform/Hex.h"
#include "platform/Os.h"
#include "platform/Translation.h"

namespace {

const char* const kContext = "velkora_nvaction";
const char* const kClass = "TQxNovitusECRAction";

// The channel's packet wait, from the first byte awaited to whatever ends the receive.
class TPacketWait {
public:
    explicit TPacketWait(TEcrChannel& channel) : FChannel(channel) { FChannel.BeginPacket(); }
    ~TPacketWait() { FChannel.EndPacket(); }
    TPacketWait(const TPacketWait&) = delete;
    TPacketWait& operator=(const TPacketWait&) = delete;

private:
    TEcrChannel& FChannel;
};

}  // namespace

TEcrLink::TEcrLink(TEcrChannel& channel) : FChannel(channel) {}

AnsiString TEcrLink::Text(const char* method, const char* piece, const char* defaultUtf8, int duplicate) const {
    return Tr(FChannel.LgLink(), kContext, kClass, method, piece, defaultUtf8, duplicate);
}

unsigned short TEcrLink::CalculateBCC(const char* data, int length) {
    unsigned value = 0;
    for (int i = 0; i < length; ++i) value ^= static_cast<unsigned>(static_cast<unsigned char>(data[i])) << (i % 9);
    return static_cast<unsigned short>(value & 0xFFFF);
}

AnsiString TEcrLink::CreatePacket(const AnsiString& data) {
    AnsiString frame;
    frame.reserve(data.size() + 6);
    frame += EcrByte::STX;
    frame += data;
    frame += EcrByte::ETX;
    const unsigned bcc = CalculateBCC(frame.data() + 1, static_cast<int>(frame.size()) - 1);
    static const char kDigits[] = "0123456789ABCDEF";  // "%04X"
    for (int shift = 12; shift >= 0; shift -= 4) frame += kDigits[(bcc >> shift) & 0xF];
    return frame;
}

bool TEcrLink::SendAcknowledged(const AnsiString& frame, int attempts) {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        FChannel.SendData(frame);
        char c = 0;
        int n = FChannel.ReadData(&c, 1);
        if (n == 1 && c == EcrByte::ACK) {
            FAcknowledgedAt = GetTickCount();
            return true;
        }
        if (n == 1 && c == EcrByte::RVI) ThrowOnErrorPacket();
    }
    return false;
}

uint32_t TEcrLink::MsSinceAcknowledged() const { return GetTickCount() - FAcknowledgedAt; }

void TEcrLink::SendPacket(const AnsiString& data) {
    AnsiString frame = CreatePacket(data);
    FChannel.Log("  ", "-> SendPacket");
    try {
        if (!SendAcknowledged(frame, 3))
            throw Exception(
                Text("SendPacket", "Exception", u8"Nie udało się kilkukrotnie przesłać pakietu do kasy - pakiet :") +
                data);
    } catch (const ENativeException& e) {
        FChannel.Log("  ", Format("<- SendPacket NATIVE ERROR! (%s)", e.GetErrorMessage(FChannel.LgLink()).c_str()));
        throw;
    } catch (const std::exception& e) {
        FChannel.Log("  ", Format("<- SendPacket ERROR! (%s)", e.what()));
        throw;
    }
    FChannel.Log("  ", "<- SendPacket OK");
}

void TEcrLink::FailNoData(const char* what) {
    FChannel.EndPacket();  // the line reset has a wait of its own
    FChannel.Log("<-", what);
    try {
        ResetCommunication();
    } catch (const std::exception&) {
        // A line that is gone cannot be reset; the missing data is what to report.
    }
    throw Exception(Text("ReadPacketNext", "Exception", u8"Kasa niespodziewanie przestała przesyłać pakiety danych"));
}

char TEcrLink::NextByte() {
    char c = 0;
    if (FChannel.ReadByte(c) == 0) FailNoData(FChannel.NoByteText());
    return c;
}

AnsiString TEcrLink::ReadPacketNext(bool& eot) {
    eot = false;
    char buffer[BufferSize];
    FChannel.Log("  ", "-> ReadPacket");
    try {
        // Every byte of the packet counts against one deadline and one WACK count (see
        // TEcrChannelConfig), so a register that drips bytes, waits or strays cannot hold the
        // receive much longer than an honest frame at the slowest line would take.
        TPacketWait wait(FChannel);
        int badFrames = 0;
        int ignored = 0;
        for (;;) {
            char c = NextByte();
            if (c == EcrByte::EOT) {
                FChannel.Log("<-", c);
                if (beforeEndOfTransfer) beforeEndOfTransfer();
                FChannel.SendData(AnsiString(1, EcrByte::EOT));
                eot = true;
                FChannel.Log("  ", "<- ReadPacket EOT");
                return AnsiString();
            }
            if (c != EcrByte::STX) {
                // Stray bytes between frames are ignored, but not without end.
                FChannel.LogRun("<-", "<ignored>");
                if (++ignored > maxIgnoredBytes) FailNoData("<too many stray bytes>");
                continue;
            }
            int stored = 0;
            buffer[stored++] = c;
            for (;;) {
                if (stored == BufferSize) {
                    char last = buffer[stored - 1];
                    if (last != EcrByte::ETX && last != EcrByte::ETB)
                        throw Exception(
                            Text("ReadPacketNext", "Exception", u8"Przekroczono rozmiar bufora komunikacyjnego!", 1));
                    break;
                }
                c = NextByte();
                buffer[stored++] = c;
                if (c == EcrByte::ETX || c == EcrByte::ETB) break;
            }
            char check[4];
            for (char& digit : check) digit = NextByte();
            if (FChannel.Logging())
                FChannel.Log("<-", AnsiString(buffer, static_cast<size_t>(stored)) + AnsiString(check, sizeof check));
            // Characters that cannot be read as a hexadecimal number give 0.
            unsigned long long received = 0;
            ReadHex(std::string_view(check, sizeof check), received);
            // The packet is a zero-terminated text: a NUL inside the frame ends it there.
            const void* nul = std::memchr(buffer, '\0', static_cast<size_t>(stored));
            const int length = nul != nullptr ? static_cast<int>(static_cast<const char*>(nul) - buffer) : stored;
            unsigned short computed = CalculateBCC(buffer + 1, length - 1);
            if (received == computed) {
                FChannel.SendData(AnsiString(1, EcrByte::ACK));
                FChannel.Log("  ", "<- ReadPacket OK");
                return AnsiString(buffer, static_cast<size_t>(length));
            }
            if (++badFrames > maxNakFrames) FailNoData("<too many NAKed frames>");
            FChannel.SendData(AnsiString(1, EcrByte::NAK));
            FChannel.BeginPacket();  // the repeated frame is a packet of its own
        }
    } catch (const std::exception& e) {
        FChannel.Log("  ", Format("<- ReadPacket ERROR! (%s)", e.what()));
        throw;
    }
}

void TEcrLink::ThrowOnErrorPacket() {
    FChannel.SendData(AnsiString(1, EcrByte::EOT));
    char c = 0;
    if (FChannel.ReadData(&c, 1) != 1 || c != EcrByte::ENQ)
        throw Exception(
            Text("ThrowOnErrorPacket", "Exception", u8"Kasa niespodziewanie zerwała komunikację (RVI-EOT-ENQ)"));
    FChannel.SendData(AnsiString(1, EcrByte::ACK));
    bool eot = false;
    AnsiString packet = ReadPacketNext(eot);
    try {
        bool eot2 = false;
        ReadPacketNext(eot2);
    } catch (const std::exception&) {
        // the closing EOT is not essential
    }
    if (packet.size() > 6) {
        unsigned long long code = 0;
        bool read = ReadHex(SubString(packet, 5, 2), code) > 0;
        throw ENativeException(read ? static_cast<unsigned char>(code) : 0xFF, FChannel.LgLink());
    }
}

void TEcrLink::ResetCommunication() {
    FChannel.SendData(AnsiString(1, EcrByte::EOT));
    char c = 0;
    if (FChannel.ReadByte(c) == 1) FChannel.Log("<-", c);
}

void TEcrLink::ThrowPrzerwac() {
    TProgressSink* sink = FChannel.Sink();
    if (sink && sink->CzyPrzerwac())
        throw Exception(Text("ThrowPrzerwac", "Exception", u8"Operacja przerwana przez użytkownika"));
}

void TEcrLink::ArchiveReceivedPacket(const AnsiString& packet, const AnsiString& fileName) {
    AnsiString data = packet.size() >= 2 ? packet.substr(1, packet.size() - 2) : AnsiString();
    TLTools::BufToAppendFile(data + "\r\n", fileName);
}
