#pragma once
// An assortment group of the export file's ASS lines.
#include "platform/Strings.h"

class QxAsort {
public:
    void Clear() {
        nr = 0;
        nazwa.clear();
    }
    int nr = 0;
    AnsiString nazwa;
};
