#pragma once
// The goods codes of sale lines by the raw code field of the line: a large import sells the
// same few thousand goods a million times, and each field is trimmed and completed by the
// weighted formats once. Each code gets a number of its own (from 0), which the import
// buffers use to find its goods line again.
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

#include "platform/Strings.h"

class TSaleCodes {
public:
    static constexpr size_t kFieldLength = 18;

    struct TCode {
        std::string_view code;  // valid until Clear
        int key;
    };
    // The code of a field of kFieldLength bytes; make(field) gives it the first time.
    template <class Make>
    TCode Get(std::string_view field, const Make& make) {
        const TKey key = KeyOf(field);
        if (FSlots.empty()) FSlots.resize(kFirstSize);
        size_t i = key.hash & (FSlots.size() - 1);
        for (;; i = (i + 1) & (FSlots.size() - 1)) {
            const TSlot& slot = FSlots[i];
            if (slot.key < 0) break;
            if (slot.head == key.head && slot.middle == key.middle && slot.tail == key.tail)
                return TCode{slot.code, slot.key};
        }
        return Add(key, i, make(field));
    }
    void Clear();

private:
    static constexpr size_t kFirstSize = 1024;
    struct TKey {
        uint64_t head, middle, hash;
        uint32_t tail;
    };
    struct TSlot {
        uint64_t head = 0, middle = 0;
        uint32_t tail = 0;
        int key = -1;  // < 0: unused
        std::string_view code;
    };
    static uint64_t Hash(uint64_t head, uint64_t middle, uint32_t tail);
    static TKey KeyOf(std::string_view field);
    TCode Add(const TKey& key, size_t slot, AnsiString code);

    std::vector<TSlot> FSlots;
    std::deque<AnsiString> FCodes;  // by key; a deque keeps them in place as it grows
};
