#pragma once
// Transports for the simulated register: a TCP server on the loopback interface and, on
// POSIX systems, a pseudo-terminal whose slave side the driver opens as its serial port.
// Both feed the bytes they receive to a TRegisterSim and write back its answer; a fault
// that drops the connection closes the TCP connection.
#include <atomic>
#include <cstdint>
#include <thread>

#include "platform/Strings.h"
#include "sim/LinePacer.h"
#include "sim/LineTranscript.h"
#include "sim/RegisterSim.h"

// Serving on a thread of its own: Start runs Run(false) there until Stop.
class TSimService {
public:
    TSimService() = default;
    TSimService(const TSimService&) = delete;
    TSimService& operator=(const TSimService&) = delete;

    void Start();
    // Ends the thread; a derived class calls it first thing in its destructor.
    void Stop();
    // Serves on the caller's thread until Stop (from another thread) or, with once, until the
    // first session ends.
    virtual void Run(bool once) = 0;

    // The line's speed and what crossed it (pacing off by default); set before Start.
    TLinePacer pacer;
    // What crossed the line, when recording (see TLineTranscript).
    TLineTranscript transcript;

protected:
    virtual ~TSimService() = default;
    std::atomic<bool> FStop{false};
    std::thread FThread;
};

class TSimTcpServer : public TSimService {
public:
    // Listens on 127.0.0.1:port at once (0: an ephemeral port); raises Exception on failure.
    TSimTcpServer(TRegisterSim& sim, int port = 0);
    ~TSimTcpServer() override;

    int Port() const { return FPort; }
    // Serves connections one at a time.
    void Run(bool once) override;

private:
    void Serve(intptr_t client);
    TRegisterSim& FSim;
    intptr_t FListen = -1;
    int FPort = 0;
};

class TSimPty : public TSimService {
public:
    // Creates the pseudo-terminal pair; raises Exception where there are none (Windows).
    explicit TSimPty(TRegisterSim& sim);
    ~TSimPty() override;

    // The device the driver opens as its serial port.
    const AnsiString& SlavePath() const { return FSlavePath; }
    // A session ends when the driver closes the line after using it.
    void Run(bool once) override;

    static bool Supported();

private:
    TRegisterSim& FSim;
    intptr_t FMaster = -1;
    AnsiString FSlavePath;
};

// The operating system's pseudo-terminals (sim/posix; none on Windows).
namespace PtyOs {
bool Supported();
// Creates a pseudo-terminal pair in raw mode; returns the master, slavePath its slave.
intptr_t Open(AnsiString& slavePath);
void Close(intptr_t master);
// Bytes from the driver within timeoutMs: > 0 the count, 0 no slave open (hung up), -1
// nothing yet.
int Read(intptr_t master, char* buffer, int size, unsigned timeoutMs);
bool Write(intptr_t master, const char* data, int size);
}  // namespace PtyOs
