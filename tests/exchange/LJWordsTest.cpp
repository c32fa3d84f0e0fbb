#include "exchange/LJWords.h"

#include <gtest/gtest.h>

namespace {
TLJWords Semicolons() {
    TLJWords w;
    w.FSeparator = ";";
    return w;
}
}  // namespace

TEST(LJWords, EmptyMiddleWordAndRunningOut) {
    TLJWords w = Semicolons();
    EXPECT_EQ(w.Init("PLU;1;;x"), 4);
    EXPECT_EQ(w[0], "PLU");
    EXPECT_EQ(w[2], "");
    EXPECT_FALSE(w.Feof);
    EXPECT_EQ(w[3], "x");
    EXPECT_FALSE(w.Feof);
    EXPECT_EQ(w[4], "");
    EXPECT_TRUE(w.Feof);
}

TEST(LJWords, TrailingSeparatorAddsNoWord) {
    TLJWords w = Semicolons();
    EXPECT_EQ(w.Init("a;b;"), 2);
    EXPECT_EQ(w.Init(";"), 1);
    EXPECT_EQ(w[0], "");
    EXPECT_EQ(w.Init(""), 0);
    EXPECT_EQ(w.Init(";;"), 2);
    EXPECT_EQ(w.Init("a;;"), 2);
    EXPECT_EQ(w[1], "");
}

TEST(LJWords, NoTrimmingNoQuoting) {
    TLJWords w = Semicolons();
    EXPECT_EQ(w.Init(" a ;\"b;c\""), 3);
    EXPECT_EQ(w[0], " a ");
    EXPECT_EQ(w[1], "\"b");
    EXPECT_EQ(w[2], "c\"");
}

TEST(LJWords, InitResetsFeof) {
    TLJWords w = Semicolons();
    w.Init("a");
    w[5];
    EXPECT_TRUE(w.Feof);
    w.Init("a;b");
    EXPECT_FALSE(w.Feof);
}

TEST(LJWords, NegativeIndexGivesEmptyWithoutFeof) {
    TLJWords w = Semicolons();
    w.Init("a;b");
    EXPECT_EQ(w[-1], "");
    EXPECT_FALSE(w.Feof);
}

TEST(LJWords, EmptySeparatorKeepsTheWholeLine) {
    TLJWords w;
    EXPECT_EQ(w.Init("a;b c"), 1);
    EXPECT_EQ(w[0], "a;b c");
}

TEST(LJWords, LongerSeparator) {
    TLJWords w;
    w.FSeparator = "::";
    EXPECT_EQ(w.Init("a::b:c::"), 2);
    EXPECT_EQ(w[1], "b:c");
}

TEST(LJWords, AssignmentSplitsAndReturnsTheLine) {
    TLJWords w = Semicolons();
    const AnsiString r = (w = "x;y;z");
    EXPECT_EQ(r, "x;y;z");
    EXPECT_EQ(w.GetCount(), 3);
}

TEST(LJWords, GetSetsFeofAtTheLastWord) {
    TLJWords w = Semicolons();
    w.Init("a;b;c");
    EXPECT_EQ(w.Get(1), "b");
    EXPECT_FALSE(w.Feof);
    EXPECT_EQ(w.Get(2), "c");
    EXPECT_TRUE(w.Feof);
}

TEST(LJWords, PutReplacesOrAppends) {
    TLJWords w = Semicolons();
    w.Init("a;b");
    w.Put(0, "A");
    w.Put(9, "c");
    w.Put(-1, "never");
    EXPECT_EQ(static_cast<AnsiString>(w), "A;b;c");
}

TEST(LJWords, JoinWithWidthsCutsOrRightAligns) {
    TLJWords w = Semicolons();
    w.Init("ab;abcdef");
    w.SetSize(0, 4);
    w.SetSize(1, 4);
    EXPECT_EQ(w.GetSize(0), 4);
    EXPECT_EQ(w.GetSize(2), -1);
    EXPECT_EQ(static_cast<AnsiString>(w), "  ab;abcd");
    w.Init("ab;abcdef");
    EXPECT_EQ(w.GetSize(0), -1);
    EXPECT_EQ(static_cast<AnsiString>(w), "ab;abcdef");
}
