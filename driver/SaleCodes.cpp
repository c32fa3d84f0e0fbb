#include "driver/SaleCodes.h"

TSaleCodes::TCode TSaleCodes::Add(const TField& key, size_t slot, AnsiString code) {
    if (FCodes.size() >= FMaxCodes) {
        FUnnumbered.push_back(std::move(code));
        return TCode{FUnnumbered.back(), -1};
    }
    FCodes.push_back(std::move(code));
    const AnsiString& kept = FCodes.back();
    const int number = static_cast<int>(FCodes.size() - 1);
    FSlots[slot] = TSlot{key.head, key.middle, key.tail, static_cast<uint16_t>(kept.size()), number, kept.data()};
    // At most a quarter full: nearly every lookup finds its field in the first slot it
    // tries, the one fetched ahead.
    if (FCodes.size() * 4 > FSlots.size()) {
        std::vector<TSlot> slots(FSlots.size() * 2);
        slots.swap(FSlots);
        for (const TSlot& s : slots) {
            if (s.key < 0) continue;
            size_t i = Hash(s.head, s.middle, s.tail) & (FSlots.size() - 1);
            while (FSlots[i].key >= 0) i = (i + 1) & (FSlots.size() - 1);
            FSlots[i] = s;
        }
    }
    return TCode{std::string_view(kept.data(), static_cast<uint16_t>(kept.size())), number};
}
