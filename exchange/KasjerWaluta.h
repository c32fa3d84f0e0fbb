#pragma once
// Cashiers (OPER lines) and currencies (WAL lines) of the export file. Each keeps the text of
// words 1 to 5 of its line joined with ";" and reads the words on demand.
#include "exchange/LJWords.h"
#include "platform/Strings.h"

class TMLgExtTools;

class QxLineWords {
public:
    QxLineWords(const AnsiString& text, TMLgExtTools* translation);
    virtual ~QxLineWords() = default;
    TLJWords FWords;

protected:
    // Word i as an integer; raises messageUtf8, translated, when it is not one.
    int IntWord(int i, const char* cls, const char* method, const char* messageUtf8);

private:
    TMLgExtTools* FLgLink;
};

// number;surname;permission level;identifier;card code
class QxKasjer : public QxLineWords {
public:
    explicit QxKasjer(const AnsiString& text, TMLgExtTools* translation = nullptr) : QxLineWords(text, translation) {}
    QxKasjer(int numer, const AnsiString& nazwisko, int poziom, const AnsiString& identyfikator,
             const AnsiString& kodKarty, TMLgExtTools* translation = nullptr);
    int GetNumer();
    AnsiString GetNazwisko() { return FWords[1]; }
    int GetPoziomUprawnien();
    AnsiString GetIdentyfikator() { return FWords[3]; }
    AnsiString GetKodKarty() { return FWords[4]; }
};

// code;name;rate;default (T);change may be given (T)
class QxWaluta : public QxLineWords {
public:
    explicit QxWaluta(const AnsiString& text, TMLgExtTools* translation = nullptr) : QxLineWords(text, translation) {}
    AnsiString GetKod() { return FWords[0]; }
    AnsiString GetNazwa() { return FWords[1]; }
    int GetKurs();
    bool GetCzyDomyslna() { return FWords[3] == "T"; }
    bool GetCzyMoznaWydawacReszte() { return FWords[4] == "T"; }
};
