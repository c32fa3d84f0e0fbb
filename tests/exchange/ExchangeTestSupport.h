#pragma once
// Scratch folders, whole-file reads, expected files, a fixed clock and a recording progress
// sink for the exchange file tests.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

#include "exchange/Receipt.h"
#include "platform/Os.h"
#include "platform/ProgressSink.h"

namespace xtest {

inline std::string ScratchDir(const std::string& name) { return ::ScratchDir("velkora_exchange_", name); }
using ::ReadAll;
using ::WriteAll;

inline std::string Expected(const std::string& name) {
    return ReadAll(std::string(VELKORA_TEST_DATA) + "/exchange/" + name);
}

// Installs a virtual clock for the life of the guard.
class ClockGuard {
public:
    explicit ClockGuard(double start = 45730.5) : FClock(start) { SetClock(&FClock); }
    ~ClockGuard() { SetClock(nullptr); }
    TVirtualClock& Get() { return FClock; }

private:
    TVirtualClock FClock;
};

// A clock whose time moves by a fixed step at every reading; counts the pauses.
class SteppingClock : public TClock {
public:
    SteppingClock(double start, double step) : FNow(start), FStep(step) {}
    void Sleep(unsigned milliseconds) override {
        ++sleeps;
        slept += milliseconds;
        FNow += milliseconds / 86400000.0;
    }
    uint32_t GetTickCount() override { return static_cast<uint32_t>(FNow * 86400000.0); }
    double Now() override {
        FNow += FStep;
        return FNow;
    }
    int sleeps = 0;
    unsigned slept = 0;

private:
    double FNow;
    double FStep;
};

// Records every progress call as a readable line.
class RecordingSink : public TProgressSink {
public:
    void MsgAdd(const AnsiString& text, LPVState state, int max) override {
        log.push_back("add " + text + " " + std::to_string(state) + " " + std::to_string(max));
    }
    void MsgP(int progress) override { log.push_back("p " + std::to_string(progress)); }
    void MsgS(LPVState state) override { log.push_back("s " + std::to_string(state)); }
    void DodajKomunikat(int kind, const AnsiString& text) override {
        log.push_back("msg " + std::to_string(kind) + " " + text);
    }
    bool CzyPrzerwac() override { return false; }
    TMLgExtTools* GetLgLink() override { return nullptr; }
    std::vector<std::string> log;
};

// A payment as the receipt parsers build one (the receipt takes ownership).
inline QVRPayment* Payment(int kind, long long value, int rate, double when) {
    auto* p = new QVRPayment;
    p->Fkod = kind;
    p->Fwartosc = value;
    p->Fkurs = rate;
    p->Frodzaj = static_cast<formy>(kind);
    p->Fdata_czas = when;
    return p;
}

}  // namespace xtest
