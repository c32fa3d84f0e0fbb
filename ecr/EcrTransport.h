#pragma once
// One medium under the channel: the serial line (directly or through a modem), the TCP/IP
// connection, or nothing for the file medium. The channel picks one when it opens and never
// asks which it has; a new medium is one more implementation in EcrTransport.cpp.
#include <memory>

#include "platform/Strings.h"

class TEcrChannel;

class TEcrTransport {
public:
    virtual ~TEcrTransport() = default;

    // Makes the line, showing its progress lines through the channel and marking the last one
    // LPV_Ok. On failure it raises; the channel then closes it and marks the line LPV_Error.
    virtual void Open() = 0;
    // Releases the line, with its progress line; nothing when no line was made.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Writes all bytes; raises when the line is not open or fails.
    virtual void Send(const AnsiString& bytes) = 0;
    // Waits up to waitMs for data and takes up to count bytes of what has arrived; 0 when
    // nothing came or the line is not open. The channel splits its waits into such pieces, so
    // that it can ask the host about an abort and keep its deadlines.
    virtual int Read(char* buffer, int count, unsigned waitMs) = 0;
    // Up to count bytes that have arrived or arrive within waitMs (0: only what is there).
    virtual int TakeArrived(char* buffer, int count, unsigned waitMs) = 0;
};

// The transport for the channel's configured medium, not yet open.
std::unique_ptr<TEcrTransport> NewEcrTransport(TEcrChannel& channel);
