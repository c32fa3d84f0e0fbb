#pragma once
// How the words of the export file's lines are read, for the goods and customer records and
// the buffer alike.
#include "platform/Strings.h"

class TMLgExtTools;

// Translation context of the texts of the export file and its buffer.
inline constexpr char kExpBufContext[] = "brevant_QxExpBuf";

// "Nieprawidłowy format pliku eksportowego", translated.
AnsiString BadExportFormat(TMLgExtTools* translation);
// "T"/"t" true, "F"/"f" false (by the first character); anything else raises BadExportFormat.
bool FlagWord(std::string_view word, TMLgExtTools* translation);
// The C library's reading of the leading decimal number ("." as the point), else 0; values
// beyond the floating range read as 0 too.
double NumberWord(std::string_view word);
// A VAT rate in percent as hundredths of a percent: -1 for the exempt (negative) rate.
long long RateInHundredths(int percent);
// A finite value cut to the int range.
int ClampToInt(long double value);
