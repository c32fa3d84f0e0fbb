// Sockets for the simulated register on Windows; there are no pseudo-terminals.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <mutex>

#include "platform/Exceptions.h"
#include "sim/SimServer.h"

namespace {

void StartWinsock() {
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    });
}

[[noreturn]] void Fail(const char* api) {
    int err = WSAGetLastError();
    throw Exception(Format("Socket error: %d, on API '%s'", err, api));
}

bool Readable(SOCKET s, unsigned timeoutMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval tv;
    tv.tv_sec = static_cast<long>(timeoutMs / 1000);
    tv.tv_usec = static_cast<long>((timeoutMs % 1000) * 1000);
    return select(0, &set, nullptr, nullptr, &tv) > 0;
}

}  // namespace

namespace SimOs {

intptr_t Listen(int& port) {
    StartWinsock();
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        Fail("socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<u_short>(port));
    if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(s, 8) != 0) {
        int err = WSAGetLastError();
        closesocket(s);
        WSASetLastError(err);
        Fail("bind");
    }
    int len = sizeof addr;
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return static_cast<intptr_t>(s);
}

intptr_t Accept(intptr_t listener, unsigned timeoutMs) {
    SOCKET l = static_cast<SOCKET>(listener);
    if (!Readable(l, timeoutMs))
        return -1;
    SOCKET s = accept(l, nullptr, nullptr);
    if (s == INVALID_SOCKET)
        return -1;
    BOOL one = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    return static_cast<intptr_t>(s);
}

void CloseSocket(intptr_t socket) {
    SOCKET s = static_cast<SOCKET>(socket);
    if (s == INVALID_SOCKET)
        return;
    shutdown(s, SD_BOTH);
    closesocket(s);
}

int Receive(intptr_t socket, char* buffer, int size, unsigned timeoutMs) {
    SOCKET s = static_cast<SOCKET>(socket);
    if (!Readable(s, timeoutMs))
        return -1;
    int n = recv(s, buffer, size, 0);
    if (n == SOCKET_ERROR) {
        int err = WSAGetLastError();
        if (err == WSAEWOULDBLOCK || err == WSAEINTR)
            return -1;
        return 0;
    }
    return n;
}

bool Send(intptr_t socket, const char* data, int size) {
    SOCKET s = static_cast<SOCKET>(socket);
    int done = 0;
    while (done < size) {
        int n = send(s, data + done, size - done, 0);
        if (n == SOCKET_ERROR || n == 0)
            return false;
        done += n;
    }
    return true;
}

bool PtySupported() { return false; }

intptr_t OpenPty(AnsiString&) { throw Exception("Pseudo-terminals are not available on this system"); }

void ClosePty(intptr_t) {}

int PtyRead(intptr_t, char*, int, unsigned) { return 0; }

bool PtyWrite(intptr_t, const char*, int) { return false; }

}  // namespace SimOs
