#include "platform/Translation.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {

// The characters of the bytes 0x80..0xFF, sixteen a line; invisible ones as escapes. The five
// bytes Windows-1250 leaves unassigned (81 83 88 90 98) stand for the control characters of the
// same number, as Windows maps them.
const char kCp1250Upper[] =
    u8"€\u0081‚\u0083„…†‡\u0088‰Š‹ŚŤŽŹ"  // 80
    u8"\u0090‘’“”•–—\u0098™š›śťžź"       // 90
    u8"\u00A0ˇ˘Ł¤Ą¦§¨©Ş«¬\u00AD®Ż"       // A0
    u8"°±˛ł´µ¶·¸ąş»Ľ˝ľż"                 // B0
    u8"ŔÁÂĂÄĹĆÇČÉĘËĚÍÎĎ"                 // C0
    u8"ĐŃŇÓÔŐÖ×ŘŮÚŰÜÝŢß"                 // D0
    u8"ŕáâăäĺćçčéęëěíîď"                 // E0
    u8"đńňóôőö÷řůúűüýţ˙";                // F0

const char kCp852Upper[] =
    u8"ÇüéâäůćçłëŐőîŹÄĆ"             // 80
    u8"ÉĹĺôöĽľŚśÖÜŤťŁ×č"             // 90
    u8"áíóúĄąŽžĘę¬źČş«»"             // A0
    u8"░▒▓│┤ÁÂĚŞ╣║╗╝Żż┐"             // B0
    u8"└┴┬├─┼Ăă╚╔╩╦╠═╬¤"             // C0
    u8"đĐĎËďŇÍÎě┘┌█▄ŢŮ▀"             // D0
    u8"ÓßÔŃńňŠšŔÚŕŰýÝţ´"             // E0
    u8"\u00AD˝˛ˇ˘§÷¸°¨˙űŘř■\u00A0";  // F0

// Decodes one UTF-8 sequence at text[i]; advances i. Answers 0xFFFFFFFF for a byte that does
// not start a well-formed sequence (that byte alone is consumed).
uint32_t DecodeUtf8(const char* text, size_t size, size_t& i) {
    const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
    unsigned char lead = s[i];
    const uint32_t bad = 0xFFFFFFFFu;
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    int length;
    uint32_t cp;
    uint32_t min;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
        min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
        min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
        min = 0x10000;
    } else {
        ++i;
        return bad;
    }
    if (size - i < static_cast<size_t>(length)) {
        ++i;
        return bad;
    }
    for (int k = 1; k < length; ++k) {
        unsigned char c = s[i + static_cast<size_t>(k)];
        if ((c & 0xC0) != 0x80) {
            ++i;
            return bad;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return bad;
    }
    i += static_cast<size_t>(length);
    return cp;
}

// A code page both ways: byte -> code point, and code point -> byte through the upper half
// sorted by code point. Built once from the characters of its upper half.
class TCodePage {
public:
    explicit TCodePage(const char* upperUtf8) {
        const size_t size = std::strlen(upperUtf8);
        size_t at = 0;
        for (size_t i = 0; i < FUpper.size() && at < size; ++i) {
            FUpper[i] = DecodeUtf8(upperUtf8, size, at);
            FByCodePoint[i] = {FUpper[i], static_cast<unsigned char>(0x80 + i)};
        }
        std::sort(FByCodePoint.begin(), FByCodePoint.end());
    }
    uint32_t CodePoint(unsigned char byte) const { return byte < 0x80 ? byte : FUpper[byte - 0x80]; }
    // The byte for a code point, or '?' when the code page has none.
    char Byte(uint32_t codePoint) const {
        if (codePoint < 0x80) return static_cast<char>(codePoint);
        const auto it = std::lower_bound(FByCodePoint.begin(), FByCodePoint.end(),
                                         std::make_pair(codePoint, static_cast<unsigned char>(0)));
        return it != FByCodePoint.end() && it->first == codePoint ? static_cast<char>(it->second) : '?';
    }

private:
    std::array<uint32_t, 128> FUpper{};
    std::array<std::pair<uint32_t, unsigned char>, 128> FByCodePoint{};
};

const TCodePage& Cp1250() {
    static const TCodePage page(kCp1250Upper);
    return page;
}

const TCodePage& Cp852() {
    static const TCodePage page(kCp852Upper);
    return page;
}

AnsiString FromUtf8(const char* text, size_t size, const TCodePage& page) {
    AnsiString result;
    result.reserve(size);
    size_t i = 0;
    while (i < size) {
        uint32_t cp = DecodeUtf8(text, size, i);
        result += cp == 0xFFFFFFFFu ? '?' : page.Byte(cp);
    }
    return result;
}

void AppendUtf8(AnsiString& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

AnsiString ToUtf8(const AnsiString& text, const TCodePage& page) {
    AnsiString result;
    result.reserve(text.size() + text.size() / 2);
    for (char c : text) AppendUtf8(result, page.CodePoint(static_cast<unsigned char>(c)));
    return result;
}

AnsiString Piece(const char* text) {
    if (text == nullptr) return AnsiString();
    size_t n = 0;
    while (n < 8 && text[n] != '\0') ++n;
    return AnsiString(text, n);
}

}  // namespace

AnsiString TMLgExtTools::Lookup(const char* context, const char* key) const {
    if (FLookup == nullptr) return AnsiString();
    char buffer[301];
    std::memset(buffer, 0, sizeof buffer);
    int result = FLookup(buffer, static_cast<int>(sizeof buffer), context ? context : "", key ? key : "");
    buffer[300] = '\0';
    if (result <= 0) return AnsiString();
    return AnsiString(buffer);
}

AnsiString TMLgExtTools::GetString(TMLgExtTools* service, const char* context, const char* key, int variant,
                                   const char* defaultUtf8) {
    if (service != nullptr) {
        AnsiString translated = service->Lookup(context, key);
        if (!translated.empty()) return translated;
    }
    return Ansi(defaultUtf8);
}

AnsiString Ansi(const char* utf8) {
    if (utf8 == nullptr) return AnsiString();
    return FromUtf8(utf8, std::strlen(utf8), Cp1250());
}

AnsiString Ansi(const AnsiString& utf8) { return FromUtf8(utf8.data(), utf8.size(), Cp1250()); }

AnsiString Utf8ToCp852(const AnsiString& utf8) { return FromUtf8(utf8.data(), utf8.size(), Cp852()); }

AnsiString Cp1250ToUtf8(const AnsiString& text) { return ToUtf8(text, Cp1250()); }

AnsiString Cp852ToUtf8(const AnsiString& text) { return ToUtf8(text, Cp852()); }

AnsiString MakeTranslationKey(const char* cls, const char* method, const char* piece1, const char* piece2,
                              int duplicate) {
    AnsiString key = Piece(cls) + Piece(method) + Piece(piece1) + Piece(piece2);
    if (key.size() > 24) key.erase(0, key.size() - 24);
    if (duplicate > 0) key += Format("_%05d", duplicate);
    return key;
}

AnsiString Tr(TMLgExtTools* service, const char* context, const char* cls, const char* method, const char* piece,
              const char* defaultUtf8, int duplicate) {
    AnsiString key = MakeTranslationKey(cls, method, piece, "", duplicate);
    return TMLgExtTools::GetString(service, context, key.c_str(), 0, defaultUtf8);
}
