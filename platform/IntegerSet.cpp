#include "platform/IntegerSet.h"

#include <algorithm>

void TMacSetOfIntegers::Add(int value) {
    if (!Contains(value)) FValues.push_back(value);
}

bool TMacSetOfIntegers::Contains(int value) const {
    return std::find(FValues.begin(), FValues.end(), value) != FValues.end();
}
