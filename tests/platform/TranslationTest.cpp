#include <gtest/gtest.h>

#include <cstring>

#include "platform/Translation.h"

TEST(Ansi, PolishLetters) {
    EXPECT_EQ(Ansi("ł"), "\xB3");
    EXPECT_EQ(Ansi("ąćęłńóśźż"), "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF");
    EXPECT_EQ(Ansi("ĄĆĘŁŃÓŚŹŻ"), "\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF");
    EXPECT_EQ(Ansi("Wyjątek w QVRDLLSerKasOperacja"), "Wyj\xB9tek w QVRDLLSerKasOperacja");
}

TEST(Ansi, PunctuationOfTheCodePage) {
    EXPECT_EQ(Ansi("„cytat”"),
              "\x84"
              "cytat\x94");
    EXPECT_EQ(Ansi("“‘’”"), "\x93\x91\x92\x94");
    EXPECT_EQ(Ansi("–—…€•™"), "\x96\x97\x85\x80\x95\x99");
    EXPECT_EQ(Ansi("§°×÷\u00A0"), "\xA7\xB0\xD7\xF7\xA0");
}

TEST(Ansi, AsciiAndControlBytesPass) {
    EXPECT_EQ(Ansi("abc;\r\n\x01\x7F"), "abc;\r\n\x01\x7F");
    EXPECT_EQ(Ansi(AnsiString("a\0b", 3)), AnsiString("a\0b", 3));
}

TEST(Ansi, CharactersWithoutAWindows1250FormBecomeQuestionMarks) {
    EXPECT_EQ(Ansi("ñ"), "?");  // Spanish n, not in Central European
    EXPECT_EQ(Ansi("日本"), "??");
    EXPECT_EQ(Ansi("a😀b"), "a?b");  // four-byte sequence, one character
}

TEST(Ansi, MalformedUtf8NeverCrashes) {
    EXPECT_EQ(Ansi("\xFF"), "?");
    EXPECT_EQ(Ansi("a\xC5"), "a?");               // cut sequence at the end
    EXPECT_EQ(Ansi("\xC5z"), "?z");               // lead byte without continuation
    EXPECT_EQ(Ansi("\xC0\x80"), "??");            // overlong form
    EXPECT_EQ(Ansi("\xED\xA0\x80"), "???");       // surrogate
    EXPECT_EQ(Ansi("\x80\x80"), "??");            // stray continuation bytes
    EXPECT_EQ(Ansi("\xF4\x90\x80\x80"), "????");  // beyond U+10FFFF
    EXPECT_EQ(Ansi(static_cast<const char*>(nullptr)), "");
}

TEST(Cp1250, EveryByteRoundTripsThroughUtf8) {
    for (int b = 0; b < 256; ++b) {
        AnsiString byte(1, static_cast<char>(b));
        EXPECT_EQ(Ansi(Cp1250ToUtf8(byte)), byte) << b;
    }
}

TEST(Cp1250, ToUtf8) {
    EXPECT_EQ(Cp1250ToUtf8("\xB3\xA3"), "łŁ");
    EXPECT_EQ(Cp1250ToUtf8("\x8C\x9C\x8F\x9F"), "ŚśŹź");
    EXPECT_EQ(Cp1250ToUtf8("\x80"), "€");
    EXPECT_EQ(Cp1250ToUtf8("abc"), "abc");
}

TEST(Cp852, PolishLettersOfTheRegister) {
    EXPECT_EQ(Cp852ToUtf8("\x88"), "ł");
    // The register's letter row: Ą Ć Ę Ł Ń Ó Ś Ż Ź ą ć ę ł ń ó ś ż ź
    EXPECT_EQ(Cp852ToUtf8("\xA4\x8F\xA8\x9D\xE3\xE0\x97\xBD\x8D\xA5\x86\xA9\x88\xE4\xA2\x98\xBE\xAB"),
              "ĄĆĘŁŃÓŚŻŹąćęłńóśżź");
    EXPECT_EQ(Cp852ToUtf8("\xB0\xDB\xFE"), "░█■");
}

TEST(Cp852, EveryByteRoundTripsThroughUtf8) {
    for (int b = 0; b < 256; ++b) {
        AnsiString byte(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToCp852(Cp852ToUtf8(byte)), byte) << b;
    }
    EXPECT_EQ(Utf8ToCp852("żółw€"), "\xBE\xA2\x88w?");
}

TEST(TranslationKey, PiecesOfEightAndLastTwentyFour) {
    EXPECT_EQ(MakeTranslationKey("TQxLibrary", "OpisOkna", "return"), "TQxLibraOpisOknareturn");
    EXPECT_EQ(MakeTranslationKey("TQxNovitusECRAction", "TestConnection", "Exception"), "TQxNovitTestConnExceptio");
    EXPECT_EQ(MakeTranslationKey("TfmNovitImport", "Import", "Onmsg", "AnsiString"), "NovitImportOnmsgAnsiStri");
}

TEST(TranslationKey, DuplicatesGetANumberedSuffix) {
    EXPECT_EQ(MakeTranslationKey("TQxLibrary", "Parametr", "AOpis", "", 17), "TQxLibraParametrAOpis_00017");
    EXPECT_EQ(MakeTranslationKey("TQxNovitusECRAction", "TestConnection", "Exception", "", 1),
              "TQxNovitTestConnExceptio_00001");
    EXPECT_EQ(MakeTranslationKey("A", "B", "", "", 0), "AB");
    EXPECT_EQ(MakeTranslationKey(nullptr, "B", nullptr, nullptr), "B");
}

namespace {

AnsiString gLastContext, gLastKey;
int gLastSize = 0;

int HostLookup(char* out, int size, const char* context, const char* key) {
    gLastContext = context;
    gLastKey = key;
    gLastSize = size;
    if (std::strcmp(key, "Known") == 0) {
        std::strcpy(out, "Przet\xB3umaczone");  // already Windows-1250
        return 1;
    }
    if (std::strcmp(key, "Empty") == 0) return 1;  // found, but nothing written
    if (std::strcmp(key, "Refused") == 0) {
        std::strcpy(out, "ignored");
        return 0;
    }
    if (std::strcmp(key, "Long") == 0) {
        std::memset(out, 'x', static_cast<size_t>(size));  // no terminator at all
        return 1;
    }
    return 0;
}

}  // namespace

TEST(TranslationService, NullServiceGivesTheDefaultInWindows1250) {
    EXPECT_EQ(TMLgExtTools::GetString(nullptr, "velkora_nvaction", "Known", 0, "Błąd"),
              "B\xB3\xB9"
              "d");
}

TEST(TranslationService, HostTranslationIsTakenAsItIs) {
    TMLgExtTools service(HostLookup);
    EXPECT_EQ(TMLgExtTools::GetString(&service, "brevant_QxLib", "Known", 0, "domyślny"), "Przet\xB3umaczone");
    EXPECT_EQ(gLastContext, "brevant_QxLib");
    EXPECT_EQ(gLastKey, "Known");
    EXPECT_EQ(gLastSize, 301);
}

TEST(TranslationService, NoTranslationGivesTheDefault) {
    TMLgExtTools service(HostLookup);
    EXPECT_EQ(TMLgExtTools::GetString(&service, "c", "Unknown", 0, "żółć"), "\xBF\xF3\xB3\xE6");
    EXPECT_EQ(TMLgExtTools::GetString(&service, "c", "Empty", 0, "d"), "d");
    EXPECT_EQ(TMLgExtTools::GetString(&service, "c", "Refused", 0, "d"), "d");
}

TEST(TranslationService, OverlongHostTextIsCutAtThreeHundred) {
    TMLgExtTools service(HostLookup);
    EXPECT_EQ(service.Lookup("c", "Long"), AnsiString(300, 'x'));
}

TEST(TranslationService, ServiceWithoutLookupFunction) {
    TMLgExtTools service(nullptr);
    EXPECT_EQ(TMLgExtTools::GetString(&service, "c", "Known", 0, "ą"), "\xB9");
}

TEST(TranslationService, TrBuildsTheKey) {
    TMLgExtTools service(HostLookup);
    EXPECT_EQ(Tr(&service, "velkora_nvaction", "TQxNovitusECRAction", "TestConnection", "Exception", "Wyjątek", 2),
              "Wyj\xB9tek");
    EXPECT_EQ(gLastContext, "velkora_nvaction");
    EXPECT_EQ(gLastKey, "TQxNovitTestConnExceptio_00002");
}
