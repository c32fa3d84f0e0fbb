// What velkora-host adds to a goods export: the pace of the goods lines and the summary, and a
// whole export of the sample shop through the program.
#include <gtest/gtest.h>

#include "host/ExportReport.h"
#include "platform/Translation.h"
#include "sim/NovitusRegister.h"
#include "sim/SimServer.h"
#include "tests/support/TempDir.h"

namespace {

TEST(ExportReport, GoodsLinesShowDoneOfTotalAndTheSummaryTheRefusalsByReason) {
    TempDir tmp;
    WriteAll(tmp.File("kasa.exp"), "JM;1;0;szt\r\nEURO;43215\r\nPLU;1;0;11\r\nPLU;2;0;12;;;;;;;;;;;;;11\r\n");
    WriteAll(tmp.File("wynik.exp"), "PLU;1;0;11;DOD\r\n");
    WriteAll(tmp.File("errors.txt"), Ansi(u8"Kasa odrzuciła \"B\" (baza PLU pełna)\r\n"));
    TExportReport report(tmp.Dir());
    const AnsiString label = Ansi(u8"Programowanie towarów:");
    EXPECT_EQ(report.Decorate({0, label + "\x01" + "0"}, false).text, label + "\x01" + "0/1");
    EXPECT_EQ(report.Decorate({0, "Odczyt kursu euro (dla por\xF3wnania)\x01OK"}, false).text,
              "Odczyt kursu euro (dla por\xF3wnania)\x01OK");
    const AnsiString summary = report.Summary();
    for (const char* line : {u8"towary wysłane do kasy:      1 z 2", u8"odrzucone:                   1",
                             u8"1 x baza PLU pełna", u8"kurs euro:                   4.3215 (kasa ma ten sam kurs)",
                             u8"jednostki miary:             0 wysłane z 1"})
        EXPECT_NE(summary.find(line), AnsiString::npos) << line << "\n" << summary;
}

#ifndef _WIN32
TEST(ExportReport, TheSampleShopThroughTheProgram) {
    TempDir tmp;
    const AnsiString sim = AnsiString(VELKORA_TEST_DATA) + "/../../sim/";
    auto state = std::make_shared<TNovitusRegister>();
    state->LoadFile(sim + "demo-register.txt");
    TRegisterSim register_(state);
    TSimTcpServer server(register_, 0);
    server.Start();
    std::filesystem::create_directories(tmp.Path() / "ex");
    WriteAll(tmp.File("ex/kasa.exp"), ReadAll(sim + "demo-kasa.exp"));
    const AnsiString host = "cd '" + tmp.Dir() + "' && '" + VELKORA_BIN_DIR + "/velkora-host' ";
    for (const char* set : {"NovitusECRPort TCP/IP", "NovitusECRIpAddress 127.0.0.1", "NovitusECRProgEuro 1"})
        ASSERT_EQ(std::system((host + "set " + AnsiString(set)).c_str()), 0);
    ASSERT_EQ(std::system((host + "set NovitusECRIpPort " + IntToStr(server.Port())).c_str()), 0);
    EXPECT_EQ(std::system((host + "--exchange ex run export > out.txt 2>&1").c_str()), 0);
    const AnsiString out = ReadAll(tmp.File("out.txt"));
    EXPECT_NE(out.find(u8"towary wysłane do kasy:      275 z 275"), AnsiString::npos) << out;
    EXPECT_NE(out.find(u8"Programowanie tandemów:                                 19/19"), AnsiString::npos) << out;
    EXPECT_NE(out.find(u8"jednostki miary:             6 wysłane z 6"), AnsiString::npos);
    server.Stop();
}
#endif

}  // namespace
