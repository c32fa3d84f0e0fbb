#include <gtest/gtest.h>

#include <climits>

#include "platform/Exceptions.h"
#include "platform/Strings.h"

TEST(SubString, TakesCountCharactersFromOneBasedPosition) {
    EXPECT_EQ(SubString("ABCDEF", 1, 3), "ABC");
    EXPECT_EQ(SubString("ABCDEF", 3, 2), "CD");
    EXPECT_EQ(SubString("ABCDEF", 6, 1), "F");
}

TEST(SubString, CountBeyondTheEndStopsAtTheEnd) {
    EXPECT_EQ(SubString("ABCDEF", 4, 100), "DEF");
    EXPECT_EQ(SubString("ABCDEF", 2, INT_MAX), "BCDEF");
}

TEST(SubString, PositionPastTheEndOrEmptyCountGivesEmptyText) {
    EXPECT_EQ(SubString("ABCDEF", 7, 1), "");
    EXPECT_EQ(SubString("ABCDEF", INT_MAX, INT_MAX), "");
    EXPECT_EQ(SubString("ABCDEF", 2, 0), "");
    EXPECT_EQ(SubString("ABCDEF", 2, -5), "");
    EXPECT_EQ(SubString("", 1, 1), "");
}

TEST(SubString, PositionBelowOneCountsAsOne) {
    EXPECT_EQ(SubString("ABCDEF", 0, 2), "AB");
    EXPECT_EQ(SubString("ABCDEF", -10, 3), "ABC");
    EXPECT_EQ(SubString("ABCDEF", INT_MIN, INT_MAX), "ABCDEF");
}

TEST(SubString, KeepsZeroAndHighBytes) {
    const AnsiString text("A\0\xB3Z", 4);
    EXPECT_EQ(SubString(text, 2, 2), AnsiString("\0\xB3", 2));
}

TEST(Pos, FindsFirstOccurrenceFromOne) {
    EXPECT_EQ(Pos("CD", "ABCDCD"), 3);
    EXPECT_EQ(Pos("A", "ABC"), 1);
    EXPECT_EQ(Pos("X", "ABC"), 0);
    EXPECT_EQ(Pos("", "ABC"), 0);
    EXPECT_EQ(Pos("ABCD", "ABC"), 0);
}

TEST(Trim, RemovesControlBytesAndBlanksButNotHighBytes) {
    EXPECT_EQ(Trim(" \t\r\nab c\x01 "), "ab c");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a \r\n"), "  a");
    EXPECT_EQ(Trim("\xA0x\xB3"), "\xA0x\xB3");
    EXPECT_EQ(Trim("   "), "");
}

TEST(Case, OnlyAsciiLettersChange) {
    EXPECT_EQ(UpperCase("abc\xB3z1"), "ABC\xB3Z1");
    EXPECT_EQ(LowerCase("ABC\xA3Z1"), "abc\xA3z1");
    EXPECT_TRUE(SameText("Kasa.Imp", "KASA.IMP"));
    EXPECT_FALSE(SameText("\xB3", "\xA3"));
    EXPECT_FALSE(SameText("ab", "abc"));
}

TEST(StartsEnds, CompareWholePrefixOrSuffix) {
    EXPECT_TRUE(StartsWith("PLU;1", "PLU;"));
    EXPECT_FALSE(StartsWith("PL", "PLU"));
    EXPECT_TRUE(EndsWith("kasa.imp", ".imp"));
    EXPECT_FALSE(EndsWith("imp", "kasa.imp"));
    EXPECT_TRUE(StartsWith("x", ""));
}

TEST(IntegerText, WritesDecimal) {
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-42), "-42");
    EXPECT_EQ(IntToStr(LLONG_MIN), "-9223372036854775808");
}

TEST(StrictInteger, AcceptsSignAndDigitsOnly) {
    int value = 0;
    EXPECT_TRUE(TryStrToInt("123", value));
    EXPECT_EQ(value, 123);
    EXPECT_TRUE(TryStrToInt("-7", value));
    EXPECT_EQ(value, -7);
    EXPECT_TRUE(TryStrToInt("+7", value));
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(TryStrToInt("0042", value));
    EXPECT_EQ(value, 42);
    for (const char* bad : {"", " 1", "1 ", "1a", "-", "+", "1.0", "0x10", "--1", "1e3"}) {
        value = 99;
        EXPECT_FALSE(TryStrToInt(bad, value)) << bad;
        EXPECT_EQ(value, 99) << bad;
    }
}

TEST(StrictInteger, RangeOfInt) {
    int value = 0;
    EXPECT_TRUE(TryStrToInt("2147483647", value));
    EXPECT_EQ(value, INT_MAX);
    EXPECT_TRUE(TryStrToInt("-2147483648", value));
    EXPECT_EQ(value, INT_MIN);
    EXPECT_FALSE(TryStrToInt("2147483648", value));
    EXPECT_FALSE(TryStrToInt("-2147483649", value));
    EXPECT_FALSE(TryStrToInt("99999999999999999999999999", value));
}

TEST(StrictInteger, SixtyFourBit) {
    long long value = 0;
    EXPECT_TRUE(TryStrToInt64("-9223372036854775808", value));
    EXPECT_EQ(value, LLONG_MIN);
    EXPECT_TRUE(TryStrToInt64("9223372036854775807", value));
    EXPECT_EQ(value, LLONG_MAX);
    EXPECT_FALSE(TryStrToInt64("9223372036854775808", value));
    EXPECT_EQ(StrToInt64("5000000000"), 5000000000LL);
}

// Long runs of digits are read eight at a time: every digit at every place, and a byte next to
// the digits at every place of the run.
TEST(StrictInteger, EveryDigitAndNearMissAtEveryPlace) {
    long long value = 0;
    for (size_t length = 1; length <= 18; ++length)
        for (size_t at = 0; at < length; ++at) {
            for (char digit = '0'; digit <= '9'; ++digit) {
                std::string text(length, '7');
                text[at] = digit;
                ASSERT_TRUE(TryStrToInt64(text, value)) << text;
                EXPECT_EQ(value, std::stoll(text)) << text;
            }
            for (char near : {'/', ':', '?', '@', ' ', '\x10', '\xB5', '\x75'}) {
                std::string text(length, '1');
                text[at] = near;
                EXPECT_FALSE(TryStrToInt64(text, value)) << length << " " << at << " " << int(near);
            }
        }
}

TEST(StrictInteger, StrToIntRaisesWithTheText) {
    EXPECT_EQ(StrToInt("15"), 15);
    try {
        StrToInt("12x");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'12x' is not a valid integer value");
    }
    EXPECT_THROW(StrToInt(""), EConvertError);
    EXPECT_EQ(StrToIntDef("x", -1), -1);
    EXPECT_EQ(StrToIntDef("8", -1), 8);
}

TEST(StrictFloat, DecimalPointAndExponent) {
    long double value = 0;
    EXPECT_TRUE(TryStrToFloat("12.5", value));
    EXPECT_EQ(value, 12.5L);
    EXPECT_TRUE(TryStrToFloat("-.5", value));
    EXPECT_EQ(value, -0.5L);
    EXPECT_TRUE(TryStrToFloat("1e3", value));
    EXPECT_EQ(value, 1000.0L);
    for (const char* bad : {"", ".", "1,5", " 1", "1e", "e5", "1.2.3", "abc"})
        EXPECT_FALSE(TryStrToFloat(bad, value)) << bad;
    try {
        StrToFloat("1,5");
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'1,5' is not a valid floating point value");
    }
}

TEST(CLibraryConversions, TakeTheLeadingNumber) {
    EXPECT_EQ(CAtoi("  42abc"), 42);
    EXPECT_EQ(CAtoi("-3"), -3);
    EXPECT_EQ(CAtoi("abc"), 0);
    EXPECT_EQ(CAtoi(""), 0);
    EXPECT_EQ(CAtoi("99999999999999999999"), INT_MAX);
    EXPECT_DOUBLE_EQ(CAtof("3.25xyz"), 3.25);
    EXPECT_DOUBLE_EQ(CAtof(" -1e2"), -100.0);
    EXPECT_DOUBLE_EQ(CAtof("1,5"), 1.0);
    EXPECT_DOUBLE_EQ(CAtof("x"), 0.0);
}

TEST(CLibraryConversions, SignsAndBlanks) {
    const struct {
        const char* text;
        bool strict;  // TryStrToInt64 accepts it
        int atoi;
    } cases[] = {{"+5", true, 5},
                 {"-5", true, -5},
                 {"+-5", false, 0},
                 {"-+5", false, 0},
                 {"--5", false, 0},
                 {"+", false, 0},
                 {"-", false, 0},
                 {" 5", false, 5},
                 {"5 ", false, 5},
                 {" \t\n+7x", false, 7},
                 {"-2147483649", true, INT_MIN},
                 {"000000000000001234", true, 1234},
                 {"-999999999999999999", true, INT_MIN},
                 {"00000012x4", false, 12},
                 {"+99999999999999999999", false, INT_MAX},
                 {"-99999999999999999999", false, INT_MIN}};
    for (const auto& c : cases) {
        long long value = 0;
        EXPECT_EQ(TryStrToInt64(c.text, value), c.strict) << c.text;
        EXPECT_EQ(CAtoi(c.text), c.atoi) << c.text;
    }
}

TEST(AnsiCompare, ComparesBytesAsUnsigned) {
    EXPECT_EQ(AnsiCompare("abc", "abc"), 0);
    EXPECT_LT(AnsiCompare("abc", "abd"), 0);
    EXPECT_GT(AnsiCompare("abd", "abc"), 0);
    EXPECT_LT(AnsiCompare("ab", "abc"), 0);
    EXPECT_GT(AnsiCompare("\xB3", "z"), 0);  // 0xB3 sorts after every ASCII byte
    EXPECT_LT(AnsiCompare("", "\x01"), 0);
}

TEST(SplitLines, AnyLineEnd) {
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<AnsiString>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n"), (std::vector<AnsiString>{"a"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), (std::vector<AnsiString>{"a", "", "b"}));
    EXPECT_TRUE(SplitLines("").empty());
}

TEST(ReplaceAll, EveryOccurrenceLeftToRight) {
    EXPECT_EQ(ReplaceAll("a;b;c", ";", "\r\n"), "a\r\nb\r\nc");
    EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

TEST(Format, PrintfStyleOfAnyLength) {
    EXPECT_EQ(Format("%s;%d;%.0Lf", "PLU", 7, 1234.5L), "PLU;7;1234");
    EXPECT_EQ(Format("%05d", 17), "00017");
    AnsiString longText(1000, 'x');
    EXPECT_EQ(Format("[%s]", longText.c_str()), "[" + longText + "]");
}

TEST(HostBuffer, CutsAtThreeHundredAndTerminates) {
    char buffer[301];
    memset(buffer, 'Z', sizeof buffer);
    CopyToHostBuffer(buffer, AnsiString(400, 'a'));
    EXPECT_EQ(AnsiString(buffer), AnsiString(300, 'a'));
    EXPECT_EQ(buffer[300], '\0');

    memset(buffer, 'Z', sizeof buffer);
    CopyToHostBuffer(buffer, "abc");
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(buffer[300], '\0');

    CopyToHostBuffer(nullptr, "abc");  // ignored
}

TEST(HostBuffer, OtherLimit) {
    char buffer[261];
    memset(buffer, 'Z', sizeof buffer);
    CopyToHostBuffer(buffer, AnsiString(300, 'd'), 260);
    EXPECT_EQ(AnsiString(buffer), AnsiString(260, 'd'));
}
