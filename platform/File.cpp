#include "platform/File.h"

#include <cerrno>

#include "platform/Exceptions.h"
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

void TMFile::Flush() {
    Check();
    errno = 0;
    if (std::fflush(FFile) != 0) {
        int error = errno;
        std::clearerr(FFile);
        RaiseFileError(kWriteError, FPath, error);
    }
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
    errno = 0;
    std::FILE* file = OsFileOpen(path, "rb");
    if (file == nullptr) RaiseFileError(kOpenError, path, errno);

    // The whole file in one go, then split: far faster than reading line by line.
    AnsiString data;
    long long size = OsFileSize(file);
    size_t chunk = mode > 65536 ? static_cast<size_t>(mode) : 65536;
    if (size > 0) data.reserve(static_cast<size_t>(size));
    size_t used = 0;
    for (;;) {
        if (data.size() - used < chunk) data.resize(used + chunk);
        size_t n = std::fread(&data[used], 1, data.size() - used, file);
        used += n;
        if (n == 0) break;
    }
    bool failed = std::ferror(file) != 0;
    int error = errno;
    std::fclose(file);
    if (failed) RaiseFileError(kReadError, path, error);
    data.resize(used);

    size_t start = 0;
    for (size_t at; (at = data.find("\r\n", start, 2)) != AnsiString::npos; start = at + 2)
        list.emplace_back(data, start, at - start);
    if (start < data.size()) list.emplace_back(data, start, AnsiString::npos);
}
