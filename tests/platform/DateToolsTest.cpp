#include <gtest/gtest.h>

#include <cmath>

#include "platform/DateTools.h"
#include "platform/Exceptions.h"
#include "platform/Os.h"

namespace {

struct FormatCase {
    TdtTools::TdtFormat format;
    const char* text;
};

void ExpectFields(const TdtTools& date, int y, int m, int d, int h, int n, int s, int ms) {
    int year, month, day, hour, minute, second, milli;
    date.Decode(year, month, day, hour, minute, second, milli);
    EXPECT_EQ(year, y);
    EXPECT_EQ(month, m);
    EXPECT_EQ(day, d);
    EXPECT_EQ(hour, h);
    EXPECT_EQ(minute, n);
    EXPECT_EQ(second, s);
    EXPECT_EQ(milli, ms);
}

}  // namespace

TEST(DateValue, DaysSinceTheEndOf1899) {
    EXPECT_EQ(TdtTools::Encode(1899, 12, 30), 0);
    EXPECT_EQ(TdtTools::Encode(1900, 1, 1), 2);
    EXPECT_EQ(TdtTools::Encode(2000, 1, 1), 36526);
    EXPECT_EQ(TdtTools::Encode(2024, 1, 1, 12), 45292.5);
    EXPECT_EQ(TdtTools::Encode(1899, 12, 29, 6), -1.25);  // before day 0 the time counts backwards
}

TEST(DateValue, DecodeIsTheInverseOfEncode) {
    ExpectFields(TdtTools(2024, 2, 29, 23, 59, 59, 999), 2024, 2, 29, 23, 59, 59, 999);
    ExpectFields(TdtTools(1, 1, 1), 1, 1, 1, 0, 0, 0, 0);
    ExpectFields(TdtTools(9999, 12, 31, 23, 59, 59, 999), 9999, 12, 31, 23, 59, 59, 999);
    ExpectFields(TdtTools(1899, 12, 29, 6), 1899, 12, 29, 6, 0, 0, 0);
    ExpectFields(TdtTools(1850, 6, 15, 18, 45, 30, 500), 1850, 6, 15, 18, 45, 30, 500);
}

TEST(DateValue, EveryMillisecondOfADayRoundTrips) {
    // Sampled across the day: the decoded fields must be those encoded, to the millisecond.
    for (long long ms = 0; ms < 86400000; ms += 997) {
        int h = static_cast<int>(ms / 3600000), n = static_cast<int>(ms / 60000 % 60),
            s = static_cast<int>(ms / 1000 % 60), z = static_cast<int>(ms % 1000);
        TdtTools date(2031, 7, 14, h, n, s, z);
        int year, month, day, hour, minute, second, milli;
        date.Decode(year, month, day, hour, minute, second, milli);
        ASSERT_EQ(hour * 3600000LL + minute * 60000LL + second * 1000LL + milli, ms);
        ASSERT_EQ(day, 14);
        ASSERT_EQ(date.Hour(), h);
    }
}

TEST(DateValue, AValueJustBelowMidnightRoundsToTheNextDay) {
    TdtTools date(TdtTools::Encode(2024, 12, 31) + 1 - 1e-10);
    ExpectFields(date, 2025, 1, 1, 0, 0, 0, 0);
}

TEST(DateValue, Validity) {
    EXPECT_TRUE(TdtTools::IsValid(2024, 2, 29));
    EXPECT_FALSE(TdtTools::IsValid(2023, 2, 29));
    EXPECT_FALSE(TdtTools::IsValid(1900, 2, 29));
    EXPECT_TRUE(TdtTools::IsValid(2000, 2, 29));
    EXPECT_FALSE(TdtTools::IsValid(2024, 4, 31));
    EXPECT_FALSE(TdtTools::IsValid(2024, 13, 1));
    EXPECT_FALSE(TdtTools::IsValid(0, 1, 1));
    EXPECT_FALSE(TdtTools::IsValid(2024, 1, 1, 24));
    EXPECT_FALSE(TdtTools::IsValid(2024, 1, 1, 0, 60));
    EXPECT_FALSE(TdtTools::IsValid(2024, 1, 1, 0, 0, 0, 1000));
    EXPECT_THROW(TdtTools::Encode(2023, 2, 29), EConvertError);
}

TEST(DateValue, ValuesOutsideTheCalendarDecodeAsZeros) {
    for (double bad : {1e300, -1e300, std::nan(""), 1e7}) {
        TdtTools date(bad);
        ExpectFields(date, 0, 0, 0, 0, 0, 0, 0);
        EXPECT_EQ(date.DayOfWeekPl(), 0);
        EXPECT_FALSE(date.ToString(TdtTools::fmtDateLN).empty());
    }
}

TEST(DateValue, DatePartAndFields) {
    TdtTools date(2024, 3, 5, 17, 45);
    EXPECT_EQ(date.Date(), TdtTools::Encode(2024, 3, 5));
    EXPECT_EQ(date.Year(), 2024);
    EXPECT_EQ(date.Month(), 3);
    EXPECT_EQ(date.Day(), 5);
    EXPECT_EQ(date.Hour(), 17);
}

TEST(DateValue, DefaultIsTheClockNow) {
    TVirtualClock clock(45000.25);
    SetClock(&clock);
    TdtTools now;
    SetClock(nullptr);
    EXPECT_EQ(now.Value(), 45000.25);
}

TEST(DateText, EveryFormat) {
    TdtTools date(2024, 3, 5, 7, 8, 9, 45);
    const FormatCase cases[] = {
        {TdtTools::fmtDate, "24-03-05"},
        {TdtTools::fmt4YDate, "2024-03-05"},
        {TdtTools::fmtTime, "07:08:09"},
        {TdtTools::fmtTimeHM, "07:08"},
        {TdtTools::fmtTimeHMS, "07:08:09"},
        {TdtTools::fmtTimeHMSms, "07:08:09.045"},
        {TdtTools::fmtDateTime, "24-03-05 07:08:09"},
        {TdtTools::fmt4YDateTime, "2024-03-05 07:08:09"},
        {TdtTools::fmtASE11, "20240305"},
        {TdtTools::fmtSQLAnyDate, "2024-03-05"},
        {TdtTools::fmtSQLAnyDateTime, "2024-03-05 07:08:09.045"},
        {TdtTools::fmtCompileDate, "Mar  5 2024"},
        {TdtTools::fmtDateLN, "5 marca 2024"},
        {TdtTools::fmtDateTimeCompressed, "20240305070809045"},
    };
    for (const FormatCase& c : cases) EXPECT_EQ(date.ToString(c.format), c.text) << c.format;
}

TEST(DateText, EveryFormatReadsBackWhatItWrites) {
    const TdtTools samples[] = {TdtTools(2024, 3, 5, 7, 8, 9, 45), TdtTools(1999, 12, 31, 23, 59, 59, 999),
                                TdtTools(2000, 1, 1), TdtTools(2079, 10, 22, 12)};
    for (int f = TdtTools::fmtDate; f <= TdtTools::fmtDateTimeCompressed; ++f) {
        auto format = static_cast<TdtTools::TdtFormat>(f);
        for (const TdtTools& sample : samples) {
            AnsiString text = sample.ToString(format);
            TdtTools read(0.0);
            ASSERT_TRUE(read.TryFromString(text, format)) << f << " " << text;
            EXPECT_EQ(read.ToString(format), text) << f;
        }
    }
}

TEST(DateText, TimeFormsGiveATimeOfDayAndDateFormsMidnight) {
    TdtTools date(0.0);
    date.FromString("18:00", TdtTools::fmtTimeHM);
    EXPECT_EQ(date.Value(), 0.75);
    date.FromString("2024-03-05", TdtTools::fmt4YDate);
    EXPECT_EQ(date.Value(), TdtTools::Encode(2024, 3, 5));
}

TEST(DateText, TwoDigitYears) {
    TdtTools date(0.0);
    date.FromString("79-01-01", TdtTools::fmtDate);
    EXPECT_EQ(date.Year(), 2079);
    date.FromString("80-01-01 00:00:00", TdtTools::fmtDateTime);
    EXPECT_EQ(date.Year(), 1980);
}

TEST(DateText, CompressedSeventeenDigitsKeepTheMillisecond) {
    TdtTools date(0.0);
    date.FromString("20231231235959999", TdtTools::fmtDateTimeCompressed);
    EXPECT_EQ(date.Value(), TdtTools::Encode(2023, 12, 31, 23, 59, 59, 999));
    EXPECT_EQ(date.ToString(TdtTools::fmtDateTimeCompressed), "20231231235959999");
    // Every millisecond of a second survives text -> value -> text.
    for (int ms = 0; ms < 1000; ++ms) {
        AnsiString text = Format("20250615103007%03d", ms);
        date.FromString(text, TdtTools::fmtDateTimeCompressed);
        ASSERT_EQ(date.ToString(TdtTools::fmtDateTimeCompressed), text);
    }
}

TEST(DateText, CompressedShorterForms) {
    TdtTools date(0.0);
    date.FromString("20240305", TdtTools::fmtDateTimeCompressed);
    EXPECT_EQ(date.ToString(TdtTools::fmtDateTimeCompressed), "20240305000000000");
    date.FromString("202403051745", TdtTools::fmtDateTimeCompressed);
    EXPECT_EQ(date.ToString(TdtTools::fmtDateTimeCompressed), "20240305174500000");
    date.FromString("20240305174512", TdtTools::fmtDateTimeCompressed);
    EXPECT_EQ(date.ToString(TdtTools::fmtDateTimeCompressed), "20240305174512000");
}

TEST(DateText, UnreadableTextRaisesAndKeepsTheValue) {
    const FormatCase bad[] = {
        {TdtTools::fmtDateTimeCompressed, ""},
        {TdtTools::fmtDateTimeCompressed, "2024030"},
        {TdtTools::fmtDateTimeCompressed, "2024030517"},
        {TdtTools::fmtDateTimeCompressed, "202403051745120"},
        {TdtTools::fmtDateTimeCompressed, "2024O305"},
        {TdtTools::fmtDateTimeCompressed, "20240230"},           // 30 February
        {TdtTools::fmtDateTimeCompressed, "20240305246000000"},  // hour 24
        {TdtTools::fmtDateTimeCompressed, "00000101"},           // year 0
        {TdtTools::fmt4YDate, "2024-3-5"},
        {TdtTools::fmt4YDate, "2024/03/05"},
        {TdtTools::fmtTimeHM, "7:08"},
        {TdtTools::fmtTimeHMSms, "07:08:09"},
        {TdtTools::fmtCompileDate, "Foo  5 2024"},
        {TdtTools::fmtDateLN, "5 marzec 2024"},
        {TdtTools::fmtDateLN, "31 lutego 2024"},
    };
    for (const FormatCase& c : bad) {
        TdtTools date(123.5);
        EXPECT_FALSE(date.TryFromString(c.text, c.format)) << c.text;
        EXPECT_EQ(date.Value(), 123.5);
        try {
            date.FromString(c.text, c.format);
            ADD_FAILURE() << "no exception for " << c.text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), AnsiString("'") + c.text + "' is not a valid date and time");
        }
    }
}

TEST(DateText, SurroundingBlanksAreIgnored) {
    TdtTools date(0.0);
    date.FromString(" 20240305 \r\n", TdtTools::fmtASE11);
    EXPECT_EQ(date.Value(), TdtTools::Encode(2024, 3, 5));
}

TEST(DateText, CompileDateAsTheCompilerWritesIt) {
    TdtTools date(0.0);
    date.FromString("Dec 25 2023", TdtTools::fmtCompileDate);
    EXPECT_EQ(date.Value(), TdtTools::Encode(2023, 12, 25));
    date.FromString("Jan  2 2024", TdtTools::fmtCompileDate);
    EXPECT_EQ(date.Value(), TdtTools::Encode(2024, 1, 2));
    EXPECT_TRUE(date.TryFromString(__DATE__, TdtTools::fmtCompileDate));
}

TEST(DateText, LongPolishDateInWindows1250) {
    EXPECT_EQ(TdtTools(2024, 9, 1).ToString(TdtTools::fmtDateLN), "1 wrze\x9Cnia 2024");
    EXPECT_EQ(TdtTools(2024, 10, 31).ToString(TdtTools::fmtDateLN),
              "31 pa\x9F"
              "dziernika 2024");
    const char* months[] = {"stycznia", "lutego",   "marca", "kwietnia", "maja",      "czerwca",
                            "lipca",    "sierpnia", nullptr, nullptr,    "listopada", "grudnia"};
    for (int m = 1; m <= 12; ++m) {
        TdtTools date(2021, m, 15);
        AnsiString text = date.ToString(TdtTools::fmtDateLN);
        if (months[m - 1]) {
            EXPECT_EQ(text, AnsiString("15 ") + months[m - 1] + " 2021");
        }
        TdtTools read(0.0);
        read.FromString(text, TdtTools::fmtDateLN);
        EXPECT_EQ(read.Value(), date.Value());
    }
}

TEST(DayOfWeek, MondayIsOne) {
    EXPECT_EQ(TdtTools(2024, 3, 4).DayOfWeekPl(), 1);  // Monday
    EXPECT_EQ(TdtTools(2024, 3, 10, 23, 59).DayOfWeekPl(), 7);
    EXPECT_EQ(TdtTools(1899, 12, 30).DayOfWeekPl(), 6);
    EXPECT_EQ(TdtTools(1899, 12, 25).DayOfWeekPl(), 1);
    EXPECT_EQ(TdtTools(1, 1, 1).DayOfWeekPl(), 1);
}

TEST(DayOfWeek, PolishNamesInWindows1250) {
    EXPECT_EQ(TdtTools::DayOfWeekNamePl(1, false),
              "Poniedzia\xB3"
              "ek");
    EXPECT_EQ(TdtTools::DayOfWeekNamePl(3, false), "\x8Croda");
    EXPECT_EQ(TdtTools::DayOfWeekNamePl(5, false), "Pi\xB9tek");
    EXPECT_EQ(TdtTools::DayOfWeekNamePl(7, false), "Niedziela");
    const char* abbreviations[] = {"Pn", "Wt", "\x8Cr", "Cz", "Pt", "So", "Nd"};
    for (int day = 1; day <= 7; ++day) EXPECT_EQ(TdtTools::DayOfWeekNamePl(day, true), abbreviations[day - 1]);
    EXPECT_EQ(TdtTools::DayOfWeekNamePl(0, true), "");
    EXPECT_EQ(TdtTools::DayOfWeekNamePl(8, false), "");
}
