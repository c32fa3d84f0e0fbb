#include "driver/SaleCodes.h"

#include <cstring>

uint64_t TSaleCodes::Hash(uint64_t head, uint64_t middle, uint32_t tail) {
    // Each word multiplied, then high bits folded down twice: the low bits the table uses
    // depend on every byte, where codes differ in their last few.
    uint64_t h = head * 0x9E3779B97F4A7C15ULL ^ middle * 0xFF51AFD7ED558CCDULL ^ tail * 0xC4CEB9FE1A85EC53ULL;
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ULL;
    return h ^ (h >> 29);
}

TSaleCodes::TKey TSaleCodes::KeyOf(std::string_view field) {
    TKey key{};
    std::memcpy(&key.head, field.data(), 8);
    std::memcpy(&key.middle, field.data() + 8, 8);
    uint16_t tail = 0;
    std::memcpy(&tail, field.data() + 16, 2);
    key.tail = tail;
    key.hash = Hash(key.head, key.middle, key.tail);
    return key;
}

TSaleCodes::TCode TSaleCodes::Add(const TKey& key, size_t slot, AnsiString code) {
    FCodes.push_back(std::move(code));
    TSlot& added = FSlots[slot];
    added = TSlot{key.head, key.middle, key.tail, static_cast<int>(FCodes.size() - 1), FCodes.back()};
    const TCode result{added.code, added.key};
    // At most half full: a probe ends at an unused slot within a step or two.
    if (FCodes.size() * 2 > FSlots.size()) {
        std::vector<TSlot> slots(FSlots.size() * 2);
        slots.swap(FSlots);
        for (const TSlot& s : slots) {
            if (s.key < 0) continue;
            size_t i = Hash(s.head, s.middle, s.tail) & (FSlots.size() - 1);
            while (FSlots[i].key >= 0) i = (i + 1) & (FSlots.size() - 1);
            FSlots[i] = s;
        }
    }
    return result;
}

void TSaleCodes::Clear() {
    FSlots.clear();
    FCodes.clear();
}
