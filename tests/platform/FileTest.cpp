#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "TempDir.h"
#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/LineReader.h"

namespace {

void WriteBytes(const std::string& path, const AnsiString& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

AnsiString ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<AnsiString> ReadAllLines(const std::string& path, std::vector<bool>* results = nullptr) {
    TMFile file;
    file.SetPath(path);
    file.Open();
    std::vector<AnsiString> lines;
    AnsiString line;
    for (;;) {
        bool more = file.ReadLine(line);
        lines.push_back(line);
        if (results) results->push_back(more);
        if (!more) break;
    }
    file.Close();
    return lines;
}

}  // namespace

class FileTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(FileTest, ReadLineSplitsAtCrLfOnly) {
    WriteBytes(dir / "a.txt", "one\r\ntwo\nstill two\rand more\r\n\r\nlast\r\n");
    std::vector<bool> results;
    auto lines = ReadAllLines(dir / "a.txt", &results);
    EXPECT_EQ(lines, (std::vector<AnsiString>{"one", "two\nstill two\rand more", "", "last", ""}));
    EXPECT_EQ(results, (std::vector<bool>{true, true, true, true, false}));
}

TEST_F(FileTest, ReadLineDeliversTheLastLineWithoutTerminatorWithFalse) {
    WriteBytes(dir / "a.txt", "one\r\ntail");
    std::vector<bool> results;
    auto lines = ReadAllLines(dir / "a.txt", &results);
    EXPECT_EQ(lines, (std::vector<AnsiString>{"one", "tail"}));
    EXPECT_EQ(results, (std::vector<bool>{true, false}));
}

TEST_F(FileTest, ReadLineOfAnEmptyFile) {
    WriteBytes(dir / "empty.txt", "");
    std::vector<bool> results;
    EXPECT_EQ(ReadAllLines(dir / "empty.txt", &results), (std::vector<AnsiString>{""}));
    EXPECT_EQ(results, (std::vector<bool>{false}));
}

TEST_F(FileTest, ReadLineKeepsCrBeforeCrLfAndAHalfTerminatorAtTheEnd) {
    WriteBytes(dir / "a.txt", "a\r\r\nb\r");
    auto lines = ReadAllLines(dir / "a.txt");
    EXPECT_EQ(lines, (std::vector<AnsiString>{"a\r", "b\r"}));
}

TEST_F(FileTest, ReadLineWithOtherTerminators) {
    WriteBytes(dir / "a.txt", AnsiString("x;y;\0z", 6));
    TMFile file;
    file.SetPath(dir / "a.txt");
    file.Open();
    AnsiString line;
    EXPECT_TRUE(file.ReadLine(line, ";"));
    EXPECT_EQ(line, "x");
    EXPECT_TRUE(file.ReadLine(line, ";"));
    EXPECT_EQ(line, "y");
    EXPECT_FALSE(file.ReadLine(line, ";"));
    EXPECT_EQ(line, AnsiString("\0z", 2));
}

TEST_F(FileTest, HighBytesAreKept) {
    WriteBytes(dir / "a.txt", "\xB3\xA5\xFF\x80\r\n");
    EXPECT_EQ(ReadAllLines(dir / "a.txt").front(), "\xB3\xA5\xFF\x80");
}

TEST_F(FileTest, WritableOpenCreatesAMissingFile) {
    TMFile file;
    file.SetPath(dir / "new.txt");
    file.SetReadOnly(false);
    file.Open();
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.GetSize(), 0);
    file.WriteLine("PLU;1");
    file.Write("abc", 3);
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(ReadBytes(dir / "new.txt"), "PLU;1\r\nabc");
}

TEST_F(FileTest, WritableOpenKeepsTheContent) {
    WriteBytes(dir / "a.txt", "keep me");
    TMFile file;
    file.SetPath(dir / "a.txt");
    file.SetReadOnly(false);
    file.Open();
    EXPECT_EQ(file.GetSize(), 7);
    file.Close();
    EXPECT_EQ(ReadBytes(dir / "a.txt"), "keep me");
}

TEST_F(FileTest, AppendAtTheEnd) {
    WriteBytes(dir / "a.txt", "one\r\n");
    TMFile file;
    file.SetPath(dir / "a.txt");
    file.SetReadOnly(false);
    file.Open();
    file.SetPointer(file.GetSize());
    file.WriteLine("two");
    EXPECT_EQ(file.GetPointer(), 10);
    EXPECT_EQ(file.GetSize(), 10);
    file.Close();
    EXPECT_EQ(ReadBytes(dir / "a.txt"), "one\r\ntwo\r\n");
}

TEST_F(FileTest, RewindAndTruncateEmptiesTheFile) {
    WriteBytes(dir / "a.txt", "old content\r\n");
    TMFile file;
    file.SetPath(dir / "a.txt");
    file.SetReadOnly(false);
    file.Open();
    file.SetPointer(0);
    file.SetEof();
    EXPECT_EQ(file.GetSize(), 0);
    file.Write(AnsiString("new"));
    file.Close();
    EXPECT_EQ(ReadBytes(dir / "a.txt"), "new");
}

TEST_F(FileTest, TruncateInTheMiddleAfterReading) {
    WriteBytes(dir / "a.txt", "line1\r\nline2\r\nline3\r\n");
    TMFile file;
    file.SetPath(dir / "a.txt");
    file.SetReadOnly(false);
    file.Open();
    AnsiString line;
    ASSERT_TRUE(file.ReadLine(line));
    file.SetEof();
    EXPECT_EQ(file.GetSize(), 7);
    file.WriteLine("X");
    file.Close();
    EXPECT_EQ(ReadBytes(dir / "a.txt"), "line1\r\nX\r\n");
}

TEST_F(FileTest, ReadingAfterWritingAndWritingAfterReading) {
    TMFile file;
    file.SetPath(dir / "a.txt");
    file.SetReadOnly(false);
    file.Open();
    file.WriteLine("first");
    file.WriteLine("second");
    file.SetPointer(0);
    AnsiString line;
    ASSERT_TRUE(file.ReadLine(line));
    EXPECT_EQ(line, "first");
    file.Write(AnsiString("SECOND"));  // overwrites in place, straight after the read
    AnsiString rest;
    EXPECT_TRUE(file.ReadLine(rest));  // and reads straight after the write
    EXPECT_EQ(rest, "");
    EXPECT_FALSE(file.ReadLine(rest));
    file.WriteLine("third");  // after reaching the end
    EXPECT_EQ(file.GetSize(), 22);
    file.Close();
    EXPECT_EQ(ReadBytes(dir / "a.txt"), "first\r\nSECOND\r\nthird\r\n");
}

TEST_F(FileTest, ReadOnlyOpenOfAMissingFileRaises) {
    TMFile file;
    file.SetPath(dir / "missing.txt");
    try {
        file.Open();
        FAIL() << "no exception";
    } catch (const EMException& e) {
        EXPECT_EQ(e.GetCode(), EM_FILE_ERROR);
        EXPECT_NE(e.GetDescription().find("missing.txt"), AnsiString::npos);
        EXPECT_FALSE(e.GetTitle().empty());
    }
    EXPECT_FALSE(file.IsOpen());
}

TEST_F(FileTest, WritableOpenInAMissingFolderRaises) {
    TMFile file;
    file.SetPath(dir / "no/such/folder/a.txt");
    file.SetReadOnly(false);
    EXPECT_THROW(file.Open(), EMException);
}

TEST_F(FileTest, WritingAReadOnlyFileRaises) {
    WriteBytes(dir / "a.txt", "x");
    TMFile file;
    file.SetPath(dir / "a.txt");
    file.Open();
    EXPECT_THROW(file.WriteLine("y"), EMException);
}

TEST_F(FileTest, UseOfAClosedFileRaises) {
    TMFile file;
    AnsiString line;
    EXPECT_THROW(file.ReadLine(line), EMException);
    EXPECT_THROW(file.Write(AnsiString("x")), EMException);
    EXPECT_THROW(file.GetSize(), EMException);
    EXPECT_THROW(file.SetPointer(0), EMException);
    file.Close();  // harmless
}

TEST_F(FileTest, EmptyPathRaises) {
    TMFile file;
    file.SetReadOnly(false);
    EXPECT_THROW(file.Open(), EMException);
}

TEST_F(FileTest, NegativePositionRaises) {
    WriteBytes(dir / "a.txt", "x");
    TMFile file;
    file.SetPath(dir / "a.txt");
    file.Open();
    EXPECT_THROW(file.SetPointer(-1), EMException);
}

TEST_F(FileTest, ReopenClosesTheFirst) {
    WriteBytes(dir / "a.txt", "A\r\n");
    WriteBytes(dir / "b.txt", "B\r\n");
    TMFile file;
    file.SetPath(dir / "a.txt");
    file.Open();
    file.SetPath(dir / "b.txt");
    file.Open();
    AnsiString line;
    file.ReadLine(line);
    EXPECT_EQ(line, "B");
}

TEST_F(FileTest, ReadStringsFromFileOneItemPerCrLfLine) {
    WriteBytes(dir / "a.txt", "a\r\nb\nc\r\n\r\nlast");
    std::vector<AnsiString> list{"old"};
    TMFile::ReadStringsFromFile(dir / "a.txt", list);
    EXPECT_EQ(list, (std::vector<AnsiString>{"a", "b\nc", "", "last"}));
}

TEST_F(FileTest, ReadStringsFromFileWithoutTrailingPart) {
    std::vector<AnsiString> list;
    WriteBytes(dir / "a.txt", "a\r\nb\r\n");
    TMFile::ReadStringsFromFile(dir / "a.txt", list);
    EXPECT_EQ(list, (std::vector<AnsiString>{"a", "b"}));
    WriteBytes(dir / "a.txt", "");
    TMFile::ReadStringsFromFile(dir / "a.txt", list);
    EXPECT_TRUE(list.empty());
}

TEST_F(FileTest, ReadStringsFromAMissingFileRaises) {
    std::vector<AnsiString> list;
    EXPECT_THROW(TMFile::ReadStringsFromFile(dir / "missing.txt", list), EMException);
}

// The lines are read in blocks of 64 KiB: a CR LF split between the first two blocks, a CR
// without LF at the end of the first, a line longer than a block, a CR as the very last byte.
TEST_F(FileTest, ReadStringsAcrossReadBlocks) {
    for (int shift = -2; shift <= 2; ++shift) {
        const std::vector<AnsiString> lines = {AnsiString(static_cast<size_t>(65534 + shift), 'x') + "\r", "a\rb", "",
                                               AnsiString(200000, 'y'), "z\r"};
        AnsiString content;
        for (const AnsiString& line : lines) content += line + "\r\n";
        content.resize(content.size() - 2);
        WriteBytes(dir / "blocks.txt", content);
        std::vector<AnsiString> list;
        TMFile::ReadStringsFromFile(dir / "blocks.txt", list);
        EXPECT_EQ(list, lines) << shift;
    }
}

// Where each line begins, as the reader counts it, across its blocks and its growing buffer,
// from a file read from its start and from the middle.
TEST_F(FileTest, LineReaderOffsetsAcrossBlocks) {
    const std::vector<AnsiString> lines = {"a",    AnsiString(65533, 'x') + "\r", "",
                                           "b\rc", AnsiString(200000, 'y'),       "z"};
    AnsiString content;
    for (const AnsiString& line : lines) content += line + "\r\n";
    WriteBytes(dir / "offsets.txt", content);
    for (const size_t start : {size_t{0}, size_t{3}}) {
        TMFile file;
        file.SetPath(dir / "offsets.txt");
        file.Open();
        file.SetPointer(static_cast<long long>(lines[0].size() + 2) * static_cast<long long>(start > 0));
        TLineReader reader(file);
        long long expected = 0;
        std::string_view line;
        for (size_t k = start > 0 ? 1 : 0; k < lines.size(); ++k) {
            EXPECT_EQ(reader.Offset(), expected) << k;
            ASSERT_TRUE(reader.Next(line)) << k;
            EXPECT_EQ(line, lines[k]) << k;
            expected += static_cast<long long>(lines[k].size() + 2);
        }
        EXPECT_FALSE(reader.Next(line));
        EXPECT_EQ(reader.Offset(), expected);
    }
}

TEST_F(FileTest, ReadStringsFromALargeFile) {
    AnsiString content;
    for (int i = 0; i < 100000; ++i) content += "PLU;" + std::to_string(i) + ";Towar nr " + std::to_string(i) + "\r\n";
    WriteBytes(dir / "big.txt", content);
    std::vector<AnsiString> list;
    TMFile::ReadStringsFromFile(dir / "big.txt", list);
    ASSERT_EQ(list.size(), 100000u);
    EXPECT_EQ(list[0], "PLU;0;Towar nr 0");
    EXPECT_EQ(list[99999], "PLU;99999;Towar nr 99999");
}
