#include "sim/LinePacer.h"

#include <algorithm>
#include <thread>

void TLinePacer::SetBaud(int baud) {
    FBaud = baud > 0 ? baud : 0;
    FByteTime = FBaud > 0 ? std::chrono::duration_cast<TClock::duration>(std::chrono::duration<double>(10.0 / FBaud))
                          : TClock::duration::zero();
}

void TLinePacer::Restart() { FInFree = FOutFree = TClock::time_point{}; }

void TLinePacer::Received(size_t n) {
    bytesIn += n;
    if (FBaud == 0) return;
    FInFree = std::max(TClock::now(), FInFree) + FByteTime * static_cast<long>(n);
    std::this_thread::sleep_until(FInFree);
}

void TLinePacer::Send(const AnsiString& bytes, const std::function<void(const char*, int)>& write) {
    if (bytes.empty()) return;
    bytesOut += bytes.size();
    if (FBaud == 0) {
        write(bytes.data(), static_cast<int>(bytes.size()));
        return;
    }
    // A UART sends a block back to back: each byte ends one byte time after the one before,
    // however late this thread wakes; what is due by then goes out at once. A wait that
    // overslept must not lengthen the line's time byte after byte (a coarse timer under Wine
    // would otherwise double it).
    TClock::time_point due = std::max(TClock::now(), FOutFree);
    for (size_t sent = 0; sent < bytes.size();) {
        due += FByteTime;
        std::this_thread::sleep_until(due);
        size_t upTo = sent + 1;
        for (const TClock::time_point now = TClock::now(); upTo < bytes.size() && due + FByteTime <= now; ++upTo)
            due += FByteTime;
        write(bytes.data() + sent, static_cast<int>(upTo - sent));
        sent = upTo;
    }
    FOutFree = due;
}
