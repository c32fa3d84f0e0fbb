#pragma once
// Hexadecimal numbers in text (digits of either case), read by the standard library.
#include <charconv>
#include <string_view>

// Reads the leading hexadecimal digits of text into value and returns how many there were;
// without any, or when they make a number too large, 0 and value 0.
inline size_t ReadHex(std::string_view text, unsigned long long& value) {
    value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc()) {
        value = 0;
        return 0;
    }
    return static_cast<size_t>(end - text.data());
}

// True when text is hexadecimal digits and nothing else; value receives their number.
inline bool IsHexNumber(std::string_view text, unsigned long long& value) {
    return !text.empty() && ReadHex(text, value) == text.size();
}
