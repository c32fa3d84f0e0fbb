// The simulated register on its own: its data file, fault texts, the byte engine, and the
// ecrsim program.
#include <cstdio>

#include "sim/LineTranscript.h"
#include "sim/NovitusRegister.h"
#include "tests/link/LinkRig.h"

namespace {

AnsiString DemoFile() {
    AnsiString data = VELKORA_TEST_DATA;  // <source>/tests/data
    return data.substr(0, data.size() - 10) + "sim/demo-register.txt";
}

}  // namespace

TEST(RegisterFile, LoadsFilesRecordsNumbersAndRules) {
    TRegisterState s;
    s.Load(
        "# comment\n"
        "reset 1 U\r\n"
        "file k#00 ranged\n"
        "number 100\n"
        "record first  \n"
        "record with\\x02stx and \\\\ backslash\n"
        "file $#01\n"
        "error 13\n"
        "file i reset\n");
    const TSimFile* k = s.FindFile("k#00");
    ASSERT_NE(k, nullptr);
    EXPECT_TRUE(k->ranged);
    ASSERT_EQ(k->records.size(), 2u);
    EXPECT_EQ(k->records[0].number, 100);
    EXPECT_EQ(k->records[0].data, "first  ");
    EXPECT_EQ(k->records[1].number, 101);
    EXPECT_EQ(k->records[1].data, "with\x02stx and \\ backslash");
    EXPECT_EQ(s.FindFile("$#01")->errorCode, 0x13);
    EXPECT_TRUE(s.IsResetFile("i"));
    EXPECT_EQ(s.ResetRules().size(), 1u);
    EXPECT_EQ(s.Serve("k#00", 101, -1).size(), 1u);

    TRegisterState copy;
    copy.Load(s.Save());
    EXPECT_EQ(copy.Save(), s.Save());
    EXPECT_EQ(copy.Records("k#00"), s.Records("k#00"));
}

TEST(RegisterFile, ReportsBadLines) {
    TRegisterState s;
    EXPECT_EQ(ErrorOf([&] { s.Load("record x\n"); }), "line 1: record outside a file");
    EXPECT_EQ(ErrorOf([&] { s.Load("file p\nerror XY\n"); }), "line 2: error needs a file and a hexadecimal code");
    EXPECT_EQ(ErrorOf([&] { s.Load("file p\nbogus\n"); }), "line 2: unknown keyword 'bogus'");
}

TEST(RegisterFile, DemoRegister) {
    TNovitusRegister s;
    s.LoadFile(DemoFile());
    auto p = s.Records("p");
    ASSERT_EQ(p.size(), 1u);
    AnsiString packet = Packet(p[0]);
    EXPECT_GE(packet.size(), 60u);
    EXPECT_EQ(SubString(packet, 4, 1), "1");                   // fiscal
    EXPECT_EQ(Trim(SubString(packet, 5, 10)), "131072");       // free space
    EXPECT_EQ(Trim(SubString(packet, 15, 10)), "101");         // oldest receipt
    EXPECT_EQ(Trim(SubString(packet, 25, 10)), "248");         // youngest receipt
    EXPECT_EQ(Trim(SubString(packet, 35, 10)), "VKA1200345");  // device name
    EXPECT_EQ(SubString(packet, 45, 4), "0310");
    EXPECT_EQ(SubString(packet, 49, 4), "0205");
    EXPECT_EQ(Trim(SubString(packet, 53, 5)), "TH-58");
    auto number = s.Records("P");
    ASSERT_EQ(number.size(), 1u);
    EXPECT_EQ(SubString(Packet(number[0]), 4, 1), "1");
}

TEST(LineTranscript, TurnsAlternateAndOnlyWhileRecording) {
    TLineTranscript transcript;
    transcript.Record(true, "x", 1);
    transcript.Start();
    for (const auto& [driver, bytes] : {std::pair<bool, const char*>{true, "\x05"},
                                        {false, "\x06"},
                                        {true,
                                         "\x02"
                                         "ab"},
                                        {true, "\x03"},
                                        {false, ""},
                                        {false, "\x06"}})
        transcript.Record(driver, bytes, std::char_traits<char>::length(bytes));
    transcript.Stop();
    transcript.Record(true, "y", 1);
    const auto turns = transcript.Turns();
    ASSERT_EQ(turns.size(), 4u);
    EXPECT_EQ(turns[2].bytes,
              "\x02"
              "ab\x03");
    EXPECT_FALSE(turns[3].fromDriver);
    EXPECT_EQ(turns[3].bytes, "\x06");
}

TEST(SimFault, Parse) {
    TSimFault f = TSimFault::Parse("error,file=I#00,frame=3,code=1A,count=2");
    EXPECT_EQ(f.kind, sfError);
    EXPECT_EQ(f.at, spFrame);
    EXPECT_EQ(f.file, "I#00");
    EXPECT_EQ(f.frame, 3);
    EXPECT_EQ(f.value, 0x1A);
    EXPECT_EQ(f.count, 2);
    f = TSimFault::Parse("wack,at=any,value=0x10,count=0");
    EXPECT_EQ(f.kind, sfWack);
    EXPECT_EQ(f.value, 16);
    EXPECT_EQ(f.count, 0);
    EXPECT_FALSE(ErrorOf([] { TSimFault::Parse("explode"); }).empty());
    EXPECT_FALSE(ErrorOf([] { TSimFault::Parse("nak,at=moon"); }).empty());
    EXPECT_FALSE(ErrorOf([] { TSimFault::Parse("nak,count"); }).empty());
    EXPECT_FALSE(ErrorOf([] { TSimFault::Parse("error,code=XYZ"); }).empty());
}

TEST(SimEngine, ByteExactExchange) {
    TRegisterSim sim;
    sim.State().AddRecord("p", "STATUS");
    auto feed = [&](const AnsiString& bytes) { return sim.OnBytes(bytes.data(), bytes.size()); };
    EXPECT_EQ(feed("\x05"), "\x06");
    AnsiString start = TRegisterSim::Frame("Sp0" + AnsiString(36, '0'));
    EXPECT_EQ(start.substr(start.size() - 4), "006B");
    // A frame may arrive in pieces.
    EXPECT_EQ(feed(start.substr(0, 10)), "");
    EXPECT_EQ(feed(start.substr(10)), "\x06");
    EXPECT_EQ(feed("\x04"), "\x05");
    EXPECT_EQ(feed("\x06"), TRegisterSim::Frame("STATUS"));
    EXPECT_EQ(feed("\x15"), TRegisterSim::Frame("STATUS"));  // NAK: the same frame again
    EXPECT_EQ(feed("\x06"), "\x04");
    EXPECT_EQ(feed("\x04"), "");  // the driver's answering EOT
    EXPECT_EQ(sim.TransfersCompleted(), 1);
}

TEST(SimEngine, ResettingReadClearsWhenTheDriverAnswersItsEnd) {
    TRegisterSim sim;
    sim.State().AddRecord("U", "C1");
    auto feed = [&](const AnsiString& bytes) { return sim.OnBytes(bytes.data(), bytes.size()); };
    feed("\x05");
    EXPECT_EQ(feed(TRegisterSim::Frame("SU2" + AnsiString(36, ' '))), "\x06");
    EXPECT_EQ(feed("\x04"), "\x05");
    EXPECT_EQ(feed("\x06"), TRegisterSim::Frame("C1"));
    EXPECT_EQ(feed("\x06"), "\x04");
    EXPECT_EQ(sim.Records("U").size(), 1u);
    EXPECT_EQ(feed("\x04"), "");
    EXPECT_TRUE(sim.Records("U").empty());
}

TEST(SimEngine, ErrorReportCarriesTheCode) {
    TRegisterSim sim;
    sim.State().SetError("$#01", 0x13);
    auto feed = [&](const AnsiString& bytes) { return sim.OnBytes(bytes.data(), bytes.size()); };
    feed("\x05");
    EXPECT_EQ(feed(TRegisterSim::Frame("S$#012" + AnsiString(17, '0') + "0" + AnsiString(17, '0') + "0")), "\x40");
    EXPECT_EQ(feed("\x04"), "\x05");
    AnsiString frame = feed("\x06");
    EXPECT_EQ(frame, TRegisterSim::Frame("ER:13"));
    EXPECT_EQ(SubString(frame, 5, 2), "13");
    EXPECT_EQ(feed("\x06"), "\x04");
}

TEST(SimEngine, BadInputNeverBreaksIt) {
    TRegisterSim sim;
    AnsiString noise;
    for (int i = 0; i < 20000; ++i) noise += static_cast<char>((i * 131 + 7) & 0xFF);
    sim.OnBytes(noise.data(), noise.size());
    AnsiString huge = "\x02" + AnsiString(10000, 'A') + "\x03" + "0000";
    sim.OnConnect();
    sim.OnBytes("\x05", 1);
    EXPECT_EQ(sim.OnBytes(huge.data(), huge.size()), "\x15");
    // Still serving afterwards.
    EXPECT_EQ(sim.OnBytes("\x05", 1), "\x06");
}

#ifndef _WIN32
namespace {
bool EcrsimBuilt() {
    std::FILE* f = std::fopen((AnsiString(VELKORA_BIN_DIR) + "/ecrsim").c_str(), "rb");
    if (f) std::fclose(f);
    return f != nullptr;
}
}  // namespace

TEST(EcrsimProgram, ServesOneSessionOverTcp) {
    if (!EcrsimBuilt()) GTEST_SKIP() << "ecrsim not built";
    // A failed assertion skips pclose: the time limit keeps the simulator from outliving the test.
    AnsiString cmd =
        "timeout 60 " + AnsiString(VELKORA_BIN_DIR) + "/ecrsim --tcp 0 --once --register '" + DemoFile() + "'";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char line[64] = {0};
    ASSERT_NE(std::fgets(line, sizeof line, p), nullptr);
    int port = std::atoi(line);
    ASSERT_GT(port, 0);
    {
        TTestSink sink;
        TLTools tools;
        TEcrChannel ch(&sink, tools);
        ch.cfg.cfgMedium = md_tcpip;
        ch.cfg.ipAddress = "127.0.0.1";
        ch.cfg.ipPort = port;
        ch.cfg.cfgIpTimeoutMs = 2000;
        TEcrLink link(ch);
        TEcrTransfers transfers(link);
        ch.OpenPort();
        AnsiString status = transfers.ReadPacketSingle("p", rm_notresetting, 0, 0);
        EXPECT_GE(status.size(), 60u);
        EXPECT_EQ(SubString(transfers.ReadPacketSingle("P", rm_notresetting, 0, 0), 4, 1), "1");
        ch.ClosePort();
    }
    EXPECT_EQ(pclose(p), 0);
}

TEST(EcrsimProgram, ServesAPseudoTerminal) {
    if (!EcrsimBuilt()) GTEST_SKIP() << "ecrsim not built";
    // A failed assertion skips pclose: the time limit keeps the simulator from outliving the test.
    AnsiString cmd = "timeout 60 " + AnsiString(VELKORA_BIN_DIR) + "/ecrsim --pty --once --register '" + DemoFile() +
                     "' --fault nak,at=start";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char line[256] = {0};
    ASSERT_NE(std::fgets(line, sizeof line, p), nullptr);
    AnsiString path = Trim(line);
    ASSERT_FALSE(path.empty());
    {
        TTestSink sink;
        TLTools tools;
        TEcrChannel ch(&sink, tools);
        ch.cfg.cfgMedium = md_rs232;
        ch.cfg.portName = path;
        TEcrLink link(ch);
        TEcrTransfers transfers(link);
        ch.OpenPort();
        EXPECT_GE(transfers.ReadPacketSingle("p", rm_notresetting, 0, 0).size(), 60u);
        ch.ClosePort();
    }
    EXPECT_EQ(pclose(p), 0);
}
#endif
