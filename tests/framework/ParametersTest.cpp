// Reading the host's parameters and keeping the driver's own values in them.
#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "platform/Os.h"
#include "platform/Translation.h"
#include "tests/framework/TestAction.h"
#include "tests/support/TempDir.h"

namespace {

TEST(Parameters, IntegersAreReadAfterTrimmingAndOtherwiseZero) {
    FakeHostLink host;
    host.params = {{"A", " 42 "}, {"B", "12x"}, {"C", ""}, {"D", "-7"}};
    TestAction action(&host);
    EXPECT_EQ(action.ParamAsInt("A"), 42);
    EXPECT_EQ(action.ParamAsInt("B"), 0);
    EXPECT_EQ(action.ParamAsInt("C"), 0);
    EXPECT_EQ(action.ParamAsInt("missing"), 0);
    EXPECT_EQ(action.ParamAsInt("D"), -7);
}

TEST(Parameters, NamesAreTrimmedButValuesAreNot) {
    FakeHostLink host;
    host.params = {{"Name", " value "}};
    TestAction action(&host);
    EXPECT_EQ(action.WartoscParametru("  Name "), " value ");
    EXPECT_EQ(host.paramReads.back(), "Name");
}

TEST(Parameters, DatesUseTheCompressedFormAndFallBackToToday) {
    FakeHostLink host;
    host.params = {{"D", "20241201153000000"}, {"Bad", "jutro"}};
    TestAction action(&host);
    EXPECT_EQ(action.ParamAsDate("D").ToString(TdtTools::fmt4YDate), "2024-12-01");
    EXPECT_EQ(action.ParamAsDate("D").Value(), TdtTools(2024, 12, 1).Value());  // date part only
    EXPECT_EQ(action.ParamAsDate("Bad").Value(), TdtTools(TdtTools().Date()).Value());
}

TEST(Parameters, OwnParametersCarryTheLibraryTypePrefix) {
    FakeHostLink host;
    TestAction action(&host);
    action.WriteParamEx(" Stan ", "x");
    ASSERT_EQ(host.writes.size(), 1u);
    EXPECT_EQ(host.writes[0].first, "Qx_NovitusECR_Stan");
    AnsiString value;
    action.ReadParamEx("Stan", value);
    EXPECT_EQ(value, "x");
}

TEST(Parameters, LongValuesAreSplitIntoPiecesOf250Bytes) {
    FakeHostLink host;
    TestAction action(&host);
    const AnsiString value = AnsiString(250, 'a') + AnsiString(250, 'b') + AnsiString(100, 'c');
    action.WriteLongParamEx("Map", value, 3);
    EXPECT_EQ(host.params["Qx_NovitusECR_Map1"], AnsiString(250, 'a'));
    EXPECT_EQ(host.params["Qx_NovitusECR_Map2"], AnsiString(250, 'b'));
    EXPECT_EQ(host.params["Qx_NovitusECR_Map3"], AnsiString(100, 'c'));
    EXPECT_EQ(action.ReadLongParamEx("Map", 3), value);

    action.WriteLongParamEx("Short", value, 2);  // the last 100 bytes do not fit
    EXPECT_EQ(action.ReadLongParamEx("Short", 2), value.substr(0, 500));

    action.WriteLongParamEx("Map", "xyz", 3);  // later pieces are emptied
    EXPECT_EQ(host.params["Qx_NovitusECR_Map2"], "");
    EXPECT_EQ(action.ReadLongParamEx("Map", 3), "xyz");
}

TEST(Parameters, RefusedWriteRaisesWithTheName) {
    FakeHostLink host;
    host.acceptWrites = false;
    TestAction action(&host);
    try {
        action.ZmienParametr("Qx_NovitusECR_X", "1");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Ansi(u8"Błąd zapisu własnego parametru 'Qx_NovitusECR_X' do bazy danych"));
    }
}

TEST(Parameters, DirectoryIsCreatedAndProbed) {
    TempDir tmp;
    FakeHostLink host;
    const AnsiString dir = tmp.File("a") + PathDelim + "b";
    host.params = {{"Dir", dir}};
    TestAction action(&host);
    EXPECT_EQ(action.ParamAsDir("Dir"), dir);  // returned as read, no separator added
    EXPECT_TRUE(Os().DirectoryExists(dir));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, Ansi(u8"Katalog \"") + dir + Ansi(u8"\" nie istnieje, próba utworzenia"));
    EXPECT_FALSE(Os().FileExists(dir + PathDelim + "test"));  // the probe is removed

    host.messages.clear();
    EXPECT_EQ(action.ParamAsDir("Dir"), dir);  // existing: no message
    EXPECT_TRUE(host.messages.empty());
}

TEST(Parameters, ProbeLeavesAnExistingTestFileAlone) {
    TempDir tmp;
    WriteAll(tmp.File("test"), "user data");
    FakeHostLink host;
    host.params = {{"Dir", tmp.Dir()}};
    TestAction action(&host);
    EXPECT_EQ(action.ParamAsDir("Dir"), tmp.Dir());
    EXPECT_EQ(ReadAll(tmp.File("test")), "user data");
}

TEST(Parameters, ProbeStepsRoundAFolderNamedTest) {
    TempDir tmp;
    std::filesystem::create_directories(tmp.Path() / "test");
    FakeHostLink host;
    host.params = {{"Dir", tmp.Dir()}};
    TestAction action(&host);
    EXPECT_EQ(action.ParamAsDir("Dir"), tmp.Dir());
    EXPECT_TRUE(std::filesystem::is_directory(tmp.Path() / "test"));
}

TEST(Parameters, DirectoryThatCannotBeCreatedFails) {
    TempDir tmp;
    WriteAll(tmp.File("plik"), "x");
    FakeHostLink host;
    host.params = {{"Dir", tmp.File("plik") + PathDelim + "sub"}};
    TestAction action(&host);
    try {
        action.ParamAsDir("Dir");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Ansi(u8"Próba utworzenia katalogu zakończona błędem"));
    }
}

TEST(Parameters, WeightedFormatsAreFetchedOnce) {
    FakeHostLink host;
    host.weightedFormats = {"21SSSSS?????K"};
    TestAction action(&host);
    EXPECT_EQ(action.GetFormatyWazone().size(), 1u);
    EXPECT_EQ(action.GetFormatyWazone()[0], "21SSSSS?????K");
    EXPECT_EQ(host.formatFetches, 1);
}

TEST(Parameters, DeviceDataComesFromTheHostAtConstruction) {
    FakeHostLink host;
    host.device.id = 7;
    host.device.number = 3;
    host.device.exchangeDirectory = "/tmp/x/";
    TestAction action(&host);
    EXPECT_EQ(action.GetIdUrzadzenia(), 7);
    EXPECT_EQ(action.GetNrUrzadzenia(), 3);
    EXPECT_EQ(action.FNameKEXP(), "/tmp/x/kasa.exp");
    EXPECT_EQ(action.FNameLOG(), "/tmp/x/kasa.log");
    EXPECT_EQ(action.FNamePAR(), "/tmp/x/paragon.imp");
}

TEST(Parameters, BaseAnswersForProperties) {
    FakeHostLink host;
    TestAction action(&host);
    EXPECT_EQ(action.WlasciwosciUrzadzenia(1101), "0");
    EXPECT_EQ(action.WlasciwosciUrzadzenia(1103), "0");
    EXPECT_EQ(action.WlasciwosciUrzadzenia(1102), "");
    EXPECT_EQ(action.IleMaxStawekKolejnych(), 10);
    int a = 0, b = 0, c = 0;
    EXPECT_FALSE(action.JakSzukacParagonu(&a, &b, &c));
}

TEST(Parameters, ResultsRefusedByTheHostRaise) {
    FakeHostLink host;
    host.storeResults = false;
    TestAction action(&host);
    EXPECT_THROW(action.ZapiszWynikEksportu(), Exception);
    EXPECT_THROW(action.ZapiszKasaImp(), Exception);
    EXPECT_THROW(action.ZapiszParagonImp(), Exception);
    host.storeResults = true;
    EXPECT_NO_THROW(action.ZapiszKasaImp());
}

}  // namespace
