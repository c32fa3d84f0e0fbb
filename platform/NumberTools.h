#pragma once
// Extended-precision numbers: reading, rounding and writing amounts.
#include "platform/Strings.h"

class TxfTools {
public:
    TxfTools() = default;
    explicit TxfTools(long double value) : FValue(value) {}

    // Reads a decimal number ("." or "," as the point) with at most `decimals` decimals.
    // strict: the whole text must be a number (after trimming); otherwise the leading number
    // is taken and anything unreadable gives 0. Returns whether a number was read.
    bool FromString(const AnsiString& text, int decimals, bool strict);
    // Rounds half away from zero to the given number of decimals.
    TxfTools& Round(int decimals);
    long double Value() const { return FValue; }
    void SetValue(long double value) { FValue = value; }
    // Fixed-point text, right-aligned to width (0 = no padding).
    AnsiString ToString(int width, int decimals) const;

private:
    long double FValue = 0;
};

// Round half away from zero to a whole number.
long double RoundHalfAway(long double value);
