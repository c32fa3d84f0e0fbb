#pragma once
// The translation service and the one place where default texts (UTF-8 in the sources)
// become Windows-1250 bytes.
#include "platform/Strings.h"

// The host's text lookup: output buffer, its size, context, key -> result.
// A result greater than 0 with a non-empty output means a translation was found.
using TLookupFunction = int (*)(char* out, int size, const char* context, const char* key);

class TMLgExtTools {
public:
    explicit TMLgExtTools(TLookupFunction lookup) : FLookup(lookup) {}

    // The text to show: the host's translation for (context, key), or the Polish default.
    // service may be null. defaultUtf8 is the default text as written in the sources.
    static AnsiString GetString(TMLgExtTools* service, const char* context, const char* key, int variant,
                                const char* defaultUtf8);

    // The host's translation, or "" when there is none (no lookup function, a result of 0 or
    // less, or an empty text). The host writes into a buffer of 301 bytes.
    AnsiString Lookup(const char* context, const char* key) const;

private:
    TLookupFunction FLookup;
};

// Source text (UTF-8) to Windows-1250. Characters without a Windows-1250 form become '?', and
// so does every byte that is not part of a well-formed UTF-8 sequence.
AnsiString Ansi(const char* utf8);
AnsiString Ansi(const AnsiString& utf8);
// Windows-1250 to UTF-8 (for terminals and logs meant for people).
AnsiString Cp1250ToUtf8(const AnsiString& text);
// Code page 852 to UTF-8, for showing register texts.
AnsiString Cp852ToUtf8(const AnsiString& text);
// UTF-8 to code page 852 (register texts written in the sources); '?' as for Ansi.
AnsiString Utf8ToCp852(const AnsiString& utf8);

// Key rule: first eight characters of the class name, of the method name and of up to two
// further pieces, concatenated; the key is the last 24 characters of that text. A second
// and later text with the same key carries the suffix "_00001", "_00002", ... (duplicate).
AnsiString MakeTranslationKey(const char* cls, const char* method, const char* piece1 = "", const char* piece2 = "",
                              int duplicate = 0);

// Shorthand: GetString(service, context, MakeTranslationKey(...), 0, default).
AnsiString Tr(TMLgExtTools* service, const char* context, const char* cls, const char* method, const char* piece,
              const char* defaultUtf8, int duplicate = 0);
