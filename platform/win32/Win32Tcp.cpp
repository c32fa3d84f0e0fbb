// The socket layer on Windows (Winsock 2, started once per process).
// Winsock 2 before windows.h, which would bring the old winsock.h in.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <mutex>

#include "platform/Deadline.h"
#include "platform/LineError.h"
#include "platform/TcpSocket.h"
#include "platform/win32/Win32Api.h"

namespace {

void StartWinsock() {
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    });
}

[[noreturn]] void Fail(TLineFault fault, int code, const char* api, const AnsiString& subject = "") {
    throw ELineError(fault, subject, win32::Reason(static_cast<unsigned long>(code)) + ", on API '" + api + "'");
}

void SetNoDelay(SOCKET s) {
    BOOL one = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
}

// select() on one socket until the deadline: readable (or, with write, writable), or for a
// connection in progress also failed (the error set). 0 at the deadline, 1 when ready;
// raises on error. Without errors only readability or writability counts: the error set
// also reports pending out-of-band data, which no read here would take.
int SelectFor(SOCKET s, bool write, const TDeadline& deadline, bool errors = false) {
    fd_set set, failed;
    FD_ZERO(&set);
    FD_SET(s, &set);
    FD_ZERO(&failed);
    FD_SET(s, &failed);
    const int ms = deadline.LeftMs();
    timeval tv{ms / 1000, (ms % 1000) * 1000};
    int r = select(0, write ? nullptr : &set, write ? &set : nullptr, errors ? &failed : nullptr, &tv);
    if (r == SOCKET_ERROR) Fail(lfReceive, WSAGetLastError(), "select");
    return r > 0 && FD_ISSET(s, &set) ? 1 : 0;
}

}  // namespace

namespace TcpOs {

intptr_t Connect(const AnsiString& host, int port, unsigned timeoutMs) {
    StartWinsock();
    const AnsiString address = host + ":" + IntToStr(port);
    addrinfo hints{};  // any family; a stream socket's protocol is TCP
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    int rc = getaddrinfo(host.c_str(), IntToStr(port).c_str(), &hints, &list);
    if (rc != 0) Fail(lfAddress, rc, "getaddrinfo", address);
    int lastError = WSAECONNREFUSED;
    const char* lastApi = "connect";
    for (addrinfo* a = list; a; a = a->ai_next) {
        SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) {
            lastError = WSAGetLastError();
            lastApi = "socket";
            continue;
        }
        u_long nonBlocking = 1;
        ioctlsocket(s, FIONBIO, &nonBlocking);
        int r = connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen));
        if (r == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
            // A refused connection shows in the error set, with its reason in SO_ERROR.
            int err = WSAETIMEDOUT;
            if (SelectFor(s, true, TDeadline(timeoutMs), true)) {
                err = 0;
            } else {
                int len = sizeof err;
                int soError = 0;
                if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len) == 0 && soError)
                    err = soError;
            }
            r = err == 0 ? 0 : SOCKET_ERROR;
            WSASetLastError(err);
        }
        if (r == SOCKET_ERROR) {
            lastError = WSAGetLastError();
            lastApi = "connect";
            closesocket(s);
            continue;
        }
        // The socket stays non-blocking: every read and write waits in select with its own
        // time-out and then takes only what is there.
        SetNoDelay(s);
        freeaddrinfo(list);
        return static_cast<intptr_t>(s);
    }
    freeaddrinfo(list);
    Fail(lfConnect, lastError, lastApi, address);
}

intptr_t Listen(int& port) {
    StartWinsock();
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) Fail(lfConnect, WSAGetLastError(), "socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<u_short>(port));
    if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 8) != 0) {
        int err = WSAGetLastError();
        closesocket(s);
        Fail(lfConnect, err, "bind", "127.0.0.1:" + IntToStr(port));
    }
    int len = sizeof addr;
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return static_cast<intptr_t>(s);
}

intptr_t Accept(intptr_t listener, unsigned timeoutMs) {
    SOCKET l = static_cast<SOCKET>(listener);
    if (!SelectFor(l, false, TDeadline(timeoutMs))) return -1;
    SOCKET s = accept(l, nullptr, nullptr);
    if (s == INVALID_SOCKET) return -1;
    SetNoDelay(s);
    return static_cast<intptr_t>(s);
}

void CloseSocket(intptr_t socket) {
    SOCKET s = static_cast<SOCKET>(socket);
    if (s == INVALID_SOCKET) return;
    shutdown(s, SD_BOTH);
    closesocket(s);
}

void SendAll(intptr_t socket, const char* data, int count, unsigned timeoutMs) {
    SOCKET s = static_cast<SOCKET>(socket);
    const TDeadline deadline(timeoutMs);
    int done = 0;
    while (done < count) {
        if (SelectFor(s, true, deadline) == 0) Fail(lfSend, WSAETIMEDOUT, "send");
        int n = send(s, data + done, count - done, 0);
        if (n == SOCKET_ERROR) {
            int err = WSAGetLastError();
            if (err == WSAEWOULDBLOCK || err == WSAEINTR) continue;
            Fail(lfSend, err, "send");
        }
        done += n;
    }
}

bool WaitReadable(intptr_t socket, unsigned timeoutMs) {
    return SelectFor(static_cast<SOCKET>(socket), false, TDeadline(timeoutMs)) != 0;
}

int Receive(intptr_t socket, char* buffer, int count) {
    int n = recv(static_cast<SOCKET>(socket), buffer, count, 0);
    if (n != SOCKET_ERROR) return n;
    int err = WSAGetLastError();
    if (err == WSAEWOULDBLOCK || err == WSAEINTR) return -1;
    if (err == WSAECONNRESET || err == WSAECONNABORTED || err == WSAENOTCONN || err == WSAESHUTDOWN)
        return 0;  // the peer dropped the connection
    Fail(lfReceive, err, "recv");
}

}  // namespace TcpOs
