#pragma once
// Weighted barcodes: the register reports goods sold by weight by their short code (prefix and
// goods number); the host keeps them under a 13-character code whose variable part is "?".
#include <vector>

#include "platform/Strings.h"

class TMLgExtTools;

class TKodWazony {
public:
    // formats: the host's weighted-code formats (not owned; may be null).
    explicit TKodWazony(const std::vector<AnsiString>* formats) : formaty(formats) {}

    // The host's normalised form of a possibly short weighted code; other codes unchanged.
    // Raises Exception when there is no format list.
    AnsiString NormalizujNiepelny(std::string_view code, TMLgExtTools* translation) const;

    const std::vector<AnsiString>* formaty;
};
