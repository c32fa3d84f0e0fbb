#include "platform/Strings.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Exceptions.h"

#if defined(__MINGW32__) && !__USE_MINGW_ANSI_STDIO
#error "printf of the Microsoft runtime cannot write long double: build with __USE_MINGW_ANSI_STDIO"
#endif

AnsiString FormatV(const char* fmt, va_list args) {
    if (fmt == nullptr) return AnsiString();
    char small[256];
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(small, sizeof small, fmt, copy);
    va_end(copy);
    if (needed < 0) return AnsiString();
    if (static_cast<size_t>(needed) < sizeof small) return AnsiString(small, static_cast<size_t>(needed));
    AnsiString result(static_cast<size_t>(needed) + 1, '\0');
    va_copy(copy, args);
    std::vsnprintf(&result[0], result.size(), fmt, copy);
    va_end(copy);
    result.resize(static_cast<size_t>(needed));
    return result;
}

AnsiString Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    AnsiString result = FormatV(fmt, args);
    va_end(args);
    return result;
}

AnsiString SubString(const AnsiString& text, int pos, int count) {
    long long length = static_cast<long long>(text.size());
    long long start = pos < 1 ? 0 : static_cast<long long>(pos) - 1;
    if (count < 1 || start >= length) return AnsiString();
    long long n = count;
    if (n > length - start) n = length - start;
    return text.substr(static_cast<size_t>(start), static_cast<size_t>(n));
}

int Pos(const AnsiString& what, const AnsiString& text) {
    if (what.empty()) return 0;
    size_t at = text.find(what);
    if (at == AnsiString::npos || at >= static_cast<size_t>(INT_MAX)) return 0;
    return static_cast<int>(at) + 1;
}

static bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

AnsiString Trim(const AnsiString& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

AnsiString TrimLeft(const AnsiString& text) {
    size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) ++begin;
    return text.substr(begin);
}

AnsiString TrimRight(const AnsiString& text) {
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) --end;
    return text.substr(0, end);
}

static char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
static char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

AnsiString UpperCase(const AnsiString& text) {
    AnsiString result(text);
    for (char& c : result) c = AsciiUpper(c);
    return result;
}

AnsiString LowerCase(const AnsiString& text) {
    AnsiString result(text);
    for (char& c : result) c = AsciiLower(c);
    return result;
}

bool SameText(const AnsiString& a, const AnsiString& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

bool StartsWith(const AnsiString& text, const AnsiString& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const AnsiString& text, const AnsiString& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

AnsiString IntToStr(long long value) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return AnsiString(buffer, result.ptr);
}

bool TryStrToInt64(std::string_view text, long long& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    // from_chars takes a minus sign but no plus.
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-') return false;
    }
    // Up to 18 digits cannot overflow: read them straight, as the register's fixed-width
    // fields are, a few million of them in a large sales import.
    const bool negative = first != last && *first == '-';
    const char* digits = first + (negative ? 1 : 0);
    if (last != digits && last - digits <= 18) {
        long long magnitude = 0;
        if (!TryDigits(std::string_view(digits, static_cast<size_t>(last - digits)), magnitude)) return false;
        value = negative ? -magnitude : magnitude;
        return true;
    }
    long long result = 0;
    const auto [end, error] = std::from_chars(first, last, result);
    if (error != std::errc() || end != last) return false;
    value = result;
    return true;
}

bool TryStrToInt(std::string_view text, int& value) {
    long long wide = 0;
    if (!TryStrToInt64(text, wide) || wide < INT_MIN || wide > INT_MAX) return false;
    value = static_cast<int>(wide);
    return true;
}

static void RaiseNotInteger(std::string_view text) {
    throw EConvertError("'" + AnsiString(text) + "' is not a valid integer value");
}

int StrToInt(std::string_view text) {
    int value = 0;
    if (!TryStrToInt(text, value)) RaiseNotInteger(text);
    return value;
}

long long StrToInt64(std::string_view text) {
    long long value = 0;
    if (!TryStrToInt64(text, value)) RaiseNotInteger(text);
    return value;
}

int StrToIntDef(std::string_view text, int def) {
    int value = 0;
    return TryStrToInt(text, value) ? value : def;
}

static bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// The text up to its first NUL, where the C library stops reading.
static std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

int CAtoi(std::string_view source) {
    const std::string_view text = UpToNul(source);
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && IsCSpace(*p)) ++p;
    if (p < end && *p == '+') {
        ++p;
        if (p < end && *p == '-') return 0;  // from_chars would take the minus
    }
    long long value = 0;  // stays 0 when there is no number
    if (std::from_chars(p, end, value).ec == std::errc::result_out_of_range) return *p == '-' ? INT_MIN : INT_MAX;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

double CAtof(std::string_view source) {
    // Independent of the process locale: the point is always ".".
    const std::string_view text = UpToNul(source);
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && IsCSpace(*p)) ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    if (p < end && (*p == '+' || *p == '-')) return 0;  // no second sign
    // Whole numbers of up to 15 digits, the usual amounts, are exact as doubles: read directly.
    unsigned long long whole = 0;
    const char* q = p;
    while (q < end && q - p < 16 && *q >= '0' && *q <= '9') whole = whole * 10 + static_cast<unsigned>(*q++ - '0');
    if (q == end && q > p && q - p <= 15) return negative ? -static_cast<double>(whole) : static_cast<double>(whole);
    double value = 0;
    auto result = std::from_chars(p, end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Keep strtod's answer for overflow and underflow: huge or zero.
        bool tiny = false;
        for (const char* q = p; q < result.ptr; ++q) {
            if (*q == 'e' || *q == 'E') {
                tiny = q + 1 < result.ptr && q[1] == '-';
                break;
            }
        }
        value = tiny ? 0.0 : HUGE_VAL;
    } else if (result.ec != std::errc()) {
        return 0;
    }
    return negative ? -value : value;
}

int AnsiCompare(const AnsiString& a, const AnsiString& b) {
    // char_traits<char> compares the bytes as unsigned char.
    const int c = a.compare(b);
    return (c > 0) - (c < 0);
}

std::vector<AnsiString> SplitLines(const AnsiString& text) {
    std::vector<AnsiString> lines;
    size_t start = 0, i = 0, n = text.size();
    while (i < n) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text, start, i - start);
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
            ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n) lines.emplace_back(text, start, n - start);
    return lines;
}

AnsiString ReplaceAll(const AnsiString& text, const AnsiString& from, const AnsiString& to) {
    if (from.empty()) return text;
    AnsiString result;
    result.reserve(text.size());
    size_t start = 0;
    for (size_t at; (at = text.find(from, start)) != AnsiString::npos; start = at + from.size()) {
        result.append(text, start, at - start);
        result += to;
    }
    result.append(text, start, AnsiString::npos);
    return result;
}

void CopyToHostBuffer(char* out, const AnsiString& text, int limit) {
    if (out == nullptr || limit < 0) return;
    size_t n = text.size() < static_cast<size_t>(limit) ? text.size() : static_cast<size_t>(limit);
    if (n) std::memcpy(out, text.data(), n);
    std::memset(out + n, 0, static_cast<size_t>(limit) - n + 1);
}

bool TryStrToFloat(const AnsiString& text, long double& value) {
    size_t i = 0, n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    size_t point = AnsiString::npos;
    if (i < n && text[i] == '.') {
        point = i++;
        while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        size_t exponentDigits = 0;
        while (i < n && text[i] >= '0' && text[i] <= '9') ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    if (i != n) return false;
    // strtold follows the process locale; hand it the point it expects.
    AnsiString copy(text);
    const char* localePoint = std::localeconv()->decimal_point;
    if (point != AnsiString::npos && localePoint != nullptr && localePoint[0] != '\0' && localePoint[1] == '\0')
        copy[point] = localePoint[0];
    errno = 0;
    long double result = std::strtold(copy.c_str(), nullptr);
    if (errno == ERANGE && std::fabs(result) > 1) return false;  // overflow
    value = result;
    return true;
}

long double StrToFloat(const AnsiString& text) {
    long double value = 0;
    if (!TryStrToFloat(text, value)) throw EConvertError("'" + text + "' is not a valid floating point value");
    return value;
}
