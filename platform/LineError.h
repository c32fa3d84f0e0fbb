#pragma once
// A failure of the serial line or the TCP connection. The platform names what failed and on
// which port or address, and keeps the system's own reason; the layer that talks to the user
// words it in the user's language. What() is a plain technical text for tools and logs.
#include "platform/Exceptions.h"

enum TLineFault {
    lfPortOpen,          // the serial port cannot be opened
    lfPortSetup,         // the serial port cannot be configured
    lfPortWrite,         // writing to the serial port failed
    lfPortWriteTimeout,  // the serial port took not all bytes within its write time-out
    lfPortRead,          // reading from the serial port failed
    lfAddress,           // the TCP/IP address cannot be used or found
    lfConnect,           // the TCP/IP connection cannot be made
    lfSend,              // sending over the connection failed
    lfReceive,           // waiting for or receiving data failed
    lfNotOpen            // the serial port or the connection is not open
};

class ELineError : public Exception {
public:
    // subject: the port's name or "host:port" (may be empty); reason: the system's text and
    // code (may be empty).
    ELineError(TLineFault fault, const AnsiString& subject, const AnsiString& reason);

    TLineFault Fault() const { return FFault; }
    const AnsiString& Reason() const { return FReason; }
    // The message with what in place of the technical wording: what, the subject, ": " and
    // the reason.
    AnsiString Worded(const AnsiString& what) const;

private:
    TLineFault FFault;
    AnsiString FSubject;
    AnsiString FReason;
};
