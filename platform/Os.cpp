#include "platform/Os.h"

bool IsPathDelimiter(char c) { return c == '/' || c == '\\'; }

AnsiString IncludeTrailingPathDelimiter(const AnsiString& path) {
    if (path.empty() || IsPathDelimiter(path.back())) return path;
    return path + PathDelim;
}

AnsiString ExtractFilePath(const AnsiString& path) {
    for (size_t i = path.size(); i > 0; --i)
        if (IsPathDelimiter(path[i - 1])) return path.substr(0, i);
    return AnsiString();
}

AnsiString NativePath(const AnsiString& path) {
    AnsiString result(path);
    for (char& c : result)
        if (IsPathDelimiter(c)) c = PathDelim;
    return result;
}

namespace {
TClock* gClock = nullptr;
TOs* gOs = nullptr;
}  // namespace

TOs& Os() { return gOs ? *gOs : SystemOs(); }
TClock& Clock() { return gClock ? *gClock : SystemClock(); }
void SetClock(TClock* clock) { gClock = clock; }
void SetOs(TOs* os) { gOs = os; }

void TVirtualClock::Sleep(unsigned milliseconds) { Advance(milliseconds == 0 ? 1 : milliseconds); }

void TVirtualClock::Advance(unsigned milliseconds) {
    FTicks += milliseconds;  // wraps as the system's counter does
    FElapsed += milliseconds;
}

double TVirtualClock::Now() {
    // From the start value each time, so that many small steps add no rounding drift.
    return FStart + static_cast<double>(FElapsed - FElapsedAtStart) / 86400000.0;
}

void TVirtualClock::SetNow(double days) {
    FStart = days;
    FElapsedAtStart = FElapsed;
}
