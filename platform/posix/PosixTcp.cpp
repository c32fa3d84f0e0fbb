// The socket layer on POSIX systems.
#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstring>

#include "platform/LineError.h"
#include "platform/TcpSocket.h"
#include "platform/posix/PosixIo.h"

namespace {

[[noreturn]] void Fail(TLineFault fault, int error, const char* api, const AnsiString& subject = "") {
    throw ELineError(fault, subject, posix::Reason(error) + ", on API '" + api + "'");
}

void SetNoDelay(int fd) {
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

}  // namespace

namespace TcpOs {

intptr_t Connect(const AnsiString& host, int port, unsigned timeoutMs) {
    const AnsiString address = host + ":" + IntToStr(port);
    addrinfo hints{};  // any family; a stream socket's protocol is TCP
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    int rc = ::getaddrinfo(host.c_str(), IntToStr(port).c_str(), &hints, &list);
    if (rc != 0)
        throw ELineError(lfAddress, address, rc == EAI_SYSTEM ? posix::Reason(errno) : AnsiString(::gai_strerror(rc)));
    int lastError = ECONNREFUSED;
    const char* lastApi = "connect";
    for (addrinfo* a = list; a; a = a->ai_next) {
        int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            lastError = errno;
            lastApi = "socket";
            continue;
        }
        int flags = ::fcntl(fd, F_GETFL, 0);
        ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
        int r = ::connect(fd, a->ai_addr, a->ai_addrlen);
        if (r != 0 && errno == EINPROGRESS) {
            int ev = posix::WaitFor(fd, POLLOUT, TDeadline(timeoutMs));
            int err = ev < 0 ? errno : ev == 0 ? ETIMEDOUT : 0;
            socklen_t len = sizeof err;
            if (ev > 0) ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
            r = err == 0 ? 0 : -1;
            errno = err;
        }
        if (r != 0) {
            lastError = errno;
            lastApi = "connect";
            ::close(fd);
            continue;
        }
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        SetNoDelay(fd);
        ::freeaddrinfo(list);
        return fd;
    }
    ::freeaddrinfo(list);
    Fail(lfConnect, lastError, lastApi, address);
}

intptr_t Listen(int& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) Fail(lfConnect, errno, "socket");
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 8) != 0) {
        int err = errno;
        ::close(fd);
        Fail(lfConnect, err, "bind", "127.0.0.1:" + IntToStr(port));
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return fd;
}

intptr_t Accept(intptr_t listener, unsigned timeoutMs) {
    if (posix::WaitFor(static_cast<int>(listener), POLLIN, TDeadline(timeoutMs)) <= 0) return -1;
    int fd = ::accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) SetNoDelay(fd);
    return fd;
}

void CloseSocket(intptr_t socket) {
    if (socket < 0) return;
    ::shutdown(static_cast<int>(socket), SHUT_RDWR);
    ::close(static_cast<int>(socket));
}

void SendAll(intptr_t socket, const char* data, int count, unsigned timeoutMs) {
    int done = posix::WriteAll(static_cast<int>(socket), data, count, TDeadline(timeoutMs), true);
    if (done < 0) Fail(lfSend, errno, "send");
    if (done < count) Fail(lfSend, ETIMEDOUT, "send");
}

bool WaitReadable(intptr_t socket, unsigned timeoutMs) {
    int ev = posix::WaitFor(static_cast<int>(socket), POLLIN, TDeadline(timeoutMs));
    if (ev < 0) Fail(lfReceive, errno, "poll");
    return ev != 0;
}

int Receive(intptr_t socket, char* buffer, int count) {
    for (;;) {
        ssize_t n = ::recv(static_cast<int>(socket), buffer, static_cast<size_t>(count), MSG_DONTWAIT);
        if (n >= 0) return static_cast<int>(n);
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return -1;                    // woken without data
        if (errno == ECONNRESET || errno == ENOTCONN || errno == EPIPE) return 0;  // the peer dropped the connection
        Fail(lfReceive, errno, "recv");
    }
}

}  // namespace TcpOs
