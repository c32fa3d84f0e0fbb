#include "exchange/LQuickSort.h"

int TLQuickSort::Sort(int lo, int hi) {
    if (hi < lo)
        return 0;
    int i = lo;
    int j = hi;
    int p = lo + (hi - lo) / 2;
    do {
        while (SortCompare(i, p) < 0)
            ++i;
        while (SortCompare(p, j) < 0)
            --j;
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
    if (lo < j)
        Sort(lo, j);
    if (i < hi)
        Sort(i, hi);
    SetNumDone(hi);
    return 0;
}

int TLQuickSort::Find(int lo, int hi) {
    if (!Sorted) {
        Sort(lo, hi);
        Sorted = true;
    }
    while (lo <= hi) {
        const int m = lo + (hi - lo) / 2;
        const int c = FindCompare(m);
        if (c == 0)
            return m;
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
    if (hi < lo)
        return lo;
    if (FindCompare(lo) < 0)
        return lo;
    if (FindCompare(hi) > 0)
        return hi + 1;
    insert_place = -1;
    Find(lo, hi);
    return insert_place;
}
