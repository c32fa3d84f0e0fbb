// A register that keeps the line busy without delivering: a byte at a time, waits, stray
// bytes. Every wait ends within its bounds with a clear message, the user's abort ends it
// within about a second, and the communication log stays small. The bounds are set short
// (a 250 ms time-out, a fast "slowest line") so that what would take hours takes a second.
#include <gtest/gtest.h>

#include <chrono>

#include "tests/link/LinkRig.h"

namespace {

AnsiString Msg(const char* utf8) { return Ansi(utf8); }

const char* const kNoPackets = u8"Kasa niespodziewanie przestała przesyłać pakiety danych";
// Far below what any of these registers could hold the line for without the bounds.
constexpr long long kBoundMs = 4000;

class HostileRegisterTest : public ::testing::TestWithParam<TMediumKind> {
protected:
    void SetUp() override { rig = MakeRig(); }

    std::unique_ptr<TLinkRig> MakeRig() {
        auto r = std::make_unique<TLinkRig>(GetParam());
        r->channel.cfg.busyAllowanceMs = 600;
        r->channel.cfg.slowestBaud = 57600;  // the longest frame takes 140 ms
        r->StartLog(AnsiString("velkora-hostile-") + MediumName(GetParam()) + ".txt");
        return r;
    }

    // What f raised and how long it took.
    template <typename F>
    std::pair<AnsiString, long long> Timed(F&& f) {
        const auto start = std::chrono::steady_clock::now();
        AnsiString error = ErrorOf(f);
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        return {error, ms};
    }

    std::unique_ptr<TLinkRig> rig;
};

TEST_P(HostileRegisterTest, SlowRegistersAreCutOffWithAClearMessage) {
    const struct {
        const char* fault;
        const char* logged;  // what ended the wait, in the log
        const char* message;
    } cases[] = {
        // a byte every 120 ms inside the frame: each byte in time, the packet not
        {"slowbytes,frame=1,value=120", "<packet too slow>", kNoPackets},
        // a WACK every 100 ms instead of the frame
        {"wackstream,frame=1,value=100", "<busy too long>", kNoPackets},
        // a stray byte every 100 ms instead of the frame
        {"straystream,frame=1,value=100", "<packet too slow>", kNoPackets},
        // a WACK every 100 ms instead of the answer to the line request, every time
        {"wackstream,at=enq,count=0,value=100", "<busy too long>",
         u8"Nie udało się nawiązać połączenia z kasą (ENQ->ACK)"},
    };
    for (const auto& c : cases) {
        rig.reset();  // the last rig's log is closed before the next one starts afresh
        rig = MakeRig();
        rig->state->AddRecord("x", "data of a slow register");
        rig->sim.AddFault(c.fault);
        const auto [error, ms] = Timed([&] { rig->ReadAll("x", rm_notresetting, -1, -1); });
        EXPECT_EQ(error, Msg(c.message)) << c.fault;
        EXPECT_LT(ms, kBoundMs) << c.fault;
        EXPECT_NE(rig->LogText().find(AnsiString(" <- ") + c.logged + "\r\n"), AnsiString::npos) << c.fault;
    }
}

TEST_P(HostileRegisterTest, HonestSlowRegisterIsNotCutShort) {
    // The longest frame at the slowest line speed, after the register asked to wait a while.
    rig->channel.cfg.slowestBaud = 9600;
    rig->channel.cfg.cfgIpTimeoutMs = 1000;  // the time the first byte may take
    rig->channel.cfg.serialTimeouts.readTotalConstant = 1000;
    if (rig->server) rig->server->pacer.SetBaud(9600);
    if (rig->pty) rig->pty->pacer.SetBaud(9600);
    const AnsiString longest(798, 'D');  // STX, 798 bytes, ETX: the 800 bytes the driver takes
    rig->state->AddRecord("x", longest);
    rig->sim.AddFault("wack,frame=1,value=20");
    EXPECT_EQ(rig->ReadAll("x", rm_notresetting, -1, -1), std::vector<AnsiString>{Packet(longest)});
}

TEST_P(HostileRegisterTest, AbortEndsAnyWaitWithinAboutASecond) {
    const struct {
        const char* fault;
        unsigned timeoutMs;  // the line's time-out
    } cases[] = {
        {"wackstream,frame=1,value=100", 250},  // busy for a minute, by the allowance
        {"straystream,frame=1,value=100", 60000},
        {"silence,at=turn", 60000},  // a minute's time-out
    };
    for (const auto& c : cases) {
        rig.reset();  // the last rig's log is closed before the next one starts afresh
        rig = MakeRig();
        rig->channel.cfg.busyAllowanceMs = 60000;
        rig->channel.cfg.slowestBaud = 1200;
        rig->channel.cfg.cfgIpTimeoutMs = static_cast<int>(c.timeoutMs);
        rig->channel.cfg.serialTimeouts.readTotalConstant = c.timeoutMs;
        rig->state->AddRecord("x", "never sent");
        rig->sim.AddFault(c.fault);
        rig->sink.abort = true;  // the user pressed stop as the read began
        const auto [error, ms] = Timed([&] { rig->ReadAll("x", rm_notresetting, -1, -1); });
        EXPECT_EQ(error, Msg(u8"Operacja przerwana przez użytkownika")) << c.fault;
        EXPECT_LT(ms, 2500) << c.fault;
        EXPECT_GE(rig->sink.polls, 1) << c.fault;
        EXPECT_LE(rig->sink.polls, 3) << c.fault;  // about once a second, not per byte
    }
}

TEST_P(HostileRegisterTest, RunsOfWaitsAndStrayBytesAreOneLogLineEach) {
    const struct {
        const char* fault;
        const char* line;
        const char* single;
    } cases[] = {
        {"wack,frame=1,value=999", " <- <WACK> x999\r\n", "<WACK>"},
        {"garbage,frame=1,value=40", " <- <ignored> x40\r\n", "<ignored>"},
    };
    for (const auto& c : cases) {
        rig.reset();  // the last rig's log is closed before the next one starts afresh
        rig = MakeRig();
        rig->state->AddRecord("x", "data");
        rig->sim.AddFault(c.fault);
        EXPECT_EQ(rig->ReadAll("x", rm_notresetting, -1, -1), std::vector<AnsiString>{Packet("data")});
        const AnsiString log = rig->LogText();
        EXPECT_EQ(CountOf(log, c.line), 1) << c.fault;
        EXPECT_EQ(CountOf(log, c.single), 1) << c.fault;
    }
}

TEST_P(HostileRegisterTest, LogStopsAtItsSizeOnce) {
    rig->tools.debugLimit = 3000;
    for (int i = 0; i < 60; ++i) rig->state->AddRecord("x", Format("record %02d of many", i));
    ASSERT_EQ(rig->ReadAll("x", rm_notresetting, -1, -1).size(), 60u);
    rig->ReadAll("x", rm_notresetting, -1, -1);
    const AnsiString log = rig->LogText();
    const AnsiString stop =
        Ansi(u8"--- [LOG PRZEKROCZYŁ DOPUSZCZALNY ROZMIAR, DALSZA KOMUNIKACJA NIE JEST ZAPISYWANA] ---\r\n");
    EXPECT_EQ(CountOf(log, stop), 1);
    EXPECT_EQ(log.substr(log.size() - stop.size()), stop);
    EXPECT_LE(log.size(), 3000u + 14 + stop.size());
}

INSTANTIATE_TEST_SUITE_P(Media, HostileRegisterTest, ::testing::Values(TMediumKind::Tcp, TMediumKind::Pty),
                         [](const ::testing::TestParamInfo<TMediumKind>& info) { return MediumName(info.param); });

}  // namespace
