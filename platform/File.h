#pragma once
// The framework's file class: byte-exact reading and writing of the exchange files.
#include <cstdio>
#include <vector>

#include "platform/Strings.h"

class TMCustomFile {
public:
    virtual ~TMCustomFile() = default;
};

class TMFile : public TMCustomFile {
public:
    TMFile() = default;
    ~TMFile() override;
    TMFile(const TMFile&) = delete;
    TMFile& operator=(const TMFile&) = delete;

    void SetPath(const AnsiString& path) { FPath = path; }
    void SetReadOnly(bool readOnly) { FReadOnly = readOnly; }
    // Opens the file (binary); when not read-only a missing file is created. An open file is
    // closed first. Raises EMException (EM_FILE_ERROR) naming the path and the system's error.
    void Open();
    // Raises EMException when buffered output cannot be written; the file is closed anyway.
    void Close();
    bool IsOpen() const { return FFile != nullptr; }

    void SetPointer(long long position);
    long long GetPointer() const;
    long long GetSize() const;
    // Truncates the file at the current position.
    void SetEof();
    // Puts what was written on stable storage (not only in the system's cache); raises
    // EMException when the system cannot.
    void Sync();

    // Reads up to the terminator (not included in line). Returns false at the end of the
    // file, still delivering the text read so far (possibly empty). With the terminator
    // "\r\n" a lone CR or LF is part of the line. An empty terminator reads to the end.
    bool ReadLine(AnsiString& line, const AnsiString& terminator = "\r\n");
    // Reads up to count bytes; fewer only at the end of the file. Raises on a read error.
    size_t Read(char* bytes, size_t count);
    void WriteLine(const AnsiString& text, const AnsiString& terminator = "\r\n");
    void Write(const char* bytes, size_t count);
    void Write(const AnsiString& bytes) { Write(bytes.data(), bytes.size()); }

    // Loads a whole text file into list (replacing its items), one item per CR LF terminated
    // line; a lone CR or LF stays in its line, and a last line without terminator is kept
    // when not empty. mode is the framework's read-buffer size. Raises EMException.
    static void ReadStringsFromFile(const AnsiString& path, std::vector<AnsiString>& list, int mode = 4096);

private:
    void Check() const;
    AnsiString FPath;
    bool FReadOnly = true;
    std::FILE* FFile = nullptr;
    enum { lastNone, lastRead, lastWrite } FLastOp = lastNone;
    void Switch(int op);
};
