#include "sim/LineTranscript.h"

void TLineTranscript::Start() {
    std::lock_guard<std::mutex> lock(FMutex);
    FTurns.clear();
    FRecording = true;
}

void TLineTranscript::Stop() {
    std::lock_guard<std::mutex> lock(FMutex);
    FRecording = false;
}

void TLineTranscript::Record(bool fromDriver, const char* data, size_t length) {
    std::lock_guard<std::mutex> lock(FMutex);
    if (!FRecording || length == 0) return;
    if (FTurns.empty() || FTurns.back().fromDriver != fromDriver) FTurns.push_back(TTurn{fromDriver, AnsiString()});
    FTurns.back().bytes.append(data, length);
}

std::vector<TLineTranscript::TTurn> TLineTranscript::Turns() {
    std::lock_guard<std::mutex> lock(FMutex);
    return FTurns;
}
