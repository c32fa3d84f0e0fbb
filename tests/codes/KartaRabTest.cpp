#include "codes/KartaRab.h"

#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "platform/Translation.h"

namespace {

const char* const kDefaultMask = "99kkkkkkymmrx";

AnsiString CheckMessage(const AnsiString& mask) {
    TKartaRab card;
    try {
        card.SprawdzPoprawnoscWzorca(mask, nullptr);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "OK";
}

}  // namespace

TEST(KartaRab, DefaultMaskPasses) {
    EXPECT_EQ(CheckMessage(kDefaultMask), "OK");
    EXPECT_EQ(CheckMessage("sskkkkYYYYMMDDr"), "OK");
}

TEST(KartaRab, MaskErrorsInTheirOrder) {
    EXPECT_EQ(CheckMessage(""), Ansi(u8"TKartaRab: jak mam przetwarzać karty klienta, jeśli format nie wprowadzony?"));
    EXPECT_EQ(CheckMessage("kkyY"), Ansi(u8"TKartaRab: w formacie nie mogą występować równocześnie y i Y"));
    EXPECT_EQ(CheckMessage("kkmM"), Ansi(u8"TKartaRab: w formacie nie mogą występować równocześnie m i M"));
    EXPECT_EQ(CheckMessage("kkdD"), Ansi(u8"TKartaRab: w formacie nie mogą występować równocześnie d i D"));
    EXPECT_EQ(CheckMessage("12x"), Ansi(u8"TKartaRab: cyfra kontrolna EAN13 (literka 'x' w formacie karty) może być "
                                        u8"tylko na 13 miejscu, albo wcale"));
    EXPECT_EQ(CheckMessage("kk k"),
              Ansi(u8"TKartaRab: niedopuszczalne znaki w formacie karty - używaj tylko 0-9 oraz skymdYMDrx"));
    EXPECT_EQ(CheckMessage("kkK"),
              Ansi(u8"TKartaRab: niedopuszczalne znaki w formacie karty - używaj tylko 0-9 oraz skymdYMDrx"));
    EXPECT_EQ(CheckMessage("1234"),
              Ansi(u8"TKartaRab: format karty musi zawierać sekcję z kodem klienta (\"kkk...\")"));
    // The character check runs before the k-section check; y/Y before the x check.
    EXPECT_EQ(CheckMessage("12 4"),
              Ansi(u8"TKartaRab: niedopuszczalne znaki w formacie karty - używaj tylko 0-9 oraz skymdYMDrx"));
    EXPECT_EQ(CheckMessage("xyY"), Ansi(u8"TKartaRab: w formacie nie mogą występować równocześnie y i Y"));
}

TEST(KartaRab, ParsingTakesOnlyTheCustomerCode) {
    TKartaRab card;
    card.Przedrostek = 4;
    card.PoziomRabatu = 3;
    card.Rozparsuj(kDefaultMask, "9900012370355", nullptr);
    EXPECT_EQ(card.KodKarty, "000123");
    EXPECT_EQ(card.Przedrostek, 0);
    EXPECT_EQ(card.PoziomRabatu, 0);
}

TEST(KartaRab, ParsingAShortCodeGivesAShorterCustomerCode) {
    TKartaRab card;
    card.Rozparsuj(kDefaultMask, "99001", nullptr);
    EXPECT_EQ(card.KodKarty, "001");
    card.Rozparsuj(kDefaultMask, "9", nullptr);
    EXPECT_EQ(card.KodKarty, "");
}

TEST(KartaRab, ParsingWithABadMaskRaises) {
    TKartaRab card;
    EXPECT_THROW(card.Rozparsuj("99", "9900012370355", nullptr), Exception);
}

TEST(KartaRab, BuildingWithTheDefaultMask) {
    TKartaRab card;
    card.KodKarty = "123";
    card.TermWaznKarty = TdtTools(2027, 3, 15);
    card.PoziomRabatu = 5;
    EXPECT_EQ(card.Poskladaj(kDefaultMask, nullptr), "9900012370355");
}

TEST(KartaRab, DateSectionsAfterTheCustomerCode) {
    TKartaRab card;
    card.KodKarty = "7";
    card.TermWaznKarty = TdtTools(2024, 12, 1);
    EXPECT_EQ(card.Poskladaj("kkkkyymmdd", nullptr), "0007241201");
}

TEST(KartaRab, UpperCaseKeepsTheFirstDigitsLowerCaseTheLast) {
    TKartaRab card;
    card.KodKarty = "1";
    card.TermWaznKarty = TdtTools(2024, 6, 9);
    EXPECT_EQ(card.Poskladaj("kYYY", nullptr), "1202");
    EXPECT_EQ(card.Poskladaj("kyyy", nullptr), "1024");
    EXPECT_EQ(card.Poskladaj("kYY", nullptr), "120");
    EXPECT_EQ(card.Poskladaj("kyy", nullptr), "124");
    EXPECT_EQ(card.Poskladaj("kyyyyyy", nullptr), "1002024");
    EXPECT_EQ(card.Poskladaj("kMMMDDD", nullptr), "1006009");
}

TEST(KartaRab, LongCustomerCodeKeepsItsFirstCharacters) {
    TKartaRab card;
    card.KodKarty = "1234567";
    EXPECT_EQ(card.Poskladaj("kkkk", nullptr), "1234");
}

TEST(KartaRab, PrefixAndLevelSections) {
    TKartaRab card;
    card.Przedrostek = 7;
    card.PoziomRabatu = 12;
    card.KodKarty = "55";
    EXPECT_EQ(card.Poskladaj("ssskkr9", nullptr),
              "007551"
              "9");
    card.PoziomRabatu = 3;
    EXPECT_EQ(card.Poskladaj("rr0kk", nullptr), "03055");
}

TEST(KartaRab, CheckDigitCompletesToThirteenDigits) {
    TKartaRab card;
    card.KodKarty = "42";
    // 12 digits 000000000042 -> check digit: 4*1 + 2*3 = 10 -> 0
    EXPECT_EQ(card.Poskladaj("kkkkkkkkkkkkx", nullptr), "0000000000420");
    // 9*1 + 9*3 + 4*1 + 2*3 = 46 -> 4
    EXPECT_EQ(card.Poskladaj("99kk00000000x", nullptr), "9942000000004");
    // Fewer than twelve characters before the x: zeros are appended before the check digit.
    EXPECT_EQ(card.Poskladaj("kk", nullptr), "42");
    card.KodKarty = "5";
    EXPECT_EQ(card.Poskladaj("k1", nullptr), "51");
}

TEST(KartaRab, ClearKeepsTheDate) {
    TKartaRab card;
    card.TermWaznKarty = TdtTools(2030, 1, 2);
    card.KodKarty = "x";
    card.Przedrostek = 1;
    card.PoziomRabatu = 2;
    const double date = card.TermWaznKarty.Value();
    card.Czysc();
    EXPECT_EQ(card.KodKarty, "");
    EXPECT_EQ(card.Przedrostek, 0);
    EXPECT_EQ(card.PoziomRabatu, 0);
    EXPECT_EQ(card.TermWaznKarty.Value(), date);
}
