#include "ecr/LTools.h"

#include <gtest/gtest.h>

#include "platform/Os.h"
#include "tests/tools/TestFiles.h"

using tooltest::Exists;
using tooltest::ReadAll;
using tooltest::ScratchDir;
using tooltest::WriteAll;

namespace {

// 2025-01-01 12:00:00 on the driver's day count.
const double kNoon = 45658.5;

class ClockGuard {
public:
    explicit ClockGuard(double start) : FClock(start) { SetClock(&FClock); }
    ~ClockGuard() { SetClock(nullptr); }
    TVirtualClock& Clock() { return FClock; }

private:
    TVirtualClock FClock;
};

}  // namespace

TEST(LToolsPlString, RegisterToHostTurnsSmallLStrokeInto1250) {
    TLTools tools;
    tools.pltype_in = TLTools::plCP852;
    tools.pltype_out = TLTools::plCP1250;
    AnsiString text =
        "\x88"
        "adny";
    const AnsiString copy = tools.plstring(text);
    EXPECT_EQ(text,
              "\xB3"
              "adny");
    EXPECT_EQ(copy, text);
}

TEST(LToolsPlString, AllEighteenLettersBothWays) {
    const AnsiString cp852("\xA4\x8F\xA8\x9D\xE3\xE0\x97\xBD\x8D\xA5\x86\xA9\x88\xE4\xA2\x98\xBE\xAB");
    const AnsiString cp1250("\xA5\xC6\xCA\xA3\xD1\xD3\x8C\xAF\x8F\xB9\xE6\xEA\xB3\xF1\xF3\x9C\xBF\x9F");
    TLTools tools;
    tools.pltype_in = 0;
    tools.pltype_out = 2;
    AnsiString a = cp852;
    tools.plstring(a);
    EXPECT_EQ(a, cp1250);
    tools.pltype_in = 2;
    tools.pltype_out = 0;
    AnsiString b = cp1250;
    tools.plstring(b);
    EXPECT_EQ(b, cp852);
}

TEST(LToolsPlString, SameRowsChangeNothing) {
    TLTools tools;
    EXPECT_EQ(tools.pltype_in, 2);
    EXPECT_EQ(tools.pltype_out, 2);
    AnsiString text = "\x88\xB3 abc \xA5";
    tools.plstring(text);
    EXPECT_EQ(text, "\x88\xB3 abc \xA5");
}

TEST(LToolsPlString, OtherBytesStayAndUnknownRowsAreHarmless) {
    TLTools tools;
    tools.pltype_in = 2;
    tools.pltype_out = 0;
    AnsiString text = "Zolw 123;\xB3";
    tools.plstring(text);
    EXPECT_EQ(text, "Zolw 123;\x88");
    tools.pltype_in = 7;
    tools.pltype_out = -1;
    AnsiString same = "\xB3";
    tools.plstring(same);
    EXPECT_EQ(same, "\xB3");
}

TEST(LToolsStrSize, CutsAtEitherSide) {
    AnsiString a = "ABCDEF";
    EXPECT_EQ(TLTools::StrSize(a, 4, ' ', left, left), "CDEF");
    EXPECT_EQ(a, "CDEF");
    AnsiString b = "ABCDEF";
    TLTools::StrSize(b, 4, ' ', left, right);
    EXPECT_EQ(b, "ABCD");
}

TEST(LToolsStrSize, PadsAtEitherSide) {
    AnsiString a = "AB";
    TLTools::StrSize(a, 4, '0', left, right);
    EXPECT_EQ(a, "00AB");
    AnsiString b = "AB";
    TLTools::StrSize(b, 5, '.', right, left);
    EXPECT_EQ(b, "AB...");
    AnsiString c = "ABCD";
    TLTools::StrSize(c, 4, '0', left, left);
    EXPECT_EQ(c, "ABCD");
    AnsiString d = "ABC";
    TLTools::StrSize(d, 0, '0', left, right);
    EXPECT_EQ(d, "");
    AnsiString e = "ABC";
    TLTools::StrSize(e, -3, '0', left, right);
    EXPECT_EQ(e, "");
}

TEST(LToolsStrMax, DotsOnlyWhenCutAndLongEnough) {
    EXPECT_EQ(TLTools::StrMax("ABCDEFGH", 6, true), "ABC...");
    EXPECT_EQ(TLTools::StrMax("ABCDEFGH", 6, false), "ABCDEF");
    EXPECT_EQ(TLTools::StrMax("ABCD", 3, true), "ABC");
    EXPECT_EQ(TLTools::StrMax("ABCDEF", 6, true), "ABCDEF");
    EXPECT_EQ(TLTools::StrMax("ABCDE", 4, true), "A...");
    EXPECT_EQ(TLTools::StrMax("ABC", 0, true), "");
    AnsiString original = "ABCDEFGH";
    TLTools::StrMax(original, 2, false);
    EXPECT_EQ(original, "ABCDEFGH");
}

TEST(LToolsEan13, ShortCodeIsPaddedWithZerosBeforeTheCheckDigit) {
    AnsiString code = "12345";
    TLTools::KorygujCyfreKontrolnaEAN13(code);
    // 1*1+2*3+3*1+4*3+5*1 = 27 -> check digit 3
    EXPECT_EQ(code, "1234500000003");
}

TEST(LToolsEan13, ThirteenDigitCodeGetsItsCheckDigitRecomputed) {
    AnsiString good = "5901234123457";
    TLTools::KorygujCyfreKontrolnaEAN13(good);
    EXPECT_EQ(good, "5901234123457");
    AnsiString bad = "5901234123450";
    TLTools::KorygujCyfreKontrolnaEAN13(bad);
    EXPECT_EQ(bad, "5901234123457");
    AnsiString longer = "59012341234579999";
    TLTools::KorygujCyfreKontrolnaEAN13(longer);
    EXPECT_EQ(longer, "5901234123457");
}

TEST(LToolsEan13, LettersAndSpacesAreDroppedFirst) {
    AnsiString code = " 590 1234-12345x ";
    TLTools::KorygujCyfreKontrolnaEAN13(code);
    EXPECT_EQ(code, "5901234123457");
}

TEST(LToolsEan13, EmptyCodeBecomesTwelveZerosAndZero) {
    AnsiString code;
    TLTools::KorygujCyfreKontrolnaEAN13(code);
    EXPECT_EQ(code, "0000000000000");
}

TEST(LToolsFiles, BufToFileReplacesAndAppendAdds) {
    const std::string dir = ScratchDir("buf");
    const std::string path = dir + "out.txt";
    WriteAll(path, "a much longer old content\r\n");
    TLTools::BufToFile("AB\r\n", path);
    EXPECT_EQ(ReadAll(path), "AB\r\n");
    TLTools::BufToAppendFile("CD", path);
    EXPECT_EQ(ReadAll(path), "AB\r\nCD");
    const std::string fresh = dir + "fresh.txt";
    TLTools::BufToAppendFile("x", fresh);
    EXPECT_EQ(ReadAll(fresh), "x");
    TLTools::BufToFile("", fresh);
    EXPECT_EQ(ReadAll(fresh), "");
}

TEST(LToolsArchive, MissingSourceWritesNothingNotEvenTheHeader) {
    const std::string dir = ScratchDir("arch_missing");
    TLTools::ArchiveFile(dir + "none.exp", dir + "ARCH2.EXP", nullptr, true, 0, true, "");
    EXPECT_FALSE(Exists(dir + "ARCH2.EXP"));
}

TEST(LToolsArchive, ExportHeaderWithKindLineThenEveryLine) {
    ClockGuard clock(kNoon);
    const std::string dir = ScratchDir("arch_export");
    WriteAll(dir + "kasa.exp", "PLU;1\r\nVAT;23\r\n");
    WriteAll(dir + "ARCH2.EXP", "old\r\n");
    TLTools::ArchiveFile(dir + "kasa.exp", dir + "ARCH2.EXP", nullptr, true, 1, true, "");
    EXPECT_EQ(ReadAll(dir + "ARCH2.EXP"),
              "old\r\n"
              "\r\n----------- [EKSPORT WYKONANY DNIA: 2025-01-01 12:00:00] ------------\r\n"
              "ZAMKNIETA ZM. FISK.\r\n"
              "PLU;1\r\nVAT;23\r\n");
}

TEST(LToolsArchive, ExportKindsZeroToThreeAndNoneOutside) {
    ClockGuard clock(kNoon);
    const std::string dir = ScratchDir("arch_kinds");
    WriteAll(dir + "src", "x\r\n");
    const char* kinds[] = {"OTWARTA ZM. FISK.", "ZAMKNIETA ZM. FISK.", "WSZYSTKIE", "ZMIANA LISTY"};
    for (int k = 0; k < 4; ++k) {
        const std::string arch = dir + "a" + std::to_string(k);
        TLTools::ArchiveFile(dir + "src", arch, nullptr, true, k, true, "");
        EXPECT_EQ(ReadAll(arch), "\r\n----------- [EKSPORT WYKONANY DNIA: 2025-01-01 12:00:00] ------------\r\n" +
                                     std::string(kinds[k]) + "\r\nx\r\n");
    }
    for (int k : {7, -1}) {
        const std::string arch = dir + "b" + std::to_string(k);
        TLTools::ArchiveFile(dir + "src", arch, nullptr, true, k, true, "");
        EXPECT_EQ(ReadAll(arch),
                  "\r\n----------- [EKSPORT WYKONANY DNIA: 2025-01-01 12:00:00] ------------\r\n"
                  "x\r\n");
    }
}

TEST(LToolsArchive, ImportHeaderExtraLineAndUnterminatedLastLine) {
    ClockGuard clock(kNoon);
    const std::string dir = ScratchDir("arch_import");
    WriteAll(dir + "kasa.imp", "[TOWAROWE]\r\n\r\nPLU;;5;1000;250");
    TLTools::ArchiveFile(dir + "kasa.imp", dir + "arch1.imp", nullptr, false, 2, true, "extra");
    EXPECT_EQ(ReadAll(dir + "arch1.imp"),
              "\r\n------------ [IMPORT WYKONANY DNIA: 2025-01-01 12:00:00] ------------\r\n"
              "extra\r\n"
              "[TOWAROWE]\r\n\r\nPLU;;5;1000;250\r\n");
}

TEST(LToolsArchive, WithoutHeaderOnlyTheCopy) {
    const std::string dir = ScratchDir("arch_plain");
    WriteAll(dir + "s", "a\r\nb\r\n");
    TLTools::ArchiveFile(dir + "s", dir + "t", nullptr, false, 0, false, "");
    TLTools::ArchiveFile(dir + "s", dir + "t", nullptr, false, 0, false, "");
    EXPECT_EQ(ReadAll(dir + "t"), "a\r\nb\r\na\r\nb\r\n");
}

TEST(LToolsDebug, LogHeaderAndLines) {
    ClockGuard clock(kNoon);
    const std::string dir = ScratchDir("debug");
    const std::string path = dir + "REPORT.TXT";
    TLTools tools;
    tools.DebugIt("->", "not yet");
    EXPECT_FALSE(Exists(path));
    tools.InitDebug(path, nullptr);
    EXPECT_TRUE(tools.czy_debug);
    EXPECT_EQ(tools.dbg_fname, path);
    tools.DebugIt("->",
                  "\x02"
                  "abc");
    clock.Clock().Advance(1234);
    tools.DebugIt("<-", "");
    EXPECT_EQ(ReadAll(path),
              "\r\n--- [KOMUNIKACJA Z DNIA: 2025-01-01 12:00:00] ---\r\n"
              "12:00:00.000 -> \x02"
              "abc\r\n"
              "12:00:01.234 <- \r\n");
}

TEST(LToolsDebug, UnwritableLogRaises) {
    TLTools tools;
    tools.czy_debug = true;
    tools.dbg_fname = ScratchDir("debug_bad") + "missing_dir/x/REPORT.TXT";
    EXPECT_THROW(tools.DebugIt("->", "x"), std::exception);
}

TEST(LToolsRegistry, InstallationFolderEndsWithBackslashOrIsEmpty) {
    const AnsiString path = TLTools::WczytajSciezkeDoBinariow();
    if (!path.empty()) {
        EXPECT_EQ(path.back(), '\\');
    }
}
