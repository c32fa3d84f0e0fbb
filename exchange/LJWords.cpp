#include "exchange/LJWords.h"

#include <algorithm>

int TLJWords::Init(std::string_view source) {
    FText.assign(source.data(), source.size());
    const std::string_view line(FText);
    FSizes.clear();
    Feof = false;
    FCount = 0;
    if (line.empty()) return 0;
    // Room for every word: one more than there are separators.
    size_t most = 1;
    if (FSeparator.size() == 1)
        most += static_cast<size_t>(std::count(line.begin(), line.end(), FSeparator[0]));
    else if (!FSeparator.empty())
        most += line.size() / FSeparator.size();
    if (FWords.size() < most) FWords.resize(most);
    TSpan* word = FWords.data();
    if (FSeparator.empty()) {
        *word++ = {0, line.size()};
    } else if (FSeparator.size() == 1) {
        // Words are short: a plain walk beats a search call per word.
        const char separator = FSeparator[0];
        size_t start = 0;
        for (size_t k = 0; k < line.size(); ++k) {
            if (line[k] != separator) continue;
            *word++ = {start, k - start};
            start = k + 1;
        }
        if (start < line.size()) *word++ = {start, line.size() - start};
    } else {
        for (size_t start = 0; start < line.size();) {
            const size_t at = line.find(FSeparator, start);
            if (at == std::string_view::npos) {
                *word++ = {start, line.size() - start};
                break;
            }
            *word++ = {start, at - start};
            start = at + FSeparator.size();
        }
    }
    FCount = static_cast<size_t>(word - FWords.data());
    return GetCount();
}

AnsiString TLJWords::operator=(const AnsiString& line) {
    Init(line);
    return line;
}

AnsiString TLJWords::operator[](int i) { return AnsiString(Word(i)); }

AnsiString TLJWords::Get(int i) {
    AnsiString word = (*this)[i];
    if (i >= 0 && i == GetCount() - 1) Feof = true;
    return word;
}

void TLJWords::Put(int i, const AnsiString& word) {
    if (i < 0) return;
    // The words are laid out afresh, the new one in its place.
    std::vector<AnsiString> words;
    for (size_t k = 0; k < FCount; ++k) words.emplace_back(At(k));
    if (static_cast<size_t>(i) >= words.size())
        words.push_back(word);
    else
        words[static_cast<size_t>(i)] = word;
    FText.clear();
    FWords.clear();
    for (const AnsiString& w : words) {
        if (!FWords.empty()) FText += FSeparator;
        FWords.push_back({FText.size(), w.size()});
        FText += w;
    }
    FCount = FWords.size();
}

int TLJWords::GetSize(int i) const {
    const auto it = FSizes.find(i);
    return it == FSizes.end() ? -1 : it->second;
}

void TLJWords::SetSize(int i, int width) { FSizes[i] = width; }

TLJWords::operator AnsiString() const {
    AnsiString result;
    for (size_t k = 0; k < FCount; ++k) {
        if (k > 0) result += FSeparator;
        const std::string_view word = At(k);
        const int width = GetSize(static_cast<int>(k));
        if (width < 0) {
            result += word;
        } else if (word.size() > static_cast<size_t>(width)) {
            result += word.substr(0, static_cast<size_t>(width));
        } else {
            result.append(static_cast<size_t>(width) - word.size(), ' ');
            result += word;
        }
    }
    return result;
}
