#include "framework/StawkiKolejne.h"

void TQxStawkiKolejne::SetWartosci(int i, int value) {
    if (InRange(i)) FWartosci[static_cast<size_t>(i)] = value < -1 ? kPusta : value;
}

void TQxStawkiKolejne::WczytajZTekstuParametru(const AnsiString& text, bool times100) {
    FWartosci.fill(kPusta);
    const std::vector<AnsiString> lines = SplitLines(Trim(text));
    for (size_t i = 0; i < lines.size() && i < kSlots; ++i) {
        int value = kPusta;
        if (!TryStrToInt(Trim(lines[i]), value)) value = kPusta;
        // A rate too large to be kept in hundredths is no rate at all.
        if (times100 && value > 0) value = value <= 2147483647 / 100 ? value * 100 : kPusta;
        SetWartosci(static_cast<int>(i), value);
    }
}

AnsiString TQxStawkiKolejne::SpiszDoTekstuParametru() const {
    AnsiString text;
    for (size_t i = 0; i < kSlots; ++i) text += (i ? "\r\n" : "") + IntToStr(FWartosci[i]);
    return text;
}

void TQxStawkiKolejne::WczytajZListyDostepnychStawek(const TMacSetOfIntegers& rates) {
    FWartosci.fill(kPusta);
    const int count = rates.GetCount();
    for (int i = 0; i < count && i < kSlots; ++i) SetWartosci(i, rates.GetValues(count - 1 - i));
}

void TQxStawkiKolejne::ObetnijDoTylu(int n) {
    for (int i = n < 0 ? 0 : n; i < kSlots; ++i) FWartosci[static_cast<size_t>(i)] = kPusta;
}

int TQxStawkiKolejne::IleUstawionych() const {
    for (int i = kSlots; i > 0; --i)
        if (GetUzywane(i - 1)) return i;
    return 0;
}
