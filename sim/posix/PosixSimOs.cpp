// Sockets and pseudo-terminals for the simulated register on POSIX systems.
#include <errno.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#include <arpa/inet.h>

#include <cstring>

#include "platform/Exceptions.h"
#include "sim/SimServer.h"

namespace {

[[noreturn]] void Fail(const char* api) {
    int err = errno;
    throw Exception(Format("Socket error: %s (%d), on API '%s'", std::strerror(err), err, api));
}

// poll() on one descriptor: its events, 0 on time-out.
int Wait(int fd, short events, unsigned timeoutMs) {
    pollfd p{fd, events, 0};
    for (;;) {
        int r = ::poll(&p, 1, static_cast<int>(timeoutMs));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return 0;
        return p.revents;
    }
}

}  // namespace

namespace SimOs {

intptr_t Listen(int& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        Fail("socket");
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 8) != 0) {
        int err = errno;
        ::close(fd);
        errno = err;
        Fail("bind");
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return fd;
}

intptr_t Accept(intptr_t listener, unsigned timeoutMs) {
    if (!(Wait(static_cast<int>(listener), POLLIN, timeoutMs) & POLLIN))
        return -1;
    int fd = ::accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return -1;
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

void CloseSocket(intptr_t socket) {
    if (socket < 0)
        return;
    ::shutdown(static_cast<int>(socket), SHUT_RDWR);
    ::close(static_cast<int>(socket));
}

int Receive(intptr_t socket, char* buffer, int size, unsigned timeoutMs) {
    int ev = Wait(static_cast<int>(socket), POLLIN, timeoutMs);
    if (ev == 0)
        return -1;
    for (;;) {
        ssize_t n = ::recv(static_cast<int>(socket), buffer, static_cast<size_t>(size), MSG_DONTWAIT);
        if (n >= 0)
            return static_cast<int>(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return -1;
        return 0;  // reset or other failure: the connection is over
    }
}

bool Send(intptr_t socket, const char* data, int size) {
    int done = 0;
    while (done < size) {
        ssize_t n = ::send(static_cast<int>(socket), data + done, static_cast<size_t>(size - done), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<int>(n);
    }
    return true;
}

bool PtySupported() { return true; }

intptr_t OpenPty(AnsiString& slavePath) {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        Fail("posix_openpt");
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        int err = errno;
        ::close(master);
        errno = err;
        Fail("unlockpt");
    }
    const char* name = ::ptsname(master);
    if (!name) {
        int err = errno;
        ::close(master);
        errno = err;
        Fail("ptsname");
    }
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

void ClosePty(intptr_t master) {
    if (master >= 0)
        ::close(static_cast<int>(master));
}

int PtyRead(intptr_t master, char* buffer, int size, unsigned timeoutMs) {
    int fd = static_cast<int>(master);
    int ev = Wait(fd, POLLIN, timeoutMs);
    if (ev == 0)
        return -1;
    for (;;) {
        ssize_t n = ::read(fd, buffer, static_cast<size_t>(size));
        if (n > 0)
            return static_cast<int>(n);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return (ev & POLLHUP) ? 0 : -1;
        return 0;  // EIO: no slave open
    }
}

bool PtyWrite(intptr_t master, const char* data, int size) {
    int fd = static_cast<int>(master);
    int done = 0;
    while (done < size) {
        ssize_t n = ::write(fd, data + done, static_cast<size_t>(size - done));
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!(Wait(fd, POLLOUT, 1000) & POLLOUT))
                return false;
            continue;
        }
        return false;
    }
    return true;
}

}  // namespace SimOs
