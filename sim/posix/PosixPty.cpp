// Pseudo-terminals for the simulated register on POSIX systems.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include "platform/Exceptions.h"
#include "platform/posix/PosixIo.h"
#include "sim/SimServer.h"

namespace {

[[noreturn]] void Fail(int master, const char* api) {
    int err = errno;
    if (master >= 0) ::close(master);
    throw Exception(AnsiString("Cannot make a pseudo-terminal: ") + posix::Reason(err) + ", on API '" + api + "'");
}

}  // namespace

namespace PtyOs {

bool Supported() { return true; }

intptr_t Open(AnsiString& slavePath) {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) Fail(master, "posix_openpt");
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) Fail(master, "unlockpt");
    const char* name = ::ptsname(master);
    if (!name) Fail(master, "ptsname");
    slavePath = name;
    // Raw mode from the start, so nothing is echoed or translated before the driver sets the
    // line up itself.
    int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave >= 0) {
        termios tio{};
        if (::tcgetattr(slave, &tio) == 0) {
            ::cfmakeraw(&tio);
            ::tcsetattr(slave, TCSANOW, &tio);
        }
        ::close(slave);
    }
    int flags = ::fcntl(master, F_GETFL, 0);
    ::fcntl(master, F_SETFL, flags | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    return master;
}

void Close(intptr_t master) {
    if (master >= 0) ::close(static_cast<int>(master));
}

int Read(intptr_t master, char* buffer, int size, unsigned timeoutMs) {
    int fd = static_cast<int>(master);
    int ev = posix::WaitFor(fd, POLLIN, TDeadline(timeoutMs));
    if (ev <= 0) return -1;
    for (;;) {
        ssize_t n = ::read(fd, buffer, static_cast<size_t>(size));
        if (n > 0) return static_cast<int>(n);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return (ev & POLLHUP) ? 0 : -1;
        return 0;  // EIO: no slave open
    }
}

bool Write(intptr_t master, const char* data, int size) {
    return posix::WriteAll(static_cast<int>(master), data, size, TDeadline(1000), false) == size;
}

}  // namespace PtyOs
