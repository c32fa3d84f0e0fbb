#pragma once
// Transports for the simulated register: a TCP server on the loopback interface and, on
// POSIX systems, a pseudo-terminal whose slave side the driver opens as its serial port.
// Both feed the bytes they receive to a TRegisterSim and write back its answer; a fault
// that drops the connection closes the TCP connection.
#include <atomic>
#include <cstdint>
#include <thread>

#include "platform/Strings.h"
#include "sim/RegisterSim.h"

class TSimTcpServer {
public:
    // Listens on 127.0.0.1:port at once (0: an ephemeral port); raises Exception on failure.
    TSimTcpServer(TRegisterSim& sim, int port = 0);
    ~TSimTcpServer();
    TSimTcpServer(const TSimTcpServer&) = delete;
    TSimTcpServer& operator=(const TSimTcpServer&) = delete;

    int Port() const { return FPort; }
    // Serves connections, one at a time, on a thread of its own until Stop.
    void Start();
    void Stop();
    // Serves on the caller's thread until Stop (from another thread) or, with once, until the
    // first connection ends.
    void Run(bool once);
    int Sessions() const { return FSessions; }

private:
    void Serve(intptr_t client);
    TRegisterSim& FSim;
    intptr_t FListen = -1;
    int FPort = 0;
    std::atomic<bool> FStop{false};
    std::atomic<int> FSessions{0};
    std::thread FThread;
};

class TSimPty {
public:
    // Creates the pseudo-terminal pair; raises Exception where there are none (Windows).
    explicit TSimPty(TRegisterSim& sim);
    ~TSimPty();
    TSimPty(const TSimPty&) = delete;
    TSimPty& operator=(const TSimPty&) = delete;

    // The device the driver opens as its serial port.
    const AnsiString& SlavePath() const { return FSlavePath; }
    void Start();
    void Stop();
    // Serves until Stop or, with once, until the driver closes the line after using it.
    void Run(bool once);

    static bool Supported();

private:
    TRegisterSim& FSim;
    intptr_t FMaster = -1;
    AnsiString FSlavePath;
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

// The operating system's side of the transports (sim/posix, sim/win32).
namespace SimOs {
// A listening socket on 127.0.0.1; port receives the port bound.
intptr_t Listen(int& port);
// A connection within timeoutMs, or -1.
intptr_t Accept(intptr_t listener, unsigned timeoutMs);
void CloseSocket(intptr_t socket);
// Bytes received within timeoutMs: > 0 the count, 0 the peer closed, -1 nothing yet.
int Receive(intptr_t socket, char* buffer, int size, unsigned timeoutMs);
// All bytes, or false when the connection failed.
bool Send(intptr_t socket, const char* data, int size);

bool PtySupported();
// Creates a pseudo-terminal pair in raw mode; returns the master, slavePath its slave.
intptr_t OpenPty(AnsiString& slavePath);
void ClosePty(intptr_t master);
// Bytes from the driver within timeoutMs: > 0 the count, 0 no slave open (hung up), -1
// nothing yet.
int PtyRead(intptr_t master, char* buffer, int size, unsigned timeoutMs);
bool PtyWrite(intptr_t master, const char* data, int size);
}  // namespace SimOs
