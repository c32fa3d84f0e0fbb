// What the command-line host does with the files the driver hands over.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/BackOffice.h"
#include "host/SalesReport.h"
#include "platform/Os.h"
#include "sim/NovitusRegister.h"
#include "sim/RegisterSim.h"
#include "sim/SalesDay.h"
#include "sim/SimServer.h"
#include "tests/support/TempDir.h"

namespace {

TEST(BackOffice, KeepsEveryFileAndItsCountersAndARestartCompletesAnInterruptedLoad) {
    TempDir tmp;
    const AnsiString folder = tmp.File("loaded");
    const AnsiString copy = folder + PathDelim;
    std::map<AnsiString, AnsiString> params;
    TParamStore store(tmp.File("host.params"));
    WriteAll(tmp.File("kasa.imp"),
             "[OPERACJE]\r\nKASPAR;TangoOstatniWydruk;258\r\nKASPAR;NovitusECRLastReceipt;10\r\n");
    TBackOffice office(folder, store);
    EXPECT_EQ(office.Load(tmp.File("kasa.imp"), params), copy + "000001-kasa.imp");
    EXPECT_EQ(ReadAll(folder + "/000001-kasa.imp"), ReadAll(tmp.File("kasa.imp")));
    EXPECT_EQ(params["TangoOstatniWydruk"], "258");
    TParamStore saved(tmp.File("host.params"));
    saved.Load();
    EXPECT_EQ(saved.values["NovitusECRLastReceipt"], "10");
    EXPECT_EQ(saved.values[TBackOffice::kAppliedKey], "1");

    // Died after the copy was in place but before the counters were saved; and in the middle
    // of another copy.
    WriteAll(folder + "/000002-kasa.imp", "KASPAR;TangoOstatniWydruk;300\r\n");
    WriteAll(folder + "/000003-kasa.imp.part", "KASPAR;TangoOstatniWydruk;999\r\n");
    TBackOffice restarted(folder, saved);
    restarted.Recover(params);
    EXPECT_EQ(params["TangoOstatniWydruk"], "300");
    EXPECT_FALSE(std::filesystem::exists(folder + "/000003-kasa.imp.part"));
    TParamStore after(tmp.File("host.params"));
    after.Load();
    EXPECT_EQ(after.values["TangoOstatniWydruk"], "300");
    EXPECT_EQ(restarted.Load(tmp.File("kasa.imp"), params), copy + "000003-kasa.imp");
}

TEST(SalesReport, ReceiptsTotalsAndPaymentForms) {
    const AnsiString file =
        "[TOWAROWE]\r\nPLU;;5900001;2000;1200\r\n\r\n[OPERACJE]\r\nKASPAR;TangoOstatniWydruk;102\r\n\r\n[FINANSOWE]\r\n"
        "WPLATY;20000\r\n\r\n[FLAGI]\r\nDATA_SPRZEDAZY;20240314083000000\r\n\r\n[Paragon nr 1]\r\n"
        "TRN;101;1;1;2;1;1;;;20240314083000000;0;-1\r\nZAW;;5900001;1000;1000;0;1;20240314083000000\n"
        "PMT;3;700;100;-1;-1;-1;0;0;;20240314083000000\nPMT;0;300;100;-1;-1;-1;1;0;;20240314083000000\n"
        "\r\n[Paragon nr 2]\r\nKSK;102;2;0;0;1;1;;;20240314090500000;0;-1\r\n";
    EXPECT_EQ(TSalesReport::Render(TSalesReport::ReadSalesFile(file), "loaded/000001-kasa.imp"),
              u8"Sprzedaż z dnia 2024-03-14 -> loaded/000001-kasa.imp\n"
              u8"  paragon W101    P1     08:30   1 poz.      10,00 zł  gotówka 3,00, karta 7,00\n"
              u8"  paragon W102    P2     09:05   0 poz.       0,00 zł  anulowany\n"
              u8"  razem 2 paragonów: 10,00 zł; gotówka 3,00, karta 7,00\n"
              u8"  towary: 1 linii, 12,00 zł\n"
              u8"  raport kasy: WPLATY 20000\n"
              u8"  liczniki dla hosta: TangoOstatniWydruk=102\n");
}

#ifndef _WIN32
TEST(CommandLineHost, ImportsTheDaysSoldAndNeverTwice) {
    TempDir tmp;
    auto state = std::make_shared<TNovitusRegister>();
    state->LoadFile(AnsiString(VELKORA_TEST_DATA) + "/../../sim/demo-register.txt");
    TRegisterSim sim(state);
    TSalesDay seller(*state);
    const TSalesDay::TSale sale = seller.Sell(2, 4);
    TSimTcpServer server(sim, 0);
    server.Start();
    auto host = [&](const AnsiString& args) {
        const AnsiString cmd = "cd '" + tmp.Dir() + "' && timeout 60 '" + AnsiString(VELKORA_BIN_DIR) +
                               "/velkora-host' " + args + " > out.txt 2>&1";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    for (const AnsiString& setting :
         std::vector<AnsiString>{"NovitusECRPort TCP/IP", "NovitusECRIpAddress 127.0.0.1",
                                 "NovitusECRIpPort " + IntToStr(server.Port()), "NovitusECRImportOrders 1"})
        ASSERT_EQ(host("set " + setting), 0);
    EXPECT_EQ(host("--exchange ex import"), 0) << ReadAll(tmp.File("out.txt"));
    const AnsiString out = ReadAll(tmp.File("out.txt"));
    EXPECT_NE(out.find(u8"razem 4 paragonów"), AnsiString::npos) << out;
    EXPECT_NE(out.find(u8"Zamówienie 0000000002 (3 linii) -> ex/EDI/Doc001"), AnsiString::npos) << out;
    EXPECT_NE(out.find("paragon W" + IntToStr(sale.lastPrintout)), AnsiString::npos);
    // The register is read again while it still has the receipts (not resetting): the host's
    // counters keep them from coming twice.
    seller.Sell(1, 2);
    ASSERT_EQ(host("set NovitusECRResetBuffer 0"), 0);
    EXPECT_EQ(host("--exchange ex import"), 0);
    EXPECT_NE(ReadAll(tmp.File("out.txt")).find(u8"razem 2 paragonów"), AnsiString::npos);
    server.Stop();
}
#endif

}  // namespace
