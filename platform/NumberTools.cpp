#include "platform/NumberTools.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace {

long double PowerOfTen(int exponent) {
    long double result = 1;
    long double base = 10;
    unsigned n = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
    while (n) {
        if (n & 1) result *= base;
        base *= base;
        n >>= 1;
    }
    return exponent < 0 ? 1 / result : result;
}

int ClampDecimals(int decimals) { return decimals < -30 ? -30 : decimals > 30 ? 30 : decimals; }

}  // namespace

long double RoundHalfAway(long double value) { return std::round(value); }

void AppendWhole(AnsiString& out, long double value) {
    char text[24];
    char* end = text;
    // Most amounts are doubles, whole and well inside 2^53: that case in double arithmetic,
    // which the processor does far faster than extended.
    const double asDouble = static_cast<double>(value);
    if (static_cast<long double>(asDouble) == value && std::fabs(asDouble) < 9007199254740992.0) {
        const double magnitude = std::fabs(asDouble);
        unsigned long long whole = static_cast<unsigned long long>(magnitude);
        const double fraction = magnitude - static_cast<double>(whole);
        if (fraction > 0.5 || (fraction == 0.5 && (whole & 1) != 0)) ++whole;
        if (std::signbit(asDouble)) *end++ = '-';
        end = std::to_chars(end, text + sizeof text, whole).ptr;
        out.append(text, static_cast<size_t>(end - text));
        return;
    }
    const long double magnitude = std::fabs(value);
    // From 2^63 on every value is whole and too wide for 64 bits; these, the infinities and
    // NaN are rare enough to leave to printf.
    if (!(magnitude < 9223372036854775808.0L)) {
        out += Format("%.0Lf", value);
        return;
    }
    unsigned long long whole = static_cast<unsigned long long>(magnitude);
    // Exact: the whole part of a long double takes no more bits than the value has.
    const long double fraction = magnitude - static_cast<long double>(whole);
    if (fraction > 0.5L || (fraction == 0.5L && (whole & 1) != 0)) ++whole;
    if (std::signbit(value)) *end++ = '-';
    end = std::to_chars(end, text + sizeof text, whole).ptr;
    out.append(text, static_cast<size_t>(end - text));
}

AnsiString WholeText(long double value) {
    AnsiString text;
    AppendWhole(text, value);
    return text;
}

void AppendInt(AnsiString& out, long long value) {
    char text[24];
    out.append(text, static_cast<size_t>(std::to_chars(text, text + sizeof text, value).ptr - text));
}

bool TxfTools::FromString(const AnsiString& source, int decimals, bool strict) {
    FValue = 0;
    AnsiString text = strict ? Trim(source) : TrimLeft(source);
    size_t i = 0, n = text.size();
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // Digits are gathered exactly while they fit in 64 bits; the rest only scale the value.
    uint64_t mantissa = 0;
    int exponent = 0;
    int digits = 0;
    bool full = false;
    auto addDigit = [&](int d, bool fraction) {
        ++digits;
        if (!full && mantissa <= (UINT64_MAX - 9) / 10) {
            mantissa = mantissa * 10 + static_cast<uint64_t>(d);
            if (fraction) --exponent;
        } else {
            full = true;
            if (!fraction) ++exponent;
        }
    };
    while (i < n && text[i] >= '0' && text[i] <= '9') addDigit(text[i++] - '0', false);
    if (i < n && (text[i] == '.' || text[i] == ',')) {
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') addDigit(text[i++] - '0', true);
    }
    if (digits == 0 || (strict && i != n)) return false;

    long double value = static_cast<long double>(mantissa);
    value = exponent < 0 ? value / PowerOfTen(-exponent) : value * PowerOfTen(exponent);
    FValue = negative ? -value : value;
    if (decimals >= 0 && -exponent > decimals) Round(decimals);
    return true;
}

TxfTools& TxfTools::Round(int decimals) {
    decimals = ClampDecimals(decimals);
    long double scale = PowerOfTen(decimals);
    long double scaled = FValue * scale;
    if (!std::isfinite(scaled) || std::fabs(scaled) >= 9.2e18L) return *this;  // already whole
    long double magnitude = std::fabs(scaled);
    long double whole = std::floor(magnitude);
    // A value read from a decimal text is rarely exact in binary: 1.005 is 1.00499999...
    // A fraction within a few units of the last place below one half counts as one half.
    long double tolerance = 1e-15L * (magnitude > 1 ? magnitude : 1);
    long double rounded = magnitude - whole >= 0.5L - tolerance ? whole + 1 : whole;
    long double result = rounded / scale;
    FValue = scaled < 0 ? -result : result;
    if (FValue == 0) FValue = 0;  // no negative zero
    return *this;
}

AnsiString TxfTools::ToString(int width, int decimals) const {
    if (decimals < 0) decimals = 0;
    if (decimals > 30) decimals = 30;
    TxfTools rounded(FValue);
    rounded.Round(decimals);
    long double value = rounded.Value();
    if (value == 0) value = 0;
    char small[64];
    int needed = std::snprintf(small, sizeof small, "%.*Lf", decimals, value);
    AnsiString text;
    if (needed < 0) return text;
    if (static_cast<size_t>(needed) < sizeof small) {
        text.assign(small, static_cast<size_t>(needed));
    } else {
        text.resize(static_cast<size_t>(needed) + 1);
        std::snprintf(&text[0], text.size(), "%.*Lf", decimals, value);
        text.resize(static_cast<size_t>(needed));
    }
    for (char& c : text)
        if (c == ',') c = '.';  // whatever the process locale says
    if (width > 0 && text.size() < static_cast<size_t>(width))
        text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
    return text;
}
