#pragma once
// Goods lines by code: an open-addressing table of power-of-two size holding, per code, 32 bits
// of its hash and its first line, eight bytes a slot; the codes themselves stay with the lines,
// and each code's last line is kept apart, needed only when a line is added. A sales import
// looks one code up per receipt position, a million times in a large import, so a lookup must
// cost one hash, a probe into a table small enough to stay in the cache, and the one comparison
// with the line it is about to add to.
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

class TCodeIndex {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    // The code's slot, or npos; codeOf(line) is the code of a goods line.
    template <class CodeOf>
    size_t Find(std::string_view code, const CodeOf& codeOf) const {
        if (FSlots.empty()) return npos;
        const uint64_t hash = Hash(code);
        const uint32_t tag = static_cast<uint32_t>(hash >> 32);
        for (size_t i = hash & (FSlots.size() - 1);; i = (i + 1) & (FSlots.size() - 1)) {
            const TSlot& slot = FSlots[i];
            if (slot.first < 0) return npos;
            if (slot.tag == tag && Same(codeOf(slot.first), code)) return i;
        }
    }
    // The first and the last goods line of a slot's code.
    int First(size_t slot) const { return FSlots[slot].first; }
    int& Last(size_t slot) { return FLast[slot]; }
    // Adds a code that is not in the table yet, with its one line.
    template <class CodeOf>
    void Insert(std::string_view code, int line, const CodeOf& codeOf) {
        if ((FCount + 1) * 4 > FSlots.size() * 3) Rehash(FSlots.empty() ? 64 : FSlots.size() * 2, codeOf);
        Place(Hash(code), line, line);
        ++FCount;
    }
    void Clear() {
        FSlots.clear();
        FLast.clear();
        FCount = 0;
    }

private:
    struct TSlot {
        uint32_t tag = 0;  // the hash's high half; its low bits choose the slot
        int first = -1;    // < 0: unused
    };
    // Eight bytes at a time, each word mixed in by a multiplication, so that the low bits the
    // table uses depend on every byte.
    static uint64_t Hash(std::string_view code) {
        const char* at = code.data();
        size_t left = code.size();
        uint64_t h = left * 0x9E3779B97F4A7C15ULL, word = 0;
        for (; left >= 8; at += 8, left -= 8) {
            std::memcpy(&word, at, 8);
            h = (h ^ word) * 0xFF51AFD7ED558CCDULL;
            h ^= h >> 32;
        }
        if (left > 0) {
            // The last bytes alone: from the eight that end the code when there are that many.
            word = 0;
            if (code.size() >= 8) {
                std::memcpy(&word, at + left - 8, 8);
                word >>= 8 * (8 - left);
            } else {
                for (size_t k = 0; k < left; ++k) word |= uint64_t{static_cast<unsigned char>(at[k])} << (8 * k);
            }
            h = (h ^ word) * 0xFF51AFD7ED558CCDULL;
        }
        h ^= h >> 32;
        h *= 0xC4CEB9FE1A85EC53ULL;
        return h ^ (h >> 29);
    }
    // Codes of eight to sixteen bytes, as goods codes are, compared in two words.
    static bool Same(std::string_view a, std::string_view b) {
        if (a.size() != b.size()) return false;
        if (a.size() < 8 || a.size() > 16) return a == b;
        uint64_t a1, a2, b1, b2;
        std::memcpy(&a1, a.data(), 8);
        std::memcpy(&b1, b.data(), 8);
        std::memcpy(&a2, a.data() + a.size() - 8, 8);
        std::memcpy(&b2, b.data() + b.size() - 8, 8);
        return a1 == b1 && a2 == b2;
    }
    void Place(uint64_t hash, int first, int last) {
        size_t i = hash & (FSlots.size() - 1);
        while (FSlots[i].first >= 0) i = (i + 1) & (FSlots.size() - 1);
        FSlots[i] = TSlot{static_cast<uint32_t>(hash >> 32), first};
        FLast[i] = last;
    }
    template <class CodeOf>
    void Rehash(size_t size, const CodeOf& codeOf) {
        std::vector<TSlot> slots(size);
        std::vector<int> last(size, -1);
        slots.swap(FSlots);
        last.swap(FLast);
        for (size_t i = 0; i < slots.size(); ++i)
            if (slots[i].first >= 0) Place(Hash(codeOf(slots[i].first)), slots[i].first, last[i]);
    }

    std::vector<TSlot> FSlots;
    std::vector<int> FLast;
    size_t FCount = 0;
};
