// The export/import action layer: throttled progress, summaries, warnings and the error file.
#include <gtest/gtest.h>

#include "exchange/ExpBuf.h"
#include "exchange/ImpBuf.h"
#include "platform/Exceptions.h"
#include "platform/Os.h"
#include "platform/Translation.h"
#include "tests/framework/TestAction.h"
#include "tests/support/TempDir.h"

namespace {

std::vector<int> ReportedValues(const FakeHostLink& host) {
    std::vector<int> values;
    for (const auto& m : host.messages) {
        if (!m.changed) continue;
        const size_t mark = m.text.find(kMark);
        values.push_back(std::stoi(m.text.substr(mark + 1)));
    }
    return values;
}

TEST(ActionLayer, ProgressIsThrottledAsCountsGrow) {
    FakeHostLink host;
    TestAction action(&host);
    action.MsgAdd("Licznik", LPV_Value, 100);
    int counter = 0;
    for (int i = 0; i < 260; ++i) action.Progress(counter);
    EXPECT_EQ(counter, 260);
    std::vector<int> expected;
    for (int i = 1; i <= 30; ++i) expected.push_back(i);
    for (int i = 40; i <= 200; i += 10) expected.push_back(i);
    expected.push_back(225);
    expected.push_back(250);
    EXPECT_EQ(ReportedValues(host), expected);
}

TEST(ActionLayer, GoodsCountersAreShownWhenAskedOrNotZero) {
    FakeHostLink host;
    TestAction action(&host);
    QxExpBuf buf(&action);
    action.exp_buf = &buf;
    action.ShowTowInfo(false);
    EXPECT_TRUE(host.messages.empty());
    action.ShowTowInfo(true);
    std::vector<AnsiString> texts;
    for (const auto& m : host.messages) texts.push_back(m.text);
    ASSERT_EQ(texts.size(), 4u);
    // Texts reach the host trimmed, so the leading blank of the labels goes.
    EXPECT_EQ(texts[0], AnsiString("- do dodania:") + kMark + "0");
    EXPECT_EQ(texts[1], AnsiString("- do zmiany nazwy/stawki:") + kMark + "0");
    EXPECT_EQ(texts[2], AnsiString("- do zmiany ceny:") + kMark + "0");
    EXPECT_EQ(texts[3], Ansi(u8"- do usunięcia:") + kMark + "0");

    host.messages.clear();
    buf.il_cen = 3;
    action.ShowTowInfo(false);
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1].text, AnsiString("- do zmiany ceny:") + kMark + "3");
    action.exp_buf = nullptr;
}

TEST(ActionLayer, SalesTotalIsShownInCurrencyUnits) {
    FakeHostLink host;
    TestAction action(&host);
    QxImpBuf buf;
    buf.fisk_z_plu = true;
    buf.AddPlu("5901234123457", 1000, 1234, id_barcode);
    action.ShowTotalValue(&buf);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text,
              Ansi(u8"------ WARTOŚĆ SPRZEDAŻY:     12.34 zł. (w/g PLU) ------"));  // trimmed on the way
}

TEST(ActionLayer, WarningsGoToTheLogOrToTheHost) {
    TempDir tmp;
    FakeHostLink host;
    TestAction action(&host);
    {
        TErrorLog log(tmp.File("errors.txt"));
        action.AddWarning("do logu", &log);
        action.AddWarning("do hosta", nullptr);
        EXPECT_EQ(log.GetCount(), 1);
    }
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].kind, 1);
    EXPECT_EQ(ReadAll(tmp.File("errors.txt")), "do logu\r\n");
}

TEST(ActionLayer, LoggedWarningsAreSummarisedAndCutAfterTwenty) {
    TempDir tmp;
    FakeHostLink host;
    TestAction action(&host);
    TErrorLog log(tmp.File("errors.txt"));
    for (int i = 1; i <= 25; ++i) log.Add("linia " + IntToStr(i));
    action.LogWarnings(&log, "Ostrzezenia: ", " szt.", LPV_Warning);
    ASSERT_EQ(host.messages.size(), 22u);
    EXPECT_EQ(host.messages[0].text, "Ostrzezenia: 25 szt.");
    EXPECT_EQ(host.messages[1].text, "linia 1");
    EXPECT_EQ(host.messages[20].text, "linia 20");
    EXPECT_EQ(host.messages[21].text, "i tak dalej...");
    for (const auto& m : host.messages) EXPECT_EQ(m.kind, 1);
}

TEST(ActionLayer, ShortWarningLogIsShownWhole) {
    TempDir tmp;
    FakeHostLink host;
    TestAction action(&host);
    TErrorLog log(tmp.File("errors.txt"));
    log.Add("a");
    log.Add("");
    log.Add("b");
    action.LogWarnings(&log, "N: ", "", LPV_Error);
    ASSERT_EQ(host.messages.size(), 3u);  // the empty line is skipped
    EXPECT_EQ(host.messages[1].text, "a");
    EXPECT_EQ(host.messages[2].text, "b");
    host.messages.clear();
    TErrorLog empty(tmp.File("empty.txt"));
    action.LogWarnings(&empty, "N: ", "", LPV_Error);
    EXPECT_TRUE(host.messages.empty());
}

TEST(ActionLayer, ErrorLogFileIsEmptiedWhenCreatedAndReadBack) {
    TempDir tmp;
    WriteAll(tmp.File("e.txt"), "stare\r\n");
    TErrorLog log(tmp.File("e.txt"));
    EXPECT_EQ(ReadAll(tmp.File("e.txt")), "");
    log.Add("x");
    log.Add("y");
    AnsiString line;
    EXPECT_FALSE(log.GetFirst(line));
    EXPECT_EQ(line, "x");
    EXPECT_FALSE(log.GetNext(line));
    EXPECT_EQ(line, "y");
    EXPECT_TRUE(log.GetNext(line));
    EXPECT_EQ(line, "");
}

TEST(ActionLayer, MessageBoxNeverBlocksAndAnswersTheSafeButton) {
    FakeHostLink host;
    TestAction action(&host);
    EXPECT_EQ(action.MessageBoxA("t", "c", 0), 1);
    EXPECT_EQ(action.MessageBoxA("t", "c", 1), 1);
    EXPECT_EQ(action.MessageBoxA("t", "c", 2), 5);
    EXPECT_EQ(action.MessageBoxA("t", "c", 3), 2);
    EXPECT_EQ(action.MessageBoxA("t", "c", 0x34), 7);  // only the low four bits count
    EXPECT_EQ(action.MessageBoxA("t", "c", 5), 2);
    EXPECT_EQ(action.MessageBoxA("t", "c", 6), 2);
    ASSERT_EQ(action.error_log.size(), 7u);
    EXPECT_EQ(action.error_log[0], "c (t)");
}

TEST(ActionLayer, RejectedGoodsAreReportedOnceAndWrittenToTheLogFile) {
    TempDir tmp;
    FakeHostLink host;
    host.device.exchangeDirectory = tmp.Dir();
    TestAction action(&host);
    for (int i = 1; i <= 12; ++i) action.SetErrorLog("towar " + IntToStr(i));
    action.warning_log.push_back("ostrzezenie");

    action.LogujOdrzuconePrzyEksporcie();  // nothing exported: no report
    EXPECT_TRUE(host.messages.empty());

    action.Fcokolwiek_eksportowano = true;
    action.LogujOdrzuconePrzyEksporcie();
    std::vector<AnsiString> texts;
    for (const auto& m : host.messages)
        if (!m.changed) texts.push_back(m.text);
    ASSERT_EQ(texts.size(), 1u + 10u + 1u + 1u + 1u);
    EXPECT_EQ(host.messages[1].text, AnsiString("- towary odrzucone:") + kMark + "12");
    EXPECT_EQ(texts[1], "...towar 1");
    EXPECT_EQ(texts[11], "i tak dalej...");
    EXPECT_EQ(texts[13], "...ostrzezenie");
    EXPECT_TRUE(action.Frej_reported);
    EXPECT_TRUE(action.error_log.empty());

    const AnsiString file = ReadAll(tmp.File("kasa.log"));
    EXPECT_EQ(file.substr(0, 82), AnsiString(80, '-') + "\r\n");
    EXPECT_NE(file.find(Ansi(u8"\n\rTowary odrzucone i ostrzeżenia:\r\ntowar 1\r\n")), AnsiString::npos);
    EXPECT_EQ(file.substr(file.size() - 12), "towar 12\r\n\r\n");
    EXPECT_EQ(file.find("ostrzezenie"), AnsiString::npos);  // only rejected goods reach the file

    host.messages.clear();
    action.LogujOdrzuconePrzyEksporcie();  // once per action
    EXPECT_TRUE(host.messages.empty());
}

class VirtualTime : public ::testing::Test {
protected:
    void SetUp() override { SetClock(&clock); }
    void TearDown() override { SetClock(nullptr); }
    TVirtualClock clock;
};

TEST_F(VirtualTime, WaitForFileCountsDownAndGivesUp) {
    TempDir tmp;
    FakeHostLink host;
    TestAction action(&host);
    action.MsgAdd("Czekam", LPV_None, 100);
    EXPECT_EQ(action.WaitForFileState(tmp.File("brak"), false, 10), -1);
    std::vector<AnsiString> shown;
    for (const auto& m : host.messages)
        if (m.changed) shown.push_back(m.text.substr(m.text.find(kMark) + 1));
    std::vector<AnsiString> expected;
    for (int s = 10; s >= 1; --s) expected.push_back(IntToStr(s));
    EXPECT_EQ(shown, expected);
}

TEST_F(VirtualTime, WaitForFileEndsWhenTheFileAppearsOrOnAbort) {
    TempDir tmp;
    FakeHostLink host;
    TestAction action(&host);
    WriteAll(tmp.File("jest"), "x");
    EXPECT_EQ(action.WaitForFileState(tmp.File("jest"), false, 10), 1);
    EXPECT_EQ(action.WaitForFileState(tmp.File("brak"), true, 0), 1);
    host.abortRequested = true;
    EXPECT_EQ(action.WaitForFileState(tmp.File("brak"), false, 0), 0);
}

TEST_F(VirtualTime, ResourceWaitPollsEvery100msUntilGrantedOrAborted) {
    FakeHostLink host;
    host.grantResource = false;
    host.abortRequested = true;
    TestAction action(&host);
    const uint32_t start = clock.GetTickCount();
    EXPECT_THROW(action.ZajmijZasobSterownika("COM1"), EAbort);
    EXPECT_EQ(clock.GetTickCount(), start);  // the abort check comes before the first pause
    host.grantResource = true;
    EXPECT_NO_THROW(action.ZajmijZasobSterownika("COM1"));
}

}  // namespace
