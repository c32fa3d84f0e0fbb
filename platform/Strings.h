#pragma once
// Byte strings and the small text helpers every layer uses.
// Texts are 8-bit: Windows-1250 on the host side, code page 852 on the register side.
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

using AnsiString = std::string;

#if defined(__MINGW32__)
// The MinGW runtime used here formats like the GNU one ("%Lf" takes a long double).
#define VK_PRINTF(a, b) __attribute__((format(gnu_printf, a, b)))
#elif defined(__GNUC__)
#define VK_PRINTF(a, b) __attribute__((format(printf, a, b)))
#else
#define VK_PRINTF(a, b)
#endif

// printf-style formatting into a byte string.
AnsiString Format(const char* fmt, ...) VK_PRINTF(1, 2);
AnsiString FormatV(const char* fmt, va_list args);

// "n characters from position p", positions counted from 1 as in the record layouts.
// Positions or lengths outside the text yield the part that exists (possibly ""): a position
// below 1 counts as 1 (the count is not shortened, as the runtime's Copy does), a count
// reaching past the end stops at the end, a count below 1 or a position past the end gives "".
AnsiString SubString(const AnsiString& text, int pos, int count);

// Position (from 1) of the first occurrence of what in text, 0 when absent.
int Pos(const AnsiString& what, const AnsiString& text);

AnsiString Trim(const AnsiString& text);  // removes bytes <= ' ' at both ends
// The same, in place.
inline std::string_view TrimView(std::string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    return text.substr(begin, end - begin);
}
AnsiString TrimLeft(const AnsiString& text);
AnsiString TrimRight(const AnsiString& text);
AnsiString UpperCase(const AnsiString& text);  // ASCII letters only
AnsiString LowerCase(const AnsiString& text);
bool SameText(const AnsiString& a, const AnsiString& b);  // ASCII case-insensitive
bool StartsWith(const AnsiString& text, const AnsiString& prefix);
bool EndsWith(const AnsiString& text, const AnsiString& suffix);

AnsiString IntToStr(long long value);

// Strict decimal integer: optional sign and digits only, no blanks; fits in int.
bool TryStrToInt(std::string_view text, int& value);
// Strict conversion; raises EConvertError ("'x' is not a valid integer value").
int StrToInt(std::string_view text);
int StrToIntDef(std::string_view text, int def);
// The same for 64-bit values.
bool TryStrToInt64(std::string_view text, long long& value);
long long StrToInt64(std::string_view text);

// Eight bytes in a word, the first in its lowest byte (both targets are little-endian).
inline uint64_t EightBytes(const char* at) {
    uint64_t word;
    std::memcpy(&word, at, 8);
    return word;
}
// Zero when the eight bytes of the word are ASCII digits: a digit's high nibble is 3, and
// adding 6 to it does not carry out of its low nibble.
inline uint64_t NotDigits(uint64_t word) {
    const uint64_t high = 0xF0F0F0F0F0F0F0F0ULL, threes = 0x3030303030303030ULL;
    return ((word & high) ^ threes) | (((word + 0x0606060606060606ULL) & high) ^ threes);
}
// The number eight ASCII digits in a word make.
inline uint64_t EightDigits(uint64_t word) {
    word -= 0x3030303030303030ULL;
    word = word * 10 + (word >> 8);  // two-digit numbers in every other byte
    return ((word & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32)) +
            ((word >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32))) >>
           32;
}
// Eight ASCII digits read at once, or false when one of them is not a digit.
inline bool TryEightDigits(const char* at, uint64_t& value) {
    const uint64_t word = EightBytes(at);
    if (NotDigits(word) != 0) return false;
    value = EightDigits(word);
    return true;
}
// One to eighteen ASCII digits and nothing else, as a register fills its number fields; a
// few million of them in a large sales import.
inline bool TryDigits(std::string_view text, long long& value) {
    if (text.empty() || text.size() > 18) return false;
    uint64_t result = 0, eight = 0;
    const char* at = text.data();
    const char* const last = at + text.size();
    for (; last - at >= 8; at += 8) {
        if (!TryEightDigits(at, eight)) return false;
        result = result * 100000000 + eight;
    }
    for (; at != last; ++at) {
        const unsigned digit = static_cast<unsigned char>(*at) - '0';
        if (digit > 9) return false;
        result = result * 10 + digit;
    }
    value = static_cast<long long>(result);
    return true;
}
// Strict decimal number: optional sign, digits with an optional "." and decimals, optional
// exponent; no blanks. StrToFloat raises EConvertError ("'x' is not a valid floating point value").
bool TryStrToFloat(const AnsiString& text, long double& value);
long double StrToFloat(const AnsiString& text);
// The C library's atoi and strtod (leading number, "." as decimal point, else 0); like them
// they stop at a NUL byte.
int CAtoi(std::string_view text);
double CAtof(std::string_view text);

// Byte-wise comparison (bytes as unsigned) used wherever records are sorted and searched by
// code: -1, 0 or 1.
int AnsiCompare(const AnsiString& a, const AnsiString& b);

// Splits at CR LF, LF or CR. An empty text gives no lines.
std::vector<AnsiString> SplitLines(const AnsiString& text);

// Replace every occurrence of from by to.
AnsiString ReplaceAll(const AnsiString& text, const AnsiString& from, const AnsiString& to);

// Copies at most limit (300) bytes of text into a host buffer of limit + 1 (301) bytes; the
// rest of the buffer, byte limit included, is zeroed.
void CopyToHostBuffer(char* out, const AnsiString& text, int limit = 300);
