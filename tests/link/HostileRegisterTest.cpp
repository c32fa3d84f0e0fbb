// A register that keeps the line busy without delivering: a byte at a time, waits, stray
// bytes. Every wait ends within its bounds with a clear message, the user's abort ends it
// within about a second, and the log stays small. The bounds are short here (250 ms time-out,
// 280 ms for the longest frame, 600 ms busy), so that what took hours takes a second.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/link/LinkRig.h"

namespace {

const char* const kNoPackets = u8"Kasa niespodziewanie przestała przesyłać pakiety danych";
const char* const kAbort = u8"Operacja przerwana przez użytkownika";

class HostileRegisterTest : public ::testing::TestWithParam<TMediumKind> {
protected:
    void SetUp() override {
        if (GetParam() == TMediumKind::Pty && !TSimPty::Supported()) GTEST_SKIP() << "no pseudo-terminals here";
    }
    TLinkRig& Rig(unsigned timeoutMs = 250, unsigned busyMs = 600, int slowestBaud = 57600) {
        rig.reset();  // its log is closed before the next one starts afresh
        rig = std::make_unique<TLinkRig>(GetParam());
        rig->channel.cfg.busyAllowanceMs = busyMs;
        rig->channel.cfg.slowestBaud = slowestBaud;
        rig->channel.cfg.cfgIpTimeoutMs = static_cast<int>(timeoutMs);
        rig->channel.cfg.serialTimeouts.readTotalConstant = timeoutMs;
        rig->StartLog(AnsiString("velkora-hostile-") + MediumName(GetParam()) + ".txt");
        return *rig;
    }
    std::unique_ptr<TLinkRig> rig;
};

TEST_P(HostileRegisterTest, EveryWaitEndsInItsBoundsOrByTheUsersAbort) {
    const struct {
        const char* fault;
        unsigned timeoutMs, busyMs;
        bool abort;          // the user pressed stop as the read began
        const char* logged;  // what ended the wait, in the log
        const char* message;
        long long boundMs;  // far below what the register could hold the line for before
    } cases[] = {
        {"slowbytes,frame=1,value=120", 250, 600, false, "<packet too slow>", kNoPackets, 2000},
        {"wackstream,frame=1,value=100", 250, 600, false, "<busy too long>", kNoPackets, 2000},
        {"straystream,frame=1,value=100", 250, 600, false, "<packet too slow>", kNoPackets, 2000},
        {"wackstream,at=enq,count=0,value=100", 250, 600, false, "<busy too long>",
         u8"Nie udało się nawiązać połączenia z kasą (ENQ->ACK)", 4000},
        {"wackstream,frame=1,value=100", 250, 60000, true, "ERROR! (", kAbort, 2500},
        {"straystream,frame=1,value=100", 60000, 60000, true, "ERROR! (", kAbort, 2500},
        {"silence,at=turn", 60000, 60000, true, "ERROR! (", kAbort, 2500},
    };
    for (const auto& c : cases) {
        Rig(c.timeoutMs, c.busyMs).state->AddRecord("x", "data of a slow register");
        rig->sim.AddFault(c.fault);
        rig->sink.abort = c.abort;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ErrorOf([&] { rig->ReadAll("x", rm_notresetting, -1, -1); }), Ansi(c.message)) << c.fault;
        EXPECT_LT((std::chrono::steady_clock::now() - start) / std::chrono::milliseconds(1), c.boundMs) << c.fault;
        EXPECT_NE(rig->LogText().find(c.logged), AnsiString::npos) << c.fault;
        EXPECT_LE(rig->sink.polls, c.abort ? 3 : 1) << c.fault;  // about once a second, not per byte
    }
}

TEST_P(HostileRegisterTest, AnHonestRegisterAtTheSlowestLineIsNotCutShort) {
    Rig(1000, 600, 2400);
    if (rig->server) rig->server->pacer.SetBaud(2400);
    if (rig->pty) rig->pty->pacer.SetBaud(2400);
    const AnsiString longest(798, 'D');  // STX, 798 bytes, ETX: the 800 bytes the driver takes
    rig->state->AddRecord("x", longest);
    rig->sim.AddFault("wack,frame=1,value=20");  // after asking to wait a while
    EXPECT_EQ(rig->ReadAll("x", rm_notresetting, -1, -1), std::vector<AnsiString>{Packet(longest)});
}

TEST_P(HostileRegisterTest, RunsAreOneLogLineAndTheLogStopsAtItsSize) {
    for (const char* fault : {"wack,frame=1,value=999", "garbage,frame=1,value=40"}) {
        Rig().state->AddRecord("x", "data");
        rig->sim.AddFault(fault);
        EXPECT_EQ(rig->ReadAll("x", rm_notresetting, -1, -1).size(), 1u);
        const AnsiString log = rig->LogText();
        EXPECT_EQ(CountOf(log, fault[0] == 'w' ? " <- <WACK> x999\r\n" : " <- <ignored> x40\r\n"), 1) << log;
        EXPECT_EQ(CountOf(log, fault[0] == 'w' ? "<WACK>" : "<ignored>"), 1) << log;
    }
    Rig().tools.debugLimit = 3000;
    for (int i = 0; i < 60; ++i) rig->state->AddRecord("x", Format("record %02d of many", i));
    for (int i = 0; i < 2; ++i) EXPECT_EQ(rig->ReadAll("x", rm_notresetting, -1, -1).size(), 60u);
    const AnsiString log = rig->LogText();
    const AnsiString stop =
        Ansi(u8"--- [LOG PRZEKROCZYŁ DOPUSZCZALNY ROZMIAR, DALSZA KOMUNIKACJA NIE JEST ZAPISYWANA] ---\r\n");
    EXPECT_EQ(CountOf(log, stop), 1);
    EXPECT_EQ(log.substr(log.size() - stop.size()), stop);
    EXPECT_LE(log.size(), 3000u + 13 + stop.size());
}

INSTANTIATE_TEST_SUITE_P(Media, HostileRegisterTest, ::testing::Values(TMediumKind::Tcp, TMediumKind::Pty),
                         [](const ::testing::TestParamInfo<TMediumKind>& info) { return MediumName(info.param); });

}  // namespace
