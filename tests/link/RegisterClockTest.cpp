// A register with a clock: on a virtual clock, the simulator gives up, keeps busy and refuses
// as a register does; over real lines with short waits, the driver copes with it.
#include <chrono>
#include <thread>

#include "tests/link/LinkRig.h"

namespace {

using namespace std::chrono_literals;

const AnsiString kRead = "Sx0" + AnsiString(36, ' ');

// The byte engine on a virtual clock that moves only when the test says so.
struct TClockedSim {
    TRegisterSim sim;
    TRegisterClock::TTime t{};
    TClockedSim() {
        sim.clock.now = [this] { return t; };
        sim.OnConnect();
        sim.State().AddRecord("x", "one");
        sim.State().AddRecord("x", "two");
    }
    AnsiString Feed(const AnsiString& bytes) { return sim.OnBytes(bytes.data(), bytes.size()); }
    // Everything due within ms, as the transport would send it.
    AnsiString After(int ms) {
        AnsiString out;
        for (auto end = t + std::chrono::milliseconds(ms); t < end;) {
            t = std::min(end, t + std::chrono::milliseconds(std::max(sim.MsToNextTick(50), 1)));
            out += sim.OnTick();
        }
        return out;
    }
};

TEST(RegisterClock, GivesUpEveryWaitForTheDriverWithEot) {
    const struct {
        const char* where;
        std::vector<AnsiString> bytes;  // the driver's bytes up to the wait
    } cases[] = {
        {"line granted", {"\x05"}},
        {"read opened", {"\x05", TRegisterSim::Frame(kRead)}},
        {"frame unacknowledged", {"\x05", TRegisterSim::Frame(kRead), "\x04", "\x06"}},
        {"write waiting for a record",
         {"\x05", TRegisterSim::Frame("Sx1" + AnsiString(36, '0')), TRegisterSim::Frame("r1")}},
        {"half a frame", {"\x05", TRegisterSim::Frame("Sx1" + AnsiString(36, '0')), "\x02r2"}},
    };
    for (const auto& c : cases) {
        for (bool late : {false, true}) {
            SCOPED_TRACE(std::string(c.where) + (late ? ", late EOT" : ""));
            TClockedSim r;
            r.sim.clock.lateEot = late;
            for (const AnsiString& b : c.bytes) r.Feed(b);
            EXPECT_EQ(r.After(1999), "");
            EXPECT_EQ(r.After(1), late ? "" : "\x04");
            EXPECT_EQ(r.After(10000), "");  // waiting for ENQ is no wait
            EXPECT_EQ(r.Feed("\x05"), late ? "\x04\x06" : "\x06");
            EXPECT_EQ(r.sim.WaitsRunOut(), 1);
        }
    }
}

TEST(RegisterClock, BusySpellsAnswerBehindWacksUnlessInterrupted) {
    TClockedSim r;
    r.sim.clock.spells = {TBusySpell::Parse("5200,file=x,at=frame,frame=2")};
    r.Feed("\x05");
    r.Feed(TRegisterSim::Frame(kRead));
    r.Feed("\x04");
    EXPECT_EQ(r.Feed("\x06"), TRegisterSim::Frame("one"));
    EXPECT_EQ(r.Feed("\x06"), "");
    EXPECT_EQ(r.After(1999), "");
    EXPECT_EQ(r.After(1), "\x09");         // 2 s after the driver's byte
    EXPECT_EQ(r.After(3000), "\x09\x09");  // then every 1.5 s
    EXPECT_EQ(r.After(200), TRegisterSim::Frame("two"));
    EXPECT_EQ(r.Feed("\x06"), "\x04");

    // A byte from the driver ends the spell: the answer is dropped, the register waits for ENQ.
    r.sim.clock.spells = {TBusySpell::Parse("5000,at=start")};
    r.Feed("\x05");
    EXPECT_EQ(r.Feed(TRegisterSim::Frame(kRead)), "");
    EXPECT_EQ(r.After(2500), "\x09");
    EXPECT_EQ(r.Feed("\x04"), "");
    EXPECT_EQ(r.After(5000), "");
    EXPECT_EQ(r.Feed("\x05"), "\x06");
}

TEST(RegisterClock, StrictWhileIdleAboutRepeatsAndFiles) {
    TClockedSim r;
    for (const AnsiString& stray : {AnsiString("\x04"), AnsiString("\x06"), AnsiString("Z"), TRegisterSim::Frame("?")})
        EXPECT_EQ(r.Feed(stray), "\x15");

    // Three repeats each way, then the register gives up.
    AnsiString bad = TRegisterSim::Frame(kRead);
    bad.back() ^= 1;
    r.Feed("\x05");
    for (int i = 0; i < 4; ++i) EXPECT_EQ(r.Feed(bad), i < 3 ? "\x15" : "\x04");
    for (const AnsiString& b : {AnsiString("\x04"), AnsiString("\x05"), TRegisterSim::Frame(kRead), AnsiString("\x04")})
        r.Feed(b);
    EXPECT_EQ(r.Feed("\x06"), TRegisterSim::Frame("one"));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(r.Feed("\x15"), i < 3 ? TRegisterSim::Frame("one") : AnsiString("\x04"));
    r.Feed("\x04");

    // A file the register does not have is refused with 13; its own files are served even empty.
    for (const char* id : {"Q", "w"}) {
        r.Feed("\x05");
        EXPECT_EQ(r.Feed(TRegisterSim::Frame("S" + AnsiString(id) + "0" + AnsiString(36, ' '))),
                  *id == 'Q' ? "\x40" : "\x06");
        r.Feed("\x04");
        EXPECT_EQ(r.Feed("\x06"), *id == 'Q' ? TRegisterSim::Frame("ER:13") : AnsiString("\x04"));
        r.After(3000);
    }
}

class ClockTest : public ::testing::TestWithParam<TMediumKind> {
protected:
    void SetUp() override {
        if (GetParam() == TMediumKind::Pty && !TSimPty::Supported()) GTEST_SKIP() << "no pseudo-terminals";
        rig = std::make_unique<TLinkRig>(GetParam(), false);
        // The register's figures shortened, each well apart from the driver's 250 ms wait for a
        // byte: timers are coarse under Wine.
        rig->sim.clock.waitMs = 300;
        rig->sim.clock.firstWackMs = 150;
        rig->sim.clock.wackEveryMs = 100;
        rig->channel.OpenPort();
        rig->StartLog(AnsiString("velkora-clock-") + MediumName(GetParam()) + ".txt");
        rig->state->AddRecord("x", "one");
        rig->state->AddRecord("x", "two");
        rig->state->File("y");
    }
    std::unique_ptr<TLinkRig> rig;
};

TEST_P(ClockTest, EveryTransferKindGetsThroughABusyRegister) {
    rig->state->SetResetRule(7, {});
    for (const char* spell : {"450,file=x,at=start", "450,file=x,frame=2", "450,file=x,at=end", "450,file=y,at=start",
                              "450,file=y,frame=2", "450,file=y,at=end", "450,file=i,at=start", "450,file=i,at=end"}) {
        SCOPED_TRACE(spell);
        rig->sim.clock.spells = {TBusySpell::Parse(spell)};
        const AnsiString logBefore = rig->LogText();
        EXPECT_EQ(rig->ReadAll("x", rm_notresetting, -1, -1), (std::vector<AnsiString>{Packet("one"), Packet("two")}));
        rig->WriteAll("y", {"r1", "r2"});
        rig->transfers.BeginReset("i", rm_resetting, 7, -1);
        EXPECT_EQ(rig->sim.clock.spells[0].fired, 1);
        EXPECT_EQ(CountOf(rig->LogText().substr(logBefore.size()), "<- <WACK> x3\r\n"), 1);
    }
    EXPECT_EQ(rig->sim.Written("y").size(), 16u);
    EXPECT_EQ(rig->sim.WaitsRunOut(), 0);
}

TEST_P(ClockTest, ALateEotBeforeEnqCostsNothing) {
    for (bool late : {false, true}) {
        SCOPED_TRACE(late ? "late" : "at once");
        rig->sim.clock.lateEot = late;
        // The line taken and left: the register gives up after its wait.
        rig->channel.SendData("\x05");
        char ack = 0;
        EXPECT_EQ(rig->channel.ReadData(&ack, 1), 1);
        std::this_thread::sleep_for(500ms);
        const size_t logBefore = rig->LogText().size();
        EXPECT_EQ(rig->ReadAll("x", rm_notresetting, -1, -1), (std::vector<AnsiString>{Packet("one"), Packet("two")}));
        const AnsiString log = rig->LogText().substr(logBefore);
        EXPECT_EQ(CountOf(log, "-> <ENQ>"), 1);
        EXPECT_EQ(CountOf(log, late ? "<- Late EOT passed over" : "<- Stale input cleared (<EOT>)"), 1);
    }
    EXPECT_EQ(rig->sim.WaitsRunOut(), 2);
}

INSTANTIATE_TEST_SUITE_P(Media, ClockTest, ::testing::Values(TMediumKind::Tcp, TMediumKind::Pty),
                         [](const auto& info) { return AnsiString(MediumName(info.param)); });

}  // namespace
