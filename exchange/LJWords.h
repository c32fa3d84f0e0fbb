#pragma once
// Splits one line of an exchange file or of a register record into words at a separator.
// No quoting, no escaping, no trimming: a separator inside a word always splits it.
#include <map>
#include <string_view>
#include <vector>

#include "platform/Strings.h"

class TLJWords {
public:
    TLJWords() = default;
    ~TLJWords() = default;

    // Splits line into words; clears the widths and Feof. Returns the number of words.
    int Init(std::string_view line);
    AnsiString operator=(const AnsiString& line);

    // Word i (from 0). Negative i gives ""; i past the last word gives "" and sets Feof.
    AnsiString operator[](int i);
    // The same word without a copy: it stays valid until the next Init or Put.
    std::string_view Word(int i) {
        if (i >= 0 && static_cast<size_t>(i) < FCount) return At(static_cast<size_t>(i));
        if (i >= 0) Feof = true;
        return std::string_view();
    }
    int GetCount() const { return static_cast<int>(FCount); }
    // As operator[]; also sets Feof when i is the last word.
    AnsiString Get(int i);
    // Negative i does nothing; i at or past the end appends; otherwise replaces word i.
    void Put(int i, const AnsiString& word);

    // Output width of word i for the join; -1 when none.
    int GetSize(int i) const;
    void SetSize(int i, int width);

    // Joins the words with the separator; a word with a width is cut to it or right-aligned.
    operator AnsiString() const;

    std::map<int, int> FSizes;
    AnsiString FSeparator;
    bool Feof = false;

private:
    struct TSpan {
        size_t start;
        size_t length;
    };
    std::string_view At(size_t k) const { return std::string_view(FText.data() + FWords[k].start, FWords[k].length); }
    AnsiString FText;           // the words are pieces of this text
    std::vector<TSpan> FWords;  // where each word lies in it, in order; room for more
    size_t FCount = 0;          // the words in FWords
};
