// The socket layer on Windows (Winsock 2, started once per process).
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <mutex>

#include "platform/Exceptions.h"
#include "platform/TcpSocket.h"

namespace {

void StartWinsock() {
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    });
}

AnsiString ErrorText(int code) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0,
                             nullptr);
    AnsiString result = n && text ? AnsiString(text, n) : AnsiString("Unknown error");
    if (text)
        LocalFree(text);
    return TrimRight(result);
}

[[noreturn]] void Fail(int code, const char* api) {
    throw Exception(Format("Socket error: %s (%d), on API '%s'", ErrorText(code).c_str(), code, api));
}

// 0 on time-out, 1 when ready, raises on error. Only readability or writability counts:
// the error set also reports pending out-of-band data, which no read here would take.
int SelectFor(SOCKET s, bool write, unsigned timeoutMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv;
    tv.tv_sec = static_cast<long>(timeoutMs / 1000);
    tv.tv_usec = static_cast<long>((timeoutMs % 1000) * 1000);
    int r = select(0, write ? nullptr : &set, write ? &set : nullptr, nullptr, &tv);
    if (r == SOCKET_ERROR)
        Fail(WSAGetLastError(), "select");
    return r > 0 ? 1 : 0;
}

}  // namespace

namespace TcpOs {

intptr_t Connect(const AnsiString& host, int port, unsigned timeoutMs) {
    StartWinsock();
    if (port <= 0 || port > 65535)
        throw Exception(Format("Socket error: invalid port %d, on API 'connect'", port));
    if (host.empty())
        throw Exception("Socket error: no host address, on API 'getaddrinfo'");
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* list = nullptr;
    AnsiString service = IntToStr(port);
    int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    if (rc != 0)
        Fail(rc, "getaddrinfo");
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
            fd_set wr, ex;
            FD_ZERO(&wr);
            FD_SET(s, &wr);
            FD_ZERO(&ex);
            FD_SET(s, &ex);
            timeval tv;
            tv.tv_sec = static_cast<long>(timeoutMs / 1000);
            tv.tv_usec = static_cast<long>((timeoutMs % 1000) * 1000);
            int sel = select(0, nullptr, &wr, &ex, &tv);
            if (sel > 0 && FD_ISSET(s, &wr)) {
                r = 0;
            } else {
                int err = WSAETIMEDOUT;
                if (sel > 0) {
                    int len = sizeof err;
                    getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len);
                    if (err == 0)
                        err = WSAECONNREFUSED;
                }
                WSASetLastError(err);
                r = SOCKET_ERROR;
            }
        }
        if (r == SOCKET_ERROR) {
            lastError = WSAGetLastError();
            lastApi = "connect";
            closesocket(s);
            continue;
        }
        // The socket stays non-blocking: every read and write waits in select with its own
        // time-out and then takes only what is there.
        BOOL one = TRUE;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
        freeaddrinfo(list);
        return static_cast<intptr_t>(s);
    }
    freeaddrinfo(list);
    Fail(lastError, lastApi);
}

void CloseSocket(intptr_t socket) {
    SOCKET s = static_cast<SOCKET>(socket);
    if (s == INVALID_SOCKET)
        return;
    shutdown(s, SD_BOTH);
    closesocket(s);
}

void SendAll(intptr_t socket, const char* data, int count, unsigned timeoutMs) {
    SOCKET s = static_cast<SOCKET>(socket);
    int done = 0;
    while (done < count) {
        if (SelectFor(s, true, timeoutMs) == 0)
            Fail(WSAETIMEDOUT, "send");
        int n = send(s, data + done, count - done, 0);
        if (n == SOCKET_ERROR) {
            int err = WSAGetLastError();
            if (err == WSAEWOULDBLOCK || err == WSAEINTR)
                continue;
            Fail(err, "send");
        }
        done += n;
    }
}

bool WaitReadable(intptr_t socket, unsigned timeoutMs) {
    return SelectFor(static_cast<SOCKET>(socket), false, timeoutMs) != 0;
}

int Receive(intptr_t socket, char* buffer, int count) {
    int n = recv(static_cast<SOCKET>(socket), buffer, count, 0);
    if (n != SOCKET_ERROR)
        return n;
    int err = WSAGetLastError();
    if (err == WSAEWOULDBLOCK || err == WSAEINTR)
        return -1;
    if (err == WSAECONNRESET || err == WSAECONNABORTED || err == WSAENOTCONN || err == WSAESHUTDOWN)
        return 0;  // the peer dropped the connection
    Fail(err, "recv");
}

}  // namespace TcpOs
