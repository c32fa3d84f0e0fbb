#pragma once
// Goods lines by code: an open-addressing table of power-of-two size holding, per code, its
// hash and its first and last line; the codes themselves stay with the lines. A sales import
// looks one code up per receipt position, a million times in a large import, so a lookup
// must cost one hash, a probe into a table small enough to stay in the cache, and the one
// comparison with the line it is about to add to.
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

class TCodeIndex {
public:
    struct TEntry {
        int first;  // first and last goods line with the code
        int last;
    };

    // The code's entry, or null; codeOf(line) is the code of a goods line.
    template <class CodeOf>
    TEntry* Find(std::string_view code, const CodeOf& codeOf) {
        if (FSlots.empty()) return nullptr;
        const uint64_t hash = Hash(code);
        for (size_t i = hash & (FSlots.size() - 1);; i = (i + 1) & (FSlots.size() - 1)) {
            TSlot& slot = FSlots[i];
            if (slot.entry.first < 0) return nullptr;
            if (slot.hash == hash && codeOf(slot.entry.first) == code) return &slot.entry;
        }
    }
    // Adds a code that is not in the table yet.
    void Insert(std::string_view code, TEntry entry) {
        if ((FCount + 1) * 2 > FSlots.size()) Rehash(FSlots.empty() ? 64 : FSlots.size() * 2);
        Place(TSlot{Hash(code), entry});
        ++FCount;
    }
    void Clear() {
        FSlots.clear();
        FCount = 0;
    }

private:
    struct TSlot {
        uint64_t hash = 0;
        TEntry entry{-1, -1};  // first < 0: unused
    };
    // Eight bytes at a time, each word mixed in by a multiplication, so that the low bits the
    // table uses depend on every byte.
    static uint64_t Hash(std::string_view code) {
        uint64_t h = code.size() * 0x9E3779B97F4A7C15ULL;
        size_t at = 0;
        for (; at < code.size(); at += 8) {
            uint64_t word = 0;
            std::memcpy(&word, code.data() + at, code.size() - at < 8 ? code.size() - at : 8);
            h = (h ^ word) * 0xFF51AFD7ED558CCDULL;
            h ^= h >> 32;
        }
        h *= 0xC4CEB9FE1A85EC53ULL;
        return h ^ (h >> 29);
    }
    void Place(const TSlot& slot) {
        size_t i = slot.hash & (FSlots.size() - 1);
        while (FSlots[i].entry.first >= 0) i = (i + 1) & (FSlots.size() - 1);
        FSlots[i] = slot;
    }
    void Rehash(size_t size) {
        std::vector<TSlot> old(size);
        old.swap(FSlots);
        for (const TSlot& slot : old)
            if (slot.entry.first >= 0) Place(slot);
    }

    std::vector<TSlot> FSlots;
    size_t FCount = 0;
};
