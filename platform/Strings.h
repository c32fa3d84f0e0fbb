#pragma once
// Byte strings and the small text helpers every layer uses.
// Texts are 8-bit: Windows-1250 on the host side, code page 852 on the register side.
#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

using AnsiString = std::string;

#if defined(__GNUC__)
#define VK_PRINTF(a, b) __attribute__((format(printf, a, b)))
#else
#define VK_PRINTF(a, b)
#endif

// printf-style formatting into a byte string.
AnsiString Format(const char* fmt, ...) VK_PRINTF(1, 2);
AnsiString FormatV(const char* fmt, va_list args);

// "n characters from position p", positions counted from 1 as in the record layouts.
// Positions or lengths outside the text yield the part that exists (possibly "").
AnsiString SubString(const AnsiString& text, int pos, int count);

// Position (from 1) of the first occurrence of what in text, 0 when absent.
int Pos(const AnsiString& what, const AnsiString& text);

AnsiString Trim(const AnsiString& text);       // removes bytes <= ' ' at both ends
AnsiString TrimLeft(const AnsiString& text);
AnsiString TrimRight(const AnsiString& text);
AnsiString UpperCase(const AnsiString& text);  // ASCII letters only
AnsiString LowerCase(const AnsiString& text);
bool SameText(const AnsiString& a, const AnsiString& b);  // ASCII case-insensitive
bool StartsWith(const AnsiString& text, const AnsiString& prefix);
bool EndsWith(const AnsiString& text, const AnsiString& suffix);

AnsiString IntToStr(long long value);

// Strict decimal integer: optional sign and digits only, no blanks; fits in int.
bool TryStrToInt(const AnsiString& text, int& value);
// Strict conversion; raises EConvertError ("'x' is not a valid integer value").
int StrToInt(const AnsiString& text);
int StrToIntDef(const AnsiString& text, int def);
// The C library's atoi and strtod (leading number, "." as decimal point, else 0).
int CAtoi(const AnsiString& text);
double CAtof(const AnsiString& text);

// Byte-wise comparison used wherever records are sorted and searched by code.
int AnsiCompare(const AnsiString& a, const AnsiString& b);

// Splits at CR LF, LF or CR. An empty text gives no lines.
std::vector<AnsiString> SplitLines(const AnsiString& text);

// Replace every occurrence of from by to.
AnsiString ReplaceAll(const AnsiString& text, const AnsiString& from, const AnsiString& to);

// Copies at most 300 bytes of text into a host buffer of 301 bytes and zeroes byte 300.
void CopyToHostBuffer(char* out, const AnsiString& text, int limit = 300);
