#include <gtest/gtest.h>

#include "platform/IntegerSet.h"
#include "platform/Os.h"
#include "platform/StringTools.h"

TEST(SelectWord, RunsOfSeparatorsAreOneBreak) {
    TxTools text("  EUR   4.3456;x");
    EXPECT_EQ(text.SelectWord(0, " "), "EUR");
    EXPECT_EQ(text.SelectWord(1, " "), "4.3456;x");
    EXPECT_EQ(text.SelectWord(1, " ;"), "4.3456");
    EXPECT_EQ(text.SelectWord(2, " ;"), "x");
    EXPECT_EQ(text.SelectWord(3, " ;"), "");
    EXPECT_EQ(text.SelectWord(-1, " ;"), "");
}

TEST(SelectWord, ReportsWhetherTheWordExists) {
    TxTools text("a;;b;");
    bool found = false;
    EXPECT_EQ(text.SelectWordEx(1, found, ";"), "b");
    EXPECT_TRUE(found);
    EXPECT_EQ(text.SelectWordEx(2, found, ";"), "");
    EXPECT_FALSE(found);
    EXPECT_EQ(TxTools("").SelectWordEx(0, found, ";"), "");
    EXPECT_FALSE(found);
    EXPECT_EQ(TxTools("abc").SelectWordEx(0, found, ""), "abc");
    EXPECT_TRUE(found);
}

TEST(TxTools, DeletingCharacters) {
    TxTools text("5-90 1234\xB3");
    EXPECT_EQ(text.DelAnyChar("- "), "5901234\xB3");
    EXPECT_EQ(text.DelAnyOtherChar("0123456789"), "5901234");
    EXPECT_EQ(text.DelChars(' '), "5-901234\xB3");
    EXPECT_EQ(text.Text(), "5-90 1234\xB3");
}

TEST(TxTools, ContainsAnyChar) {
    EXPECT_TRUE(TxTools("12;3").ContainsAnyChar(";,"));
    EXPECT_FALSE(TxTools("123").ContainsAnyChar(";,"));
    EXPECT_FALSE(TxTools("123").ContainsAnyChar(""));
}

TEST(TxTools, ReplacingCharacters) {
    EXPECT_EQ(TxTools("1,25,0").Chars2Char(',', '.'), "1.25.0");
    EXPECT_EQ(TxTools("a;b").Chars2Str(';', "\r\n"), "a\r\nb");
    EXPECT_EQ(TxTools("a;b").Chars2Str(';', ""), "ab");
}

TEST(TxTools, FileNameAndExtension) {
    EXPECT_EQ(TxTools("C:\\Qivera\\wymiana\\kasa.imp").FileName(), "kasa.imp");
    EXPECT_EQ(TxTools("/tmp/x/kasa.imp").FileExtension(), ".imp");
    EXPECT_EQ(TxTools("dir.d/README").FileExtension(), "");
    EXPECT_EQ(TxTools("archive.tar.gz").FileExtension(), ".gz");
    EXPECT_EQ(TxTools("C:name.txt").FileName(), "name.txt");
    EXPECT_EQ(TxTools("folder\\").FileName(), "");
}

namespace {

class RecordingOs : public TOs {
public:
    bool FileExists(const AnsiString&) override { return false; }
    bool DirectoryExists(const AnsiString&) override { return false; }
    bool ForceDirectories(const AnsiString&) override { return false; }
    bool DeleteFile(const AnsiString&) override { return false; }
    bool CreateNewFile(const AnsiString&, const AnsiString&) override { return false; }
    AnsiString ShortPathName(const AnsiString& path) override { return path; }
    AnsiString RegistryString(const AnsiString&, const AnsiString&) override { return ""; }
    int MessageBox(const AnsiString& text, const AnsiString& caption, int flags) override {
        shown = caption + "|" + text + "|" + std::to_string(flags);
        return 6;
    }
    AnsiString shown;
};

}  // namespace

TEST(TxTools, MessageBoxGoesToTheOperatingSystem) {
    RecordingOs os;
    SetOs(&os);
    int answer = TxTools::MsgBox("Wyj\xB9tek", "Uwaga!!!", 0x24);
    SetOs(nullptr);
    EXPECT_EQ(answer, 6);
    EXPECT_EQ(os.shown, "Uwaga!!!|Wyj\xB9tek|36");
}

TEST(IntegerSet, KeepsOrderOfInsertionWithoutDuplicates) {
    TMacSetOfIntegers set;
    for (int rate : {2300, 800, 2300, -1, 500, 800}) set.Add(rate);
    ASSERT_EQ(set.GetCount(), 4);
    EXPECT_EQ(set.GetValues(0), 2300);
    EXPECT_EQ(set.GetValues(1), 800);
    EXPECT_EQ(set.GetValues(2), -1);
    EXPECT_EQ(set.GetValues(3), 500);
    EXPECT_TRUE(set.Contains(-1));
    EXPECT_FALSE(set.Contains(0));
    EXPECT_THROW(set.GetValues(4), std::out_of_range);
    set.Clear();
    EXPECT_EQ(set.GetCount(), 0);
}
