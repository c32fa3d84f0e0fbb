// The connection test end to end: the host calls the library, the library talks to the
// simulated register over loopback TCP or a pseudo-terminal.
#include <chrono>
#include <filesystem>

#include "sim/NovitusRegister.h"
#include "sim/RegisterSim.h"
#include "sim/SimServer.h"
#include "tests/exports/HostFixture.h"

namespace {

const char kOk[] = "\x01OK";

class ConnectionTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        state = std::make_shared<TNovitusRegister>();
        state->LoadFile(AnsiString(VELKORA_TEST_DATA) + "/../../sim/demo-register.txt");
        sim = std::make_unique<TRegisterSim>(state);
    }
    void TearDown() override {
        if (server) server->Stop();
        HostFixture::TearDown();
    }
    void ServeTcp() {
        server = std::make_unique<TSimTcpServer>(*sim, 0);
        server->Start();
        host->params["NovitusECRPort"] = "TCP/IP";
        host->params["NovitusECRIpAddress"] = "127.0.0.1";
        host->params["NovitusECRIpPort"] = IntToStr(server->Port());
        host->params["NovitusECRIpTimeout"] = "2";
    }
    void SetStatus(const AnsiString& data) {
        auto lock = sim->Lock();
        state->File("p").records.clear();
        state->AddRecord("p", data);
    }

    std::shared_ptr<TRegisterState> state;
    std::unique_ptr<TRegisterSim> sim;
    std::unique_ptr<TSimTcpServer> server;
};

TEST_F(ConnectionTest, StatusIsShownLineByLineAndTheNumberChecked) {
    Register();
    ServeTcp();
    const auto r = host->Operation(-1);
    EXPECT_EQ(r.result, 0);
    const std::vector<AnsiString> expected = {
        AnsiString("Nawi\xB9zywanie po\xB3\xB9\x63zenia TCP/IP") + kOk,
        AnsiString("Odczyt konfiguracji") + kOk,
        "Status kasy: FISKALNA",
        "Ilo\x9C\xE6 wolnego miejsca w buforze (bajt\xF3w): 131072",
        "Najstarszy paragon w buforze: 101",
        "Najm\xB3odszy paragon w buforze: 248",
        "Nazwa urz\xB9\x64zenia fiskalnego: \"VKA1200345\"",
        "Numer wersji oprogramowania aplikacyjnego: 0310",
        "Numer wersji oprogramowania modu\xB3u fiskalnego: 0205",
        "Typ mechanizmu drukuj\xB9\x63\x65go: TH-58",
        AnsiString("Odczyt numeru kasy") + kOk,
        "- kasa o numerze: 1",
        AnsiString("Zamykanie po\xB3\xB9\x63zenia TCP/IP") + kOk,
    };
    EXPECT_EQ(Texts(), expected);
    EXPECT_TRUE(Texts(2).empty());
    const auto starts = sim->StartPackets();
    ASSERT_EQ(starts.size(), 2u);
    EXPECT_EQ(starts[0], "Sp0" + AnsiString(36, '0'));
    EXPECT_EQ(starts[1], "SP0" + AnsiString(36, '0'));
}

TEST_F(ConnectionTest, OtherRegisterNumberFails) {
    Register();
    ServeTcp();
    host->deviceNumber = 2;
    host->Operation(-1);
    const auto errors = Texts(2);
    ASSERT_GE(errors.size(), 2u);
    EXPECT_EQ(errors.back(), "Niezgodny numer urz\xB9\x64zenia!");
    // The channel is closed after a failure as well, before the error report.
    const auto all = Texts();
    EXPECT_EQ(all[all.size() - 3], AnsiString("Zamykanie po\xB3\xB9\x63zenia TCP/IP") + kOk);
}

TEST_F(ConnectionTest, NumberCheckOffReadsOnlyTheStatus) {
    Register();
    ServeTcp();
    host->params["NovitusECRIdControl"] = "0";
    host->deviceNumber = 7;
    host->Operation(-1);
    EXPECT_TRUE(Texts(2).empty());
    ASSERT_EQ(sim->StartPackets().size(), 1u);
    for (const auto& t : Texts()) EXPECT_EQ(t.find("kasa o numerze"), AnsiString::npos);
}

TEST_F(ConnectionTest, RegisterNumbersAreDecodedFromOneByte) {
    Register();
    ServeTcp();
    const std::pair<const char*, int> cases[] = {{"P0A", 10}, {"P00", 0}, {"P0\x9A", 99}, {"P0\x20", 32}};
    for (auto [record, number] : cases) {
        {
            auto lock = sim->Lock();
            state->File("P").records.clear();
            state->AddRecord("P", record);
        }
        host->deviceNumber = number;
        host->messages.clear();
        host->Operation(-1);
        EXPECT_TRUE(Texts(2).empty()) << record;
        EXPECT_EQ(Texts()[11], "- kasa o numerze: " + IntToStr(number));
    }
}

TEST_F(ConnectionTest, StatusPacketLengthLimit) {
    Register();
    ServeTcp();
    // 60 characters from STX to the terminator: 58 data characters.
    SetStatus("p03" + AnsiString(55, '1'));
    host->Operation(-1);
    EXPECT_TRUE(Texts(2).empty());
    EXPECT_EQ(Texts()[2], "Status kasy: ?");

    host->messages.clear();
    SetStatus("p01" + AnsiString(54, '1'));
    host->Operation(-1);
    const auto errors = Texts(2);
    ASSERT_GE(errors.size(), 2u);
    EXPECT_EQ(errors.back(), "Pakiet \"p\" z kasy ma nieodpowiedni\xB9 d\xB3ugo\x9C\xE6: 59");
}

TEST_F(ConnectionTest, FileMediumIsRefused) {
    Register();
    host->Operation(-1);
    const auto errors = Texts(2);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1], "Ustawione z\xB3\xB9\x63ze PLIK. Kasa nie obs\xB3uguje testu po\xB3\xB9\x63zenia z plikiem!");
}

TEST_F(ConnectionTest, RegisterErrorReachesTheHostAsItsText) {
    Register();
    ServeTcp();
    sim->AddFault("error,at=start,file=p,code=17");
    host->Operation(-1);
    const auto errors = Texts(2);
    ASSERT_GE(errors.size(), 2u);
    EXPECT_EQ(errors.back(), "0x17 brak papieru");
}

TEST_F(ConnectionTest, RefusedConnectionIsAnError) {
    Register();
    ServeTcp();
    server->Stop();
    server.reset();
    host->Operation(-1);
    const auto all = Texts();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[0], "Nawi\xB9zywanie po\xB3\xB9\x63zenia TCP/IP");  // marked as failed
    EXPECT_EQ(host->messages[0].kind, 2);
}

TEST_F(ConnectionTest, CommunicationLogNamesTheControlBytes) {
    Register();
    ServeTcp();
    host->params["NovitusECRDedbug"] = "1";
    host->Operation(-1);
    std::vector<std::filesystem::path> logs;
    for (const auto& e : std::filesystem::directory_iterator(tmp.Path() / "log")) logs.push_back(e.path());
    ASSERT_EQ(logs.size(), 1u);
    const AnsiString log = ReadAll(logs[0].string());
    for (const char* name : {"<ENQ>", "<ACK>", "<STX>", "<ETX>", "<EOT>"})
        EXPECT_NE(log.find(name), AnsiString::npos) << name;
    EXPECT_NE(log.find("-> <STX>Sp0000000000000000000000000000000000000<ETX>006B"), AnsiString::npos);
    EXPECT_EQ(log.find('\x02'), AnsiString::npos);
}

TEST_F(ConnectionTest, AnExchangeDirectoryWithoutSeparatorKeepsTheLogInside) {
    Register();
    ServeTcp();
    host->exchangeDirectory = tmp.File("ex");  // as a host might hand it over
    host->params["NovitusECRDedbug"] = "1";
    host->Operation(-1);
    EXPECT_TRUE(Texts(2).empty());
    EXPECT_TRUE(std::filesystem::is_directory(tmp.Path() / "ex" / "log"));
    EXPECT_FALSE(std::filesystem::exists(tmp.Path() / "exlog"));
}

TEST_F(ConnectionTest, TheUsersAbortEndsAWaitForABusyRegisterWithinASecond) {
    Register();
    ServeTcp();
    host->params["NovitusECRIpTimeout"] = "15";
    sim->AddFault("wackstream,at=frame,count=0,value=200");  // hours of waiting, by the old bounds
    host->onMessage = [&](const THostMessage& m, bool) {
        if (m.text.find("Odczyt konfiguracji") != AnsiString::npos) host->abortRequested = true;
    };
    const auto start = std::chrono::steady_clock::now();
    host->Operation(-1);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(ms, 3000);
    const auto errors = Texts(2);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back(), Ansi(u8"Operacja przerwana przez użytkownika"));
}

TEST_F(ConnectionTest, ALibraryFreedByACallbackGoesWhenItsOperationEnds) {
    Register();
    ServeTcp();
    void* const library = host->library;
    host->onMessage = [&](const THostMessage&, bool) {
        if (host->library) host->api.ZwolnijBiblioteke(host->library);
        host->library = nullptr;
    };
    host->Operation(-1);  // goes on with the library it started with (sanitizers watch)
    EXPECT_TRUE(Texts(2).empty());
    host->onMessage = nullptr;
    host->messages.clear();
    // The handle is refused from the moment it was freed.
    EXPECT_EQ(host->api.SerKasOperacja(library, host->arg2, nullptr, nullptr, -1, 0), 0);
    EXPECT_TRUE(host->messages.empty());
}

TEST_F(ConnectionTest, SerialLineOverAPseudoTerminal) {
    if (!TSimPty::Supported()) GTEST_SKIP() << "no pseudo-terminals here";
    Register();
    TSimPty pty(*sim);
    pty.Start();
    host->params["NovitusECRPort"] = pty.SlavePath();
    host->params["NovitusECRSpeed"] = "4";
    host->Operation(-1);
    pty.Stop();
    EXPECT_TRUE(Texts(2).empty());
    const auto texts = Texts();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0], "Otwieranie portu komunikacyjnego " + pty.SlavePath() + kOk);
    EXPECT_EQ(texts.back(), AnsiString("Zamykanie portu komunikacyjnego") + kOk);
}

}  // namespace
