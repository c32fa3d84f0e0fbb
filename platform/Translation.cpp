#include "platform/Translation.h"

#include <cstdint>
#include <cstring>

namespace {

// Unicode code points of the bytes 0x80..0xFF. The five bytes Windows-1250 leaves unassigned
// (81 83 88 90 98) stand for the control characters of the same number, as Windows maps them.
const uint16_t kCp1250[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

const uint16_t kCp852[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x016F, 0x0107, 0x00E7,  // 80
    0x0142, 0x00EB, 0x0150, 0x0151, 0x00EE, 0x0179, 0x00C4, 0x0106,  // 88
    0x00C9, 0x0139, 0x013A, 0x00F4, 0x00F6, 0x013D, 0x013E, 0x015A,  // 90
    0x015B, 0x00D6, 0x00DC, 0x0164, 0x0165, 0x0141, 0x00D7, 0x010D,  // 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x0104, 0x0105, 0x017D, 0x017E,  // A0
    0x0118, 0x0119, 0x00AC, 0x017A, 0x010C, 0x015F, 0x00AB, 0x00BB,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x011A,  // B0
    0x015E, 0x2563, 0x2551, 0x2557, 0x255D, 0x017B, 0x017C, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x0102, 0x0103,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4,  // C8
    0x0111, 0x0110, 0x010E, 0x00CB, 0x010F, 0x0147, 0x00CD, 0x00CE,  // D0
    0x011B, 0x2518, 0x250C, 0x2588, 0x2584, 0x0162, 0x016E, 0x2580,  // D8
    0x00D3, 0x00DF, 0x00D4, 0x0143, 0x0144, 0x0148, 0x0160, 0x0161,  // E0
    0x0154, 0x00DA, 0x0155, 0x0170, 0x00FD, 0x00DD, 0x0163, 0x00B4,  // E8
    0x00AD, 0x02DD, 0x02DB, 0x02C7, 0x02D8, 0x00A7, 0x00F7, 0x00B8,  // F0
    0x00B0, 0x00A8, 0x02D9, 0x0171, 0x0158, 0x0159, 0x25A0, 0x00A0,  // F8
};

// Reverse lookup: code point -> byte, built once from a table.
class TReverseTable {
public:
    explicit TReverseTable(const uint16_t* table) {
        for (int i = 0; i < 128; ++i) {
            FEntries[i].codePoint = table[i];
            FEntries[i].byte = static_cast<unsigned char>(0x80 + i);
        }
        // Insertion sort: 128 entries, done once.
        for (int i = 1; i < 128; ++i) {
            Entry e = FEntries[i];
            int j = i - 1;
            while (j >= 0 && FEntries[j].codePoint > e.codePoint) {
                FEntries[j + 1] = FEntries[j];
                --j;
            }
            FEntries[j + 1] = e;
        }
    }
    // The byte for a code point, or '?' when the code page has none.
    char Find(uint32_t codePoint) const {
        if (codePoint < 0x80) return static_cast<char>(codePoint);
        int lo = 0, hi = 127;
        while (lo <= hi) {
            int mid = (lo + hi) / 2;
            if (FEntries[mid].codePoint == codePoint) return static_cast<char>(FEntries[mid].byte);
            if (FEntries[mid].codePoint < codePoint) lo = mid + 1;
            else hi = mid - 1;
        }
        return '?';
    }

private:
    struct Entry {
        uint32_t codePoint;
        unsigned char byte;
    };
    Entry FEntries[128];
};

const TReverseTable& Reverse1250() {
    static const TReverseTable table(kCp1250);
    return table;
}

const TReverseTable& Reverse852() {
    static const TReverseTable table(kCp852);
    return table;
}

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
        length = 2; cp = lead & 0x1F; min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3; cp = lead & 0x0F; min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4; cp = lead & 0x07; min = 0x10000;
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

AnsiString FromUtf8(const char* text, size_t size, const TReverseTable& table) {
    AnsiString result;
    result.reserve(size);
    size_t i = 0;
    while (i < size) {
        uint32_t cp = DecodeUtf8(text, size, i);
        result += cp == 0xFFFFFFFFu ? '?' : table.Find(cp);
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

AnsiString ToUtf8(const AnsiString& text, const uint16_t* table) {
    AnsiString result;
    result.reserve(text.size() + text.size() / 2);
    for (char c : text) {
        unsigned char b = static_cast<unsigned char>(c);
        AppendUtf8(result, b < 0x80 ? b : table[b - 0x80]);
    }
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
    int result = FLookup(buffer, static_cast<int>(sizeof buffer), context ? context : "",
                         key ? key : "");
    buffer[300] = '\0';
    if (result <= 0) return AnsiString();
    return AnsiString(buffer);
}

AnsiString TMLgExtTools::GetString(TMLgExtTools* service, const char* context, const char* key,
                                   int variant, const char* defaultUtf8) {
    if (service != nullptr) {
        AnsiString translated = service->Lookup(context, key);
        if (!translated.empty()) return translated;
    }
    return Ansi(defaultUtf8);
}

AnsiString Ansi(const char* utf8) {
    if (utf8 == nullptr) return AnsiString();
    return FromUtf8(utf8, std::strlen(utf8), Reverse1250());
}

AnsiString Ansi(const AnsiString& utf8) { return FromUtf8(utf8.data(), utf8.size(), Reverse1250()); }

AnsiString Utf8ToCp852(const AnsiString& utf8) {
    return FromUtf8(utf8.data(), utf8.size(), Reverse852());
}

AnsiString Cp1250ToUtf8(const AnsiString& text) { return ToUtf8(text, kCp1250); }

AnsiString Cp852ToUtf8(const AnsiString& text) { return ToUtf8(text, kCp852); }

AnsiString MakeTranslationKey(const char* cls, const char* method, const char* piece1,
                              const char* piece2, int duplicate) {
    AnsiString key = Piece(cls) + Piece(method) + Piece(piece1) + Piece(piece2);
    if (key.size() > 24) key.erase(0, key.size() - 24);
    if (duplicate > 0) key += Format("_%05d", duplicate);
    return key;
}

AnsiString Tr(TMLgExtTools* service, const char* context, const char* cls, const char* method,
              const char* piece, const char* defaultUtf8, int duplicate) {
    AnsiString key = MakeTranslationKey(cls, method, piece, "", duplicate);
    return TMLgExtTools::GetString(service, context, key.c_str(), 0, defaultUtf8);
}
