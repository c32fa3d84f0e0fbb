#pragma once
// Reads the CR LF terminated lines of a file in large blocks. The staging file of a sales
// import holds one line per packet received from the register and may run to millions of
// lines; reading it byte by byte would cost more than analysing it.
#include <cstdio>
#include <vector>

#include "platform/Strings.h"

class TLineReader {
public:
    TLineReader() = default;
    ~TLineReader();
    TLineReader(const TLineReader&) = delete;
    TLineReader& operator=(const TLineReader&) = delete;

    // Opens the file for reading; raises EMException (EM_FILE_ERROR) like TMFile.
    void Open(const AnsiString& path);
    void Close();
    bool IsOpen() const { return FFile != nullptr; }

    // The next line ended by CR LF, without the CR LF; a lone CR or LF stays in its line.
    // False at the end of the file: text after the last CR LF is not a line (see Rest).
    bool Next(AnsiString& line);
    // After Next returned false: the bytes after the last CR LF.
    AnsiString Rest() const;
    // The next bytes as they are, whatever lines they hold; false at the end of the file.
    bool Read(AnsiString& block);

private:
    // Keeps the unread bytes and reads more after them; false when nothing more came.
    bool Fill();

    AnsiString FPath;
    std::FILE* FFile = nullptr;
    std::vector<char> FBuf;
    size_t FBegin = 0;  // first byte not delivered
    size_t FEnd = 0;    // end of the bytes read
    bool FEof = false;
};
