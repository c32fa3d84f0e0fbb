// The modem dialogue of TModemPort against the Hayes modem emulator, on a virtual clock.
#include "tests/ecr/ModemSupport.h"

namespace {

const std::vector<AnsiString> kFullDialogue = {"AT&F", "ATE0", "ATX2", "ATV1", "ATDT123456"};

AnsiString T(const char* utf8) { return Ansi(utf8); }

}  // namespace

// --- opening the port ---

TEST_F(ModemFixture, OpenPortConfiguresTheLineForTheModem) {
    TModemPort& p = Open("COM3");
    EXPECT_TRUE(p.GetActive());
    EXPECT_EQ(modem->LastPortName(), "COM3");
    const TSerialSettings& s = modem->LastSettings();
    EXPECT_EQ(s.baudRate, br__9600);
    EXPECT_EQ(s.byteSize, bs8);
    EXPECT_EQ(s.stopBits, sb1_0);
    EXPECT_EQ(s.parity, parNone);
    EXPECT_EQ(s.inBufferSize, 2048u);
    EXPECT_EQ(s.outBufferSize, 2048u);
    EXPECT_EQ(s.timeouts.readInterval, 50u);
    EXPECT_EQ(s.timeouts.readTotalMultiplier, 50u);
    EXPECT_EQ(s.timeouts.readTotalConstant, 5000u);
    EXPECT_EQ(s.timeouts.writeTotalMultiplier, 50u);
    EXPECT_EQ(s.timeouts.writeTotalConstant, 5000u);
    EXPECT_TRUE(modem->DTR());
    EXPECT_TRUE(modem->RTS());
    EXPECT_FALSE(p.ConnectedViaModem);

    ASSERT_EQ(sink.calls.size(), 2u);
    EXPECT_TRUE(sink.calls[0].add);
    EXPECT_EQ(sink.calls[0].text, T(u8"Otwieranie portu komunikacyjnego ") + "COM3 ...");
    EXPECT_EQ(sink.calls[0].state, LPV_None);
    EXPECT_EQ(sink.calls[0].max, 100);
    EXPECT_FALSE(sink.calls[1].add);
    EXPECT_EQ(sink.calls[1].state, LPV_Ok);
}

TEST_F(ModemFixture, OpenPortOnAnActivePortDoesNothing) {
    TModemPort& p = Open("COM3");
    sink.calls.clear();
    p.OpenPort("COM4", br_19200, bs7, sb2_0, parEven);
    EXPECT_TRUE(sink.calls.empty());
    EXPECT_EQ(modem->OpenCount(), 1);
    EXPECT_EQ(modem->LastPortName(), "COM3");
}

TEST_F(ModemFixture, ConstructionTakesNoConnection) {
    TModemPort p(&sink);
    EXPECT_FALSE(p.ConnectedViaModem);
    EXPECT_FALSE(p.GetActive());
    EXPECT_EQ(p.ksaction, &sink);
    EXPECT_EQ(p.LgLink, nullptr);
}

// --- connecting ---

TEST_F(ModemFixture, ConnectVerbalFullDialogue) {
    Open();
    sink.calls.clear();
    const uint32_t start = GetTickCount();
    EXPECT_EQ(ConnectError(), "");
    EXPECT_TRUE(port->ConnectedViaModem);
    EXPECT_TRUE(modem->CallUp());
    EXPECT_TRUE(port->IsDCDHigh());
    EXPECT_EQ(modem->Commands(), kFullDialogue);
    EXPECT_FALSE(modem->Echo());
    EXPECT_TRUE(modem->Verbose());
    EXPECT_EQ(modem->XLevel(), 2);
    // At least 10 s of fixed waiting, however quick the modem.
    EXPECT_GE(Since(start), 10000u);

    // The progress lines: the connection, then each command marked OK.
    ASSERT_EQ(sink.calls.size(), 11u);
    EXPECT_EQ(sink.calls[0].text, T(u8"Nawiązywanie połączenia modemowego ..."));
    EXPECT_EQ(sink.calls[0].state, LPV_None);
    EXPECT_EQ(sink.calls[0].max, 100);
    for (size_t i = 0; i < kFullDialogue.size(); ++i) {
        const TProgressCall& add = sink.calls[1 + 2 * i];
        const TProgressCall& mark = sink.calls[2 + 2 * i];
        EXPECT_TRUE(add.add);
        EXPECT_EQ(add.text, kFullDialogue[i]);
        EXPECT_EQ(add.state, LPV_None);
        EXPECT_EQ(add.max, 100);
        EXPECT_FALSE(mark.add);
        EXPECT_EQ(mark.state, LPV_Ok);
    }
}

TEST_F(ModemFixture, ConnectWaitsExactlyTheFixedPausesWithAnInstantModem) {
    modem->SetCommandDelay(0);
    modem->SetDefaultDial(THayesDial::Connected().After(0));
    Open();
    const uint32_t start = GetTickCount();
    ASSERT_EQ(ConnectError(), "");
    // 3 s before, 0.3 s and 0.5 s settling per command, 3 s after the carrier.
    EXPECT_EQ(Since(start), 3000u + 5 * (300u + 500u) + 3000u);
}

TEST_F(ModemFixture, ConnectWaitsThreeSecondsAfterTheCarrier) {
    modem->SetCommandDelay(0);
    modem->SetDefaultDial(THayesDial::Connected().After(0));
    Open();
    ASSERT_EQ(ConnectError(), "");
    EXPECT_EQ(Since(modem->LastConnectTick()), 500u + 3000u);
}

TEST_F(ModemFixture, ConnectWithEchoLeftOn) {
    // A modem that keeps echoing: each answer comes after the echoed command.
    modem->SetReply("ATE0", THayesModem::rOk);
    Open();
    EXPECT_EQ(ConnectError(), "");
    EXPECT_TRUE(modem->Echo());
    EXPECT_TRUE(port->ConnectedViaModem);
    EXPECT_EQ(modem->Commands(), kFullDialogue);
}

TEST_F(ModemFixture, ConnectWithNumericAnswersEchoOff) {
    modem->SetFactoryProfile(false, false);
    modem->SetReply("ATV1", THayesModem::rOk);  // stays numeric
    modem->SetDefaultDial(THayesDial::Connected("CONNECT 9600", 1));
    Open();
    EXPECT_EQ(ConnectError(), "");
    EXPECT_FALSE(modem->Verbose());
    EXPECT_TRUE(port->ConnectedViaModem);
}

TEST_F(ModemFixture, ConnectWithNumericAnswersEchoOn) {
    modem->SetFactoryProfile(true, false);
    modem->SetReply("ATE0", THayesModem::rOk);
    modem->SetReply("ATV1", THayesModem::rOk);
    Open();
    EXPECT_EQ(ConnectError(), "");
    EXPECT_TRUE(modem->Echo());
    EXPECT_FALSE(modem->Verbose());
    EXPECT_TRUE(port->ConnectedViaModem);
}

class ModemConnectSpeed : public ModemFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(ModemConnectSpeed, AnyConnectTextConnects) {
    modem->SetDefaultDial(THayesDial::Connected(GetParam()));
    Open();
    EXPECT_EQ(ConnectError(), "");
    EXPECT_TRUE(port->ConnectedViaModem);
}

INSTANTIATE_TEST_SUITE_P(Texts, ModemConnectSpeed,
                         ::testing::Values("CONNECT", "CONNECT 19200", "CONNECT 2400", "CONNECT 9600/ARQ",
                                           "CONNECT 115200/V42BIS", "CONNECT 33600/LAPM"));

TEST_F(ModemFixture, NumericBusyAfterDialling) {
    modem->SetFactoryProfile(false, false);
    modem->SetReply("ATV1", THayesModem::rOk);
    modem->SetDefaultDial(THayesDial::Result(THayesDial::Busy));
    Open();
    EXPECT_EQ(ConnectError(), T(u8"Błąd! Druga strona zajęta."));
    EXPECT_FALSE(port->ConnectedViaModem);
}

TEST_F(ModemFixture, NumericConnectWithASpeedCodeIsNotAConnection) {
    // Only code 1 means CONNECT; a speed code is an unknown result.
    modem->SetFactoryProfile(false, false);
    modem->SetReply("ATV1", THayesModem::rOk);
    modem->SetDefaultDial(THayesDial::Connected("CONNECT 9600", 13));
    Open();
    EXPECT_EQ(ConnectError(), T(u8"Błąd inicjalizacji modemu! (") + "13)");
    EXPECT_FALSE(port->ConnectedViaModem);
}

struct DialFailure {
    THayesDial::TKind kind;
    const char* message;
};

class ModemDialFailure : public ModemFixture, public ::testing::WithParamInterface<DialFailure> {};

TEST_P(ModemDialFailure, RaisesItsMessage) {
    modem->SetDefaultDial(THayesDial::Result(GetParam().kind));
    Open();
    EXPECT_EQ(ConnectError(), T(GetParam().message));
    EXPECT_FALSE(port->ConnectedViaModem);
    EXPECT_FALSE(modem->CallUp());
    EXPECT_EQ(modem->Commands(), kFullDialogue);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ModemDialFailure,
    ::testing::Values(DialFailure{THayesDial::Busy, u8"Błąd! Druga strona zajęta."},
                      DialFailure{THayesDial::NoCarrier, u8"Błąd! Brak nośnej - brak modemu po drugiej stronie?"},
                      DialFailure{THayesDial::NoDialtone, u8"Błąd! Brak sygnału - czy modem podłączony do linii?"},
                      DialFailure{THayesDial::NoAnswer, u8"Błąd! Modem kasy nie odpowiada."},
                      DialFailure{THayesDial::Error, u8"Błąd inicjalizacji modemu! (4)"}));

TEST_F(ModemFixture, DialErrorMarksTheDialLineBeforeRaising) {
    modem->SetDefaultDial(THayesDial::Result(THayesDial::Error));
    Open();
    EXPECT_EQ(ConnectError(), T(u8"Błąd inicjalizacji modemu! (4)"));
    EXPECT_TRUE(sink.MarkedOk("ATDT123456"));
}

TEST_F(ModemFixture, DialTimeOutIsAnInitialisationErrorMinusOne) {
    modem->SetDefaultDial(THayesDial::Silent());
    Open();
    uint32_t start = GetTickCount();
    const AnsiString error = ConnectError("123456", 30);
    EXPECT_EQ(error, T(u8"Błąd inicjalizacji modemu! (-1)"));
    // The exact Windows-1250 bytes of the message.
    EXPECT_EQ(error, AnsiString("B\xB3\xB9"
                                "d inicjalizacji modemu! (-1)"));
    EXPECT_GE(Since(start), 3000u + 30000u);
    EXPECT_TRUE(sink.MarkedOk("ATDT123456"));
    EXPECT_FALSE(port->ConnectedViaModem);
}

TEST_F(ModemFixture, DialAnsweredAfterTheTimeOutIsTooLate) {
    modem->SetDefaultDial(THayesDial::Connected().After(31000));
    Open();
    EXPECT_EQ(ConnectError("123456", 30), T(u8"Błąd inicjalizacji modemu! (-1)"));
    EXPECT_FALSE(port->ConnectedViaModem);
}

TEST_F(ModemFixture, DialAnsweredJustInTimeConnects) {
    modem->SetDefaultDial(THayesDial::Connected().After(29000));
    Open();
    EXPECT_EQ(ConnectError("123456", 30), "");
    EXPECT_TRUE(port->ConnectedViaModem);
}

TEST_F(ModemFixture, DialTimeOfZeroStillWaitsForTheDial) {
    modem->SetDefaultDial(THayesDial::Connected().After(500));
    Open();
    EXPECT_EQ(ConnectError("123456", 0), "");
    EXPECT_TRUE(port->ConnectedViaModem);
}

TEST_F(ModemFixture, ControlBytesInThePhoneNumberAreNotSent) {
    Open();
    EXPECT_EQ(ConnectError("12\r34\n5"), "");
    EXPECT_EQ(modem->Commands().back(), "ATDT12345");
    EXPECT_EQ(modem->Commands().size(), 5u);
}

TEST_F(ModemFixture, NumberChoosesTheOutcome) {
    modem->SetDial("111", THayesDial::Result(THayesDial::Busy));
    modem->SetDial("222", THayesDial::Connected("CONNECT 14400"));
    Open();
    EXPECT_EQ(ConnectError("111"), T(u8"Błąd! Druga strona zajęta."));
    EXPECT_EQ(ConnectError("222"), "");
    EXPECT_TRUE(port->ConnectedViaModem);
}

TEST_F(ModemFixture, InitCommandUnanswered) {
    modem->SetSilent("ATX2");
    Open();
    const uint32_t start = GetTickCount();
    EXPECT_EQ(ConnectError(), T(u8"Brak odpowiedzi modemu!"));
    EXPECT_EQ(modem->Commands(), (std::vector<AnsiString>{"AT&F", "ATE0", "ATX2"}));
    EXPECT_GE(Since(start), 3000u + 2 * 800u + 300u + 20000u);
    EXPECT_FALSE(port->ConnectedViaModem);
}

TEST_F(ModemFixture, InitCommandAnsweredWithError) {
    modem->SetReply("ATE0", THayesModem::rError);
    Open();
    EXPECT_EQ(ConnectError(), T(u8"Błąd inicjalizacji modemu! (4)"));
    EXPECT_EQ(modem->Commands(), (std::vector<AnsiString>{"AT&F", "ATE0"}));
    EXPECT_TRUE(sink.MarkedOk("AT&F"));
    EXPECT_FALSE(sink.MarkedOk("ATE0"));
}

TEST_F(ModemFixture, InitCommandAnsweredWithAnotherResult) {
    modem->SetReply("ATV1", THayesModem::rNoCarrier);
    Open();
    EXPECT_EQ(ConnectError(), T(u8"Błąd inicjalizacji modemu! (3)"));
}

TEST_F(ModemFixture, InitCommandAnsweredWithGarbage) {
    modem->SetRawReply("AT&F", "\r\nWHAT?\r\n");
    Open();
    EXPECT_EQ(ConnectError(), T(u8"Brak odpowiedzi modemu!"));
}

TEST_F(ModemFixture, ConnectWithoutCarrier) {
    modem->SetDefaultDial(THayesDial::WithoutCarrier());
    Open();
    EXPECT_EQ(ConnectError(), T(u8"Błąd ! Brak nośnej!"));
    EXPECT_FALSE(port->ConnectedViaModem);
    EXPECT_TRUE(sink.MarkedOk("ATDT123456"));
    // Twenty seconds for the carrier after CONNECT (and its settling).
    EXPECT_GE(Since(modem->LastConnectTick()), 20000u);
    EXPECT_LT(Since(modem->LastConnectTick()), 21000u);
}

TEST_F(ModemFixture, CarrierRisingLateStillConnects) {
    THayesDial dial = THayesDial::Connected();
    dial.carrierDelayMs = 15000;
    modem->SetDefaultDial(dial);
    Open();
    EXPECT_EQ(ConnectError(), "");
    EXPECT_TRUE(port->ConnectedViaModem);
}

TEST_F(ModemFixture, ConnectOnAClosedPort) {
    port = std::make_unique<TModemPort>(&sink);
    EXPECT_EQ(ConnectError(), T(u8"Otwórz port komunikacyjny!"));
    EXPECT_TRUE(sink.calls.empty());
    EXPECT_TRUE(modem->Commands().empty());
}

TEST_F(ModemFixture, WorksWithoutAnAction) {
    port = std::make_unique<TModemPort>(nullptr);
    port->OpenPort("COM1", br_19200, bs8, sb1_0, parNone);
    EXPECT_EQ(port->LgLink, nullptr);
    EXPECT_EQ(ConnectError(), "");
    EXPECT_TRUE(port->ConnectedViaModem);
    EXPECT_TRUE(port->ModemDisconnect());
    EXPECT_FALSE(port->ConnectedViaModem);
}

// --- data after CONNECT ---

TEST_F(ModemFixture, DataReachesTheRegisterAfterConnect) {
    AnsiString atRegister;
    modem->SetDataPath([&](const AnsiString& bytes) {
        atRegister += bytes;
        if (bytes == "\x05") return AnsiString("\x06");
        if (bytes.size() > 1 && bytes[0] == '\x02')
            return AnsiString(
                "\x02"
                "ANSWER\x03");
        return AnsiString();
    });
    Open();
    ASSERT_EQ(ConnectError(), "");
    EXPECT_EQ(atRegister, "");  // the modem dialogue stays between the driver and its modem

    port->Transmit("\x05", 1, true);
    char c = port->Get();
    EXPECT_EQ(port->BytesReceived, 1);
    EXPECT_EQ(c, '\x06');

    const AnsiString frame =
        "\x02"
        "DATA+++MORE\x03";
    port->Transmit(frame.data(), static_cast<int>(frame.size()), true);
    AnsiString answer;
    for (;;) {
        char b = port->Get();
        if (port->BytesReceived == 0) break;
        answer += b;
        if (b == '\x03') break;
    }
    EXPECT_EQ(answer,
              "\x02"
              "ANSWER\x03");
    EXPECT_EQ(atRegister, "\x05" + frame);

    // Nothing more: one byte read gives up after 5000 ms + 50 ms for the byte.
    const uint32_t start = GetTickCount();
    port->Get();
    EXPECT_EQ(port->BytesReceived, 0);
    EXPECT_EQ(Since(start), 5050u);

    // Hang-up: the escape and ATH never reach the register.
    EXPECT_TRUE(port->ModemDisconnect());
    EXPECT_EQ(atRegister, "\x05" + frame);
}

TEST_F(ModemFixture, WholeChannelCycle) {
    int frames = 0;
    modem->SetDataPath([&](const AnsiString&) {
        ++frames;
        return AnsiString("\x06");
    });
    Open();
    ASSERT_EQ(ConnectError(), "");
    for (int i = 0; i < 3; ++i) {
        port->Transmit("\x05", 1, true);
        EXPECT_EQ(port->Get(), '\x06');
    }
    EXPECT_EQ(frames, 3);
    ASSERT_TRUE(port->ConnectedViaModem);
    EXPECT_TRUE(port->ModemDisconnect());
    port->SetActive(false);
    EXPECT_FALSE(modem->IsOpen());
    EXPECT_FALSE(modem->DTR());
    EXPECT_FALSE(modem->CallUp());
}

// --- hanging up ---

TEST_F(ModemFixture, HangUpWithCarrierEscapesFirst) {
    Open();
    ASSERT_EQ(ConnectError(), "");
    sink.calls.clear();
    const uint32_t start = GetTickCount();
    EXPECT_TRUE(port->ModemDisconnect());
    EXPECT_GE(Since(start), 6800u);
    EXPECT_LT(Since(start), 7500u);
    EXPECT_FALSE(port->ConnectedViaModem);
    EXPECT_FALSE(modem->CallUp());
    EXPECT_FALSE(port->IsDCDHigh());
    EXPECT_FALSE(modem->RTS());

    const auto& commands = modem->Commands();
    ASSERT_EQ(commands.size(), 7u);
    EXPECT_EQ(commands[5], "+++");
    EXPECT_EQ(commands[6], "ATH");

    ASSERT_EQ(sink.calls.size(), 3u);
    EXPECT_EQ(sink.calls[0].text, T(u8"Zamykanie połączenia modemowego ..."));
    EXPECT_EQ(sink.calls[0].state, LPV_None);
    EXPECT_EQ(sink.calls[0].max, 100);
    EXPECT_EQ(sink.calls[1].text, "ATH");
    EXPECT_EQ(sink.calls[1].state, LPV_None);
    EXPECT_FALSE(sink.calls[2].add);
    EXPECT_EQ(sink.calls[2].state, LPV_Ok);
}

TEST_F(ModemFixture, HangUpWithCarrierSendsTheEscapeWithItsPauses) {
    modem->SetCommandDelay(0);
    Open();
    ASSERT_EQ(ConnectError(), "");
    const AnsiString before = modem->Written();
    const uint32_t start = GetTickCount();
    EXPECT_TRUE(port->ModemDisconnect());
    EXPECT_EQ(modem->Written().substr(before.size()), "+++ATH\r");
    EXPECT_EQ(Since(start), 3000u + 1500u + 1500u + 300u + 500u);
}

TEST_F(ModemFixture, HangUpWithoutCarrierSendsAthDirectly) {
    Open();
    ASSERT_EQ(ConnectError(), "");
    modem->RemoteHangUp();
    EXPECT_FALSE(port->IsDCDHigh());
    const AnsiString before = modem->Written();
    const uint32_t start = GetTickCount();
    EXPECT_TRUE(port->ModemDisconnect());
    EXPECT_LT(Since(start), 1000u);
    EXPECT_EQ(modem->Written().substr(before.size()), "ATH\r");
    EXPECT_EQ(modem->Commands().back(), "ATH");
    for (const auto& c : modem->Commands()) EXPECT_NE(c, "+++");
    EXPECT_FALSE(port->ConnectedViaModem);
    EXPECT_TRUE(modem->RTS());  // RTS is only dropped for the escape
}

TEST_F(ModemFixture, HangUpUnanswered) {
    Open();
    ASSERT_EQ(ConnectError(), "");
    modem->SetSilent("ATH");
    const uint32_t start = GetTickCount();
    EXPECT_EQ(DisconnectError(), T(u8"Brak odpowiedzi modemu!"));
    EXPECT_GE(Since(start), 3000u + 1500u + 1500u + 300u + 80000u);
    EXPECT_TRUE(port->ConnectedViaModem);
}

TEST_F(ModemFixture, HangUpAnsweredOtherwise) {
    Open();
    ASSERT_EQ(ConnectError(), "");
    modem->SetReply("ATH", THayesModem::rError);
    EXPECT_EQ(DisconnectError(), T(u8"Problem z rozłączeniem połączenia telefonicznego. Spróbuj ręcznie!!!"));
    EXPECT_TRUE(port->ConnectedViaModem);
}

TEST_F(ModemFixture, HangUpOnAClosedPort) {
    port = std::make_unique<TModemPort>(&sink);
    EXPECT_FALSE(port->ModemDisconnect());
    EXPECT_TRUE(sink.calls.empty());
}

TEST_F(ModemFixture, HangUpAfterAFailedDialStillAnswers) {
    modem->SetDefaultDial(THayesDial::Result(THayesDial::NoCarrier));
    Open();
    EXPECT_NE(ConnectError(), "");
    EXPECT_TRUE(port->ModemDisconnect());
}

// --- one command ---

TEST_F(ModemFixture, TalkAndListenReadsTheLastLineOnly) {
    Open();
    modem->SetRawReply("ATI3", "\r\nERROR\r\n\r\nBUSY\r\n\r\nOK\r\n");
    EXPECT_EQ(port->TalkAndListen("ATI3", 200), 0);
    modem->SetRawReply("ATI4", "\r\nOK\r\n\r\nNO DIALTONE\r\n");
    EXPECT_EQ(port->TalkAndListen("ATI4", 200), 6);
}

TEST_F(ModemFixture, TalkAndListenWithEchoAndVerbalAnswers) {
    Open();
    ASSERT_TRUE(modem->Echo());
    EXPECT_EQ(port->TalkAndListen("AT", 200), 0);
    EXPECT_EQ(port->TalkAndListen("ATQ", 200), 0);
    EXPECT_EQ(port->TalkAndListen("ATJ", 200), 4);
}

TEST_F(ModemFixture, TalkAndListenWithNumericAnswers) {
    Open();
    EXPECT_EQ(port->TalkAndListen("ATV0", 200), 0);
    EXPECT_FALSE(modem->Verbose());
    EXPECT_EQ(port->TalkAndListen("AT", 200), 0);  // echo on: "AT\r0\r"
    EXPECT_EQ(port->TalkAndListen("ATJ", 200), 4);
    EXPECT_EQ(port->TalkAndListen("ATE0", 200), 0);
    EXPECT_EQ(port->TalkAndListen("ATJ", 200), 4);  // "4\r"
    modem->SetRawReply("ATI5", "13\r");
    EXPECT_EQ(port->TalkAndListen("ATI5", 200), 13);
    modem->SetRawReply("ATI6", "99999999999999999999\r");
    EXPECT_GT(port->TalkAndListen("ATI6", 200), 0);
}

TEST_F(ModemFixture, TalkAndListenSkipsOneLeadingLineFeed) {
    modem->SetFactoryProfile(false, true);
    Open();
    modem->SetRawReply("ATI1", "\r\nBUSY\r\n");
    EXPECT_EQ(port->TalkAndListen("ATI1", 200), 7);
    modem->SetRawReply("ATI2", "\r\n\nBUSY\r\n");  // a second line feed is part of the line
    EXPECT_EQ(port->TalkAndListen("ATI2", 200), -1);
    modem->SetRawReply("ATI3", "\rRING\r");
    EXPECT_EQ(port->TalkAndListen("ATI3", 200), 2);
}

TEST_F(ModemFixture, TalkAndListenReadsAtMost300Bytes) {
    modem->SetFactoryProfile(false, true);
    Open();
    // The answer line is taken from the first 300 bytes.
    modem->SetRawReply("ATI1", "\r\nBUSY\r\n" + AnsiString(400, 'A') + "\r\nOK\r\n");
    EXPECT_EQ(port->TalkAndListen("ATI1", 200), 7);
    // The rest of that answer is not left for the next command.
    EXPECT_EQ(port->GetBytesInInBuf(), 0);
    modem->SetRawReply("ATI2", AnsiString(299, 'A') + "\r\nOK\r\n");
    EXPECT_EQ(port->TalkAndListen("ATI2", 200), -1);
    modem->SetRawReply("ATI3", AnsiString(292, 'A') + "\r\nOK\r\n");  // exactly 300 bytes
    EXPECT_EQ(port->TalkAndListen("ATI3", 200), 0);
    EXPECT_EQ(port->TalkAndListen("AT", 200), 0);
}

TEST_F(ModemFixture, TalkAndListenReadsAnAnswerWithoutCrAsOneLine) {
    modem->SetFactoryProfile(false, true);
    Open();
    modem->SetRawReply("ATI1", "OK");
    EXPECT_EQ(port->TalkAndListen("ATI1", 200), 0);
    modem->SetRawReply("ATI2", "\nBUSY");
    EXPECT_EQ(port->TalkAndListen("ATI2", 200), 7);
    modem->SetRawReply("ATI3", "7");
    EXPECT_EQ(port->TalkAndListen("ATI3", 200), 7);
    modem->SetRawReply("ATI4", "HELLO");
    EXPECT_EQ(port->TalkAndListen("ATI4", 200), -1);
    modem->SetRawReply("ATI5", "\r");
    EXPECT_EQ(port->TalkAndListen("ATI5", 200), -1);
}

TEST_F(ModemFixture, TalkAndListenPrefixOrder) {
    modem->SetFactoryProfile(false, true);
    Open();
    const struct {
        const char* reply;
        int result;
    } cases[] = {
        {"\r\nOK\r\n", 0},       {"\r\nCONNECT 19200\r\n", 1}, {"\r\nCONNECT\r\n", 1}, {"\r\nCONNECT 1200/REL\r\n", 1},
        {"\r\nRING\r\n", 2},     {"\r\nNO CARRIER\r\n", 3},    {"\r\nERROR\r\n", 4},   {"\r\nNO DIALTONE\r\n", 6},
        {"\r\nBUSY\r\n", 7},     {"\r\nNO ANSWER\r\n", 8},     {"\r\nok\r\n", -1},     {"\r\n OK\r\n", -1},
        {"\r\nDELAYED\r\n", -1},
    };
    for (const auto& c : cases) {
        modem->SetRawReply("ATI9", c.reply);
        EXPECT_EQ(port->TalkAndListen("ATI9", 200), c.result) << c.reply;
    }
}

TEST_F(ModemFixture, TalkAndListenUnanswered) {
    Open();
    modem->SetSilent("ATI1");
    const uint32_t start = GetTickCount();
    EXPECT_EQ(port->TalkAndListen("ATI1", 150), -1);
    EXPECT_GE(Since(start), 300u + 1500u);
    EXPECT_LT(Since(start), 300u + 1600u);
}

TEST_F(ModemFixture, TalkAndListenWithoutWaiting) {
    Open();
    sink.calls.clear();
    const uint32_t start = GetTickCount();
    EXPECT_EQ(port->TalkAndListen("ATZ", 0), 0);
    EXPECT_EQ(Since(start), 300u);
    EXPECT_EQ(modem->Commands().back(), "ATZ");
    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(sink.calls[0].text, "ATZ");
    EXPECT_EQ(sink.calls[0].state, LPV_None);
}

TEST_F(ModemFixture, TalkAndListenWithANegativeTimeDoesNotHang) {
    Open();
    modem->SetSilent("ATI1");
    const uint32_t start = GetTickCount();
    EXPECT_EQ(port->TalkAndListen("ATI1", -5), -1);
    EXPECT_LT(Since(start), 1000u);
}

TEST_F(ModemFixture, TalkAndListenLetsTheAnswerSettle) {
    modem->SetFactoryProfile(false, true);
    Open();
    modem->SetSilent("ATI1");
    modem->Inject("\r\nCONN", 400);
    modem->Inject("ECT 9600\r\n", 800);
    EXPECT_EQ(port->TalkAndListen("ATI1", 200), 1);

    // A pause of more than half a second ends the answer.
    modem->SetSilent("ATI2");
    modem->Inject("\r\nNO CARRIER\r\n", 400);
    modem->Inject("\r\nOK\r\n", 1500);
    EXPECT_EQ(port->TalkAndListen("ATI2", 200), 3);
}

TEST_F(ModemFixture, TalkAndListenIgnoresBytesWaitingBeforeTheCommand) {
    modem->SetFactoryProfile(false, true);
    Open();
    modem->Inject("\r\nRING\r\n");
    Sleep(100);
    EXPECT_EQ(port->TalkAndListen("AT", 200), 0);
}

TEST_F(ModemFixture, TalkAndListenSendsTheCommandWithCr) {
    modem->SetFactoryProfile(false, true);
    Open();
    EXPECT_EQ(port->TalkAndListen("AT&F", 200), 0);
    EXPECT_EQ(modem->Written(), "AT&F\r");
}

// --- time and carrier ---

TEST_F(ModemFixture, Time100CountsHundredthsFromOneSharedMark) {
    TModemPort a(nullptr);
    TModemPort b(nullptr);
    EXPECT_EQ(a.Time100(false), 0u);
    clock.Advance(1234);
    EXPECT_EQ(a.Time100(true), 123u);
    EXPECT_EQ(b.Time100(true), 123u);
    b.Time100(false);
    clock.Advance(50);
    EXPECT_EQ(a.Time100(true), 5u);
}

TEST_F(ModemFixture, Time100IsZeroWhenTheClockReadsEarlier) {
    clock.Advance(100000);
    TModemPort::Time100(false);
    TVirtualClock earlier;  // ticks start far below the mark
    SetClock(&earlier);
    EXPECT_EQ(TModemPort::Time100(true), 0u);
    SetClock(&clock);
}

TEST_F(ModemFixture, Time100SurvivesTheTickCountWrapping) {
    clock.Advance(0xFFFFFFFFu - GetTickCount() - 500u);
    TModemPort::Time100(false);
    clock.Advance(1500);
    EXPECT_LT(GetTickCount(), 1500u);
    EXPECT_EQ(TModemPort::Time100(true), 150u);
}

TEST_F(ModemFixture, WaitOnDcdAcrossTheTickCountWrap) {
    Open();
    clock.Advance(0xFFFFFFFFu - GetTickCount() - 500u);
    const uint32_t start = GetTickCount();
    EXPECT_FALSE(port->WaitOnDCD(100, true));
    EXPECT_GE(Since(start), 1000u);
    EXPECT_LT(Since(start), 1100u);
}

TEST_F(ModemFixture, WaitOnDcdHighAndLow) {
    Open();
    uint32_t start = GetTickCount();
    EXPECT_TRUE(port->WaitOnDCD(100, false));
    EXPECT_EQ(Since(start), 0u);
    start = GetTickCount();
    EXPECT_FALSE(port->WaitOnDCD(100, true));
    EXPECT_GE(Since(start), 1000u);
    EXPECT_LT(Since(start), 1020u);

    ASSERT_EQ(ConnectError(), "");
    EXPECT_TRUE(port->WaitOnDCD(100, true));
    modem->RemoteHangUp();
    EXPECT_TRUE(port->WaitOnDCD(100, false));
}

TEST_F(ModemFixture, WaitOnDcdSeesTheCarrierRise) {
    THayesDial dial = THayesDial::Connected();
    dial.carrierDelayMs = 60000;
    modem->SetDefaultDial(dial.After(0));
    Open();
    EXPECT_EQ(port->TalkAndListen("ATDT1", 200), 1);
    EXPECT_FALSE(port->IsDCDHigh());
    EXPECT_TRUE(port->WaitOnDCD(6000, true));
    EXPECT_GE(Since(modem->LastConnectTick()), 60000u);
}

TEST_F(ModemFixture, MessagesGoNowhereWithoutAnAction) {
    TModemPort p(nullptr);
    p.MsgAdd("text", LPV_None, 100);
    p.MsgS(LPV_Ok);
    TModemPort q(&sink);
    q.MsgAdd("text", LPV_Percent, 7);
    q.MsgS(LPV_Error);
    ASSERT_EQ(sink.calls.size(), 2u);
    EXPECT_EQ(sink.calls[0].text, "text");
    EXPECT_EQ(sink.calls[0].state, LPV_Percent);
    EXPECT_EQ(sink.calls[0].max, 7);
    EXPECT_EQ(sink.calls[1].state, LPV_Error);
}

TEST(ModemAnswerLine, Cases) {
    EXPECT_EQ(TModemPort::AnswerLine("\r\nOK\r\n"), "OK");
    EXPECT_EQ(TModemPort::AnswerLine("AT&F\r\r\nOK\r\n"), "OK");
    EXPECT_EQ(TModemPort::AnswerLine("ATE0\r0\r"), "0");
    EXPECT_EQ(TModemPort::AnswerLine("0\r"), "0");
    EXPECT_EQ(TModemPort::AnswerLine("\r\nOK\r\nCONN"), "OK");  // an unfinished tail
    EXPECT_EQ(TModemPort::AnswerLine("\r\nOK\r\n\r\nCONN"), "");
    EXPECT_EQ(TModemPort::AnswerLine("OK"), "OK");
    EXPECT_EQ(TModemPort::AnswerLine("\nOK"), "OK");
    EXPECT_EQ(TModemPort::AnswerLine(""), "");
    EXPECT_EQ(TModemPort::AnswerLine("\r"), "");
    EXPECT_EQ(TModemPort::AnswerLine("\r\n\r\n"), "");
    EXPECT_EQ(TModemPort::AnswerResult(""), -1);
    EXPECT_EQ(TModemPort::AnswerResult("12abc"), 12);
    EXPECT_EQ(TModemPort::AnswerResult("CONNECT 19200/ARQ"), 1);
}

TEST_F(ModemFixture, TalkAndListenWaitsPastTheEchoForTheResult) {
    modem->SetDefaultDial(THayesDial::Connected("CONNECT 2400").After(7000));
    Open();
    ASSERT_TRUE(modem->Echo());
    const uint32_t start = GetTickCount();
    EXPECT_EQ(port->TalkAndListen("ATDT5", 1000), 1);
    EXPECT_GE(Since(start), 300u + 7000u + 500u);
}

TEST_F(ModemFixture, TalkAndListenWithOnlyAnEchoTimesOut) {
    modem->SetDefaultDial(THayesDial::Silent());
    Open();
    const uint32_t start = GetTickCount();
    EXPECT_EQ(port->TalkAndListen("ATDT5", 1000), -1);
    EXPECT_GE(Since(start), 300u + 10000u);
    EXPECT_LT(Since(start), 300u + 11000u);
}
