#pragma once
// The goods codes of sale lines by the raw code field of the line: a large import sells the
// same few thousand goods a million times, and each field is trimmed and completed by the
// weighted formats once. Each code gets a number of its own (from 0), which the import
// buffers use to find its goods line again.
//
// A lookup goes in two steps: Prepare, as the line is read, keeps the field and has its slot
// fetched from memory; Get, once the receipt is complete, finds it there. A receipt's codes
// are then fetched together rather than one after the other.
//
// The table holds a bounded number of fields, whatever a file holds: past it, a code is made
// for each line again and has no number, and stays only until the next receipt's codes are
// taken (StartReceipt).
#include <cstdint>
#include <cstring>
#include <deque>
#include <string_view>
#include <vector>

#include "platform/Strings.h"

class TSaleCodes {
public:
    static constexpr size_t kFieldLength = 18;

    // A field of kFieldLength bytes in three words, and its hash.
    struct TField {
        uint64_t head, middle, hash;
        uint16_t tail;
    };
    struct TCode {
        std::string_view code;
        int key;  // -1: none
    };

    static constexpr size_t kMaxCodes = size_t{1} << 18;
    explicit TSaleCodes(size_t maxCodes = kMaxCodes) : FMaxCodes(maxCodes) {}

    // The field into key. Filled in place: a copy of a structure just written costs a stall.
    void Prepare(std::string_view field, TField& key) const {
        std::memcpy(&key.head, field.data(), 8);
        std::memcpy(&key.middle, field.data() + 8, 8);
        std::memcpy(&key.tail, field.data() + 16, 2);
        key.hash = Hash(key.head, key.middle, key.tail);
        if (!FSlots.empty()) __builtin_prefetch(&FSlots[key.hash & (FSlots.size() - 1)]);
    }
    // The code of a prepared field, and its number; make(field) gives it the first time.
    template <class Make>
    int Get(const TField& key, const Make& make, std::string_view& code) {
        if (FSlots.empty()) FSlots.resize(kFirstSize);
        const TSlot* const slots = FSlots.data();
        const size_t mask = FSlots.size() - 1;
        size_t i = key.hash & mask;
        for (;; i = (i + 1) & mask) {
            const TSlot& slot = slots[i];
            if (slot.key < 0) break;
            if (slot.head == key.head && slot.middle == key.middle && slot.tail == key.tail) {
                code = std::string_view(slot.code, slot.length);
                return slot.key;
            }
        }
        char field[kFieldLength];
        std::memcpy(field, &key.head, 8);
        std::memcpy(field + 8, &key.middle, 8);
        std::memcpy(field + 16, &key.tail, 2);
        const TCode added = Add(key, i, make(std::string_view(field, kFieldLength)));
        code = added.code;
        return added.key;
    }
    // The codes made past the bound for the last receipt are no longer needed.
    void StartReceipt() { FUnnumbered.clear(); }

private:
    static constexpr size_t kFirstSize = 1024;
    // A field and its code in half a cache line, so that a lookup touches one line.
    struct alignas(32) TSlot {
        uint64_t head = 0, middle = 0;
        uint16_t tail = 0;
        uint16_t length = 0;  // of the code, completed from a field of 18 bytes
        int key = -1;         // < 0: unused
        const char* code = nullptr;
    };
    static_assert(sizeof(TSlot) == 32, "two slots a cache line");
    // Each word multiplied, then high bits folded down twice: the low bits the table uses
    // depend on every byte, where codes differ in their last few.
    static uint64_t Hash(uint64_t head, uint64_t middle, uint16_t tail) {
        uint64_t h = head * 0x9E3779B97F4A7C15ULL ^ middle * 0xFF51AFD7ED558CCDULL ^ tail * 0xC4CEB9FE1A85EC53ULL;
        h ^= h >> 32;
        h *= 0xD6E8FEB86659FD93ULL;
        return h ^ (h >> 29);
    }
    TCode Add(const TField& key, size_t slot, AnsiString code);

    std::vector<TSlot> FSlots;
    std::deque<AnsiString> FCodes;       // by key; a deque keeps them in place as it grows
    std::deque<AnsiString> FUnnumbered;  // the codes made past the bound for this receipt
    size_t FMaxCodes;
};
