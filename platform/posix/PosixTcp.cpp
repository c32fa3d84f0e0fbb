// The socket layer on POSIX systems.
#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstring>

#include "platform/Exceptions.h"
#include "platform/TcpSocket.h"

namespace {

[[noreturn]] void Fail(int code, const char* api) {
    throw Exception(Format("Socket error: %s (%d), on API '%s'", std::strerror(code), code, api));
}

int PollFor(int fd, short events, unsigned timeoutMs) {
    pollfd p{fd, events, 0};
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        long long left = std::chrono::duration_cast<std::chrono::milliseconds>(
                             deadline - std::chrono::steady_clock::now()).count();
        if (left < 0)
            left = 0;
        int r = ::poll(&p, 1, left > INT_MAX ? INT_MAX : static_cast<int>(left));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            Fail(errno, "poll");
        if (r == 0)
            return 0;
        if (p.revents & POLLNVAL)
            Fail(EBADF, "poll");
        return p.revents;
    }
}

}  // namespace

namespace TcpOs {

intptr_t Connect(const AnsiString& host, int port, unsigned timeoutMs) {
    if (port <= 0 || port > 65535)
        throw Exception(Format("Socket error: invalid port %d, on API 'connect'", port));
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* list = nullptr;
    AnsiString service = IntToStr(port);
    int rc = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    if (rc != 0) {
        AnsiString text = rc == EAI_SYSTEM ? std::strerror(errno) : ::gai_strerror(rc);
        throw Exception(Format("Socket error: %s (%d), on API 'getaddrinfo'", text.c_str(), rc));
    }
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
            int ev = 0;
            try {
                ev = PollFor(fd, POLLOUT, timeoutMs);
            } catch (...) {
                ::close(fd);
                ::freeaddrinfo(list);
                throw;
            }
            if (ev == 0) {
                lastError = ETIMEDOUT;
                ::close(fd);
                continue;
            }
            int err = 0;
            socklen_t len = sizeof err;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
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
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ::freeaddrinfo(list);
        return fd;
    }
    ::freeaddrinfo(list);
    Fail(lastError, lastApi);
}

void CloseSocket(intptr_t socket) {
    if (socket < 0)
        return;
    ::shutdown(static_cast<int>(socket), SHUT_RDWR);
    ::close(static_cast<int>(socket));
}

void SendAll(intptr_t socket, const char* data, int count, unsigned timeoutMs) {
    int fd = static_cast<int>(socket);
    int done = 0;
    while (done < count) {
        ssize_t n = ::send(fd, data + done, static_cast<size_t>(count - done), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            Fail(errno, "send");
        int ev = PollFor(fd, POLLOUT, timeoutMs);
        if (ev == 0)
            Fail(ETIMEDOUT, "send");
        if (ev & POLLERR) {
            int err = 0;
            socklen_t len = sizeof err;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
            Fail(err ? err : EPIPE, "send");
        }
    }
}

bool WaitReadable(intptr_t socket, unsigned timeoutMs) {
    int ev = PollFor(static_cast<int>(socket), POLLIN, timeoutMs);
    return ev != 0;
}

int Receive(intptr_t socket, char* buffer, int count) {
    for (;;) {
        ssize_t n = ::recv(static_cast<int>(socket), buffer, static_cast<size_t>(count), MSG_DONTWAIT);
        if (n >= 0)
            return static_cast<int>(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return -1;  // woken without data
        if (errno == ECONNRESET || errno == ENOTCONN || errno == EPIPE)
            return 0;  // the peer dropped the connection
        Fail(errno, "recv");
    }
}

}  // namespace TcpOs
