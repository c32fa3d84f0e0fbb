#include "exchange/ExportWords.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/Exceptions.h"
#include "platform/Translation.h"

AnsiString BadExportFormat(TMLgExtTools* translation) {
    return Tr(translation, kExpBufContext, "QxTowRec", "FromLine", "format",
              u8"Nieprawidłowy format pliku eksportowego");
}

bool FlagWord(std::string_view word, TMLgExtTools* translation) {
    const char c = word.empty() ? '\0' : word[0];
    if (c == 'T' || c == 't') return true;
    if (c == 'F' || c == 'f') return false;
    throw Exception(BadExportFormat(translation));
}

double NumberWord(std::string_view word) {
    const double value = CAtof(word);
    return std::isfinite(value) ? value : 0;
}

long long RateInHundredths(int percent) { return percent < 0 ? -1 : percent * 100LL; }

int ClampToInt(long double value) { return static_cast<int>(std::clamp<long double>(value, INT_MIN, INT_MAX)); }
