#include "exchange/KasjerWaluta.h"

#include "exchange/ExportWords.h"
#include "platform/Exceptions.h"
#include "platform/Translation.h"

QxLineWords::QxLineWords(const AnsiString& text, TMLgExtTools* translation) : FLgLink(translation) {
    FWords.FSeparator = ";";
    FWords.Init(text);
}

int QxLineWords::IntWord(int i, const char* cls, const char* method, const char* messageUtf8) {
    int value = 0;
    if (!TryStrToInt(FWords[i], value)) throw Exception(Tr(FLgLink, kExpBufContext, cls, method, "blad", messageUtf8));
    return value;
}

QxKasjer::QxKasjer(int numer, const AnsiString& nazwisko, int poziom, const AnsiString& identyfikator,
                   const AnsiString& kodKarty, TMLgExtTools* translation)
    : QxLineWords(Format("%d;", numer) + nazwisko + Format(";%d;", poziom) + identyfikator + ";" + kodKarty,
                  translation) {}

int QxKasjer::GetNumer() { return IntWord(0, "QxKasjer", "GetNumer", u8"Błąd odczytu numeru kasjera"); }

int QxKasjer::GetPoziomUprawnien() {
    return IntWord(2, "QxKasjer", "GetPoziomUprawnien", u8"Błąd odczytu poziomu uprawnień kasjera");
}

int QxWaluta::GetKurs() { return IntWord(2, "QxWaluta", "GetKurs", u8"Błąd odczytu kursu waluty"); }
