#include "codes/KodWazony.h"

#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "platform/Translation.h"

TEST(KodWazony, ShortCodeOfTheFixedLengthGetsQuestionMarks) {
    const std::vector<AnsiString> formats = {"21SSSSS?????K"};
    TKodWazony kw(&formats);
    EXPECT_EQ(kw.NormalizujNiepelny("2112345", nullptr), "2112345??????");
    EXPECT_EQ(kw.NormalizujNiepelny("21123456", nullptr), "21123456");
    EXPECT_EQ(kw.NormalizujNiepelny("2212345", nullptr), "2212345");
}

TEST(KodWazony, LetterKEndsTheFixedPartLikeAQuestionMark) {
    const std::vector<AnsiString> formats = {"29SSSSKKKKKKK"};
    TKodWazony kw(&formats);
    EXPECT_EQ(kw.NormalizujNiepelny("291234", nullptr), "291234???????");
}

TEST(KodWazony, FormatWithoutVariablePartMatchesNothing) {
    const std::vector<AnsiString> formats = {"21SSSSSWWWWWC"};
    TKodWazony kw(&formats);
    EXPECT_EQ(kw.NormalizujNiepelny("2112345", nullptr), "2112345");
    EXPECT_EQ(kw.NormalizujNiepelny("2112345678901", nullptr), "2112345678901");
}

TEST(KodWazony, LongCodeOfTheFixedLengthIsNotExtended) {
    const std::vector<AnsiString> formats = {"21SSSSSSSSSSSSS?"};
    TKodWazony kw(&formats);
    EXPECT_EQ(kw.NormalizujNiepelny("211234567890123", nullptr), "211234567890123");
    const std::vector<AnsiString> thirteen = {"21SSSSSSSSSSS?"};
    TKodWazony kw13(&thirteen);
    EXPECT_EQ(kw13.NormalizujNiepelny("2112345678901", nullptr), "2112345678901");
}

TEST(KodWazony, FirstFormatWithTheCodesLengthWins) {
    const std::vector<AnsiString> formats = {"28SSSS?????KK", "28SSSSS????KK", "28SSSSS??KKKK"};
    TKodWazony kw(&formats);
    EXPECT_EQ(kw.NormalizujNiepelny("2812345", nullptr), "2812345??????");
    EXPECT_EQ(kw.NormalizujNiepelny("281234", nullptr), "281234???????");
}

TEST(KodWazony, FixedPartShorterThanThreeMatchesNothing) {
    const std::vector<AnsiString> formats = {"2???????????", "21?SSS"};
    TKodWazony kw(&formats);
    EXPECT_EQ(kw.NormalizujNiepelny("21", nullptr), "21");
    EXPECT_EQ(kw.NormalizujNiepelny("211", nullptr), "211");
}

TEST(KodWazony, EmptyListAndShortCodesAreLeftAlone) {
    const std::vector<AnsiString> none;
    TKodWazony kw(&none);
    EXPECT_EQ(kw.NormalizujNiepelny("2112345", nullptr), "2112345");
    EXPECT_EQ(kw.NormalizujNiepelny("", nullptr), "");
    const std::vector<AnsiString> formats = {"21SSSSS?????K"};
    TKodWazony kw2(&formats);
    EXPECT_EQ(kw2.NormalizujNiepelny("21", nullptr), "21");
}

TEST(KodWazony, MissingListRaises) {
    TKodWazony kw(nullptr);
    try {
        kw.NormalizujNiepelny("2112345", nullptr);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Ansi(u8"TKodWazony: formaty ważone nie zainicjowane!"));
    }
}
