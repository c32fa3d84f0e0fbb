// The channel: media, opening and closing, progress lines, line settings, time-outs.
#include <thread>

#include "ecr/ModemPort.h"
#include "platform/LineError.h"
#include "platform/Os.h"
#include "sim/HayesModem.h"
#include "tests/link/LinkRig.h"

namespace {

AnsiString Msg(const char* utf8) { return Ansi(utf8); }

// A serial line that records how it was set up and answers nothing.
class TRecordingDevice : public TSerialDevice {
public:
    static TSerialSettings lastSettings;
    static int opened;
    void Open(const TSerialSettings& settings) override {
        lastSettings = settings;
        ++opened;
    }
    void Close() override {}
    void SetTimeouts(const TSerialTimeouts& t) override { lastSettings.timeouts = t; }
    int Write(const char*, int count, bool) override { return count; }
    int Read(char*, int) override { return 0; }
    int InCount() override { return 0; }
    void PurgeInput() override {}
    void SetDTR(bool) override {}
    void SetRTS(bool) override {}
    bool DCD() override { return false; }
};
TSerialSettings TRecordingDevice::lastSettings;
int TRecordingDevice::opened = 0;

// A serial line that takes no byte written.
class TStuckDevice : public TRecordingDevice {
public:
    int Write(const char*, int, bool) override { return 0; }
};

struct TFactoryGuard {
    explicit TFactoryGuard(TSerialDeviceFactory f) { TMSerialPort::SetDeviceFactory(std::move(f)); }
    ~TFactoryGuard() { TMSerialPort::SetDeviceFactory(nullptr); }
};

}  // namespace

TEST(Channel, SpeedFromParameter) {
    TTestSink sink;
    TLTools tools;
    TEcrChannel ch(&sink, tools);
    const TMBaudRate expected[] = {br__1200, br__2400, br__4800, br__9600, br_19200, br_38400, br_57600, br115200};
    for (int i = 0; i < 8; ++i) {
        ch.cfg.speed = i;
        EXPECT_EQ(ch.Speed(), expected[i]);
    }
    for (int v : {-1, 8, 100}) {
        ch.cfg.speed = v;
        EXPECT_EQ(ch.Speed(), br__9600);
    }
}

TEST(Channel, FileMediumOpensAndSendsNothing) {
    TTestSink sink;
    TLTools tools;
    TEcrChannel ch(&sink, tools);
    ch.cfg.cfgMedium = md_file;
    ch.OpenPort();
    ch.SendData("\x05");
    char c = 0;
    EXPECT_EQ(ch.ReadByte(c), 0);
    ch.ClosePort();
    EXPECT_TRUE(sink.lines.empty());
}

TEST(Channel, SerialLineSetUpAsTheRegisterExpects) {
    TFactoryGuard guard([](const AnsiString&) { return std::make_unique<TRecordingDevice>(); });
    TTestSink sink;
    TLTools tools;
    TEcrChannel ch(&sink, tools);
    ch.cfg.cfgMedium = md_rs232;
    ch.cfg.portName = "COM3";
    ch.cfg.speed = 4;
    TRecordingDevice::opened = 0;
    ch.OpenPort();
    EXPECT_EQ(TRecordingDevice::opened, 1);
    const TSerialSettings& s = TRecordingDevice::lastSettings;
    EXPECT_EQ(s.portName, "COM3");
    EXPECT_EQ(s.baudRate, br_19200);
    EXPECT_EQ(s.byteSize, bs8);
    EXPECT_EQ(s.stopBits, sb1_0);
    EXPECT_EQ(s.parity, parNone);
    EXPECT_EQ(s.timeouts.readInterval, 3000u);
    EXPECT_EQ(s.timeouts.readTotalMultiplier, 50u);
    EXPECT_EQ(s.timeouts.readTotalConstant, 5000u);
    EXPECT_EQ(s.timeouts.writeTotalMultiplier, 50u);
    EXPECT_EQ(s.timeouts.writeTotalConstant, 5000u);
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(sink.lines[0].text, Msg(u8"Otwieranie portu komunikacyjnego ") + "COM3");
    EXPECT_EQ(sink.lines[0].state, LPV_Ok);
    // An active line is not opened again.
    ch.OpenPort();
    EXPECT_EQ(TRecordingDevice::opened, 1);
    ch.ClosePort();
    ASSERT_EQ(sink.lines.size(), 2u);
    EXPECT_EQ(sink.lines[1].text, Msg(u8"Zamykanie portu komunikacyjnego"));
    EXPECT_EQ(sink.lines[1].state, LPV_Ok);
    EXPECT_FALSE(ch.IsOpen());
    ch.ClosePort();  // closed already: nothing
    EXPECT_EQ(sink.lines.size(), 2u);
}

TEST(Channel, SerialPortThatCannotOpen) {
    TTestSink sink;
    TLTools tools;
    TEcrChannel ch(&sink, tools);
    ch.cfg.cfgMedium = md_rs232;
#ifdef _WIN32
    ch.cfg.portName = "COM9";
#else
    ch.cfg.portName = "/nonexistent/tty-velkora";
#endif
    // In the user's words, with the system's reason after the port's name.
    AnsiString error = ErrorOf([&] { ch.OpenPort(); });
    AnsiString words = Msg(u8"Nie można otworzyć portu komunikacyjnego ") + ch.cfg.portName + ": ";
    EXPECT_TRUE(StartsWith(error, words) && error.size() > words.size()) << error;
    EXPECT_FALSE(ch.IsOpen());
    ASSERT_FALSE(sink.lines.empty());
    EXPECT_EQ(sink.lines.back().state, LPV_Error);
}

TEST(Channel, LineFailuresAreShownInTheUsersWords) {
    const struct {
        TLineFault fault;
        const char* words;
    } cases[] = {
        {lfPortOpen, u8"Nie można otworzyć portu komunikacyjnego"},
        {lfPortSetup, u8"Nie można skonfigurować portu komunikacyjnego"},
        {lfPortWrite, u8"Błąd zapisu do portu komunikacyjnego"},
        {lfPortWriteTimeout, u8"Przekroczono czas zapisu do portu komunikacyjnego"},
        {lfPortRead, u8"Błąd odczytu z portu komunikacyjnego"},
        {lfAddress, u8"Nieprawidłowy lub nieznany adres TCP/IP"},
        {lfConnect, u8"Nie można nawiązać połączenia TCP/IP z"},
        {lfSend, u8"Błąd wysyłania danych przez połączenie TCP/IP"},
        {lfReceive, u8"Błąd odbioru danych z połączenia TCP/IP"},
    };
    for (const auto& c : cases) {
        TFactoryGuard guard([&](const AnsiString& name) -> std::unique_ptr<TSerialDevice> {
            throw ELineError(c.fault, name, "Access is denied. (5)");
        });
        TTestSink sink;
        TLTools tools;
        TEcrChannel ch(&sink, tools);
        ch.cfg.cfgMedium = md_rs232;
        ch.cfg.portName = "COM7";
        EXPECT_EQ(ErrorOf([&] { ch.OpenPort(); }), Msg(c.words) + " COM7: Access is denied. (5)");
        EXPECT_EQ(sink.lines.back().state, LPV_Error);
    }
    // On an open line: bytes the port does not take in time, and a line closed meanwhile.
    TFactoryGuard guard([](const AnsiString&) { return std::make_unique<TStuckDevice>(); });
    TTestSink sink;
    TLTools tools;
    TEcrChannel ch(&sink, tools);
    ch.cfg.cfgMedium = md_rs232;
    ch.cfg.portName = "COM7";
    ch.OpenPort();
    EXPECT_EQ(ErrorOf([&] { ch.SendData("\x05"); }), Msg(u8"Przekroczono czas zapisu do portu komunikacyjnego COM7"));
    ch.ClosePort();
    EXPECT_EQ(ErrorOf([&] { ch.SendData("\x05"); }), Msg(u8"Port komunikacyjny nie jest otwarty"));
}

TEST(Channel, TcpConnectionRefused) {
    int port = 0;
    {
        TRegisterSim sim;
        TSimTcpServer probe(sim, 0);  // a port that was free a moment ago
        port = probe.Port();
    }
    TTestSink sink;
    TLTools tools;
    TEcrChannel ch(&sink, tools);
    ch.cfg.cfgMedium = md_tcpip;
    ch.cfg.ipAddress = "127.0.0.1";
    ch.cfg.ipPort = port;
    AnsiString error = ErrorOf([&] { ch.OpenPort(); });
    AnsiString words = Msg(u8"Nie można nawiązać połączenia TCP/IP z ") + "127.0.0.1:" + IntToStr(port) + ": ";
    EXPECT_TRUE(StartsWith(error, words) && error.size() > words.size()) << error;
    EXPECT_FALSE(ch.IsOpen());
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(sink.lines[0].text, Msg(u8"Nawiązywanie połączenia TCP/IP"));
    EXPECT_EQ(sink.lines[0].state, LPV_Error);
}

TEST(Channel, TcpOpenAndClose) {
    TLinkRig rig(TMediumKind::Tcp);
    ASSERT_TRUE(rig.channel.IsOpen());
    ASSERT_EQ(rig.sink.lines.size(), 1u);
    EXPECT_EQ(rig.sink.lines[0].state, LPV_Ok);
    rig.channel.OpenPort();  // open already
    rig.channel.ClosePort();
    EXPECT_FALSE(rig.channel.IsOpen());
    ASSERT_EQ(rig.sink.lines.size(), 2u);
    EXPECT_EQ(rig.sink.lines[1].text, Msg(u8"Zamykanie połączenia TCP/IP"));
    EXPECT_EQ(rig.sink.lines[1].state, LPV_Ok);
    rig.channel.ClosePort();
    EXPECT_EQ(rig.sink.lines.size(), 2u);
}

TEST(Channel, TcpZeroTimeoutDoesNotWait) {
    TLinkRig rig(TMediumKind::Tcp);
    rig.channel.cfg.cfgIpTimeoutMs = 0;
    char c = 0;
    EXPECT_EQ(rig.channel.ReadByte(c), 0);
}

TEST(Channel, EotWhileReadingDataIsAnsweredAndReported) {
    TLinkRig rig(TMediumKind::Tcp);
    rig.StartLog("velkora-channel-eot.txt");
    // A lenient register answers a lone EOT in the idle state with EOT.
    rig.sim.strict.nakWhenIdle = false;
    rig.channel.SendData(AnsiString(1, EcrByte::EOT));
    char buf[4];
    EXPECT_EQ(ErrorOf([&] { rig.channel.ReadData(buf, 4); }), Msg(u8"Kasa zerwała komunikację (EOT)"));
    AnsiString log = rig.LogText();
    EXPECT_NE(log.find(" <- <EOT>\r\n"), AnsiString::npos);
    EXPECT_EQ(CountOf(log, " -> <EOT>\r\n"), 2);
}

TEST(Channel, DroppedConnection) {
    TLinkRig rig(TMediumKind::Tcp);
    rig.state->AddRecord("U", "one");
    rig.state->AddRecord("U", "two");
    rig.state->AddRecord("P", "P01");
    rig.sim.AddFault("drop,frame=2");
    rig.transfers.BeginRead("U", rm_resetting, -1, -1);
    bool eot = false;
    EXPECT_EQ(rig.link.ReadPacketNext(eot), Packet("one"));
    EXPECT_EQ(ErrorOf([&] { rig.link.ReadPacketNext(eot); }),
              Msg(u8"Kasa niespodziewanie przestała przesyłać pakiety danych"));
    rig.channel.ClosePort();
    rig.channel.OpenPort();
    EXPECT_EQ(rig.transfers.ReadPacketSingle("P", rm_notresetting, 0, 0), Packet("P01"));
    EXPECT_EQ(rig.sim.Records("U").size(), 2u);
}

TEST(Channel, RegisterThatNeverEndsASingleRead) {
    TLinkRig rig(TMediumKind::Tcp);
    for (int i = 0; i < 30; ++i) rig.state->AddRecord("L", Format("date %d", i));
    rig.transfers.maxSinglePackets = 10;
    EXPECT_EQ(ErrorOf([&] { rig.transfers.ReadPacketSingle("L", rm_notresetting, -1, -1); }),
              Msg(u8"Błąd komunikacji"));
}

#ifndef _WIN32
TEST(SerialLine, ReadTimesOutOnASilentLine) {
    TRegisterSim sim;
    TSimPty pty(sim);
    TMSerialPort port;
    port.SetPortName(pty.SlavePath());
    port.SetTo(2, 100);
    port.SetActive(true);
    char c = port.Get();
    EXPECT_EQ(port.BytesReceived, 0);
    EXPECT_EQ(c, 0);
    port.SetActive(false);
}

TEST(SerialLine, BytesBothWays) {
    TRegisterSim sim;
    TSimPty pty(sim);
    pty.Start();
    TMSerialPort port;
    port.SetPortName(pty.SlavePath());
    port.SetTo(0, 100);
    port.SetTo(1, 10);
    port.SetTo(2, 1000);
    port.SetActive(true);
    port.Transmit("\x05", 1, true);
    char c = port.Get();
    EXPECT_EQ(port.BytesReceived, 1);
    EXPECT_EQ(c, '\x06');
    port.SetDTRHigh();  // no modem lines on a pseudo-terminal: ignored
    port.SetRTSLow();
    EXPECT_FALSE(port.IsDCDHigh());
    port.SetActive(false);
    pty.Stop();
}
#endif

TEST(Channel, ModemLineCarriesTheProtocol) {
    TVirtualClock clock;
    SetClock(&clock);
    TRegisterSim sim;
    sim.State().AddRecord("P", "P01");
    auto modem = std::make_shared<THayesModem>();
    modem->SetDataPath([&](const AnsiString& bytes) { return sim.OnBytes(bytes.data(), bytes.size()); });
    modem->SetDial("555123", THayesDial::Connected().After(2000));
    TFactoryGuard guard(THayesModem::Factory(modem));
    {
        TTestSink sink;
        TLTools tools;
        TEcrChannel ch(&sink, tools);
        ch.cfg.cfgMedium = md_rs232;
        ch.cfg.portName = "COM2";
        ch.cfg.modemPhone = "555123";
        ch.cfg.modemTimeout = 60;
        ch.OpenPort();
        ASSERT_TRUE(ch.IsOpen());
        EXPECT_TRUE(modem->CallUp());
        TEcrLink link(ch);
        TEcrTransfers transfers(link);
        EXPECT_EQ(transfers.ReadPacketSingle("P", rm_notresetting, 0, 0), Packet("P01"));
        ch.ClosePort();
        EXPECT_FALSE(ch.IsOpen());
        EXPECT_EQ(sink.lines.back().text, Msg(u8"Zamykanie portu komunikacyjnego"));
    }
    bool dialled = false, hungUp = false;
    for (const AnsiString& c : modem->Commands()) {
        dialled = dialled || c == "ATDT555123";
        hungUp = hungUp || c == "ATH";
    }
    EXPECT_TRUE(dialled);
    EXPECT_TRUE(hungUp);
    SetClock(nullptr);
}

TEST(Channel, TcpWithoutAnAddressFails) {
    TTestSink sink;
    TLTools tools;
    TEcrChannel ch(&sink, tools);
    ch.cfg.cfgMedium = md_tcpip;
    ch.cfg.ipPort = 4001;
    AnsiString error = ErrorOf([&] { ch.OpenPort(); });
    EXPECT_TRUE(StartsWith(error, Msg(u8"Nieprawidłowy lub nieznany adres TCP/IP :4001"))) << error;
    EXPECT_FALSE(ch.IsOpen());
}

// A register on a real serial port (for instance Wine's COM7 linked to the pseudo-terminal
// of "ecrsim --pty --register sim/demo-register.txt"): VELKORA_LINK_SERIAL=COM7.
TEST(Channel, SystemSerialPortWhenConfigured) {
    const char* port = std::getenv("VELKORA_LINK_SERIAL");
    if (!port || !*port) GTEST_SKIP() << "VELKORA_LINK_SERIAL not set";
    TTestSink sink;
    TLTools tools;
    TEcrChannel ch(&sink, tools);
    ch.cfg.cfgMedium = md_rs232;
    ch.cfg.portName = port;
    ch.cfg.speed = 4;
    TEcrLink link(ch);
    TEcrTransfers transfers(link);
    ch.OpenPort();
    EXPECT_GE(transfers.ReadPacketSingle("p", rm_notresetting, 0, 0).size(), 60u);
    EXPECT_EQ(SubString(transfers.ReadPacketSingle("P", rm_notresetting, 0, 0), 4, 1), "1");
    char c = 0;
    EXPECT_EQ(ch.ReadByte(c), 0);  // nothing more: a full read time-out
    ch.ClosePort();
}
