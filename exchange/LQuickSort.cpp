#include "exchange/LQuickSort.h"

#include <vector>

// The smaller part of each range is sorted by recursion and the larger one in the loop, so
// the stack stays shallow whatever the input (a range in "organ pipe" order would otherwise
// recurse once per element). Every range still reports SetNumDone(its end) once its
// elements are in place.
int TLQuickSort::Sort(int lo, int hi) {
    std::vector<int> done;  // ends of the ranges handled in this call
    while (lo <= hi) {
        int j = hi;
        const int i = Partition(lo, j);
        done.push_back(hi);
        const bool left = lo < j;
        const bool right = i < hi;
        if (left && right) {
            if (j - lo < hi - i) {
                Sort(lo, j);
                lo = i;
            } else {
                Sort(i, hi);
                hi = j;
            }
        } else if (left) {
            hi = j;
        } else if (right) {
            lo = i;
        } else {
            break;
        }
    }
    for (auto it = done.rbegin(); it != done.rend(); ++it) SetNumDone(*it);
    return 0;
}

// One partition step over lo..j (j in: the range's end; out: the end of the left part).
// Returns the start of the right part.
int TLQuickSort::Partition(int lo, int& j) {
    int i = lo;
    int p = lo + (j - lo) / 2;
    do {
        while (SortCompare(i, p) < 0) ++i;
        while (SortCompare(p, j) < 0) --j;
        if (i <= j) {
            // The pivot follows its element when that element is swapped away.
            if (p == i)
                p = j;
            else if (p == j)
                p = i;
            ExChange(i, j);
            ++i;
            --j;
        }
    } while (i <= j);
    return i;
}

int TLQuickSort::Find(int lo, int hi) {
    if (!Sorted) {
        Sort(lo, hi);
        Sorted = true;
    }
    while (lo <= hi) {
        const int m = lo + (hi - lo) / 2;
        const int c = FindCompare(m);
        if (c == 0) return m;
        if (c < 0)
            hi = m - 1;
        else
            lo = m + 1;
    }
    insert_place = hi + 1;
    return -1;
}

int TLQuickSort::FindInsertPlace(int lo, int hi) {
    if (!Sorted) {
        Sort(lo, hi);
        Sorted = true;
    }
    if (hi < lo) return lo;
    if (FindCompare(lo) < 0) return lo;
    if (FindCompare(hi) > 0) return hi + 1;
    insert_place = -1;
    Find(lo, hi);
    return insert_place;
}
