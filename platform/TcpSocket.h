#pragma once
// A blocking TCP client socket and the stream over its connection, in the shape of the
// framework's socket components: the client connects on activation, the stream writes all
// bytes and reads with a fixed time-out. Failures raise ELineError with the system's reason.
#include <cstdint>
#include <vector>

#include "platform/Strings.h"

enum TClientType { ctNonBlocking, ctBlocking };

class TClientSocket {
public:
    TClientSocket();
    ~TClientSocket();
    TClientSocket(const TClientSocket&) = delete;
    TClientSocket& operator=(const TClientSocket&) = delete;

    void SetHost(const AnsiString& host) { FHost = host; }
    void SetPort(int port) { FPort = port; }
    // Only blocking clients are supported; the value is kept for the caller's benefit.
    void SetClientType(TClientType type) { FClientType = type; }
    // Time allowed for establishing the connection, in milliseconds.
    void SetConnectTimeout(unsigned milliseconds) { FConnectTimeout = milliseconds; }

    // Connects to host:port; nothing when already connected. An empty host or a port outside
    // 1..65535 is refused before the system is asked.
    void Open();
    // Drops the connection; nothing when not connected.
    void Close();
    void SetActive(bool active) { active ? Open() : Close(); }
    bool GetActive() const { return FSocket != -1; }

    // The connection, for the stream.
    intptr_t Handle() const { return FSocket; }

private:
    AnsiString FHost;
    int FPort = 0;
    TClientType FClientType = ctBlocking;
    unsigned FConnectTimeout = 15000;
    intptr_t FSocket = -1;
};

class TWinSocketStream {
public:
    // The stream over the socket's connection; timeoutMs bounds every Write and Read.
    TWinSocketStream(TClientSocket& socket, unsigned timeoutMs);
    TWinSocketStream(const TWinSocketStream&) = delete;
    TWinSocketStream& operator=(const TWinSocketStream&) = delete;

    // Writes all bytes; raises on error or when the peer takes none within the time-out.
    int Write(const char* buffer, int count);
    // Waits up to the stream time-out for data and returns up to count bytes; 0 when nothing
    // came in time or the peer closed the connection.
    int Read(char* buffer, int count);
    // The same with its own time-out (0: only what has arrived).
    int Read(char* buffer, int count, unsigned timeoutMs);
    // True when data is waiting (or the peer closed, so a Read returns at once) within
    // timeoutMs; 0 only looks.
    bool WaitForData(unsigned timeoutMs);

private:
    bool Fill(unsigned timeoutMs);
    TClientSocket& FSocket;
    unsigned FTimeOut;
    std::vector<char> FBuffer;
    size_t FBufPos = 0;
    size_t FBufLen = 0;
    bool FPeerClosed = false;
    bool FAnswerDue = false;  // bytes were sent since the last receive
};

// The socket layer of the operating system (platform/posix, platform/win32). Failures raise
// ELineError.
namespace TcpOs {
// Connects a stream socket (TCP_NODELAY set) within timeoutMs to each address of host in turn.
intptr_t Connect(const AnsiString& host, int port, unsigned timeoutMs);
// A listening socket on 127.0.0.1:port (0: any free port); port receives the port bound.
intptr_t Listen(int& port);
// A connection (TCP_NODELAY set) accepted within timeoutMs, or -1.
intptr_t Accept(intptr_t listener, unsigned timeoutMs);
void CloseSocket(intptr_t socket);
// Sends all bytes within timeoutMs; raises on an error or at the time-out.
void SendAll(intptr_t socket, const char* data, int count, unsigned timeoutMs);
// Waits up to timeoutMs until a receive would not block; raises on error.
bool WaitReadable(intptr_t socket, unsigned timeoutMs);
// One receive: the bytes received, 0 when the peer closed the connection, -1 when nothing
// was waiting after all; raises on error.
int Receive(intptr_t socket, char* buffer, int count);
}  // namespace TcpOs
