// Progress lines, their value column and the final error report as the host receives them.
#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "platform/Translation.h"
#include "tests/framework/TestAction.h"

namespace {

class Messages : public ::testing::Test {
protected:
    FakeHostLink host;
    TestAction action{&host};
    const std::vector<FakeMessage>& sent() { return host.messages; }
};

TEST_F(Messages, PercentLineStartsAtZeroAndReportsWholePercentages) {
    action.MsgAdd("Pierwsza\r\nDruga", LPV_Percent, 10);
    ASSERT_EQ(sent().size(), 2u);
    EXPECT_EQ(sent()[0].text, "Pierwsza");
    EXPECT_EQ(sent()[1].text, AnsiString("Druga:") + kMark + "0 %");
    EXPECT_FALSE(sent()[1].changed);

    action.MsgP(5);
    ASSERT_EQ(sent().size(), 3u);
    EXPECT_TRUE(sent()[2].changed);
    EXPECT_EQ(sent()[2].text, AnsiString("Druga:") + kMark + "50 %");

    action.MsgP(5);  // unchanged progress sends nothing
    EXPECT_EQ(sent().size(), 3u);
}

TEST_F(Messages, ValueLinesCarryTheValueOnEveryLineAndTheColonOnTheLast) {
    action.MsgAdd("a\nb", LPV_Value, 0);
    ASSERT_EQ(sent().size(), 2u);
    EXPECT_EQ(sent()[0].text, AnsiString("a") + kMark + "0");
    EXPECT_EQ(sent()[1].text, AnsiString("b:") + kMark + "0");
    EXPECT_EQ(action.GetLastMax(), 1);  // a maximum below 1 is raised to 1
    action.MsgP(7);
    EXPECT_EQ(sent().back().text, AnsiString("b:") + kMark + "7");
}

TEST_F(Messages, StatesChooseTheKindAndTheOkMark) {
    action.MsgAdd("blad", LPV_Error, 100);
    action.MsgAdd("uwaga", LPV_Warning, 100);
    action.MsgAdd("gotowe", LPV_Ok, 100);
    action.MsgAdd("zwykly", LPV_None, 100);
    ASSERT_EQ(sent().size(), 4u);
    EXPECT_EQ(sent()[0].kind, 2);
    EXPECT_EQ(sent()[1].kind, 1);
    EXPECT_EQ(sent()[2].text, AnsiString("gotowe") + kMark + "OK");
    EXPECT_EQ(sent()[3].kind, 0);
    EXPECT_EQ(sent()[3].text, "zwykly");
}

TEST_F(Messages, EmptyTextSendsNothingAndKeepsTheProgressState) {
    action.MsgAdd("linia", LPV_Percent, 4);
    action.MsgAdd("", LPV_Ok, 100);
    EXPECT_EQ(sent().size(), 1u);
    EXPECT_EQ(action.GetLastState(), LPV_Percent);
}

TEST_F(Messages, StateChangesRewriteTheLastLine) {
    action.MsgAdd("Krok", LPV_Percent, 4);
    action.MsgP(1);
    action.MsgS(LPV_Ok);
    EXPECT_EQ(sent().back().text, AnsiString("Krok") + kMark + "OK");
    EXPECT_EQ(sent().back().kind, 0);
    action.MsgS(LPV_Error);
    EXPECT_EQ(sent().back().text, "Krok");
    EXPECT_EQ(sent().back().kind, 2);
    action.MsgS(LPV_Percent);
    EXPECT_EQ(sent().back().text, AnsiString("Krok:") + kMark + "25 %");
    action.MsgS(LPV_Value);
    EXPECT_EQ(sent().back().text, AnsiString("Krok:") + kMark + "1");
    const size_t before = sent().size();
    action.MsgS(LPV_Value);  // same state: nothing
    EXPECT_EQ(sent().size(), before);
}

TEST_F(Messages, OkRightAfterAnOkLineSendsNothing) {
    action.MsgAdd("Gotowe", LPV_Ok, 100);
    action.MsgS(LPV_Ok);
    EXPECT_EQ(sent().size(), 1u);
}

TEST_F(Messages, LastMessageWithoutItsValue) {
    action.MsgAdd("Etykieta", LPV_Percent, 100);
    action.MsgS(LPV_Ok);
    EXPECT_EQ(action.PodajOstatniKomunikat(true), "Etykieta");
    EXPECT_EQ(action.PodajOstatniKomunikat(false), AnsiString("Etykieta") + kMark + "OK");
}

TEST_F(Messages, TextsAreTrimmedBeforeTheyReachTheHost) {
    action.DodajKomunikat(0, "  tekst \r\n");
    EXPECT_EQ(sent().back().text, "tekst");
    EXPECT_EQ(action.ZmienOstatniKomunikat(1, " nowy "), "tekst");
    EXPECT_EQ(sent().back().text, "nowy");
    EXPECT_EQ(sent().back().kind, 1);
}

// ---- final error capture ----

TEST_F(Messages, UnknownFailure) {
    action.OstatecznePrzechwycenieBledu("eksport", nullptr);
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(sent()[0].kind, 2);
    EXPECT_EQ(sent()[0].text, Ansi(u8"Podczas wykonywania operacji 'eksport' wystąpił nierozpoznawalny błąd"));
}

TEST_F(Messages, AbortIsAnInterruption) {
    EAbort abort;
    action.OstatecznePrzechwycenieBledu("import", &abort);
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(sent()[0].text, Ansi(u8"Operacja 'import' została przerwana"));
}

TEST_F(Messages, OrdinaryErrorGivesHeaderAndMessageLines) {
    Exception e("pierwsza\r\ndruga");
    action.OstatecznePrzechwycenieBledu("test", &e);
    ASSERT_EQ(sent().size(), 3u);
    EXPECT_EQ(sent()[0].text, Ansi(u8"Podczas wykonywania operacji 'test' wystąpił błąd:"));
    EXPECT_EQ(sent()[1].text, "pierwsza");
    EXPECT_EQ(sent()[2].text, "druga");
    for (const auto& m : sent()) EXPECT_EQ(m.kind, 2);
    EXPECT_NE(sent()[0].text.find('\xb9'), AnsiString::npos);  // "ą" of "wystąpił" in Windows-1250
}

TEST_F(Messages, FrameworkErrorListsItsTopics) {
    EMException e({{12, "Plik", "Brak dostepu"}, {13, "Drugi", "Opis"}});
    action.OstatecznePrzechwycenieBledu("op", &e);
    ASSERT_EQ(sent().size(), 5u);
    EXPECT_EQ(sent()[1].text, "[12] Plik");
    EXPECT_EQ(sent()[2].text, "Brak dostepu");
    EXPECT_EQ(sent()[3].text, "[13] Drugi");
    EXPECT_EQ(sent()[4].text, "Opis");
}

TEST_F(Messages, FrameworkErrorWithoutTopicsIsTheHeaderAlone) {
    EMException e(std::vector<EMException::Topic>{});
    action.OstatecznePrzechwycenieBledu("op", &e);
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(sent()[0].text, Ansi(u8"Podczas wykonywania operacji 'op' wystąpił błąd:"));
}

TEST_F(Messages, StandardLibraryErrorsAreReportedWithTheirText) {
    std::runtime_error e("boom");
    action.OstatecznePrzechwycenieBledu("op", &e);
    ASSERT_EQ(sent().size(), 2u);
    EXPECT_EQ(sent()[1].text, "boom");
}

// ---- abort ----

TEST(Abort, HostWithoutTheAbortCallbackAbortsAtOnce) {
    FakeHostLink host;
    host.hasAbortCallback = false;
    TestAction action(&host);
    EXPECT_TRUE(action.CzyPrzerwac());
    EXPECT_THROW(action.SprawdzCzyPrzerwac(), EAbort);
}

TEST(Abort, AbortCheckFollowsTheHostsSwitch) {
    FakeHostLink host;
    TestAction action(&host);
    EXPECT_NO_THROW(action.SprawdzCzyPrzerwac());
    host.abortRequested = true;
    EXPECT_THROW(action.SprawdzCzyPrzerwac(), EAbort);
}

}  // namespace
