// Per-call exports: session check, keep-alive, operation codes and their error reports.
#include <chrono>

#include "sim/RegisterSim.h"
#include "sim/SimServer.h"
#include "tests/exports/HostFixture.h"

namespace {

using Operations = HostFixture;

TEST_F(Operations, UnsupportedCodesEndAsOneErrorReportAndResultZero) {
    Register();
    const std::pair<int, const char*> cases[] = {
        {-7, "nas\xB3uch"}, {-9, "import licznika"}, {0, "operacja [0]"}, {5, "operacja [5]"}};
    for (auto [code, name] : cases) {
        SCOPED_TRACE(code);
        host->messages.clear();
        const auto r = host->Operation(code, 0);
        EXPECT_EQ(r.result, 0);
        ASSERT_EQ(host->messages.size(), 2u);
        EXPECT_EQ(host->messages[0].kind, 2);
        EXPECT_EQ(host->messages[0].text,
                  AnsiString("Podczas wykonywania operacji '") + name + "' wyst\xB9pi\xB3 b\xB3\xB9\x64:");
        EXPECT_EQ(host->messages[1].kind, 2);
        EXPECT_EQ(host->messages[1].text, "Urz\xB9\x64zenie nie obs\xB3uguje zleconego typu operacji");
    }
}

TEST_F(Operations, NullSessionNeverWaits) {
    Register();
    const auto start = std::chrono::steady_clock::now();
    const auto r = host->Operation(-7, 0, nullptr, "cokolwiek");
    EXPECT_EQ(r.result, 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
    EXPECT_EQ(r.sessionName, "cokolwiek");
}

TEST_F(Operations, OwnSessionPassesAndForeignSessionSendsTheHostAway) {
    Register();
    void* handle = reinterpret_cast<void*>(0x1234);
    auto r = host->Operation(-7, 0, &handle, "Sesja kas Novitus ECR");
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(host->messages.size(), 2u);  // the unsupported-code report: the check passed

    host->messages.clear();
    const auto start = std::chrono::steady_clock::now();
    r = host->Operation(-1, 0, &handle, "Inna sesja");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(990));
    EXPECT_EQ(r.result, 1);
    ASSERT_EQ(host->messages.size(), 1u);
    EXPECT_EQ(host->messages[0].kind, 0);
    EXPECT_EQ(host->messages[0].text, "Oczekiwanie na zamkni\xEA\x63ie sesji 'Inna sesja'");
    EXPECT_EQ(r.sessionName, "Inna sesja");  // the buffer is left as it was
}

TEST_F(Operations, SessionNameComesBackCutTo300Bytes) {
    Register();
    void* handle = nullptr;
    std::vector<char> name(400, 'N');
    name.back() = '\0';
    host->api.SerKasOperacja(host->library, host->arg2, &handle, name.data(), -7, 0);
    EXPECT_EQ(strnlen(name.data(), name.size()), 300u);
    EXPECT_EQ(name[301], 'N');
}

TEST_F(Operations, KeepAliveClosesOnlyOwnSessions) {
    Register();
    void* handle = reinterpret_cast<void*>(0x1234);
    char name[301] = "Sesja kas Novitus ECR";
    host->api.SerKasPodtrzymajSesje(host->library, &handle, name, 0, 0);
    EXPECT_NE(handle, nullptr);  // not asked to close
    host->api.SerKasPodtrzymajSesje(host->library, &handle, name, 0, 1);
    EXPECT_EQ(handle, nullptr);
    EXPECT_STREQ(name, "Sesja kas Novitus ECR");

    handle = reinterpret_cast<void*>(0x1234);
    char foreign[301] = "Obca";
    host->api.SerKasPodtrzymajSesje(host->library, &handle, foreign, 0, 1);
    EXPECT_NE(handle, nullptr);  // the check refused: nothing closed
    EXPECT_STREQ(foreign, "Obca");
    host->api.SerKasPodtrzymajSesje(host->library, nullptr, foreign, 0, 1);  // no crash
}

TEST_F(Operations, HostWithoutAbortCallbackSeesAnInterruption) {
    std::set<int> callbacks = TDriverHost::AllCallbacks();
    callbacks.erase(5);
    Register(callbacks);
    // The goods read-back polls for an abort before it asks the register for anything.
    TRegisterSim sim;
    TSimTcpServer server(sim, 0);
    server.Start();
    host->params["NovitusECRPort"] = "TCP/IP";
    host->params["NovitusECRIpAddress"] = "127.0.0.1";
    host->params["NovitusECRIpPort"] = IntToStr(server.Port());
    host->Operation(-8, 0);
    server.Stop();
    const auto errors = Texts(2);
    ASSERT_FALSE(errors.empty());
    EXPECT_NE(errors.back().find(Ansi(u8"Operacja przerwana przez użytkownika")), AnsiString::npos) << errors.back();
    EXPECT_TRUE(sim.StartPackets().empty());
}

TEST_F(Operations, ExtraFunctionWithAnUnknownParameterDoesNothing) {
    Register();
    const auto r = host->Operation(-8, 3);
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(Texts(2).empty());
}

TEST_F(Operations, InvalidCardMaskStopsBeforeAnyExchange) {
    Register();
    host->params["NovitusECRCardParseMask"] = "12x";
    host->Operation(-1, 0);
    const auto errors = Texts(2);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1],
              "TKartaRab: cyfra kontrolna EAN13 (literka 'x' w formacie karty) mo\xBF"
              "e by\xE6 tylko na 13 "
              "miejscu, albo wcale");
}

TEST_F(Operations, EdiFolderIsCreatedWhenMissing) {
    Register();
    std::filesystem::remove(tmp.Path() / "EDI");
    host->Operation(-7, 0);
    EXPECT_TRUE(std::filesystem::is_directory(tmp.File("EDI")));
}

TEST_F(Operations, LogFileIsStartedEvenForAnUnsupportedCode) {
    Register();
    host->params["NovitusECRDedbug"] = "1";
    host->Operation(-9, 0);
    std::vector<std::string> logs;
    for (const auto& e : std::filesystem::directory_iterator(tmp.Path() / "log"))
        logs.push_back(e.path().filename().string());
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].substr(0, 7), "REPORT ");
    EXPECT_EQ(logs[0].size(), std::string("REPORT 2026.12.09 05.32.00.TXT").size());
    const AnsiString content = ReadAll((tmp.Path() / "log" / logs[0]).string());
    EXPECT_EQ(content.substr(0, 27), "\r\n--- [KOMUNIKACJA Z DNIA: ");
}

TEST_F(Operations, DevicePropertiesAndSharedResource) {
    Register();
    EXPECT_EQ(host->DeviceProperty(1101), "0");
    EXPECT_EQ(host->DeviceProperty(1102), "PLIK");
    EXPECT_EQ(host->DeviceProperty(1103), "1");
    EXPECT_EQ(host->DeviceProperty(1104), "-1");
    EXPECT_EQ(host->DeviceProperty(1105), "");
    EXPECT_EQ(host->SharedResourceName(), "PLIK");

    host->params["NovitusECRPort"] = "TCP/IP";
    host->params["NovitusECRIpAddress"] = "127.0.0.1";
    host->params["NovitusECRIpPort"] = "5001";
    EXPECT_EQ(host->DeviceProperty(1102), "127.0.0.1:5001");
    EXPECT_EQ(host->SharedResourceName(), "127.0.0.1:5001");

    host->params.erase("NovitusECRIpAddress");
    host->params.erase("NovitusECRIpPort");
    EXPECT_EQ(host->SharedResourceName(), ":");

    host->params["NovitusECRPort"] = "COM2";
    EXPECT_EQ(host->SharedResourceName(), "COM2");
}

TEST_F(Operations, ReceiptIsSearchedByItsPrintoutNumber) {
    Register();
    host->params["NovitusECRReceiptNo"] = "1234";
    int a = 0, b = 0, c = 0;
    EXPECT_EQ(host->api.SerKasJakSzukacParagonu(host->library, host->arg2, &a, &b, &c), 1);
    EXPECT_EQ(a, 1234);
    EXPECT_EQ(b, -1);
    EXPECT_EQ(c, -1);
    EXPECT_EQ(host->api.SerKasJakSzukacParagonu(host->library, host->arg2, nullptr, nullptr, nullptr), 1);
}

TEST_F(Operations, CallbacksReceiveBothHandles) {
    Register();
    host->Operation(-7, 0);
    EXPECT_GE(host->CountCalls(11), 1);  // device data at the start of the action
    EXPECT_GE(host->CountCalls(6), 10);  // the configuration is read
    const THostCall* msg = host->LastCall(12);
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(msg->args[0], "2");
    for (const THostCall& call : host->calls) {
        if (call.number != 34) {
            EXPECT_EQ(call.arg2, host->arg2) << "callback " << call.number;
        }
    }
}

TEST_F(Operations, TranslatedTextsComeFromTheHostsLookup) {
    Register();
    host->translations["brevant_QxLib|" + MakeTranslationKey("TQxActionBase", "Operacja", "Exception")] = "Nope";
    host->Operation(-7, 0);
    EXPECT_EQ(Texts(2).back(), "Nope");
    EXPECT_GT(host->CountCalls(34), 0);
}

TEST_F(Operations, ForeignOrFreedLibraryHandlesAreRefused) {
    Register();
    int bogus = 0;
    EXPECT_EQ(host->api.SerKasOperacja(&bogus, host->arg2, nullptr, nullptr, -1, 0), 0);
    char out[301] = "x";
    host->api.SerKasNazwaZasobuDzielonego(nullptr, host->arg2, out);
    EXPECT_STREQ(out, "");
    void* lib = host->library;
    host->Release();
    EXPECT_EQ(host->api.SerKasOperacja(lib, host->arg2, nullptr, nullptr, -1, 0), 0);
    host->api.ZwolnijBiblioteke(lib);  // freeing twice is harmless
}

TEST_F(Operations, GoodsImportWindowWithoutAScreenConfirmsTheChoicesAsStored) {
#ifdef _WIN32
    GTEST_SKIP() << "on Windows the dialog is a real window, worked by test_dialogs";
#endif
    Register();
    host->params["NovitusECRImportOverWrite"] = "TRUE";
    host->params["NovitusECRImportLogSave"] = "FALSE";
    int code = -1;
    AnsiString name;
    EXPECT_TRUE(host->ShowWindow(2, &code, &name));
    EXPECT_EQ(code, 2);
    EXPECT_EQ(name, "Import towar\xF3w do programu");
    std::vector<std::vector<AnsiString>> writes;
    for (const THostCall& call : host->calls)
        if (call.number == 21) writes.push_back(call.args);
    EXPECT_EQ(writes, (std::vector<std::vector<AnsiString>>{{"NovitusECRImportOverWrite", "TRUE"},
                                                            {"NovitusECRImportLogSave", "FALSE"}}));
    // A refused write is reported under the window's operation name and answers false.
    host->acceptParamWrites = false;
    EXPECT_FALSE(host->ShowWindow(2, &code, &name));
    ASSERT_FALSE(Texts(2).empty());
    EXPECT_EQ(Texts(2)[0], "Podczas wykonywania operacji 'wy\x9Cwietlanie okna' wyst\xB9pi\xB3 b\xB3\xB9\x64:");
}

}  // namespace
