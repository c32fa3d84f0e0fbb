// Every fault the simulated register can inject, slow registers included, against each kind of
// transfer: outcome, message and time, printed as a table. The short form places each fault
// wherever it first applies; VELKORA_FAULT_MATRIX=full also places it at every point.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "tests/link/LinkRig.h"

namespace {

TEST(FaultMatrix, EveryFaultEndsInBoundedTimeWithAMessage) {
    const char* const faults[] = {"nak",
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
                                  "straystream,value=50"};
    const char* const kinds[] = {"read", "single", "write", "reset"};
    const char* mode = std::getenv("VELKORA_FAULT_MATRIX");
    std::vector<AnsiString> points = {""};
    if (mode && AnsiString(mode) == "full")
        points = {"", ",at=enq", ",at=start", ",at=turn", ",at=frame", ",at=end", ",at=report"};
    std::printf("| fault | transfer | outcome | message | ms |\n|---|---|---|---|---|\n");
    for (const char* fault : faults)
        for (const AnsiString& point : points)
            for (int kind = 0; kind < 4; ++kind) {
                TLinkRig rig(TMediumKind::Tcp);
                rig.channel.cfg.cfgIpTimeoutMs = 150;
                rig.channel.cfg.busyAllowanceMs = 400;
                rig.channel.cfg.slowestBaud = 57600;
                for (const char* record : {"first", "second"}) rig.state->AddRecord("x", record);
                rig.sim.AddFault(fault + point);
                const auto start = std::chrono::steady_clock::now();
                const AnsiString error = ErrorOf([&] {
                    if (kind == 0) rig.ReadAll("x", rm_notresetting, -1, -1);
                    if (kind == 1) rig.transfers.ReadPacketSingle("x", rm_notresetting, 0, 0);
                    if (kind == 2) rig.WriteAll("I#00", {"first", "second"});
                    if (kind == 3) rig.transfers.BeginReset("i", rm_resetting, 1, -1);
                });
                const long long ms = (std::chrono::steady_clock::now() - start) / std::chrono::milliseconds(1);
                std::printf("| %s%s | %s | %s | %s | %lld |\n", fault, point.c_str(), kinds[kind],
                            error.empty() ? "ok" : "error", Cp1250ToUtf8(error).c_str(), ms);
                EXPECT_LT(ms, 5000) << fault << point << " " << kinds[kind];  // hours without the bounds
            }
}

}  // namespace
