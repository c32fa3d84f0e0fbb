#pragma once
// Sorting and searching of any indexed collection through the comparison and exchange
// operations its subclass supplies. The subclass owns the elements.

class TLQuickSort {
public:
    virtual ~TLQuickSort() = default;

    // Progress hook: a sort of a range ending at n has finished.
    virtual void SetNumDone(int n) {}
    // Negative, zero or positive as element i sorts before, with or after element j.
    virtual int SortCompare(int i, int j) { return 0; }
    // Swaps elements i and j.
    virtual int ExChange(int i, int j) { return 0; }
    // Negative, zero or positive as the searched key sorts before, with or after element i.
    virtual int FindCompare(int i) { return 0; }

    // Sorts elements lo to hi inclusive (an empty range is left alone); returns 0.
    int Sort(int lo, int hi);
    // Index of an element equal to the key among lo .. hi, or -1 (insert_place then tells
    // where the key would go). Sorts the range first when Sorted is false.
    int Find(int lo, int hi);
    // Where the key would have to be inserted to keep the order; -1 when an equal element
    // exists. Sorts the range first when Sorted is false.
    int FindInsertPlace(int lo, int hi);

    int insert_place = 0;
    bool Sorted = false;

private:
    int Partition(int lo, int& j);
};
