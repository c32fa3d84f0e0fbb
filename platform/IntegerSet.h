#pragma once
#include <cstddef>
#include <vector>

// A set of integers in order of insertion (duplicates are not added).
class TMacSetOfIntegers {
public:
    void Add(int value);
    void Clear() { FValues.clear(); }
    int GetCount() const { return static_cast<int>(FValues.size()); }
    int GetValues(int index) const { return FValues.at(static_cast<size_t>(index)); }
    bool Contains(int value) const;

private:
    std::vector<int> FValues;
};
