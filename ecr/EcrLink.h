#pragma once
// The register's link protocol over the channel: frames with a 16-bit block check, sending
// one data packet with acknowledgement and repetition, receiving one packet, the register's
// error report, and the small recovery steps (line reset, user abort, archiving a packet).
#include <cstdint>
#include <functional>

#include "ecr/EcrChannel.h"
#include "platform/Strings.h"

class TEcrLink {
public:
    explicit TEcrLink(TEcrChannel& channel);

    // Receive buffer: a frame from STX to its terminator holds at most this many bytes.
    static constexpr int BufferSize = 800;

    // STX + data + ETX + the block check as four upper-case hexadecimal digits.
    static AnsiString CreatePacket(const AnsiString& data);
    // XOR of every byte shifted left by (position mod 9), 16 bits kept.
    static unsigned short CalculateBCC(const char* data, int length);

    // Sends one data frame inside an open write transfer and waits for its acknowledgement
    // (3 sends at most); raises on failure, ENativeException for the register's error.
    void SendPacket(const AnsiString& data);
    // Sends a frame up to attempts times until the register acknowledges it; an RVI instead
    // fetches the register's error report, which normally raises. False when no send was
    // acknowledged.
    bool SendAcknowledged(const AnsiString& frame, int attempts);
    // Milliseconds since the register last acknowledged a frame the driver sent.
    uint32_t MsSinceAcknowledged() const;
    // The next packet of an open read transfer (STX through terminator), or "" with eot true
    // when the register ended the transfer.
    AnsiString ReadPacketNext(bool& eot);
    // After an RVI: fetches the register's error report and raises ENativeException.
    void ThrowOnErrorPacket();
    // Gives up the line (EOT) and swallows one reply byte.
    void ResetCommunication();
    // Raises "Operacja przerwana przez użytkownika" when the user asked to abort.
    void ThrowPrzerwac();
    // Appends the packet's data (without STX and terminator) and CR LF to the file.
    void ArchiveReceivedPacket(const AnsiString& packet, const AnsiString& fileName);

    TEcrChannel& Channel() const { return FChannel; }

    // Runs when the register's EOT ends a read transfer, before the driver answers it with its
    // own EOT: a register clears what a resetting read served once it has that answer, so
    // whatever must outlive the clearing is made safe here. A failure leaves the EOT
    // unanswered, so the register keeps its data, and is passed on. Empty: nothing runs.
    std::function<void()> beforeEndOfTransfer;

    // Frames with a bad check answered with NAK in one wait before the read fails like a
    // time-out, and bytes outside a frame ignored in one wait before the same happens.
    int maxNakFrames = 50;
    int maxIgnoredBytes = 10000;

private:
    AnsiString Text(const char* method, const char* piece, const char* defaultUtf8, int duplicate = 0) const;
    // Logs what ended the wait, gives up the line and raises the missing-data error.
    [[noreturn]] void FailNoData(const char* what);
    // The next byte of a packet being received; a missing one fails as above.
    char NextByte();
    TEcrChannel& FChannel;
    uint32_t FAcknowledgedAt = 0;  // GetTickCount of the last acknowledgement
};
