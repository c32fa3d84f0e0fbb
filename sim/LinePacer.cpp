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
    for (char c : bytes) {
        FOutFree = std::max(TClock::now(), FOutFree) + FByteTime;
        std::this_thread::sleep_until(FOutFree);
        write(&c, 1);
    }
}
