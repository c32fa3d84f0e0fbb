#include "platform/StringTools.h"

#include "platform/Os.h"

namespace {
bool In(char c, const AnsiString& set) { return set.find(c) != AnsiString::npos; }
}  // namespace

AnsiString TxTools::SelectWordEx(int n, bool& found, const AnsiString& separators) const {
    found = false;
    if (n < 0) return AnsiString();
    size_t i = 0, size = FText.size();
    for (int word = 0;; ++word) {
        while (i < size && In(FText[i], separators)) ++i;
        if (i >= size) return AnsiString();
        size_t start = i;
        while (i < size && !In(FText[i], separators)) ++i;
        if (word == n) {
            found = true;
            return FText.substr(start, i - start);
        }
    }
}

AnsiString TxTools::SelectWord(int n, const AnsiString& separators) const {
    bool found = false;
    return SelectWordEx(n, found, separators);
}

AnsiString TxTools::DelAnyChar(const AnsiString& chars) const {
    AnsiString result;
    result.reserve(FText.size());
    for (char c : FText)
        if (!In(c, chars)) result += c;
    return result;
}

AnsiString TxTools::DelAnyOtherChar(const AnsiString& chars) const {
    AnsiString result;
    result.reserve(FText.size());
    for (char c : FText)
        if (In(c, chars)) result += c;
    return result;
}

AnsiString TxTools::DelChars(char c) const {
    AnsiString result;
    result.reserve(FText.size());
    for (char x : FText)
        if (x != c) result += x;
    return result;
}

bool TxTools::ContainsAnyChar(const AnsiString& chars) const { return FText.find_first_of(chars) != AnsiString::npos; }

AnsiString TxTools::Chars2Char(char from, char to) const {
    AnsiString result(FText);
    for (char& c : result)
        if (c == from) c = to;
    return result;
}

AnsiString TxTools::Chars2Str(char c, const AnsiString& text) const {
    AnsiString result;
    result.reserve(FText.size());
    for (char x : FText) {
        if (x == c)
            result += text;
        else
            result += x;
    }
    return result;
}

AnsiString TxTools::FileName() const {
    for (size_t i = FText.size(); i > 0; --i)
        if (IsPathDelimiter(FText[i - 1]) || FText[i - 1] == ':') return FText.substr(i);
    return FText;
}

AnsiString TxTools::FileExtension() const {
    AnsiString name = FileName();
    size_t dot = name.rfind('.');
    return dot == AnsiString::npos ? AnsiString() : name.substr(dot);
}

int TxTools::MsgBox(const AnsiString& text, const AnsiString& caption, int flags) {
    return Os().MessageBox(text, caption, flags);
}
