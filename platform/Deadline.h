#pragma once
// The moment a wait must end, on the steady clock: every time-out loop of the line layers
// (serial reads and writes, socket polls, the simulator's pseudo-terminal) counts down to one.
#include <algorithm>
#include <chrono>
#include <climits>

class TDeadline {
public:
    using Clock = std::chrono::steady_clock;

    explicit TDeadline(unsigned long long milliseconds)
        : FAt(Clock::now() + std::chrono::milliseconds(std::min(milliseconds, kLongest))) {}
    // A wait without a time limit.
    static TDeadline Never() { return TDeadline(Clock::time_point::max()); }

    bool IsNever() const { return FAt == Clock::time_point::max(); }
    bool Passed() const { return Clock::now() >= FAt; }
    // Whole milliseconds left, 0 once passed, INT_MAX at most; -1 for Never (poll's "no limit").
    int LeftMs() const {
        if (IsNever()) return -1;
        // Rounded up, so that a wait for what is left never ends before the deadline.
        auto left = std::chrono::ceil<std::chrono::milliseconds>(FAt - Clock::now()).count();
        return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, INT_MAX));
    }
    // The sooner of two deadlines.
    friend const TDeadline& Sooner(const TDeadline& a, const TDeadline& b) { return a.FAt <= b.FAt ? a : b; }

private:
    // About 24 days: far enough for any time-out, near enough not to overflow the clock.
    static constexpr unsigned long long kLongest = INT_MAX;
    explicit TDeadline(Clock::time_point at) : FAt(at) {}
    Clock::time_point FAt;
};
