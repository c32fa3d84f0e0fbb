#include "platform/File.h"

#include <cerrno>
#include <cstring>

#include "platform/Exceptions.h"
#include "platform/LineReader.h"
#include "platform/OsFile.h"
#include "platform/Translation.h"

namespace {

[[noreturn]] void RaiseFileError(const char* titleUtf8, const AnsiString& path, int error) {
    AnsiString description = Ansi("Plik \"") + path + "\"";
    if (error != 0) description += ": " + OsErrorText(error);
    throw EMException(EM_FILE_ERROR, Ansi(titleUtf8), description);
}

const char* const kOpenError = "Błąd otwarcia pliku";
const char* const kReadError = "Błąd odczytu pliku";
const char* const kWriteError = "Błąd zapisu pliku";
const char* const kPositionError = "Błąd pozycjonowania w pliku";
const size_t kBufferSize = 1 << 16;

}  // namespace

TMFile::~TMFile() {
    if (FFile != nullptr) std::fclose(FFile);
}

void TMFile::Open() {
    if (FFile != nullptr) Close();
    if (FPath.empty()) RaiseFileError(kOpenError, FPath, ENOENT);
    errno = 0;
    if (FReadOnly) {
        FFile = OsFileOpen(FPath, "rb");
    } else {
        FFile = OsFileOpen(FPath, "r+b");
        // Only a missing file is created; "w+b" would empty an existing one.
        if (FFile == nullptr && errno == ENOENT) FFile = OsFileOpen(FPath, "w+b");
    }
    if (FFile == nullptr) RaiseFileError(kOpenError, FPath, errno);
    // Exchange files run to megabytes: large blocks, few system calls.
    std::setvbuf(FFile, nullptr, _IOFBF, kBufferSize);
    FLastOp = lastNone;
}

void TMFile::Close() {
    if (FFile == nullptr) return;
    std::FILE* file = FFile;
    FFile = nullptr;
    FLastOp = lastNone;
    errno = 0;
    // Output still in the buffer reaches the disk here; a failure must not pass silently.
    if (std::fclose(file) != 0) RaiseFileError(kWriteError, FPath, errno);
}

void TMFile::Check() const {
    if (FFile == nullptr)
        throw EMException(EM_FILE_ERROR, Ansi(kReadError), Ansi("Plik \"") + FPath + Ansi("\" nie jest otwarty"));
}

void TMFile::Switch(int op) {
    // C requires a positioning call between reading and writing the same stream.
    if (FLastOp != lastNone && FLastOp != op) OsFileSeek(FFile, 0, SEEK_CUR);
    FLastOp = static_cast<decltype(FLastOp)>(op);
}

void TMFile::SetPointer(long long position) {
    Check();
    errno = 0;
    if (position < 0 || OsFileSeek(FFile, position, SEEK_SET) != 0)
        RaiseFileError(kPositionError, FPath, position < 0 ? EINVAL : errno);
    FLastOp = lastNone;
}

long long TMFile::GetPointer() const {
    Check();
    return OsFileTell(FFile);
}

long long TMFile::GetSize() const {
    Check();
    if (FLastOp == lastWrite) std::fflush(FFile);
    return OsFileSize(FFile);
}

void TMFile::SetEof() {
    Check();
    long long position = OsFileTell(FFile);
    if (FLastOp == lastWrite) std::fflush(FFile);
    errno = 0;
    if (position < 0 || !OsFileTruncate(FFile, position)) RaiseFileError(kWriteError, FPath, errno);
    // Drops whatever the stream had buffered beyond the new end.
    OsFileSeek(FFile, position, SEEK_SET);
    FLastOp = lastNone;
}

void TMFile::Sync() {
    Check();
    errno = 0;
    if (!OsFileSync(FFile)) RaiseFileError(kWriteError, FPath, errno);
    FLastOp = lastNone;
}

bool TMFile::ReadLine(AnsiString& line, const AnsiString& terminator) {
    line.clear();
    Check();
    Switch(lastRead);
    const size_t length = terminator.size();
    const char last = length ? terminator.back() : '\0';
    for (;;) {
        int c = std::getc(FFile);
        if (c == EOF) {
            if (std::ferror(FFile)) {
                int error = errno;
                std::clearerr(FFile);
                RaiseFileError(kReadError, FPath, error);
            }
            return false;
        }
        line += static_cast<char>(c);
        if (length && static_cast<char>(c) == last && line.size() >= length &&
            line.compare(line.size() - length, length, terminator) == 0) {
            line.resize(line.size() - length);
            return true;
        }
    }
}

size_t TMFile::Read(char* bytes, size_t count) {
    Check();
    Switch(lastRead);
    errno = 0;
    const size_t n = std::fread(bytes, 1, count, FFile);
    if (n < count && std::ferror(FFile)) {
        int error = errno;
        std::clearerr(FFile);
        RaiseFileError(kReadError, FPath, error);
    }
    return n;
}

void TMFile::Write(const char* bytes, size_t count) {
    Check();
    if (count == 0) return;
    if (bytes == nullptr) RaiseFileError(kWriteError, FPath, EINVAL);
    Switch(lastWrite);
    errno = 0;
    if (std::fwrite(bytes, 1, count, FFile) != count) {
        int error = errno;
        std::clearerr(FFile);
        RaiseFileError(kWriteError, FPath, error);
    }
}

void TMFile::WriteLine(const AnsiString& text, const AnsiString& terminator) {
    Write(text);
    Write(terminator);
}

void TMFile::ReadStringsFromFile(const AnsiString& path, std::vector<AnsiString>& list, int mode) {
    list.clear();
    TMFile file;
    file.SetPath(path);
    file.Open();
    TLineReader reader(file, true);
    for (std::string_view line; reader.Next(line);) list.emplace_back(line);
    file.Close();
}
