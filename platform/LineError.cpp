#include "platform/LineError.h"

namespace {

const char* const kWhat[] = {
    "Cannot open serial port", "Cannot configure serial port",
    "Serial port write error", "Write time-out on serial port",
    "Serial port read error",  "Bad TCP/IP address",
    "Cannot connect to",       "Socket send error",
    "Socket receive error",    "Not open:",
};

}  // namespace

ELineError::ELineError(TLineFault fault, const AnsiString& subject, const AnsiString& reason)
    : Exception(AnsiString()), FFault(fault), FSubject(subject), FReason(reason) {
    FMessage = Worded(kWhat[fault]);
}

AnsiString ELineError::Worded(const AnsiString& what) const {
    AnsiString text = what;
    if (!FSubject.empty()) text += " " + FSubject;
    if (!FReason.empty()) text += ": " + FReason;
    return text;
}
