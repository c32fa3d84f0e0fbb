#pragma once
// Which host VAT rate each of the register's ten slots carries, slot 0 first. An entry is
// -999 for an empty slot, -1 for the exempt rate, or a rate (whole percent in the plain
// assignment, hundredths of a percent in the precise one).
#include <array>

#include "platform/IntegerSet.h"
#include "platform/Strings.h"

class TQxStawkiKolejne {
public:
    static constexpr int kSlots = 10;
    static constexpr int kPusta = -999;

    TQxStawkiKolejne() { FWartosci.fill(kPusta); }
    virtual ~TQxStawkiKolejne() = default;

    int GetWartosci(int i) const { return InRange(i) ? FWartosci[static_cast<size_t>(i)] : kPusta; }
    // A value below -1 is stored as an empty slot.
    void SetWartosci(int i, int value);
    bool GetUzywane(int i) const { return GetWartosci(i) >= -1; }
    bool GetZwolnione(int i) const { return GetWartosci(i) == -1; }

    // The stored form: the ten entries as decimal lines joined by CR LF. Reading takes at
    // most ten lines; a line that is not a number, or is below -1, leaves its slot empty; with
    // times100 every rate above 0 is taken in hundredths.
    void WczytajZTekstuParametru(const AnsiString& text, bool times100);
    AnsiString SpiszDoTekstuParametru() const;
    // The host's rates, the last one to the first slot.
    void WczytajZListyDostepnychStawek(const TMacSetOfIntegers& rates);

    // Empties the slots from max(n, 0) on.
    void ObetnijDoTylu(int n);
    // One more than the highest used slot; 0 when none is used.
    int IleUstawionych() const;

private:
    static bool InRange(int i) { return i >= 0 && i < kSlots; }
    std::array<int, kSlots> FWartosci;
};
