#pragma once
// Goods lines by code: an open-addressing table of power-of-two size, so that a lookup costs
// one hash and a probe or two. A sales import looks one code up per receipt position, a
// million times in a large import; a table that divides by a prime for every lookup spends
// more on that than on reading the position.
#include <cstdint>
#include <vector>

#include "platform/Strings.h"

class TCodeIndex {
public:
    struct TEntry {
        int first;  // first and last goods line with the code
        int last;
    };

    // The code's entry, or null.
    TEntry* Find(const AnsiString& code) {
        if (FSlots.empty()) return nullptr;
        const uint64_t hash = Hash(code);
        for (size_t i = hash & (FSlots.size() - 1);; i = (i + 1) & (FSlots.size() - 1)) {
            TSlot& slot = FSlots[i];
            if (!slot.used) return nullptr;
            if (slot.hash == hash && slot.code == code) return &slot.entry;
        }
    }
    // Adds a code that is not in the table yet.
    void Insert(const AnsiString& code, TEntry entry) {
        if ((FCount + 1) * 2 > FSlots.size()) Rehash(FSlots.empty() ? 64 : FSlots.size() * 2);
        Place(TSlot{code, Hash(code), entry, true});
        ++FCount;
    }
    void Clear() {
        FSlots.clear();
        FCount = 0;
    }

private:
    struct TSlot {
        AnsiString code;
        uint64_t hash = 0;
        TEntry entry{-1, -1};
        bool used = false;
    };
    // FNV-1a, its bits mixed so that the low ones depend on all of them.
    static uint64_t Hash(const AnsiString& code) {
        uint64_t h = 14695981039346656037ULL;
        for (unsigned char c : code) h = (h ^ c) * 1099511628211ULL;
        h ^= h >> 32;
        h *= 0x9E3779B97F4A7C15ULL;
        return h ^ (h >> 29);
    }
    void Place(TSlot&& slot) {
        size_t i = slot.hash & (FSlots.size() - 1);
        while (FSlots[i].used) i = (i + 1) & (FSlots.size() - 1);
        FSlots[i] = std::move(slot);
    }
    void Rehash(size_t size) {
        std::vector<TSlot> old(size);
        old.swap(FSlots);
        for (TSlot& slot : old)
            if (slot.used) Place(std::move(slot));
    }

    std::vector<TSlot> FSlots;
    size_t FCount = 0;
};
