#include "codes/KodWazony.h"

#include "platform/Exceptions.h"
#include "platform/Translation.h"

AnsiString TKodWazony::NormalizujNiepelny(const AnsiString& code, TMLgExtTools* translation) const {
    if (formaty == nullptr)
        throw Exception(Tr(translation, "brevant_Wazony", "TKodWazony", "NormalizujNiepelny", "formaty",
                           u8"TKodWazony: formaty ważone nie zainicjowane!"));
    if (code.size() < 3) return code;
    const AnsiString prefix = SubString(code, 1, 2);
    for (const AnsiString& format : *formaty) {
        if (SubString(format, 1, 2) != prefix) continue;
        // The fixed part ends at the first variable character; "K" counts as "?".
        const size_t fixed = format.find_first_of("?K");
        if (fixed == AnsiString::npos || fixed < 3) continue;
        if (code.size() == fixed) {
            AnsiString result = code;
            if (result.size() < 13) result.append(13 - result.size(), '?');
            return result;
        }
    }
    return code;
}
