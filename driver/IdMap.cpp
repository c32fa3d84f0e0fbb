#include "driver/IdMap.h"

#include <algorithm>
#include <numeric>
#include <set>

namespace {

AnsiString Name(const AnsiString& line) { return line.substr(0, line.find('=')); }

AnsiString Value(const AnsiString& line) {
    const size_t eq = line.find('=');
    return eq == AnsiString::npos ? AnsiString() : line.substr(eq + 1);
}

int Compare(int a, int b) { return a < b ? -1 : a > b ? 1 : 0; }

// Sorts list in place, ascending by a comparison of two of its items.
void SortBy(TIdList& list, int (*compare)(const TIdList&, int, int)) {
    std::vector<int> order(list.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(list, a, b) < 0; });
    TIdList sorted;
    sorted.reserve(list.size());
    for (int i : order) sorted.push_back(list[static_cast<size_t>(i)]);
    list.swap(sorted);
}

}  // namespace

int IdMap::cmp(const TIdList& list, int i, int j) {
    return Compare(StrToInt(list[static_cast<size_t>(i)]), StrToInt(list[static_cast<size_t>(j)]));
}

int IdMap::cmp2(const TIdList& list, int i, int j) {
    return Compare(StrToInt(Name(list[static_cast<size_t>(i)])), StrToInt(Name(list[static_cast<size_t>(j)])));
}

int IdMap::cmp3(const TIdList& list, int i, int j) {
    return Compare(StrToInt(Value(list[static_cast<size_t>(i)])), StrToInt(Value(list[static_cast<size_t>(j)])));
}

AnsiString IdMap::Text(const TIdList& list) {
    AnsiString text;
    for (const AnsiString& line : list) text += line + "\r\n";
    return text;
}

void IdMap::Initialize(TIdList& map, const AnsiString& ids) {
    int maxDev = -1;
    SortBy(map, cmp2);
    ProgrammIds = SplitLines(ids);
    std::sort(ProgrammIds.begin(), ProgrammIds.end());

    // Entries of ids that are gone are dropped; their slots still count for the highest one.
    std::set<AnsiString> mapped;
    TIdList kept;
    for (const AnsiString& entry : map) {
        maxDev = std::max(maxDev, StrToInt(Value(entry)));
        if (!std::binary_search(ProgrammIds.begin(), ProgrammIds.end(), Name(entry))) continue;
        mapped.insert(Name(entry));
        kept.push_back(entry);
    }
    map.swap(kept);

    // Free slots: the gaps below the highest slot still in use, lowest first.
    TIdList used;
    for (const AnsiString& entry : map) used.push_back(Value(entry));
    SortBy(used, cmp);
    std::vector<int> freeSlots;
    int previous = -1;
    for (const AnsiString& slot : used) {
        const int current = StrToInt(slot);
        for (int k = previous + 1; k < current; ++k) freeSlots.push_back(k);
        previous = current;
    }

    // New ids in ascending numeric order; an id listed twice is mapped once.
    SortBy(ProgrammIds, cmp);
    size_t nextFree = 0;
    for (const AnsiString& id : ProgrammIds) {
        if (!mapped.insert(id).second) continue;
        int slot;
        if (nextFree < freeSlots.size())
            slot = freeSlots[nextFree++];
        else
            slot = ++maxDev;
        map.push_back(id + "=" + IntToStr(slot));
    }
    SortBy(map, cmp3);
}

void IdMap::Initialize(AnsiString& mapText, const AnsiString& ids) {
    DeviceMap = SplitLines(mapText);
    Initialize(DeviceMap, ids);
    mapText = Text(DeviceMap);
}
