#pragma once
// Texts of the Novitus units are fetched through the translation service the library had
// when it was registered (LgLink), in the contexts of those units.
#include <initializer_list>

#include "platform/Translation.h"

// The library object made by the last registration and its translation service as it was
// then (null until the host registers a lookup before the library is built, i.e. normally).
extern void* hLib;
extern TMLgExtTools* LgLink;

constexpr const char* kCtxNvAction = "velkora_nvaction";
constexpr const char* kCtxNvExc = "velkora_nvexc";
constexpr const char* kCtxImportDialog = "velkora_fImportNovit";

// An item of a parameter's value list: keyed by the list and the item's index.
inline AnsiString NvListText(const char* list, int index, const char* defaultUtf8) {
    return TMLgExtTools::GetString(
        LgLink, kCtxNvAction,
        MakeTranslationKey("TQxLibrary", "TekstListyParametru", list, IntToStr(index).c_str()).c_str(), 0, defaultUtf8);
}

// The port list's first item: the file medium.
inline AnsiString PlikText() { return NvListText("Port", 0, u8"PLIK"); }

inline AnsiString NvTxt(const char* cls, const char* method, const char* piece, const char* defaultUtf8,
                        int duplicate = 0) {
    return Tr(LgLink, kCtxNvAction, cls, method, piece, defaultUtf8, duplicate);
}

// A translated pattern with its "%d" and "%s" places filled in order, by text replacement:
// a translation can never make a formatting function read arguments that are not there.
inline AnsiString FillIn(const AnsiString& pattern, std::initializer_list<AnsiString> values) {
    AnsiString result;
    auto value = values.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == 'd' || pattern[i + 1] == 's') &&
            value != values.end()) {
            result += *value++;
            ++i;
        } else {
            result += pattern[i];
        }
    }
    return result;
}
