// The library object's wrappers around the host's callbacks: what they pass, what they
// assume when a callback is missing.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "plugin/NovitusLibrary.h"

namespace {

void* const kArg1 = reinterpret_cast<void*>(0x1111);
void* const kArg2 = reinterpret_cast<void*>(0x2222);

struct Seen {
    std::vector<int> plainRates = {23, 8, 0, -1};
    std::vector<int> formats;  // indexes asked
    std::vector<AnsiString> texts;
    bool handlesOk = true;
    bool lookupAnswers = false;
} seen;

void Check(void* a1, void* a2) { seen.handlesOk = seen.handlesOk && a1 == kArg1 && a2 == kArg2; }

int Rate(void* a1, void* a2, int index, int* rate) {
    Check(a1, a2);
    if (index >= static_cast<int>(seen.plainRates.size())) return 0;
    *rate = seen.plainRates[static_cast<size_t>(index)];
    return 1;
}
int Format(void* a1, void* a2, int index, char* format) {
    Check(a1, a2);
    seen.formats.push_back(index);
    std::strcpy(format, index == 0 ? "  21SSSSS?????K " : index == 1 ? "" : "29SSSSKKKKKKK");
    return 1;
}
int Grant(void* a1, void* a2, const char*) {
    Check(a1, a2);
    return 1;
}
int Release(void*, void*, const char*) { return 1; }
int Record(void* a1, void* a2, char* record, const char* code) {
    Check(a1, a2);
    std::memset(record, 'R', 2049);  // a host that fills the whole buffer
    seen.texts.push_back(code);
    return 1;
}
int Hold(void* a1, void* a2, const char* text, int value) {
    Check(a1, a2);
    seen.texts.push_back(text);
    return value + 1;
}
int AddGoods(void* a1, void* a2, char* name, int number, char* code, int overwrite, char* group, char* unit, int vat,
             double p1, double p2, double p3, double p4, int open, int package, char* packageCode) {
    Check(a1, a2);
    seen.texts = {name, code, group, unit, packageCode};
    return number + overwrite + vat + open + package + static_cast<int>(p1 + p2 + p3 + p4);
}
int Lookup1(char* out, int, const char*, const char*) {
    std::strcpy(out, "pierwszy");
    return 1;
}
int Lookup2(char* out, int, const char*, const char*) {
    std::strcpy(out, "drugi");
    return 1;
}

class CallbackTable : public ::testing::Test {
protected:
    void SetUp() override { seen = Seen(); }
    TQxNovitusECRLibrary lib{kArg1};
    template <typename F>
    void Reg(F f, int number) {
        lib.RejestrujCallback(reinterpret_cast<void*>(f), number);
    }
};

TEST_F(CallbackTable, PreciseRatesFallBackToWholePercentTimesHundred) {
    Reg(&Rate, 15);
    TMacSetOfIntegers rates;
    lib.WypelnijStawkiVATPrec(kArg2, rates);
    ASSERT_EQ(rates.GetCount(), 4);
    EXPECT_EQ(rates.GetValues(0), 2300);
    EXPECT_EQ(rates.GetValues(1), 800);
    EXPECT_EQ(rates.GetValues(2), 0);  // special rates are passed as they are
    EXPECT_EQ(rates.GetValues(3), -1);
    EXPECT_TRUE(seen.handlesOk);
}

TEST_F(CallbackTable, WithoutRateCallbacksThereAreNoRates) {
    TMacSetOfIntegers rates;
    lib.WypelnijStawkiVATPrec(kArg2, rates);
    lib.WypelnijStawkiVAT(kArg2, rates);
    EXPECT_EQ(rates.GetCount(), 0);
}

TEST_F(CallbackTable, WeightedFormatsStopAtAnEmptyTextAndAreTrimmed) {
    Reg(&Format, 14);
    std::vector<AnsiString> formats;
    lib.WypelnijFormatyWazone(kArg2, formats);
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_EQ(formats[0], "21SSSSS?????K");
    EXPECT_EQ(seen.formats, (std::vector<int>{0, 1}));
}

TEST_F(CallbackTable, ResourceIsHeldOnlyWhenTheHostCanReleaseItToo) {
    Reg(&Grant, 22);
    EXPECT_FALSE(lib.ZajmijZasobSterownika(kArg2, "COM1"));
    Reg(&Release, 23);
    EXPECT_TRUE(lib.ZajmijZasobSterownika(kArg2, "COM1"));
}

TEST_F(CallbackTable, GoodsRecordIsCutToItsBuffer) {
    Reg(&Record, 19);
    const AnsiString record = lib.OdczytajTowar(kArg2, "  590 ");
    EXPECT_EQ(record, AnsiString(2048, 'R'));
    EXPECT_EQ(seen.texts[0], "590");
}

TEST_F(CallbackTable, HoldTextGoesUntrimmedAndItsAnswerBack) {
    EXPECT_EQ(lib.WstrzymajOperacje(kArg2, " x ", 4), -1);
    Reg(&Hold, 25);
    EXPECT_EQ(lib.WstrzymajOperacje(kArg2, " x ", 4), 5);
    EXPECT_EQ(seen.texts[0], " x ");
}

TEST_F(CallbackTable, GoodsFromTheRegisterInArgumentOrder) {
    EXPECT_EQ(lib.DodajTowarZKasy(kArg2, "n", 1, "c", 1, "g", "u", 23, 1, 2, 3, 4, 1, 0, "p"), -1);
    Reg(&AddGoods, 33);
    EXPECT_EQ(lib.DodajTowarZKasy(kArg2, " Mleko ", 7, "590", 1, "Nabial", "szt", 2300, 1.5, 2.5, 3.5, 4.5, 1, 0, ""),
              7 + 1 + 2300 + 1 + 12);
    EXPECT_EQ(seen.texts, (std::vector<AnsiString>{" Mleko ", "590", "Nabial", "szt", ""}));
    EXPECT_TRUE(seen.handlesOk);
}

TEST_F(CallbackTable, RegisteringTheLookupAgainReplacesIt) {
    EXPECT_EQ(lib.GetLgLink(), nullptr);
    Reg(&Lookup1, 34);
    EXPECT_EQ(TMLgExtTools::GetString(lib.GetLgLink(), "c", "k", 0, "x"), "pierwszy");
    Reg(&Lookup2, 34);
    EXPECT_EQ(TMLgExtTools::GetString(lib.GetLgLink(), "c", "k", 0, "x"), "drugi");
}

TEST_F(CallbackTable, UnknownNumbersAreIgnoredAndMissingCallbacksAssumed) {
    for (int n : {0, 4, 7, 10, 26, 27, 29, 30, 35, -1}) lib.RejestrujCallback(reinterpret_cast<void*>(&Grant), n);
    EXPECT_TRUE(lib.CzyPrzerwac(kArg2));  // no abort callback: abort
    EXPECT_EQ(lib.WartoscParametru(kArg2, "x"), "");
    TDaneUrzadzenia data;
    lib.WypelnijDaneUrzadzenia(kArg2, data);
    EXPECT_EQ(data.id, -1);
    EXPECT_EQ(data.number, 0);
    EXPECT_FALSE(lib.ZapiszImport(kArg2));
    EXPECT_FALSE(lib.ZmienParametr(kArg2, "a", "b"));
    EXPECT_EQ(lib.OdczytajTowar(kArg2, "1"), "");
}

}  // namespace
