#include "exchange/LJWords.h"

int TLJWords::Init(const AnsiString& line) {
    FWords.clear();
    FSizes.clear();
    Feof = false;
    if (line.empty()) return 0;
    if (FSeparator.empty()) {
        FWords.push_back(line);
        return GetCount();
    }
    size_t start = 0;
    while (start < line.size()) {
        const size_t at = line.find(FSeparator, start);
        if (at == AnsiString::npos) {
            FWords.push_back(line.substr(start));
            break;
        }
        FWords.push_back(line.substr(start, at - start));
        start = at + FSeparator.size();
    }
    return GetCount();
}

AnsiString TLJWords::operator=(const AnsiString& line) {
    Init(line);
    return line;
}

AnsiString TLJWords::operator[](int i) {
    if (i < 0) return "";
    if (i >= GetCount()) {
        Feof = true;
        return "";
    }
    return FWords[static_cast<size_t>(i)];
}

AnsiString TLJWords::Get(int i) {
    AnsiString word = (*this)[i];
    if (i >= 0 && i == GetCount() - 1) Feof = true;
    return word;
}

void TLJWords::Put(int i, const AnsiString& word) {
    if (i < 0) return;
    if (i >= GetCount())
        FWords.push_back(word);
    else
        FWords[static_cast<size_t>(i)] = word;
}

int TLJWords::GetSize(int i) const {
    const auto it = FSizes.find(i);
    return it == FSizes.end() ? -1 : it->second;
}

void TLJWords::SetSize(int i, int width) { FSizes[i] = width; }

TLJWords::operator AnsiString() const {
    AnsiString result;
    for (size_t k = 0; k < FWords.size(); ++k) {
        if (k > 0) result += FSeparator;
        const AnsiString& word = FWords[k];
        const int width = GetSize(static_cast<int>(k));
        if (width < 0) {
            result += word;
        } else if (word.size() > static_cast<size_t>(width)) {
            result.append(word, 0, static_cast<size_t>(width));
        } else {
            result.append(static_cast<size_t>(width) - word.size(), ' ');
            result += word;
        }
    }
    return result;
}
