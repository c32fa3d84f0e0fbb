#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "TempDir.h"
#include "platform/DateTools.h"
#include "platform/Os.h"

TEST(Paths, TrailingDelimiter) {
    EXPECT_EQ(IncludeTrailingPathDelimiter(""), "");
    EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\wymiana\\"), "C:\\wymiana\\");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/tmp/x/"), "/tmp/x/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("log"), AnsiString("log") + PathDelim);
}

TEST(Paths, ExtractFilePathAcceptsBothSeparators) {
    EXPECT_EQ(ExtractFilePath("C:\\Qivera\\kasa.imp"), "C:\\Qivera\\");
    EXPECT_EQ(ExtractFilePath("/home/q/kasa.imp"), "/home/q/");
    EXPECT_EQ(ExtractFilePath("a/b\\c.txt"), "a/b\\");
    EXPECT_EQ(ExtractFilePath("kasa.imp"), "");
    EXPECT_EQ(ExtractFilePath(""), "");
}

TEST(Paths, NativePathUsesTheSystemSeparator) {
    AnsiString expected = AnsiString("log") + PathDelim + "REPORT 1.TXT";
    EXPECT_EQ(NativePath("log\\REPORT 1.TXT"), expected);
    EXPECT_EQ(NativePath("log/REPORT 1.TXT"), expected);
}

TEST(VirtualClock, SleepMovesTicksAndTime) {
    TVirtualClock clock(46000.5);
    uint32_t start = clock.GetTickCount();
    clock.Sleep(100);
    EXPECT_EQ(clock.GetTickCount() - start, 100u);
    EXPECT_EQ(TdtTools(clock.Now()).ToString(TdtTools::fmtTimeHMSms), "12:00:00.100");
    clock.Sleep(0);  // a zero-length sleep still lets time pass
    EXPECT_EQ(clock.GetTickCount() - start, 101u);
    EXPECT_EQ(clock.Elapsed(), 101u);
}

TEST(VirtualClock, ManySmallStepsAddUpExactly) {
    TVirtualClock clock(46000.0);
    for (int i = 0; i < 86400; ++i) clock.Sleep(1000);
    EXPECT_EQ(TdtTools(clock.Now()).ToString(TdtTools::fmtDateTimeCompressed),
              TdtTools(46001.0).ToString(TdtTools::fmtDateTimeCompressed));
}

TEST(VirtualClock, TicksWrapLikeTheSystemCounter) {
    TVirtualClock clock;
    clock.Advance(0xFFFFFFFFu - clock.GetTickCount());
    uint32_t before = clock.GetTickCount();
    clock.Advance(10);
    EXPECT_EQ(clock.GetTickCount(), 9u);
    EXPECT_EQ(clock.GetTickCount() - before, 10u);  // differences still right
}

TEST(VirtualClock, SetNow) {
    TVirtualClock clock;
    clock.Sleep(5000);
    clock.SetNow(45000.0);
    EXPECT_EQ(clock.Now(), 45000.0);
    clock.Sleep(43200000);
    EXPECT_EQ(clock.Now(), 45000.5);
}

TEST(VirtualClock, InstalledClockServesTheShorthands) {
    TVirtualClock clock;
    SetClock(&clock);
    uint32_t start = GetTickCount();
    Sleep(250);
    uint32_t end = GetTickCount();
    double now = Clock().Now();
    SetClock(nullptr);
    EXPECT_EQ(end - start, 250u);
    EXPECT_EQ(now, clock.Now());
    EXPECT_NE(&Clock(), static_cast<TClock*>(&clock));
}

TEST(SystemClock, NowIsAPlausibleLocalDate) {
    TdtTools now(SystemClock().Now());
    EXPECT_GE(now.Year(), 2024);
    EXPECT_LE(now.Year(), 2200);
}

class OsFiles : public ::testing::Test {
protected:
    TempDir dir;
    TOs& os = SystemOs();
};

TEST_F(OsFiles, ForceDirectoriesCreatesEveryLevel) {
    AnsiString deep = dir / "a/b/c";
    EXPECT_FALSE(os.DirectoryExists(deep));
    EXPECT_TRUE(os.ForceDirectories(deep));
    EXPECT_TRUE(os.DirectoryExists(deep));
    EXPECT_TRUE(os.DirectoryExists(dir / "a/b"));
    EXPECT_TRUE(os.ForceDirectories(deep));  // existing already
    EXPECT_TRUE(os.ForceDirectories(dir / "x\\y\\"));
    EXPECT_TRUE(os.DirectoryExists(dir / "x/y"));
    EXPECT_FALSE(os.FileExists(deep));
}

TEST_F(OsFiles, ForceDirectoriesFailsThroughAFile) {
    ASSERT_TRUE(os.CreateNewFile(dir / "file", "x"));
    EXPECT_FALSE(os.ForceDirectories(dir / "file/sub"));
    EXPECT_FALSE(os.ForceDirectories(""));
}

TEST_F(OsFiles, CreateNewFileWritesOnceAndNeverOverwrites) {
    AnsiString path = dir / "test";
    EXPECT_FALSE(os.FileExists(path));
    EXPECT_TRUE(os.CreateNewFile(path, "test"));
    EXPECT_TRUE(os.FileExists(path));
    EXPECT_FALSE(os.DirectoryExists(path));
    EXPECT_FALSE(os.CreateNewFile(path, "other"));
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), "test");
    in.close();
    EXPECT_TRUE(os.DeleteFile(path));
    EXPECT_FALSE(os.FileExists(path));
    EXPECT_FALSE(os.DeleteFile(path));
}

TEST_F(OsFiles, BackslashPathsWorkOnEverySystem) {
    AnsiString probe = dir.Path() + "\\test";
    EXPECT_TRUE(os.CreateNewFile(probe, "test"));
    EXPECT_TRUE(os.FileExists(dir / "test"));
    EXPECT_TRUE(os.DeleteFile(probe));
}

TEST_F(OsFiles, CreateNewFileInAMissingFolderFails) {
    EXPECT_FALSE(os.CreateNewFile(dir / "missing/test", "x"));
    EXPECT_FALSE(os.CreateNewFile("", "x"));
}

TEST_F(OsFiles, ShortPathNameOfAnExistingFile) {
    ASSERT_TRUE(os.CreateNewFile(dir / "short.txt", ""));
    AnsiString shortPath = os.ShortPathName(dir / "short.txt");
    EXPECT_FALSE(shortPath.empty());
    EXPECT_LE(shortPath.size(), 260u);
    EXPECT_TRUE(os.FileExists(shortPath));
}

TEST_F(OsFiles, MissingRegistryValueIsEmpty) {
    EXPECT_EQ(os.RegistryString("SOFTWARE\\velkora-test\\no-such-key", "Binaria"), "");
}
