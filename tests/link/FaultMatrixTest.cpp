// Every fault the simulated register can inject, slow registers included, against each kind
// of transfer: how it ended, with which message and after how long, printed as a table. The
// short form (each fault wherever it first applies) always runs; with VELKORA_FAULT_MATRIX=full
// each fault is also placed at every point of the conversation.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "tests/link/LinkRig.h"

namespace {

const char* const kFaults[] = {
    "nak",
    "silence",
    "eot",
    "drop",
    "error,code=1A",
    "shorterror",
    "byte,value=0x41",
    "wack,value=3",
    "garbage,value=5",
    "badcheck",
    "lowerhex",
    "etb",
    "nul",
    "oversize",
    "slowbytes,value=100",
    "wackstream,value=50",
    "straystream,value=50",
};

const struct {
    const char* name;
    std::function<void(TLinkRig&)> run;
} kTransfers[] = {
    {"read", [](TLinkRig& r) { r.ReadAll("x", rm_notresetting, -1, -1); }},
    {"single", [](TLinkRig& r) { r.transfers.ReadPacketSingle("x", rm_notresetting, 0, 0); }},
    {"write",
     [](TLinkRig& r) {
         r.WriteAll("I#00", {"first", "second"});
     }},
    {"reset", [](TLinkRig& r) { r.transfers.BeginReset("i", rm_resetting, 1, -1); }},
};

// No fault may hold a transfer near this long with these bounds (it could take hours without).
constexpr long long kBoundMs = 5000;

TEST(FaultMatrix, EveryFaultEndsInBoundedTimeWithAMessage) {
    const bool full = std::getenv("VELKORA_FAULT_MATRIX") && AnsiString(std::getenv("VELKORA_FAULT_MATRIX")) == "full";
    std::vector<AnsiString> points = {""};
    if (full) points = {"", ",at=enq", ",at=start", ",at=turn", ",at=frame", ",at=end", ",at=report"};
    std::printf("| fault | transfer | outcome | message | ms |\n|---|---|---|---|---|\n");
    for (const char* fault : kFaults)
        for (const AnsiString& point : points)
            for (const auto& transfer : kTransfers) {
                const AnsiString text = fault + point;
                TLinkRig rig(TMediumKind::Tcp);
                rig.channel.cfg.cfgIpTimeoutMs = 150;
                rig.channel.cfg.busyAllowanceMs = 400;
                rig.channel.cfg.slowestBaud = 57600;
                rig.state->AddRecord("x", "first record");
                rig.state->AddRecord("x", "second record");
                rig.sim.AddFault(text);
                const auto start = std::chrono::steady_clock::now();
                const AnsiString error = ErrorOf([&] { transfer.run(rig); });
                const long long ms =
                    std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                        .count();
                std::printf("| %s | %s | %s | %s | %lld |\n", text.c_str(), transfer.name,
                            error.empty() ? "ok" : "error", Cp1250ToUtf8(error).c_str(), ms);
                EXPECT_LT(ms, kBoundMs) << text << " " << transfer.name;
            }
    std::fflush(stdout);
}

}  // namespace
