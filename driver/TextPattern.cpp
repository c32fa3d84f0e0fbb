#include "driver/TextPattern.h"

namespace {
// The filled text, or false when the pattern does not take exactly these values.
bool TryFill(const AnsiString& pattern, const std::vector<AnsiString>& values, AnsiString& out) {
    out.clear();
    size_t used = 0;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') {
            out += pattern[i];
            continue;
        }
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        ++i;
        if (next == '%') {
            out += '%';
        } else if (next == 's' && used < values.size()) {
            out += values[used++];
        } else {
            return false;
        }
    }
    return used == values.size();
}
}  // namespace

AnsiString FillIn(const AnsiString& pattern, const AnsiString& fallback, const std::vector<AnsiString>& values) {
    AnsiString out;
    if (TryFill(pattern, values, out) || TryFill(fallback, values, out)) return out;
    return fallback;
}
