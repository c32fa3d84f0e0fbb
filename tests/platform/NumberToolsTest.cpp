#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <random>
#include <vector>

#include "platform/NumberTools.h"

TEST(RoundHalfAway, WholeNumbers) {
    EXPECT_EQ(RoundHalfAway(62.75L), 63);
    EXPECT_EQ(RoundHalfAway(62.5L), 63);
    EXPECT_EQ(RoundHalfAway(62.49L), 62);
    EXPECT_EQ(RoundHalfAway(-0.5L), -1);
    EXPECT_EQ(RoundHalfAway(-1.5L), -2);
    EXPECT_EQ(RoundHalfAway(-0.4L), 0);
    EXPECT_EQ(RoundHalfAway(0.5L), 1);
    EXPECT_EQ(RoundHalfAway(2.5L), 3);  // not to the even neighbour
}

TEST(TxfRound, Decimals) {
    EXPECT_EQ(TxfTools(62.75L).Round(0).Value(), 63);
    EXPECT_EQ(TxfTools(-0.5L).Round(0).Value(), -1);
    EXPECT_EQ(TxfTools(2.345L).Round(2).ToString(0, 2), "2.35");
    EXPECT_EQ(TxfTools(-2.345L).Round(2).ToString(0, 2), "-2.35");
    EXPECT_EQ(TxfTools(1250).Round(-2).Value(), 1300);
}

TEST(TxfRound, HalvesThatBinaryCannotHoldExactly) {
    // 1.005 and 1.015 are just below their halves as doubles; a person expects them rounded up.
    EXPECT_EQ(TxfTools(1.005).Round(2).ToString(0, 2), "1.01");
    EXPECT_EQ(TxfTools(1.015).Round(2).ToString(0, 2), "1.02");
    EXPECT_EQ(TxfTools(0.285).Round(2).ToString(0, 2), "0.29");
    EXPECT_EQ(TxfTools(1.0049).Round(2).ToString(0, 2), "1.00");
}

TEST(TxfRound, NegativeZeroIsNotShown) {
    EXPECT_EQ(TxfTools(-0.001L).ToString(0, 2), "0.00");
    EXPECT_EQ(TxfTools(-0.4L).ToString(0, 0), "0");
}

TEST(TxfRound, HugeAndNonFiniteValuesAreLeftAlone) {
    EXPECT_EQ(TxfTools(1e30L).Round(2).Value(), 1e30L);
    TxfTools infinite(HUGE_VALL);
    infinite.Round(2);
    EXPECT_EQ(infinite.Value(), HUGE_VALL);
}

TEST(TxfText, FixedPointRightAligned) {
    EXPECT_EQ(TxfTools(23).ToString(2, 2), "23.00");
    EXPECT_EQ(TxfTools(8.5L).ToString(8, 2), "    8.50");
    EXPECT_EQ(TxfTools(1234.5L).ToString(0, 0), "1235");
    EXPECT_EQ(TxfTools(-7).ToString(5, 1), " -7.0");
    EXPECT_EQ(TxfTools(0.125L).ToString(0, 2), "0.13");
}

TEST(TxfRead, StrictWholeText) {
    TxfTools number;
    EXPECT_TRUE(number.FromString("23.5", 10, true));
    EXPECT_EQ(number.Value(), 23.5L);
    EXPECT_TRUE(number.FromString(" 8,25 ", 10, true));
    EXPECT_EQ(number.Value(), 8.25L);
    EXPECT_TRUE(number.FromString("-4", 10, true));
    EXPECT_EQ(number.Value(), -4);
    EXPECT_TRUE(number.FromString(".5", 10, true));
    EXPECT_EQ(number.Value(), 0.5L);
    EXPECT_TRUE(number.FromString("7.", 10, true));
    EXPECT_EQ(number.Value(), 7);
    for (const char* bad : {"", "zw", "1.2.3", "12a", "- 1", ".", "-", "1e3", "1 000"}) {
        number.SetValue(99);
        EXPECT_FALSE(number.FromString(bad, 10, true)) << bad;
        EXPECT_EQ(number.Value(), 0) << bad;
    }
}

TEST(TxfRead, LeadingNumberWhenNotStrict) {
    TxfTools number;
    EXPECT_TRUE(number.FromString("4.3456 EUR", 10, false));
    EXPECT_EQ(number.Value(), 4.3456L);
    EXPECT_TRUE(number.FromString("12abc", 10, false));
    EXPECT_EQ(number.Value(), 12);
    EXPECT_FALSE(number.FromString("abc", 10, false));
    EXPECT_EQ(number.Value(), 0);
}

TEST(TxfRead, ExtraDecimalsAreRoundedOff) {
    TxfTools number;
    EXPECT_TRUE(number.FromString("2.345", 2, true));
    EXPECT_EQ(number.ToString(0, 3), "2.350");
    EXPECT_TRUE(number.FromString("0.1234567890123", 10, true));
    EXPECT_EQ(number.ToString(0, 12), "0.123456789000");
}

TEST(TxfRead, ReadsDecimalTextExactly) {
    TxfTools number;
    EXPECT_TRUE(number.FromString("0.1", 10, true));
    EXPECT_EQ(number.Value(), 0.1L);
    EXPECT_TRUE(number.FromString("19.99", 10, true));
    EXPECT_EQ(number.Value(), 19.99L);
    EXPECT_TRUE(number.FromString("123456789012345678901234567890", 10, true));
    EXPECT_NEAR(static_cast<double>(number.Value()), 1.2345678901234568e29, 1e15);
}

// The whole-number text must be printf's "%.0Lf" byte for byte: amounts of the sales import
// file were written with it. Ties, halves just off the tie, signs, zeros of both signs,
// the edges of 64 bits and beyond, over random and systematic values.
TEST(WholeText, SameBytesAsPrintf) {
    std::vector<long double> values = {0.0L,
                                       -0.0L,
                                       0.5L,
                                       -0.5L,
                                       1.5L,
                                       2.5L,
                                       -2.5L,
                                       0.49999999999999999L,
                                       9223372036854775807.0L,
                                       9223372036854775807.5L,
                                       9223372036854775808.0L,
                                       -9223372036854775808.0L,
                                       18446744073709551615.0L,
                                       1e30L,
                                       -1e300L,
                                       HUGE_VALL,
                                       -HUGE_VALL,
                                       NAN,
                                       LDBL_MAX,
                                       LDBL_MIN,
                                       -LDBL_TRUE_MIN};
    for (long long k = -2000; k <= 2000; ++k) {
        const long double half = k + 0.5L;
        for (long double v : {static_cast<long double>(k), half, std::nextafter(half, -HUGE_VALL),
                              std::nextafter(half, HUGE_VALL), k / 7.0L, k * 0.001L})
            values.push_back(v);
    }
    std::mt19937_64 random(2024);
    for (int i = 0; i < 200000; ++i) {
        const long double mantissa = static_cast<long double>(random()) / 18446744073709551616.0L;
        const long double v = std::ldexp(mantissa, static_cast<int>(random() % 80) - 8);
        values.push_back(random() % 2 ? v : -v);
        values.push_back(std::round(v * 2) / 2);  // a tie, or whole
    }
    for (long double v : values) ASSERT_EQ(WholeText(v), Format("%.0Lf", v)) << static_cast<double>(v);
}

TEST(AppendInt, SameBytesAsPrintf) {
    AnsiString text;
    for (long long v : {0LL, 7LL, -7LL, 2147483647LL, -2147483648LL, LLONG_MAX, LLONG_MIN}) {
        text.clear();
        AppendInt(text, v);
        EXPECT_EQ(text, Format("%lld", v));
    }
}
