// Windows has no pseudo-terminals: the simulated register serves TCP/IP only.
#include "platform/Exceptions.h"
#include "sim/SimServer.h"

namespace PtyOs {

bool Supported() { return false; }

intptr_t Open(AnsiString&) { throw Exception("Pseudo-terminals are not available on this system"); }

void Close(intptr_t) {}

int Read(intptr_t, char*, int, unsigned) { return 0; }

bool Write(intptr_t, const char*, int) { return false; }

}  // namespace PtyOs
