#include "codes/KartaRab.h"

#include "ecr/LTools.h"
#include "platform/Exceptions.h"
#include "platform/Translation.h"

namespace {

const char* const kContext = "brevant_KartaRab";

bool Has(const AnsiString& mask, char c) { return mask.find(c) != AnsiString::npos; }

// Length of the run of c that begins at its first occurrence; 0 when absent.
int RunAt(const AnsiString& mask, size_t start, char c) {
    int n = 0;
    for (size_t k = start; k < mask.size() && mask[k] == c; ++k) ++n;
    return n;
}

int SectionLength(const AnsiString& mask, char c) {
    const size_t at = mask.find(c);
    return at == AnsiString::npos ? 0 : RunAt(mask, at, c);
}

// A date part may be written with the lower- or the upper-case letter (never both).
int DateSectionLength(const AnsiString& mask, char lower, char upper, bool& isUpper) {
    isUpper = !Has(mask, lower) && Has(mask, upper);
    return SectionLength(mask, isUpper ? upper : lower);
}

AnsiString Fit(AnsiString text, int length, e_just cutSide) {
    TLTools::StrSize(text, length, '0', left, cutSide);
    return text;
}

}  // namespace

TKartaRab::TKartaRab() : TermWaznKarty(0.0) { Czysc(); }

void TKartaRab::Czysc() {
    Przedrostek = 0;
    PoziomRabatu = 0;
    KodKarty.clear();
}

void TKartaRab::SprawdzPoprawnoscWzorca(const AnsiString& mask, TMLgExtTools* translation) const {
    const char* cls = "TKartaRab";
    const char* method = "SprawdzPoprawnoscWzorca";
    if (mask.empty())
        throw Exception(Tr(translation, kContext, cls, method, "pusty",
                           u8"TKartaRab: jak mam przetwarzać karty klienta, jeśli format nie wprowadzony?"));
    if (Has(mask, 'y') && Has(mask, 'Y'))
        throw Exception(Tr(translation, kContext, cls, method, "yY",
                           u8"TKartaRab: w formacie nie mogą występować równocześnie y i Y"));
    if (Has(mask, 'm') && Has(mask, 'M'))
        throw Exception(Tr(translation, kContext, cls, method, "mM",
                           u8"TKartaRab: w formacie nie mogą występować równocześnie m i M"));
    if (Has(mask, 'd') && Has(mask, 'D'))
        throw Exception(Tr(translation, kContext, cls, method, "dD",
                           u8"TKartaRab: w formacie nie mogą występować równocześnie d i D"));
    for (size_t k = 0; k < mask.size(); ++k) {
        const char c = mask[k];
        switch (c) {
            case 'D':
            case 'M':
            case 'Y':
            case 'd':
            case 'k':
            case 'm':
            case 'r':
            case 's':
            case 'y': continue;
            case 'x':
                if (k + 1 == 13) continue;
                throw Exception(Tr(translation, kContext, cls, method, "x",
                                   u8"TKartaRab: cyfra kontrolna EAN13 (literka 'x' w formacie karty) może być tylko "
                                   u8"na 13 miejscu, albo wcale"));
            default:
                if (c >= '0' && c <= '9') continue;
                throw Exception(
                    Tr(translation, kContext, cls, method, "znaki",
                       u8"TKartaRab: niedopuszczalne znaki w formacie karty - używaj tylko 0-9 oraz skymdYMDrx"));
        }
    }
    if (!Has(mask, 'k'))
        throw Exception(Tr(translation, kContext, cls, method, "kod",
                           u8"TKartaRab: format karty musi zawierać sekcję z kodem klienta (\"kkk...\")"));
}

AnsiString TKartaRab::Poskladaj(const AnsiString& mask, TMLgExtTools* translation) const {
    SprawdzPoprawnoscWzorca(mask, translation);

    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
    TermWaznKarty.Decode(year, month, day, hour, minute, second, ms);

    bool yearUpper = false, monthUpper = false, dayUpper = false;
    const int yearLen = DateSectionLength(mask, 'y', 'Y', yearUpper);
    const int monthLen = DateSectionLength(mask, 'm', 'M', monthUpper);
    const int dayLen = DateSectionLength(mask, 'd', 'D', dayUpper);

    const AnsiString prefix = Fit(Format("%d", Przedrostek), SectionLength(mask, 's'), right);
    const AnsiString customer = Fit(KodKarty, SectionLength(mask, 'k'), right);
    const AnsiString level = Fit(Format("%d", PoziomRabatu), SectionLength(mask, 'r'), right);
    const AnsiString yearText =
        Fit(Format("%hu", static_cast<unsigned short>(year)), yearLen, yearUpper ? right : left);
    const AnsiString monthText =
        Fit(Format("%hu", static_cast<unsigned short>(month)), monthLen, monthUpper ? right : left);
    const AnsiString dayText = Fit(Format("%hu", static_cast<unsigned short>(day)), dayLen, dayUpper ? right : left);

    AnsiString code;
    // Each section is written where its run begins; the walk resumes after it.
    for (size_t i = 0; i < mask.size(); ++i) {
        const AnsiString* section = nullptr;
        switch (mask[i]) {
            case 's': section = &prefix; break;
            case 'k': section = &customer; break;
            case 'r': section = &level; break;
            case 'y':
            case 'Y': section = &yearText; break;
            case 'm':
            case 'M': section = &monthText; break;
            case 'd':
            case 'D': section = &dayText; break;
            default: break;
        }
        if (section != nullptr) {
            code += *section;
            i = code.size() == 0 ? i : code.size() - 1;
        } else if (mask[i] >= '0' && mask[i] <= '9') {
            code += mask[i];
        }
    }
    if (Has(mask, 'x')) TLTools::KorygujCyfreKontrolnaEAN13(code);
    return code;
}

void TKartaRab::Rozparsuj(const AnsiString& mask, const AnsiString& code, TMLgExtTools* translation) {
    Czysc();
    SprawdzPoprawnoscWzorca(mask, translation);
    const size_t p = mask.find('k');
    const int n = RunAt(mask, p, 'k');
    KodKarty = SubString(code, static_cast<int>(p) + 1, n);
}
