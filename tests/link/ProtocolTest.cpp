// The link protocol and the transfers against the simulated register, over a loopback TCP
// connection and over a pseudo-terminal, with faults injected on the register's side.
#include "tests/link/LinkRig.h"

namespace {

const AnsiString kStatus = "p01    131072       101       248VKA120034503100205TH-58000000";

class LinkTest : public ::testing::TestWithParam<TMediumKind> {
protected:
    void SetUp() override {
        if (GetParam() == TMediumKind::Pty && !TSimPty::Supported())
            GTEST_SKIP() << "no pseudo-terminals on this system";
        rig = std::make_unique<TLinkRig>(GetParam());
        rig->state->AddRecord("p", kStatus);
        rig->state->AddRecord("P", "P01");
    }
    std::unique_ptr<TLinkRig> rig;
};

AnsiString Msg(const char* utf8) { return Ansi(utf8); }

}  // namespace

// --- complete exchanges -------------------------------------------------------------

TEST_P(LinkTest, StatusReadIsOnePacket) {
    AnsiString packet = rig->transfers.ReadPacketSingle("p", rm_notresetting, 0, 0);
    EXPECT_EQ(packet, Packet(kStatus));
    EXPECT_EQ(SubString(packet, 4, 1), "1");
    ASSERT_EQ(rig->sim.StartPackets().size(), 1u);
    EXPECT_EQ(rig->sim.StartPackets()[0], "Sp0" + AnsiString(36, '0'));
    EXPECT_EQ(SubString(rig->transfers.ReadPacketSingle("P", rm_notresetting, 0, 0), 4, 1), "1");
}

TEST_P(LinkTest, SinglePacketReadKeepsTheLastPacket) {
    rig->state->AddRecord("2", "first");
    rig->state->AddRecord("2", "second");
    EXPECT_EQ(rig->transfers.ReadPacketSingle("2", rm_notresetting, -1, -1), Packet("second"));
    EXPECT_EQ(rig->sim.StartPackets()[0], "S20" + AnsiString(36, ' '));
}

TEST_P(LinkTest, SinglePacketReadOfNothingFails) {
    EXPECT_EQ(ErrorOf([&] { rig->transfers.ReadPacketSingle("L", rm_notresetting, -1, -1); }),
              Msg(u8"Błąd komunikacji"));
}

TEST_P(LinkTest, ReadTransferWithRangeAndReset) {
    rig->state->File("k#00").ranged = true;
    for (int n = 10; n < 20; ++n) rig->state->AddRecord("k#00", Format("receipt %d", n), n);
    auto packets = rig->ReadAll("k#00", rm_notresetting, 12, 14);
    ASSERT_EQ(packets.size(), 3u);
    EXPECT_EQ(packets[0], Packet("receipt 12"));
    EXPECT_EQ(packets[2], Packet("receipt 14"));
    EXPECT_EQ(rig->sim.Records("k#00").size(), 10u);

    packets = rig->ReadAll("k#00", rm_resetting, 18, -1);
    EXPECT_EQ(packets.size(), 2u);
    // A resetting read clears what it returned (seen by the next transfer, which the register
    // takes after the driver's answer to the end of this one).
    EXPECT_EQ(rig->ReadAll("k#00", rm_notresetting, -1, -1).size(), 8u);
}

TEST_P(LinkTest, AResettingReadClearsOnlyOnceTheDriverAnswersItsEnd) {
    rig->state->AddRecord("U", "counter 1");
    rig->state->AddRecord("U", "counter 2");
    size_t heldAtTheEnd = 0;
    rig->link.beforeEndOfTransfer = [&] { heldAtTheEnd = rig->sim.Records("U").size(); };
    EXPECT_EQ(rig->ReadAll("U", rm_resetting, -1, -1).size(), 2u);
    EXPECT_EQ(heldAtTheEnd, 2u);
    rig->link.beforeEndOfTransfer = nullptr;
    EXPECT_EQ(rig->ReadAll("U", rm_notresetting, -1, -1).size(), 0u);

    // A driver that cannot keep what it read does not answer, and the register keeps it.
    rig->state->AddRecord("U", "counter 3");
    rig->link.beforeEndOfTransfer = [] { throw Exception("disk full"); };
    EXPECT_EQ(ErrorOf([&] { rig->ReadAll("U", rm_resetting, -1, -1); }), "disk full");
    rig->link.beforeEndOfTransfer = nullptr;
    EXPECT_EQ(rig->ReadAll("U", rm_notresetting, -1, -1).size(), 1u);
}

TEST_P(LinkTest, ResettingReadOfCountersClearsThem) {
    rig->state->AddRecord("U", "counter 1");
    rig->state->AddRecord("U", "counter 2");
    EXPECT_EQ(rig->ReadAll("U", rm_notresetting, -1, -1).size(), 2u);
    EXPECT_EQ(rig->ReadAll("U", rm_resetting, -1, -1).size(), 2u);
    EXPECT_EQ(rig->ReadAll("U", rm_resetting, -1, -1).size(), 0u);
}

TEST_P(LinkTest, WriteTransferStoresEveryRecord) {
    std::vector<AnsiString> records;
    for (int i = 0; i < 20; ++i) records.push_back(Format("PLU%05d  goods name  @ \t %d", i, i * 7));
    rig->WriteAll("I#00", records);
    EXPECT_EQ(rig->sim.Written("I#00"), records);
    EXPECT_EQ(rig->sim.StartPackets()[0], "SI#001" + AnsiString(36, '0'));
    EXPECT_EQ(rig->sim.TransfersCompleted(), 1);
}

TEST_P(LinkTest, ResetTransfersClearTotalsAndGoods) {
    rig->state->AddRecord("U", "counter");
    rig->state->AddRecord("d", "packaging");
    rig->state->AddRecord("I#00", "goods");
    rig->transfers.BeginReset("i", rm_resetting, 1, -1);
    EXPECT_TRUE(rig->sim.Records("U").empty());
    EXPECT_TRUE(rig->sim.Records("d").empty());
    EXPECT_EQ(rig->sim.Records("I#00").size(), 1u);
    rig->transfers.BeginReset("i", rm_resetting, 6, -1);
    EXPECT_TRUE(rig->sim.Records("I#00").empty());
    auto starts = rig->sim.StartPackets();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0], "Si2" + AnsiString(17, ' ') + "1" + AnsiString(18, ' '));
    EXPECT_EQ(starts[1], "Si2" + AnsiString(17, ' ') + "6" + AnsiString(18, ' '));
    // The line is free again.
    EXPECT_EQ(rig->transfers.ReadPacketSingle("P", rm_notresetting, 0, 0), Packet("P01"));
}

TEST_P(LinkTest, ResetWithoutClosingEotFails) {
    rig->sim.AddFault("silence,at=end,file=i");
    EXPECT_EQ(ErrorOf([&] { rig->transfers.BeginReset("i", rm_resetting, 1, -1); }),
              Msg(u8"Kasa odpowiedziała nieprawidłowo (<-EOT)"));
}

// --- line request and start packet ---------------------------------------------------

TEST_P(LinkTest, EnqAnsweredWithNakIsRepeatedAfterALineReset) {
    rig->sim.AddFault("nak,at=enq");
    EXPECT_EQ(rig->transfers.ReadPacketSingle("p", rm_notresetting, 0, 0), Packet(kStatus));
    EXPECT_EQ(rig->sim.FaultsFired()[0], 1);
}

TEST_P(LinkTest, EnqNeverAcknowledged) {
    rig->sim.AddFault("silence,at=enq,count=0");
    EXPECT_EQ(ErrorOf([&] { rig->transfers.ReadPacketSingle("p", rm_notresetting, 0, 0); }),
              Msg(u8"Nie udało się nawiązać połączenia z kasą (ENQ->ACK)"));
    EXPECT_EQ(rig->sim.FaultsFired()[0], 2);
}

TEST_P(LinkTest, StartPacketNakedOnceIsSentAgainWithoutReset) {
    rig->sim.AddFault("nak,at=start");
    EXPECT_EQ(rig->transfers.ReadPacketSingle("p", rm_notresetting, 0, 0), Packet(kStatus));
    auto starts = rig->sim.StartPackets();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0], starts[1]);
}

TEST_P(LinkTest, StartPacketNeverAcknowledged) {
    rig->sim.AddFault("nak,at=start,count=0");
    EXPECT_EQ(ErrorOf([&] { rig->transfers.ReadPacketSingle("p", rm_notresetting, 0, 0); }),
              Msg(u8"Nie udało się nawiązać połączenia z kasą - pakiet :") + "p");
}

TEST_P(LinkTest, StartPacketRefusedWithRegisterError) {
    rig->sim.AddFault("error,at=start,code=17");
    try {
        rig->transfers.ReadPacketSingle("p", rm_notresetting, 0, 0);
        FAIL() << "no error";
    } catch (const ENativeException& e) {
        EXPECT_EQ(e.GetErrorCode(), 0x17);
        EXPECT_EQ(AnsiString(e.what()), Msg(u8"0x17 brak papieru"));
    }
    // The register ended the exchange; the next transfer works.
    EXPECT_EQ(rig->transfers.ReadPacketSingle("p", rm_notresetting, 0, 0), Packet(kStatus));
}

TEST_P(LinkTest, UnlistedRegisterErrorCode) {
    rig->state->SetError("$#01", 0x24);
    EXPECT_EQ(ErrorOf([&] { rig->ReadAll("$#01", rm_resetting, 0, 0); }),
              "0x24 " + Msg(u8"nieznany numer błędu (0x24) przysłany przez kasę (zobacz do instrukcji "
                            u8"protokołu komunikacji kasy)"));
}

TEST_P(LinkTest, NoEnqAfterTheDriversEot) {
    rig->sim.AddFault("silence,at=turn");
    EXPECT_EQ(ErrorOf([&] { rig->transfers.BeginRead("p", rm_notresetting, 0, 0); }),
              Msg(u8"Kasa niespodziewanie zerwała komunikację (<-ENQ)"));
}

TEST_P(LinkTest, OtherByteInsteadOfEnq) {
    rig->sim.AddFault("byte,at=turn,value=0x41");
    EXPECT_EQ(ErrorOf([&] { rig->transfers.BeginRead("p", rm_notresetting, 0, 0); }),
              Msg(u8"Kasa odpowiedziała nieprawidłowo (<-ENQ)"));
}

// --- the driver sends a data frame ------------------------------------------------------

TEST_P(LinkTest, DataFrameAcknowledged) {
    rig->transfers.BeginWrite("I#01");
    rig->link.SendPacket("unit 1");
    rig->link.ResetCommunication();
    EXPECT_EQ(rig->sim.Written("I#01"), std::vector<AnsiString>{"unit 1"});
}

TEST_P(LinkTest, DataFrameRepeatedAfterNakOtherByteOrNothing) {
    rig->sim.AddFault("nak,frame=1");
    rig->sim.AddFault("byte,frame=2,value=0x31");
    rig->sim.AddFault("silence,frame=3");
    rig->WriteAll("I#00", {"one", "two", "three", "four"});
    EXPECT_EQ(rig->sim.Written("I#00"), (std::vector<AnsiString>{"one", "two", "three", "four"}));
    EXPECT_EQ(rig->sim.FaultsFired(), (std::vector<int>{1, 1, 1}));
}

TEST_P(LinkTest, DataFrameSentThreeTimesAtMost) {
    rig->sim.AddFault("nak,frame=2,count=0");
    rig->transfers.BeginWrite("I#00");
    rig->link.SendPacket("one");
    EXPECT_EQ(ErrorOf([&] { rig->link.SendPacket("two"); }),
              Msg(u8"Nie udało się kilkukrotnie przesłać pakietu do kasy - pakiet :") + "two");
    EXPECT_EQ(rig->sim.FaultsFired()[0], 3);
    rig->link.ResetCommunication();
    EXPECT_EQ(rig->sim.Written("I#00"), std::vector<AnsiString>{"one"});
}

TEST_P(LinkTest, DataFrameRefusedWithRegisterError) {
    rig->StartLog(AnsiString("velkora-link-rvi-") + MediumName(GetParam()) + ".txt");
    rig->sim.AddFault("error,file=I#00,frame=2,code=18");
    rig->transfers.BeginWrite("I#00");
    rig->link.SendPacket("one");
    try {
        rig->link.SendPacket("two");
        FAIL() << "no error";
    } catch (const ENativeException& e) {
        EXPECT_EQ(e.GetErrorCode(), 0x18);
    }
    EXPECT_EQ(rig->sim.Written("I#00"), std::vector<AnsiString>{"one"});
    AnsiString log = rig->LogText();
    EXPECT_NE(log.find("<RVI>"), AnsiString::npos);
    EXPECT_NE(log.find("<- SendPacket NATIVE ERROR! (" + Msg(u8"baza PLU pełna") + ")"), AnsiString::npos);
    // A new write transfer goes on with the next record.
    rig->WriteAll("I#00", {"three"});
    EXPECT_EQ(rig->sim.Written("I#00"), (std::vector<AnsiString>{"one", "three"}));
}

TEST_P(LinkTest, ErrorCodeReadFromTheErrorFrame) {
    rig->sim.SetErrorFrame("ER:1A");
    rig->sim.AddFault("error,frame=1");
    rig->transfers.BeginWrite("I#00");
    EXPECT_EQ(ErrorOf([&] { rig->link.SendPacket("x"); }), Msg(u8"0x1A błąd wagi"));
    rig->sim.SetErrorFrame("ER:ZZ");
    rig->sim.AddFault("error,frame=1");
    rig->transfers.BeginWrite("I#00");
    EXPECT_EQ(ErrorOf([&] { rig->link.SendPacket("y"); }),
              Msg(u8"0xFF Qivera: Kasa przesłała zupełnie błędny pakiet błędu"));
}

TEST_P(LinkTest, ShortErrorFrameMeansTheNextAttempt) {
    rig->sim.AddFault("shorterror,frame=1");
    rig->transfers.BeginWrite("I#00");
    // The register ended the transfer with its report, so the remaining sends go unanswered.
    EXPECT_EQ(ErrorOf([&] { rig->link.SendPacket("x"); }),
              Msg(u8"Nie udało się kilkukrotnie przesłać pakietu do kasy - pakiet :") + "x");
}

TEST_P(LinkTest, NoEnqAfterRvi) {
    rig->sim.AddFault("error,frame=1,code=17");
    rig->sim.AddFault("silence,at=turn");
    rig->transfers.BeginWrite("I#00");
    EXPECT_EQ(ErrorOf([&] { rig->link.SendPacket("x"); }),
              Msg(u8"Kasa niespodziewanie zerwała komunikację (RVI-EOT-ENQ)"));
}

TEST_P(LinkTest, EotInsteadOfAcknowledgement) {
    rig->sim.AddFault("eot,frame=2");
    rig->transfers.BeginWrite("I#00");
    rig->link.SendPacket("one");
    EXPECT_EQ(ErrorOf([&] { rig->link.SendPacket("two"); }), Msg(u8"Kasa zerwała komunikację (EOT)"));
    // The driver answered EOT; the register is ready for the next transfer.
    EXPECT_EQ(rig->transfers.ReadPacketSingle("p", rm_notresetting, 0, 0), Packet(kStatus));
}

// --- the register sends data frames ---------------------------------------------------

TEST_P(LinkTest, BadCheckAnsweredWithNakAndRepeatedFrameAccepted) {
    rig->state->AddRecord("H", "group 1");
    rig->state->AddRecord("H", "group 2");
    rig->sim.AddFault("badcheck,frame=1");
    rig->sim.AddFault("badcheck,frame=2,count=2");
    auto packets = rig->ReadAll("H", rm_notresetting, 0, 64);
    EXPECT_EQ(packets, (std::vector<AnsiString>{Packet("group 1"), Packet("group 2")}));
    EXPECT_EQ(rig->sim.FaultsFired(), (std::vector<int>{1, 2}));
}

TEST_P(LinkTest, EtbAndLowerCaseCheckAccepted) {
    rig->state->AddRecord("w", "fiscal report");
    rig->sim.AddFault("etb,frame=1");
    rig->sim.AddFault("lowerhex,frame=1");
    EXPECT_EQ(rig->ReadAll("w", rm_notresetting, -1, -1), std::vector<AnsiString>{Packet("fiscal report", '\x17')});
    EXPECT_EQ(rig->sim.FaultsFired(), (std::vector<int>{1, 1}));
}

TEST_P(LinkTest, StrayBytesBetweenFramesIgnored) {
    rig->state->AddRecord("x", "data");
    rig->sim.AddFault("garbage,frame=1,value=40");
    EXPECT_EQ(rig->ReadAll("x", rm_notresetting, -1, -1), std::vector<AnsiString>{Packet("data")});
    EXPECT_EQ(rig->sim.FaultsFired()[0], 1);
}

TEST_P(LinkTest, NulInsideAFrameEndsThePacketAndFailsTheCheck) {
    rig->state->AddRecord("x", "0123456789");
    rig->sim.AddFault("nul,frame=1");
    EXPECT_EQ(rig->ReadAll("x", rm_notresetting, -1, -1), std::vector<AnsiString>{Packet("0123456789")});
    EXPECT_EQ(rig->sim.FaultsFired()[0], 1);
}

TEST_P(LinkTest, SilenceInsteadOfAFrame) {
    rig->state->AddRecord("x", "a");
    rig->state->AddRecord("x", "b");
    rig->sim.AddFault("silence,frame=2");
    rig->transfers.BeginRead("x", rm_notresetting, -1, -1);
    bool eot = false;
    EXPECT_EQ(rig->link.ReadPacketNext(eot), Packet("a"));
    EXPECT_EQ(ErrorOf([&] { rig->link.ReadPacketNext(eot); }),
              Msg(u8"Kasa niespodziewanie przestała przesyłać pakiety danych"));
    // The driver's EOT ended the transfer on both sides.
    EXPECT_EQ(rig->transfers.ReadPacketSingle("p", rm_notresetting, 0, 0), Packet(kStatus));
}

TEST_P(LinkTest, EotInTheMiddleOfAReadEndsIt) {
    for (int i = 0; i < 5; ++i) rig->state->AddRecord("U", Format("counter %d", i));
    rig->sim.AddFault("eot,frame=3");
    EXPECT_EQ(rig->ReadAll("U", rm_resetting, -1, -1).size(), 2u);
    EXPECT_EQ(rig->sim.Records("U").size(), 5u);  // not consumed: the transfer did not finish
}

TEST_P(LinkTest, FrameOfExactly800BytesAccepted) {
    AnsiString data(798, 'D');
    rig->state->AddRecord("x", data);
    auto packets = rig->ReadAll("x", rm_notresetting, -1, -1);
    ASSERT_EQ(packets.size(), 1u);
    EXPECT_EQ(packets[0].size(), 800u);
}

TEST_P(LinkTest, FrameOver800BytesFails) {
    rig->state->AddRecord("x", AnsiString(799, 'D'));
    EXPECT_EQ(ErrorOf([&] { rig->ReadAll("x", rm_notresetting, -1, -1); }),
              Msg(u8"Przekroczono rozmiar bufora komunikacyjnego!"));
}

TEST_P(LinkTest, OversizedFrameFails) {
    rig->state->AddRecord("x", "short");
    rig->sim.AddFault("oversize,frame=1,value=5000");
    EXPECT_EQ(ErrorOf([&] { rig->ReadAll("x", rm_notresetting, -1, -1); }),
              Msg(u8"Przekroczono rozmiar bufora komunikacyjnego!"));
}

TEST_P(LinkTest, BadFramesAnsweredWithNakAreBounded) {
    rig->StartLog(AnsiString("velkora-link-nak-") + MediumName(GetParam()) + ".txt");
    rig->state->AddRecord("x", "never right");
    rig->sim.strict.repeats = 0;  // a register that repeats without end
    rig->sim.AddFault("badcheck,frame=1,count=0");
    EXPECT_EQ(ErrorOf([&] { rig->ReadAll("x", rm_notresetting, -1, -1); }),
              Msg(u8"Kasa niespodziewanie przestała przesyłać pakiety danych"));
    EXPECT_EQ(CountOf(rig->LogText(), "-> <NAK>"), rig->link.maxNakFrames);
}

TEST_P(LinkTest, WackBytesAreBounded) {
    rig->state->AddRecord("x", "after waiting");
    rig->sim.AddFault("wack,frame=1,value=1000");
    EXPECT_EQ(rig->ReadAll("x", rm_notresetting, -1, -1), std::vector<AnsiString>{Packet("after waiting")});

    rig->sim.AddFault("wack,frame=1,value=1001");
    EXPECT_EQ(ErrorOf([&] { rig->ReadAll("x", rm_notresetting, -1, -1); }),
              Msg(u8"Kasa niespodziewanie przestała przesyłać pakiety danych"));
}

TEST_P(LinkTest, TrippedBoundsAreLoggedAsWhatHappened) {
    const struct {
        const char* fault;
        const char* logged;
        bool answer;  // the fault hits the answer to a line request (ReadData), not a frame
    } cases[] = {
        {"badcheck,frame=1,count=0", "<too many NAKed frames>", false},
        {"garbage,frame=1,value=40", "<too many stray bytes>", false},
        {"wack,frame=1,value=30", "<too many WACK>", false},
        {"wack,at=enq,value=30", "<too many WACK>", true},
    };
    for (const auto& c : cases) {
        rig = std::make_unique<TLinkRig>(GetParam());
        rig->StartLog(AnsiString("velkora-link-bound-") + MediumName(GetParam()) + ".txt");
        rig->state->AddRecord("x", "data");
        rig->link.maxNakFrames = 3;
        rig->link.maxIgnoredBytes = 20;
        rig->channel.cfg.maxWack = 20;
        rig->sim.AddFault(c.fault);
        if (c.answer) {
            rig->channel.SendData(AnsiString(1, EcrByte::ENQ));
            char ack = 0;
            EXPECT_EQ(rig->channel.ReadData(&ack, 1), 0) << c.fault;
        } else {
            EXPECT_EQ(ErrorOf([&] { rig->ReadAll("x", rm_notresetting, -1, -1); }),
                      Msg(u8"Kasa niespodziewanie przestała przesyłać pakiety danych"))
                << c.fault;
        }
        AnsiString log = rig->LogText();
        EXPECT_NE(log.find(AnsiString(" <- ") + c.logged + "\r\n"), AnsiString::npos) << c.fault;
        EXPECT_EQ(log.find("<timeout>"), AnsiString::npos) << c.fault;
    }
}

TEST_P(LinkTest, WackBeforeAcknowledgementsIsWaitedFor) {
    rig->sim.AddFault("wack,at=any,count=0,value=3");
    EXPECT_EQ(rig->transfers.ReadPacketSingle("p", rm_notresetting, 0, 0), Packet(kStatus));
    rig->WriteAll("I#00", {"a", "b"});
    EXPECT_EQ(rig->sim.Written("I#00").size(), 2u);
}

TEST_P(LinkTest, UserAbort) {
    EXPECT_NO_THROW(rig->link.ThrowPrzerwac());
    rig->sink.abort = true;
    EXPECT_EQ(ErrorOf([&] { rig->link.ThrowPrzerwac(); }), Msg(u8"Operacja przerwana przez użytkownika"));
}

TEST_P(LinkTest, ReadDataOfNothingLogsTimeout) {
    rig->StartLog(AnsiString("velkora-link-timeout-") + MediumName(GetParam()) + ".txt");
    char c = 0;
    EXPECT_EQ(rig->channel.ReadData(&c, 1), 0);
    EXPECT_NE(rig->LogText().find(" <- <timeout>\r\n"), AnsiString::npos);
}

TEST_P(LinkTest, CommunicationLogNamesControlBytes) {
    rig->StartLog(AnsiString("velkora-link-log-") + MediumName(GetParam()) + ".txt");
    rig->sim.AddFault("wack,frame=1,value=2");
    rig->transfers.ReadPacketSingle("p", rm_notresetting, 0, 0);
    rig->WriteAll("I#00", {"A@B\tC"});
    AnsiString log = rig->LogText();
    for (const char* name : {"<ENQ>", "<ACK>", "<STX>", "<ETX>", "<EOT>", "<WACK>"})
        EXPECT_NE(log.find(name), AnsiString::npos) << name;
    EXPECT_NE(log.find("   -> BeginRead(\"p\", not resetting, beg: 0, end: 0)\r\n"), AnsiString::npos);
    EXPECT_NE(log.find("   <- BeginRead OK\r\n"), AnsiString::npos);
    EXPECT_NE(log.find("   -> BeginWrite(\"I#00\")\r\n"), AnsiString::npos);
    EXPECT_NE(log.find("   <- BeginWrite OK\r\n"), AnsiString::npos);
    EXPECT_NE(log.find("   <- ReadPacket OK\r\n"), AnsiString::npos);
    EXPECT_NE(log.find("   <- ReadPacket EOT\r\n"), AnsiString::npos);
    EXPECT_NE(log.find("   <- SendPacket OK\r\n"), AnsiString::npos);
    EXPECT_NE(log.find(" -> <STX>Sp0" + AnsiString(36, '0') + "<ETX>006B\r\n"), AnsiString::npos);
    // '@' and TAB are shown by name in the log only; the register got the bytes themselves.
    EXPECT_NE(log.find(" -> <STX>A<RVI>B<WACK>C<ETX>"), AnsiString::npos);
    EXPECT_EQ(rig->sim.Written("I#00"), std::vector<AnsiString>{"A@B\tC"});
    EXPECT_EQ(log.find('\x02'), AnsiString::npos);
}

INSTANTIATE_TEST_SUITE_P(Media, LinkTest, ::testing::Values(TMediumKind::Tcp, TMediumKind::Pty),
                         [](const ::testing::TestParamInfo<TMediumKind>& info) { return MediumName(info.param); });
