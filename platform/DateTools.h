#pragma once
// Date-time values (days since 1899-12-30, fraction = time of day) and their text forms.
#include "platform/Strings.h"

class TdtTools {
public:
    // Text forms, chosen once here:
    //   fmtDate "yy-mm-dd"                fmt4YDate "yyyy-mm-dd"
    //   fmtTime "hh:nn:ss"                fmtTimeHM "hh:nn"
    //   fmtTimeHMS "hh:nn:ss"             fmtTimeHMSms "hh:nn:ss.zzz"
    //   fmtDateTime "yy-mm-dd hh:nn:ss"   fmt4YDateTime "yyyy-mm-dd hh:nn:ss"
    //   fmtASE11 "yyyymmdd"               fmtSQLAnyDate "yyyy-mm-dd"
    //   fmtSQLAnyDateTime "yyyy-mm-dd hh:nn:ss.zzz"
    //   fmtCompileDate "Mmm dd yyyy" (as the compiler writes it)
    //   fmtDateLN "d <Polish month name, genitive> yyyy"
    //   fmtDateTimeCompressed "yyyymmddhhnnsszzz" (17 digits)
    // Reading: surrounding blanks are ignored; every field has its full width ("05", not "5"),
    // except the day of fmtCompileDate and fmtDateLN. Two-digit years 00..79 are 2000..2079,
    // 80..99 are 1980..1999. Time-only forms give a time of day on day 0; date-only forms
    // midnight. fmtDateTimeCompressed also reads 8 (yyyymmdd), 12 (..hhnn) and 14 (..ss) digits.
    enum TdtFormat {
        fmtDate,
        fmt4YDate,
        fmtTime,
        fmtTimeHM,
        fmtTimeHMS,
        fmtTimeHMSms,
        fmtDateTime,
        fmt4YDateTime,
        fmtASE11,
        fmtSQLAnyDate,
        fmtSQLAnyDateTime,
        fmtCompileDate,
        fmtDateLN,
        fmtDateTimeCompressed
    };

    TdtTools();  // the current local date and time (from the platform clock)
    explicit TdtTools(double value) : FValue(value) {}
    TdtTools(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0);

    // Reads text in the given form; raises EConvertError ("'x' is not a valid date and time")
    // when it cannot, or when the date or time does not exist.
    void FromString(const AnsiString& text, TdtFormat format);
    // The same without exception; the value is unchanged when false.
    bool TryFromString(std::string_view text, TdtFormat format);
    AnsiString ToString(TdtFormat format) const;

    double Date() const;  // date part only
    double Value() const { return FValue; }
    void SetValue(double value) { FValue = value; }
    // 1 = Monday ... 7 = Sunday (0 for a value outside the calendar)
    int DayOfWeekPl() const;
    // Polish day name for day 1..7 (Monday first), in Windows-1250.
    static AnsiString DayOfWeekNamePl(int day, bool abbreviated);

    // Rounds to the nearest millisecond. A value outside 0001-01-01 .. 9999-12-31 (or not a
    // number) decodes as all zeros.
    void Decode(int& year, int& month, int& day, int& hour, int& minute, int& second, int& ms) const;
    int Year() const;
    int Month() const;
    int Day() const;
    int Hour() const;

    static bool IsValid(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0);
    // Raises EConvertError for a date or time that does not exist.
    static double Encode(int year, int month, int day, int hour = 0, int minute = 0, int second = 0, int ms = 0);

private:
    double FValue = 0;
};
