// The command-line host: how it shows the driver's lines, keeps its parameters, and a whole
// run against the simulated register.
#include <gtest/gtest.h>

#include <cstdio>

#include "host/MessageView.h"
#include "host/ParamStore.h"
#include "sim/NovitusRegister.h"
#include "sim/RegisterSim.h"
#include "sim/SimServer.h"
#include "tests/support/TempDir.h"

namespace {

TEST(MessageView, ValueColumnIsAlignedAndTextsAreUtf8) {
    const AnsiString ok = TMessageView::Render({0, "Odczyt konfiguracji\x01OK"});
    EXPECT_EQ(ok, "Odczyt konfiguracji" + AnsiString(56 - 19, ' ') + "OK");
    // "ł" is one column wide although it takes two bytes in UTF-8.
    const AnsiString wide = TMessageView::Render({0, "Zamykanie po\xB3\xB9\x63zenia\x01OK"});
    EXPECT_EQ(wide, u8"Zamykanie połączenia" + AnsiString(56 - 20, ' ') + "OK");
    EXPECT_EQ(TMessageView::Render({2, "Niezgodny numer urz\xB9\x64zenia!"}), u8"[BŁĄD] Niezgodny numer urządzenia!");
    EXPECT_EQ(TMessageView::Render({1, "x"}), "[UWAGA] x");
    EXPECT_EQ(TMessageView::Render({0, AnsiString(70, 'a') + "\x01"
                                                             "5 %"}),
              AnsiString(70, 'a') + " 5 %");
}

TEST(MessageView, WithoutATerminalEachLineIsWrittenOnceInItsFinalState) {
    TempDir tmp;
    std::FILE* out = std::fopen(tmp.File("out.txt").c_str(), "wb");
    ASSERT_NE(out, nullptr);
    {
        TMessageView view(out, false);
        view.Show({0,
                   "Krok:\x01"
                   "0 %"},
                  false);
        view.Show({0,
                   "Krok:\x01"
                   "50 %"},
                  true);
        view.Show({0, "Krok\x01OK"}, true);
        view.Show({0, "Nastepny"}, false);
        view.Finish();
    }
    std::fclose(out);
    EXPECT_EQ(ReadAll(tmp.File("out.txt")), "Krok" + AnsiString(52, ' ') + "OK\nNastepny\n");
}

TEST(ParamStore, ValuesLastBetweenRuns) {
    TempDir tmp;
    {
        TParamStore store(tmp.File("p.params"));
        store.values["NovitusECRPort"] = "TCP/IP";
        store.values["Opis"] = "z\xB3oty\r\nkolor";  // a value never spans lines
        store.Save();
    }
    TParamStore again(tmp.File("p.params"));
    again.Load();
    EXPECT_EQ(again.values["NovitusECRPort"], "TCP/IP");
    EXPECT_EQ(again.values["Opis"], "z\xB3oty  kolor");
}

#ifndef _WIN32
int RunHost(const TempDir& tmp, const AnsiString& args, AnsiString* output = nullptr) {
    const AnsiString cmd = "cd '" + tmp.Dir() + "' && timeout 60 '" + AnsiString(VELKORA_BIN_DIR) + "/velkora-host' " +
                           args + " > out.txt 2>&1";
    const int status = std::system(cmd.c_str());
    if (output) *output = ReadAll(tmp.File("out.txt"));
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CommandLineHost, RunsTheConnectionTestAndReportsErrorsInItsStatus) {
    TempDir tmp;
    auto state = std::make_shared<TNovitusRegister>();
    state->LoadFile(AnsiString(VELKORA_TEST_DATA) + "/../../sim/demo-register.txt");
    TRegisterSim sim(state);
    TSimTcpServer server(sim, 0);
    server.Start();
    ASSERT_EQ(RunHost(tmp, "set NovitusECRPort TCP/IP"), 0);
    ASSERT_EQ(RunHost(tmp, "set NovitusECRIpAddress 127.0.0.1"), 0);
    ASSERT_EQ(RunHost(tmp, "set NovitusECRIpPort " + IntToStr(server.Port())), 0);
    AnsiString out;
    EXPECT_EQ(RunHost(tmp, "--exchange ex run test", &out), 0) << out;
    EXPECT_NE(out.find(u8"Nazwa urządzenia fiskalnego: \"VKA1200345\""), AnsiString::npos) << out;
    EXPECT_NE(out.find("- kasa o numerze: 1"), AnsiString::npos);
    EXPECT_TRUE(std::filesystem::is_directory(tmp.Path() / "ex" / "EDI"));

    EXPECT_EQ(RunHost(tmp, "--exchange ex --device-number 2 run test", &out), 1);
    EXPECT_NE(out.find(u8"[BŁĄD] Niezgodny numer urządzenia!"), AnsiString::npos) << out;

    EXPECT_EQ(RunHost(tmp, "params", &out), 0);
    EXPECT_NE(out.find("NovitusECRIpPort"), AnsiString::npos);
    EXPECT_EQ(RunHost(tmp, "run nonsense"), 2);
    server.Stop();
}
TEST(CommandLineHost, GoodsImportWindowPrintsTheChoicesItLeaves) {
    TempDir tmp;
    ASSERT_EQ(RunHost(tmp, "set NovitusECRImportOverWrite TRUE"), 0);
    AnsiString out;
    EXPECT_EQ(RunHost(tmp, "window 2", &out), 0) << out;
    EXPECT_NE(out.find(u8"okno 2: Import towarów do programu, kod 2, wynik: tak\n"
                       "NovitusECRImportOverWrite = TRUE\n"
                       "NovitusECRImportLogSave = TRUE\n"),
              AnsiString::npos)
        << out;
    EXPECT_EQ(RunHost(tmp, "window 3", &out), 1);
}

TEST(CommandLineHost, ReadsTheGoodsBackAndAnswersFromItsOwnGoodsFile) {
    TempDir tmp;
    const AnsiString sample = AnsiString(VELKORA_TEST_DATA) + "/../../sim/";
    auto state = std::make_shared<TNovitusRegister>();
    state->LoadFile(sample + "demo-register.txt");
    TRegisterSim sim(state);
    TSimTcpServer server(sim, 0);
    server.Start();
    for (const AnsiString& setting : {AnsiString("NovitusECRPort TCP/IP"), AnsiString("NovitusECRIpAddress 127.0.0.1"),
                                      "NovitusECRIpPort " + IntToStr(server.Port())})
        ASSERT_EQ(RunHost(tmp, "set " + setting), 0);
    std::filesystem::create_directories(tmp.Path() / "ex");
    WriteAll(tmp.File("ex/kasa.exp"), ReadAll(sample + "demo-kasa.exp"));
    AnsiString out;
    ASSERT_EQ(RunHost(tmp, "--exchange ex export", &out), 0) << out;
    // The goods file lasts between runs: the second import finds the goods of the first.
    const struct {
        const char *overwrite, *answer;
    } runs[] = {{"FALSE", u8"dodany"}, {"TRUE", u8"zaktualizowany"}, {"FALSE", u8"pominięty (jest już w kartotece)"}};
    for (const auto& r : runs) {
        ASSERT_EQ(RunHost(tmp, AnsiString("set NovitusECRImportOverWrite ") + r.overwrite), 0);
        EXPECT_EQ(RunHost(tmp, "--exchange ex run extra 2", &out), 0) << out;
        EXPECT_NE(out.find(AnsiString("Host: 5901234010078 \"Butelka zwrotna 0,5 l\": ") + r.answer + "\n"),
                  AnsiString::npos)
            << out;
        EXPECT_NE(out.find(u8"Kartoteka towarów hosta: 275 -> ex/velkora-host.goods\nLog importu: ex/import.log\n"),
                  AnsiString::npos)
            << out;
    }
    EXPECT_EQ(RunHost(tmp, "--exchange ex run extra 0", &out), 0) << out;
    EXPECT_NE(out.find(u8"Lista towarów kasy: 275 -> ex/inplu.exp\n"), AnsiString::npos) << out;
    server.Stop();
}
#endif

}  // namespace
