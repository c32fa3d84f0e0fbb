// The Hayes modem emulator as a serial line: answer formats, escape guard times, modem
// lines and the read time-outs on the virtual clock.
#include "tests/ecr/ModemSupport.h"

namespace {

class HayesModemTest : public ModemFixture {
protected:
    void SetUp() override {
        ModemFixture::SetUp();
        line = std::make_unique<TMSerialPort>();
        line->SetPortName("COM7");
        line->SetActive(true);
    }
    void TearDown() override {
        line.reset();
        ModemFixture::TearDown();
    }

    void Send(const AnsiString& bytes) { line->Transmit(bytes.data(), static_cast<int>(bytes.size()), false); }
    // What the modem sent within the next milliseconds.
    AnsiString Answer(unsigned waitMs = 100) {
        Sleep(waitMs);
        AnsiString text(static_cast<size_t>(line->GetBytesInInBuf()), '\0');
        if (!text.empty()) text.resize(static_cast<size_t>(line->Receive(&text[0], static_cast<int>(text.size()))));
        return text;
    }
    void Connect() {
        modem->SetDefaultDial(THayesDial::Connected().After(1000));
        Send("ATDT42\r");
        ASSERT_EQ(Answer(1500), "ATDT42\r\r\nCONNECT 9600\r\n");
        ASSERT_TRUE(line->IsDCDHigh());
    }

    std::unique_ptr<TMSerialPort> line;
};

}  // namespace

TEST_F(HayesModemTest, VerbalAnswersWithEcho) {
    Send("AT\r");
    EXPECT_EQ(Answer(), "AT\r\r\nOK\r\n");
    Send("ATJ\r");
    EXPECT_EQ(Answer(), "ATJ\r\r\nERROR\r\n");
    Send("ATE0\r");
    EXPECT_EQ(Answer(), "ATE0\r\r\nOK\r\n");
    Send("AT\r");
    EXPECT_EQ(Answer(), "\r\nOK\r\n");
}

TEST_F(HayesModemTest, NumericAnswers) {
    Send("ATE0V0\r");
    EXPECT_EQ(Answer(), "ATE0V0\r0\r");
    Send("ATJ\r");
    EXPECT_EQ(Answer(), "4\r");
    Send("ATV1\r");
    EXPECT_EQ(Answer(), "\r\nOK\r\n");
    Send("AT&F\r");
    EXPECT_EQ(Answer(), "\r\nOK\r\n");
    EXPECT_TRUE(modem->Echo());
    Send("ATX2\r");
    EXPECT_EQ(Answer(), "ATX2\r\r\nOK\r\n");
    EXPECT_EQ(modem->XLevel(), 2);
    EXPECT_EQ(modem->Commands(), (std::vector<AnsiString>{"ATE0V0", "ATJ", "ATV1", "AT&F", "ATX2"}));
}

TEST_F(HayesModemTest, AnswersTakeTheirTime) {
    modem->SetCommandDelay(200);
    Send("ATE0\r");
    EXPECT_EQ(Answer(100), "ATE0\r");
    EXPECT_EQ(Answer(100), "\r\nOK\r\n");
}

TEST_F(HayesModemTest, DialOutcomesVerbalAndNumeric) {
    modem->SetDial("1", THayesDial::Result(THayesDial::Busy).After(2000));
    modem->SetDial("2", THayesDial::Result(THayesDial::NoDialtone).After(10));
    modem->SetDial("3", THayesDial::Result(THayesDial::NoAnswer).After(10));
    modem->SetDial("4", THayesDial::Result(THayesDial::NoCarrier).After(10));
    modem->SetDial("5", THayesDial::Connected("CONNECT 2400", 10).After(10));
    Send("ATE0\r");
    Answer();
    Send("ATDT1\r");
    EXPECT_EQ(Answer(1000), "");
    EXPECT_EQ(Answer(1100), "\r\nBUSY\r\n");
    Send("ATDT 2\r");
    EXPECT_EQ(Answer(), "\r\nNO DIALTONE\r\n");
    Send("ATDP3\r");
    EXPECT_EQ(Answer(), "\r\nNO ANSWER\r\n");
    Send("ATV0\r");
    Answer();
    Send("ATDT4\r");
    EXPECT_EQ(Answer(), "3\r");
    Send("ATD5\r");
    EXPECT_EQ(Answer(), "10\r");
    EXPECT_TRUE(modem->CallUp());
    EXPECT_TRUE(modem->Online());
}

TEST_F(HayesModemTest, AnyKeyAbortsADial) {
    modem->SetDefaultDial(THayesDial::Silent());
    Send("ATE0\r");
    Answer();
    Send("ATDT9\r");
    EXPECT_EQ(Answer(60000), "");
    Send("\r");
    EXPECT_EQ(Answer(), "\r\nNO CARRIER\r\n");
    Send("AT\r");
    EXPECT_EQ(Answer(), "\r\nOK\r\n");
}

TEST_F(HayesModemTest, DataPathAndEscape) {
    AnsiString atRegister;
    modem->SetDataPath([&](const AnsiString& bytes) {
        atRegister += bytes;
        return "[" + bytes + "]";
    });
    Connect();
    Send("abc");
    EXPECT_EQ(Answer(), "[abc]");
    // Pluses right after data are data.
    Send("+++");
    EXPECT_EQ(Answer(2000), "[+++]");
    EXPECT_TRUE(modem->Online());
    // Pluses after a second of silence, followed by data within the guard time, are data too.
    Sleep(1000);
    Send("+++");
    Sleep(500);
    Send("x");
    EXPECT_EQ(Answer(), "[+++x]");
    // A true escape: silence before and after.
    Sleep(1000);
    Send("+++");
    EXPECT_EQ(Answer(900), "");
    EXPECT_EQ(Answer(200), "\r\nOK\r\n");
    EXPECT_FALSE(modem->Online());
    EXPECT_TRUE(line->IsDCDHigh());
    EXPECT_EQ(modem->Commands().back(), "+++");
    Send("ATH\r");
    EXPECT_EQ(Answer(), "ATH\r\r\nOK\r\n");
    EXPECT_FALSE(line->IsDCDHigh());
    EXPECT_EQ(atRegister,
              "abc+++"
              "+++x");
}

TEST_F(HayesModemTest, BackOnlineAfterAnEscape) {
    modem->SetDataPath([](const AnsiString& bytes) { return bytes; });
    Connect();
    Sleep(1000);
    Send("+++");
    EXPECT_EQ(Answer(1100), "\r\nOK\r\n");
    Send("ATO\rhello");
    EXPECT_EQ(Answer(), "ATO\r\r\nCONNECT\r\nhello");
}

TEST_F(HayesModemTest, NoDataWithoutCarrier) {
    bool called = false;
    modem->SetDataPath([&](const AnsiString&) {
        called = true;
        return AnsiString("x");
    });
    modem->SetDefaultDial(THayesDial::WithoutCarrier().After(0));
    Send("ATDT1\r");
    EXPECT_EQ(Answer(), "ATDT1\r\r\nCONNECT 9600\r\n");
    EXPECT_FALSE(line->IsDCDHigh());
    Send("abc");
    EXPECT_EQ(Answer(), "");
    EXPECT_FALSE(called);
}

TEST_F(HayesModemTest, DtrDropHangsUp) {
    Connect();
    line->SetDTRLow();
    EXPECT_FALSE(line->IsDCDHigh());
    EXPECT_FALSE(modem->CallUp());
    EXPECT_FALSE(modem->DTR());
    line->SetDTRHigh();
    Send("AT\r");
    EXPECT_EQ(Answer(), "AT\r\r\nOK\r\n");
}

TEST_F(HayesModemTest, ClosingThePortHangsUp) {
    Connect();
    line->SetActive(false);
    EXPECT_FALSE(modem->IsOpen());
    EXPECT_FALSE(modem->CallUp());
}

TEST_F(HayesModemTest, RemoteHangUpReportsNoCarrier) {
    Connect();
    modem->RemoteHangUp();
    EXPECT_FALSE(line->IsDCDHigh());
    EXPECT_EQ(Answer(), "\r\nNO CARRIER\r\n");
    Send("AT\r");
    EXPECT_EQ(Answer(), "AT\r\r\nOK\r\n");
}

TEST_F(HayesModemTest, ConfiguredRepliesReplaceTheCommand) {
    modem->SetReply("ath", THayesModem::rError);
    modem->SetSilent("ATE0");
    modem->SetRawReply("ATI", "VELKORA\r\n");
    Connect();
    Sleep(1000);
    Send("+++");
    Answer(1100);
    Send("ATH\r");
    EXPECT_EQ(Answer(), "ATH\r\r\nERROR\r\n");
    EXPECT_TRUE(modem->CallUp());
    Send("ATE0\r");
    EXPECT_EQ(Answer(), "ATE0\r");
    EXPECT_TRUE(modem->Echo());
    Send("ATI\r");
    EXPECT_EQ(Answer(), "ATI\rVELKORA\r\n");
    modem->ClearReplies();
    Send("ATH\r");
    EXPECT_EQ(Answer(), "ATH\r\r\nOK\r\n");
    EXPECT_FALSE(modem->CallUp());
}

TEST_F(HayesModemTest, ReadWithNothingWaitsTheTotalTimeOut) {
    line->SetTo(0, 50);
    line->SetTo(1, 10);
    line->SetTo(2, 300);
    char buffer[8];
    uint32_t start = GetTickCount();
    EXPECT_EQ(modem->Read(buffer, 8), 0);
    EXPECT_EQ(GetTickCount() - start, 300u + 8 * 10u);
}

TEST_F(HayesModemTest, ReadStopsAtTheIntervalTimeOut) {
    line->SetTo(0, 50);
    line->SetTo(1, 0);
    line->SetTo(2, 5000);
    modem->Inject("AB", 100);
    modem->Inject("C", 400);
    char buffer[8];
    uint32_t start = GetTickCount();
    EXPECT_EQ(modem->Read(buffer, 8), 2);
    EXPECT_EQ(AnsiString(buffer, 2), "AB");
    EXPECT_EQ(GetTickCount() - start, 150u);
    EXPECT_EQ(modem->Read(buffer, 8), 1);
    EXPECT_EQ(buffer[0], 'C');
}

TEST_F(HayesModemTest, ReadGetsBytesArrivingWithinTheTimeOut) {
    line->SetTo(0, 0);
    line->SetTo(1, 0);
    line->SetTo(2, 1000);
    modem->Inject("A", 100);
    modem->Inject("B", 900);
    char buffer[2];
    uint32_t start = GetTickCount();
    EXPECT_EQ(modem->Read(buffer, 2), 2);
    EXPECT_EQ(GetTickCount() - start, 900u);
}

TEST_F(HayesModemTest, ReadWithoutTimeOutsNeverBlocksForEver) {
    line->SetTo(0, 0);
    line->SetTo(1, 0);
    line->SetTo(2, 0);
    char buffer[4];
    uint32_t start = GetTickCount();
    EXPECT_EQ(modem->Read(buffer, 4), 0);
    EXPECT_EQ(GetTickCount() - start, 0u);
    // With no time-out it waits for bytes that are on their way.
    modem->Inject("WXYZ", 700);
    EXPECT_EQ(modem->Read(buffer, 4), 4);
    EXPECT_EQ(GetTickCount() - start, 700u);
}

TEST_F(HayesModemTest, ReadReturnsAtOnceWithMaximalInterval) {
    line->SetTo(0, 0xFFFFFFFFu);
    line->SetTo(1, 0);
    line->SetTo(2, 0);
    modem->Inject("Q");
    char buffer[4];
    uint32_t start = GetTickCount();
    EXPECT_EQ(modem->Read(buffer, 4), 1);
    EXPECT_EQ(modem->Read(buffer, 4), 0);
    EXPECT_EQ(GetTickCount() - start, 0u);
}

TEST_F(HayesModemTest, PurgeDropsOnlyWhatArrived) {
    modem->Inject("old");
    modem->Inject("new", 500);
    line->PurgeInputBuffer();
    EXPECT_EQ(line->GetBytesInInBuf(), 0);
    EXPECT_EQ(Answer(600), "new");
}

TEST_F(HayesModemTest, EscapeGuardFollowsS12) {
    Connect();
    Send("+++");  // within a second of CONNECT: data
    EXPECT_EQ(Answer(1100), "");
    EXPECT_TRUE(modem->Online());
    Sleep(1000);
    Send("+++");
    EXPECT_EQ(Answer(1100), "\r\nOK\r\n");
    Send("ATS12=25\r");
    EXPECT_EQ(Answer(), "ATS12=25\r\r\nOK\r\n");
    Send("ATO\r");
    Answer();
    Sleep(500);
    Send("+++");
    EXPECT_EQ(Answer(600), "\r\nOK\r\n");
}

TEST_F(HayesModemTest, DeviceFactoryGivesEveryPortALineToTheSameModem) {
    line->SetActive(false);
    TMSerialPort other;
    other.SetPortName("COM9");
    other.SetActive(true);
    EXPECT_EQ(modem->LastPortName(), "COM9");
    EXPECT_EQ(modem->OpenCount(), 2);
    other.Transmit("AT\r", 3, false);
    Sleep(100);
    EXPECT_EQ(other.GetBytesInInBuf(), 9);
}

TEST(HayesModemRealClock, AnswersAndTimeOutsOnTheSystemClock) {
    auto modem = std::make_shared<THayesModem>();
    TMSerialPort::SetDeviceFactory(THayesModem::Factory(modem));
    {
        TMSerialPort port;
        port.SetPortName("COM1");
        port.SetTo(2, 50);
        port.SetActive(true);
        port.Transmit("AT\r", 3, false);
        AnsiString answer;
        for (;;) {
            char c = port.Get();
            if (port.BytesReceived == 0) break;
            answer += c;
        }
        EXPECT_EQ(answer, "AT\r\r\nOK\r\n");
        const uint32_t start = GetTickCount();
        port.Get();
        EXPECT_EQ(port.BytesReceived, 0);
        EXPECT_LT(GetTickCount() - start, 2000u);  // gives up, and soon
    }
    TMSerialPort::SetDeviceFactory({});
}
