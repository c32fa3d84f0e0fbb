#pragma once
// Transfers of the register's data files: a read transfer (the register sends the file's
// records as packets), a write transfer (the driver sends records) and a reset transfer (the
// register clears data). Each is opened by a start packet after a line request.
#include "ecr/EcrLink.h"
#include "platform/Strings.h"

enum e_Resetting { rm_resetting = 0, rm_notresetting = 1 };

class TEcrTransfers {
public:
    explicit TEcrTransfers(TEcrLink& link);

    // Opens a read transfer: on return the register holds the line and its first packet or
    // its EOT follows (read them with TEcrLink::ReadPacketNext).
    void BeginRead(const AnsiString& dataType, e_Resetting resetting, long rangeBeg, long rangeEnd);
    // A complete reset transfer.
    void BeginReset(const AnsiString& dataType, e_Resetting resetting, long rangeBeg, long rangeEnd);
    // Opens a write transfer: on return the driver holds the line for TEcrLink::SendPacket;
    // TEcrLink::ResetCommunication ends it.
    void BeginWrite(const AnsiString& dataType);
    // A record of the open write transfer (TEcrLink::SendPacket). A register gives a write
    // transfer up when the driver keeps it waiting; whatever the host did since the register's
    // last acknowledgement, the record never goes into a transfer kept waiting longer than
    // maxWriteIdleMs: that one is ended and a new one opened for the record.
    void SendPacket(const AnsiString& data);
    // A read transfer that yields one packet: the last one the register sent.
    AnsiString ReadPacketSingle(const AnsiString& dataType, e_Resetting resetting, long rangeBeg, long rangeEnd);

    enum TKind { tkRead, tkReset, tkWrite };
    // The start packet's data (before framing).
    static AnsiString StartPacketData(TKind kind, const AnsiString& dataType, e_Resetting resetting, long rangeBeg,
                                      long rangeEnd);

    // Well below the register's wait for the next packet (about 2 s).
    unsigned maxWriteIdleMs = 1000;
    // Packets a single-packet read takes before it gives up on a register that never ends.
    int maxSinglePackets = 1000;

private:
    // The register's answer to ENQ: 0 when none came.
    char AnswerToEnq();
    void Open(TKind kind, const AnsiString& dataType, e_Resetting resetting, long rangeBeg, long rangeEnd);
    AnsiString Text(const char* method, const char* piece, const char* defaultUtf8, int duplicate = 0) const;
    TEcrLink& FLink;
    AnsiString FWriteId;  // the file of the last write transfer opened
};
