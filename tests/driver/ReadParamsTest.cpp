// The Novitus action's configuration, read from the host at the start of every operation.
#include <gtest/gtest.h>

#include "driver/NovitusAction.h"
#include "platform/Exceptions.h"
#include "platform/Os.h"
#include "tests/support/FakeHostLink.h"
#include "tests/support/TempDir.h"

namespace {

class ReadParams : public ::testing::Test {
protected:
    void SetUp() override {
        host.device.exchangeDirectory = tmp.Dir();
        host.params = {{"NovitusECRCardParseMask", "99kkkkkkymmrx"}, {"NovitusECREdiFolder", tmp.File("EDI")}};
    }
    TempDir tmp;
    FakeHostLink host;
};

TEST_F(ReadParams, PortChoosesTheMedium) {
    TQxNovitusECRAction action(&host, nullptr);
    const std::pair<const char*, e_Medium> cases[] = {
        {"PLIK", md_file}, {"TCP/IP", md_tcpip}, {"COM2", md_rs232}, {"", md_rs232}, {"plik", md_rs232}};
    for (auto [port, medium] : cases) {
        host.params["NovitusECRPort"] = port;
        action.ReadParams();
        EXPECT_EQ(action.cfgMedium, medium) << port;
    }
}

TEST_F(ReadParams, TimeoutIsGivenInSeconds) {
    TQxNovitusECRAction action(&host, nullptr);
    // Never shorter than a busy register takes to ask for more time (WACK after about 2 s).
    const struct {
        const char* seconds;
        int ms;
    } cases[] = {{"15", 15000}, {"3", 3000}, {"2", 2500}, {"1", 2500}, {"kwadrans", 2500}};
    for (const auto& c : cases) {
        host.params["NovitusECRIpTimeout"] = c.seconds;
        action.ReadParams();
        EXPECT_EQ(action.cfgIpTimeoutMs, c.ms) << c.seconds;
    }
    host.params["NovitusECRIpTimeout"] = "2147483647";  // far beyond the host's limit: no overflow
    action.ReadParams();
    EXPECT_GT(action.cfgIpTimeoutMs, 0);
}

TEST_F(ReadParams, EdiFolderGetsATrailingSeparatorForTheOperationOnly) {
    TQxNovitusECRAction action(&host, nullptr);
    action.ReadParams();
    EXPECT_EQ(action.cfgEdiFolder, tmp.File("EDI") + PathDelim);
    EXPECT_EQ(host.params["NovitusECREdiFolder"], tmp.File("EDI"));
    EXPECT_TRUE(host.writes.empty());
}

TEST_F(ReadParams, FlagsAndChoices) {
    host.params.insert({{"NovitusECRDedbug", "1"},
                        {"NovitusECRReceipts", "2"},
                        {"PoziomCen", "3"},
                        {"NovitusECRPluAutoRepeat", "1"},
                        {"NovitusECRPriceOpenD41", "0"},
                        {"NovitusECRExpKeyCode", "4"},
                        {"NovitusECRCheckZeroes", "1"},
                        {"NovitusECRSaleSource", "1"},
                        {"NovitusECRIdControl", "0"}});
    TQxNovitusECRAction action(&host, nullptr);
    action.ReadParams();
    EXPECT_TRUE(action.cfgUseLog);
    EXPECT_EQ(action.cfgReceiptDetails, 2);
    EXPECT_EQ(action.cfgPoziomCen, 3);
    EXPECT_TRUE(action.cfgPluAutoRepeat);
    EXPECT_FALSE(action.cfgPriceOpenD41);
    EXPECT_EQ(action.cfgEksportKeyCode, 4);
    EXPECT_TRUE(action.cfgCheckZeroes);
    EXPECT_EQ(action.cfgSaleSource, 1);
    EXPECT_EQ(action.cfgIdControl, 0);
    EXPECT_EQ(action.cfgCardParseMask, "99kkkkkkymmrx");
}

TEST_F(ReadParams, WorkingFilesAndTheImportLog) {
    TQxNovitusECRAction action(&host, nullptr);
    EXPECT_EQ(action.FNameLOG(), tmp.Dir() + "import.log");
    EXPECT_EQ(action.FNameKIMP(), tmp.Dir() + "kasa.imp");
}

TEST_F(ReadParams, InvalidMaskEndsTheOperationBeforeAnyExchange) {
    host.params["NovitusECRCardParseMask"] = "";
    TQxNovitusECRAction action(&host, nullptr);
    EXPECT_THROW(action.ReadParams(), Exception);
}

}  // namespace
