#include "platform/DateTools.h"

#include <cmath>

#include "platform/Exceptions.h"
#include "platform/Os.h"
#include "platform/Translation.h"

namespace {

constexpr long long kMsPerDay = 86400000;
// 0001-01-01 and 9999-12-31 as day numbers.
constexpr long long kMinDay = -693593;
constexpr long long kMaxDay = 2958465;

// Days since 1899-12-30 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, int m, int d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + 25569;
}

void CivilFromDays(long long days, int& year, int& month, int& day) {
    long long z = days - 25569 + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

// Day number and milliseconds of the day; false for values outside 0001-01-01 .. 9999-12-31.
bool Split(double value, long long& days, long long& ms) {
    if (!std::isfinite(value) || value < kMinDay - 1 || value > kMaxDay + 1) return false;
    days = static_cast<long long>(std::trunc(value));
    // Rounded half away from zero, as std::llround does: the fraction times a day's
    // milliseconds is below 2^27, so taking its whole part off leaves the fraction exactly.
    const double exact = std::fabs(value - static_cast<double>(days)) * static_cast<double>(kMsPerDay);
    ms = static_cast<long long>(exact);
    if (exact - static_cast<double>(ms) >= 0.5) ++ms;
    if (ms >= kMsPerDay) {
        ms -= kMsPerDay;
        days += value < 0 ? -1 : 1;
    }
    return days >= kMinDay && days <= kMaxDay;
}

double Combine(long long days, long long ms) {
    double time = static_cast<double>(ms) / static_cast<double>(kMsPerDay);
    return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

const char* const kEnglishMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const char* const kPolishMonthsGenitive[12] = {"stycznia", "lutego",       "marca",     "kwietnia",
                                               "maja",     "czerwca",      "lipca",     "sierpnia",
                                               "września", "października", "listopada", "grudnia"};

// The fixed-width digit patterns: y m d h n s z stand for digits, anything else is literal.
const char* PatternOf(TdtTools::TdtFormat format) {
    switch (format) {
        case TdtTools::fmtDate: return "yy-mm-dd";
        case TdtTools::fmt4YDate: return "yyyy-mm-dd";
        case TdtTools::fmtTime: return "hh:nn:ss";
        case TdtTools::fmtTimeHM: return "hh:nn";
        case TdtTools::fmtTimeHMS: return "hh:nn:ss";
        case TdtTools::fmtTimeHMSms: return "hh:nn:ss.zzz";
        case TdtTools::fmtDateTime: return "yy-mm-dd hh:nn:ss";
        case TdtTools::fmt4YDateTime: return "yyyy-mm-dd hh:nn:ss";
        case TdtTools::fmtASE11: return "yyyymmdd";
        case TdtTools::fmtSQLAnyDate: return "yyyy-mm-dd";
        case TdtTools::fmtSQLAnyDateTime: return "yyyy-mm-dd hh:nn:ss.zzz";
        case TdtTools::fmtDateTimeCompressed: return "yyyymmddhhnnsszzz";
        default: return nullptr;
    }
}

struct TParts {
    int year = -1, month = -1, day = -1, hour = 0, minute = 0, second = 0, ms = 0;
    bool HasDate() const { return year >= 0; }
};

// A two-digit year: 00..79 are 2000..2079, 80..99 are 1980..1999.
int ExpandYear(int yy) { return yy < 80 ? 2000 + yy : 1900 + yy; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool MatchPattern(std::string_view text, const char* pattern, TParts& result) {
    TParts parts;
    size_t length = 0;
    while (pattern[length] != '\0') ++length;
    if (text.size() != length) return false;
    int year = 0, yearDigits = 0, month = 0, day = 0;
    bool hasYear = false;
    for (size_t i = 0; i < length; ++i) {
        char p = pattern[i];
        char c = text[i];
        int* target = nullptr;
        switch (p) {
            case 'y':
                target = &year;
                hasYear = true;
                ++yearDigits;
                break;
            case 'm': target = &month; break;
            case 'd': target = &day; break;
            case 'h': target = &parts.hour; break;
            case 'n': target = &parts.minute; break;
            case 's': target = &parts.second; break;
            case 'z': target = &parts.ms; break;
            default:
                if (c != p) return false;
                continue;
        }
        if (!IsDigit(c)) return false;
        *target = *target * 10 + (c - '0');
    }
    if (hasYear) {
        parts.year = yearDigits == 2 ? ExpandYear(year) : year;
        parts.month = month;
        parts.day = day;
    }
    result = parts;
    return true;
}

// Skips one or more blanks; false when there is none.
bool SkipBlanks(const AnsiString& text, size_t& i) {
    size_t start = i;
    while (i < text.size() && text[i] == ' ') ++i;
    return i > start;
}

// Reads between minDigits and maxDigits digits.
bool ReadNumber(const AnsiString& text, size_t& i, size_t minDigits, size_t maxDigits, int& value) {
    size_t start = i;
    value = 0;
    while (i < text.size() && i - start < maxDigits && IsDigit(text[i])) value = value * 10 + (text[i++] - '0');
    return i - start >= minDigits && !(i < text.size() && IsDigit(text[i]));
}

bool ReadWord(const AnsiString& text, size_t& i, AnsiString& word) {
    size_t start = i;
    while (i < text.size() && text[i] != ' ') ++i;
    word = text.substr(start, i - start);
    return i > start;
}

// "Mmm dd yyyy", as the compiler writes its date (a day below 10 is padded with a blank).
bool MatchCompileDate(const AnsiString& text, TParts& parts) {
    size_t i = 0;
    AnsiString name;
    if (!ReadWord(text, i, name) || !SkipBlanks(text, i)) return false;
    int month = 0;
    for (int m = 0; m < 12; ++m)
        if (SameText(name, kEnglishMonths[m])) month = m + 1;
    int day = 0, year = 0;
    if (month == 0 || !ReadNumber(text, i, 1, 2, day) || !SkipBlanks(text, i) || !ReadNumber(text, i, 4, 4, year) ||
        i != text.size())
        return false;
    parts.year = year;
    parts.month = month;
    parts.day = day;
    return true;
}

// "d <month, genitive> yyyy"
bool MatchLongDate(const AnsiString& text, TParts& parts) {
    size_t i = 0;
    int day = 0, year = 0, month = 0;
    AnsiString name;
    if (!ReadNumber(text, i, 1, 2, day) || !SkipBlanks(text, i) || !ReadWord(text, i, name) || !SkipBlanks(text, i) ||
        !ReadNumber(text, i, 4, 4, year) || i != text.size())
        return false;
    for (int m = 0; m < 12; ++m)
        if (SameText(name, Ansi(kPolishMonthsGenitive[m]))) month = m + 1;
    if (month == 0) return false;
    parts.year = year;
    parts.month = month;
    parts.day = day;
    return true;
}

bool Parse(std::string_view source, TdtTools::TdtFormat format, double& value) {
    const std::string_view text = TrimView(source);
    TParts parts;
    bool matched;
    if (format == TdtTools::fmtCompileDate) {
        matched = MatchCompileDate(AnsiString(text), parts);
    } else if (format == TdtTools::fmtDateLN) {
        matched = MatchLongDate(AnsiString(text), parts);
    } else if (format == TdtTools::fmtDateTimeCompressed) {
        // The full 17 digits, or a shorter form that stops after the day, minute or second.
        static const char* const forms[] = {"yyyymmddhhnnsszzz", "yyyymmddhhnnss", "yyyymmddhhnn", "yyyymmdd"};
        matched = false;
        for (const char* form : forms)
            if (!matched) matched = MatchPattern(text, form, parts);
    } else {
        const char* pattern = PatternOf(format);
        matched = pattern != nullptr && MatchPattern(text, pattern, parts);
    }
    if (!matched) return false;
    if (parts.HasDate()) {
        if (!TdtTools::IsValid(parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second, parts.ms))
            return false;
        value = TdtTools::Encode(parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second, parts.ms);
    } else {
        if (!TdtTools::IsValid(1899, 12, 30, parts.hour, parts.minute, parts.second, parts.ms)) return false;
        value = Combine(0, ((parts.hour * 60LL + parts.minute) * 60 + parts.second) * 1000 + parts.ms);
    }
    return true;
}

}  // namespace

TdtTools::TdtTools() : FValue(Clock().Now()) {}

TdtTools::TdtTools(int year, int month, int day, int hour, int minute, int second, int ms)
    : FValue(Encode(year, month, day, hour, minute, second, ms)) {}

bool TdtTools::IsValid(int year, int month, int day, int hour, int minute, int second, int ms) {
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month) &&
           hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 && ms >= 0 && ms < 1000;
}

double TdtTools::Encode(int year, int month, int day, int hour, int minute, int second, int ms) {
    if (!IsValid(year, month, day, hour, minute, second, ms))
        throw EConvertError(Format("Invalid argument to date encode: %d-%d-%d %d:%d:%d.%d", year, month, day, hour,
                                   minute, second, ms));
    return Combine(DaysFromCivil(year, month, day), ((hour * 60LL + minute) * 60 + second) * 1000 + ms);
}

void TdtTools::Decode(int& year, int& month, int& day, int& hour, int& minute, int& second, int& ms) const {
    long long days = 0, time = 0;
    if (!Split(FValue, days, time)) {
        year = month = day = hour = minute = second = ms = 0;
        return;
    }
    CivilFromDays(days, year, month, day);
    ms = static_cast<int>(time % 1000);
    time /= 1000;
    second = static_cast<int>(time % 60);
    time /= 60;
    minute = static_cast<int>(time % 60);
    hour = static_cast<int>(time / 60);
}

int TdtTools::Year() const {
    int y, m, d, h, n, s, z;
    Decode(y, m, d, h, n, s, z);
    return y;
}

int TdtTools::Month() const {
    int y, m, d, h, n, s, z;
    Decode(y, m, d, h, n, s, z);
    return m;
}

int TdtTools::Day() const {
    int y, m, d, h, n, s, z;
    Decode(y, m, d, h, n, s, z);
    return d;
}

int TdtTools::Hour() const {
    // As Decode gives it, without the calendar date.
    long long days = 0, time = 0;
    if (!Split(FValue, days, time)) return 0;
    return static_cast<int>(time / 3600000);
}

double TdtTools::Date() const {
    long long days = 0, time = 0;
    if (!Split(FValue, days, time)) return std::isfinite(FValue) ? std::trunc(FValue) : 0.0;
    return static_cast<double>(days);
}

int TdtTools::DayOfWeekPl() const {
    long long days = 0, time = 0;
    if (!Split(FValue, days, time)) return 0;
    // Day 0, 1899-12-30, was a Saturday.
    return static_cast<int>(((days % 7) + 7 + 5) % 7) + 1;
}

AnsiString TdtTools::DayOfWeekNamePl(int day, bool abbreviated) {
    static const char* const names[7] = {"Poniedziałek", "Wtorek", "Środa",    "Czwartek",
                                         "Piątek",       "Sobota", "Niedziela"};
    static const char* const shortNames[7] = {"Pn", "Wt", "Śr", "Cz", "Pt", "So", "Nd"};
    if (day < 1 || day > 7) return AnsiString();
    return Ansi(abbreviated ? shortNames[day - 1] : names[day - 1]);
}

AnsiString TdtTools::ToString(TdtFormat format) const {
    int y, m, d, h, n, s, z;
    Decode(y, m, d, h, n, s, z);
    switch (format) {
        case fmtDate: return Format("%02d-%02d-%02d", y % 100, m, d);
        case fmt4YDate:
        case fmtSQLAnyDate: return Format("%04d-%02d-%02d", y, m, d);
        case fmtTime:
        case fmtTimeHMS: return Format("%02d:%02d:%02d", h, n, s);
        case fmtTimeHM: return Format("%02d:%02d", h, n);
        case fmtTimeHMSms: return Format("%02d:%02d:%02d.%03d", h, n, s, z);
        case fmtDateTime: return Format("%02d-%02d-%02d %02d:%02d:%02d", y % 100, m, d, h, n, s);
        case fmt4YDateTime: return Format("%04d-%02d-%02d %02d:%02d:%02d", y, m, d, h, n, s);
        case fmtASE11: return Format("%04d%02d%02d", y, m, d);
        case fmtSQLAnyDateTime: return Format("%04d-%02d-%02d %02d:%02d:%02d.%03d", y, m, d, h, n, s, z);
        case fmtCompileDate: return Format("%s %2d %04d", m >= 1 ? kEnglishMonths[m - 1] : "???", d, y);
        case fmtDateLN:
            return Format("%d ", d) + (m >= 1 ? Ansi(kPolishMonthsGenitive[m - 1]) : AnsiString("?")) +
                   Format(" %04d", y);
        case fmtDateTimeCompressed: {
            // Written for every receipt line: digit by digit, as long as each part fits its width.
            if (y < 0 || y > 9999) return Format("%04d%02d%02d%02d%02d%02d%03d", y, m, d, h, n, s, z);
            char text[17];
            const auto two = [&text](int at, int value) {
                text[at] = static_cast<char>('0' + value / 10);
                text[at + 1] = static_cast<char>('0' + value % 10);
            };
            two(0, y / 100);
            two(2, y % 100);
            two(4, m);
            two(6, d);
            two(8, h);
            two(10, n);
            two(12, s);
            text[14] = static_cast<char>('0' + z / 100);
            two(15, z % 100);
            return AnsiString(text, sizeof text);
        }
    }
    return AnsiString();
}

bool TdtTools::TryFromString(std::string_view text, TdtFormat format) {
    double value = 0;
    if (!Parse(text, format, value)) return false;
    FValue = value;
    return true;
}

void TdtTools::FromString(const AnsiString& text, TdtFormat format) {
    if (!TryFromString(text, format)) throw EConvertError("'" + text + "' is not a valid date and time");
}
