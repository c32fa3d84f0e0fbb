#pragma once
// Operations on one text given at construction, and the modal message box.
#include "platform/Strings.h"

class TxTools {
public:
    explicit TxTools(AnsiString text) : FText(std::move(text)) {}
    const AnsiString& Text() const { return FText; }

    // The n-th word (from 0); a run of separator characters counts as one break and leading
    // separators are skipped. "" when there is no such word.
    AnsiString SelectWord(int n, const AnsiString& separators) const;
    AnsiString SelectWordEx(int n, bool& found, const AnsiString& separators) const;
    AnsiString DelAnyChar(const AnsiString& chars) const;       // drop every listed char
    AnsiString DelAnyOtherChar(const AnsiString& chars) const;  // keep only listed chars
    AnsiString DelChars(char c) const;
    bool ContainsAnyChar(const AnsiString& chars) const;
    AnsiString Chars2Char(char from, char to) const;
    AnsiString Chars2Str(char c, const AnsiString& text) const;
    AnsiString FileName() const;       // the part after the last "/", "\\" or ":"
    AnsiString FileExtension() const;  // from the last "." of the file name (dot included), "" when none

    // A modal message box; answers the button chosen (1 = OK ...). Goes through the OS layer.
    static int MsgBox(const AnsiString& text, const AnsiString& caption, int flags);

private:
    AnsiString FText;
};
