#include "codes/KodWazony.h"

#include "platform/Exceptions.h"
#include "platform/Translation.h"

AnsiString TKodWazony::NormalizujNiepelny(std::string_view code, TMLgExtTools* translation) const {
    if (formaty == nullptr)
        throw Exception(Tr(translation, "brevant_Wazony", "TKodWazony", "NormalizujNiepelny", "formaty",
                           u8"TKodWazony: formaty ważone nie zainicjowane!"));
    AnsiString result(code);
    if (code.size() < 3) return result;
    for (const AnsiString& format : *formaty) {
        // Formats of another two-character prefix are passed over.
        if (std::string_view(format).substr(0, 2) != code.substr(0, 2)) continue;
        // The fixed part ends at the first variable character; "K" counts as "?".
        const size_t fixed = format.find_first_of("?K");
        if (fixed == AnsiString::npos || fixed < 3) continue;
        if (code.size() == fixed) {
            if (result.size() < 13) result.append(13 - result.size(), '?');
            return result;
        }
    }
    return result;
}
