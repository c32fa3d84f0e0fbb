#pragma once
// Extended-precision numbers: reading, rounding and writing amounts.
#include "platform/Strings.h"

class TxfTools {
public:
    TxfTools() = default;
    explicit TxfTools(long double value) : FValue(value) {}

    // Reads a decimal number ("." or "," as the point) with at most `decimals` decimals.
    // strict: the whole text must be a number (after trimming); otherwise the leading number
    // is taken and anything unreadable gives 0. Returns whether a number was read. The form is
    // an optional sign, digits, and optionally the point and more digits (at least one digit
    // in all; no blanks inside, no exponent). More decimals than allowed are rounded off.
    bool FromString(const AnsiString& text, int decimals, bool strict);
    // Rounds half away from zero to the given number of decimals (negative: tens, hundreds...).
    // A fraction that misses one half only by the error of the binary form (1.005 is stored
    // as 1.00499999...) counts as one half.
    TxfTools& Round(int decimals);
    long double Value() const { return FValue; }
    void SetValue(long double value) { FValue = value; }
    // Fixed-point text, "." as the point, rounded as Round does, right-aligned with blanks to
    // width (0 = no padding; a longer text is not cut). Never "-0.00".
    AnsiString ToString(int width, int decimals) const;

private:
    long double FValue = 0;
};

// Round half away from zero to a whole number.
long double RoundHalfAway(long double value);

// Appends the text printf writes for "%.0Lf": the value rounded to the nearest whole number,
// a tie to the even one (0.5 gives 0, 1.5 and 2.5 give 2), with a "-" for every negative
// value, also those that round to 0 ("-0").
void AppendWhole(AnsiString& out, long double value);
AnsiString WholeText(long double value);
// Appends the decimal text of value ("%d", "%lld").
void AppendInt(AnsiString& out, long long value);
