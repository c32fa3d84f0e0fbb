#pragma once
// Waiting on one descriptor, writing all bytes to it, and the system's reason for a failure:
// shared by the serial line, the sockets and the simulator's pseudo-terminal.
#include "platform/Deadline.h"
#include "platform/Strings.h"

namespace posix {

// The system's text for an error number, with the number: "No such file or directory (2)".
AnsiString Reason(int error);
// poll() on fd until one of events or the deadline: the events seen, 0 at the deadline, -1 when
// the wait failed (errno set, EBADF for a descriptor poll finds invalid).
int WaitFor(int fd, short events, const TDeadline& deadline);
// Writes count bytes, waiting for room until the deadline (send() without SIGPIPE for a socket).
// The bytes written, fewer when the deadline passed; -1 on a failure (errno set).
int WriteAll(int fd, const char* data, int count, const TDeadline& deadline, bool socket);

}  // namespace posix
