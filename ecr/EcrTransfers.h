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
    // A read transfer that yields one packet: the last one the register sent.
    AnsiString ReadPacketSingle(const AnsiString& dataType, e_Resetting resetting, long rangeBeg, long rangeEnd);

    enum TKind { tkRead, tkReset, tkWrite };
    // The start packet's data (before framing).
    static AnsiString StartPacketData(TKind kind, const AnsiString& dataType, e_Resetting resetting, long rangeBeg,
                                      long rangeEnd);

    // Packets a single-packet read takes before it gives up on a register that never ends.
    int maxSinglePackets = 1000;

private:
    void Open(TKind kind, const AnsiString& dataType, e_Resetting resetting, long rangeBeg, long rangeEnd);
    AnsiString Text(const char* method, const char* piece, const char* defaultUtf8, int duplicate = 0) const;
    TEcrLink& FLink;
};
