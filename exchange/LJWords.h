#pragma once
// Splits one line of an exchange file or of a register record into words at a separator.
// No quoting, no escaping, no trimming: a separator inside a word always splits it.
#include <map>
#include <vector>

#include "platform/Strings.h"

class TLJWords {
public:
    TLJWords() = default;
    ~TLJWords() = default;

    // Splits line into words; clears the widths and Feof. Returns the number of words.
    int Init(const AnsiString& line);
    AnsiString operator=(const AnsiString& line);

    // Word i (from 0). Negative i gives ""; i past the last word gives "" and sets Feof.
    AnsiString operator[](int i);
    int GetCount() const { return static_cast<int>(FWords.size()); }
    // As operator[]; also sets Feof when i is the last word.
    AnsiString Get(int i);
    // Negative i does nothing; i at or past the end appends; otherwise replaces word i.
    void Put(int i, const AnsiString& word);

    // Output width of word i for the join; -1 when none.
    int GetSize(int i) const;
    void SetSize(int i, int width);

    // Joins the words with the separator; a word with a width is cut to it or right-aligned.
    operator AnsiString() const;

    std::vector<AnsiString> FWords;
    std::map<int, int> FSizes;
    AnsiString FSeparator;
    bool Feof = false;
};
