#pragma once
// Reads the CR LF terminated lines of an open file in large blocks. Exchange and staging files
// run to millions of lines; reading them byte by byte would cost more than using them.
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/File.h"
#include "platform/Strings.h"

class TLineReader {
public:
    // Reads file from its current position. With unendedLastLine, text after the last CR LF
    // is delivered as a last line (as ReadStringsFromFile makes it); otherwise it is no line
    // and stays for Rest().
    explicit TLineReader(TMFile& file, bool unendedLastLine = false)
        : FFile(file), FBuffer(kBlock), FUnendedLastLine(unendedLastLine) {}

    // The next line, without its CR LF; a lone CR or LF stays in its line. The view stays
    // valid until the next call. False after the last line; raises EMException like TMFile.
    bool Next(std::string_view& line) {
        // A whole line among the bytes read, as nearly every line is.
        if (FScan < FEnd) {
            const char* const data = FBuffer.data();
            const char* const cr = static_cast<const char*>(std::memchr(data + FScan, '\r', FEnd - FScan));
            if (cr != nullptr && cr + 1 < data + FEnd && cr[1] == '\n') {
                const size_t at = static_cast<size_t>(cr - data);
                line = std::string_view(data + FBegin, at - FBegin);
                FBegin = FScan = at + 2;
                return true;
            }
        }
        return NextFromMore(line);
    }
    // The same, copied.
    bool Next(AnsiString& line);
    // After Next returned false: the bytes after the last CR LF.
    std::string_view Rest() const { return std::string_view(FBuffer.data() + FBegin, FEnd - FBegin); }
    // Where the next line begins, counted in bytes from where reading began.
    long long Offset() const { return FBase + static_cast<long long>(FBegin); }

private:
    // Next, for what the inline part does not find: a lone CR, a line not read in whole yet.
    bool NextFromMore(std::string_view& line);
    static constexpr size_t kBlock = 1 << 16;
    TMFile& FFile;
    std::vector<char> FBuffer;
    bool FUnendedLastLine;
    long long FBase = 0;  // bytes dropped from the front of the buffer so far
    size_t FBegin = 0;    // the unread bytes: FBegin .. FEnd
    size_t FEnd = 0;
    size_t FScan = 0;  // no line end before this
    bool FEof = false;
};
