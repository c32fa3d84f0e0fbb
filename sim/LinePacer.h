#pragma once
// The time a serial line takes, reproduced on a fast transport: at a chosen baud rate every
// byte takes its wire time (10 bits: start, 8 data, stop). Bytes from the driver are taken
// only once they would have arrived; the register's bytes go out each when its last bit would
// have (those already due together). Each direction has a line of its own, as on RS-232.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>

#include "platform/Strings.h"

class TLinePacer {
public:
    // 0: no pacing.
    void SetBaud(int baud);
    int Baud() const { return FBaud; }
    // Waits until n bytes received now would have arrived.
    void Received(size_t n);
    // Writes the bytes, each when its wire time is over (all at once without pacing).
    void Send(const AnsiString& bytes, const std::function<void(const char*, int)>& write);
    // A new connection: both lines are free.
    void Restart();

    // Bytes that crossed the line each way.
    std::atomic<unsigned long long> bytesIn{0}, bytesOut{0};

private:
    using TClock = std::chrono::steady_clock;
    int FBaud = 0;
    TClock::duration FByteTime{0};
    TClock::time_point FInFree{}, FOutFree{};
};
