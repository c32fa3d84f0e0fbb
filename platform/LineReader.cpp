#include "platform/LineReader.h"

#include <cerrno>
#include <cstring>

#include "platform/Exceptions.h"
#include "platform/OsFile.h"
#include "platform/Translation.h"

namespace {
const size_t kBlock = 1 << 18;

[[noreturn]] void Raise(const char* titleUtf8, const AnsiString& path, int error) {
    AnsiString description = Ansi("Plik \"") + path + "\"";
    if (error != 0) description += ": " + OsErrorText(error);
    throw EMException(EM_FILE_ERROR, Ansi(titleUtf8), description);
}
}  // namespace

TLineReader::~TLineReader() { Close(); }

void TLineReader::Open(const AnsiString& path) {
    Close();
    FPath = path;
    errno = 0;
    FFile = OsFileOpen(path, "rb");
    if (FFile == nullptr) Raise(u8"Błąd otwarcia pliku", path, errno);
    FBuf.resize(kBlock);
    FBegin = FEnd = 0;
    FEof = false;
}

void TLineReader::Close() {
    if (FFile != nullptr) std::fclose(FFile);
    FFile = nullptr;
}

bool TLineReader::Fill() {
    if (FEof || FFile == nullptr) return false;
    const size_t pending = FEnd - FBegin;
    if (FBegin > 0) {
        std::memmove(FBuf.data(), FBuf.data() + FBegin, pending);
        FBegin = 0;
        FEnd = pending;
    }
    if (FBuf.size() - FEnd < kBlock / 2) FBuf.resize(FBuf.size() * 2);
    errno = 0;
    const size_t n = std::fread(FBuf.data() + FEnd, 1, FBuf.size() - FEnd, FFile);
    if (n == 0) {
        if (std::ferror(FFile)) Raise(u8"Błąd odczytu pliku", FPath, errno);
        FEof = true;
        return false;
    }
    FEnd += n;
    return true;
}

bool TLineReader::Next(AnsiString& line) {
    size_t from = FBegin;  // where the search for the next LF goes on
    for (;;) {
        const char* data = FBuf.data();
        while (from < FEnd) {
            const char* lf = static_cast<const char*>(std::memchr(data + from, '\n', FEnd - from));
            if (lf == nullptr) break;
            const size_t at = static_cast<size_t>(lf - data);
            if (at > FBegin && data[at - 1] == '\r') {
                line.assign(data + FBegin, at - 1 - FBegin);
                FBegin = at + 1;
                return true;
            }
            from = at + 1;
        }
        const size_t searched = FEnd - FBegin;
        if (!Fill()) return false;
        from = FBegin + searched;
    }
}

AnsiString TLineReader::Rest() const { return AnsiString(FBuf.data() + FBegin, FEnd - FBegin); }

bool TLineReader::Read(AnsiString& block) {
    if (FBegin == FEnd && !Fill()) return false;
    block.assign(FBuf.data() + FBegin, FEnd - FBegin);
    FBegin = FEnd;
    return true;
}
