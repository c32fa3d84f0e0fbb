#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Os.h"
#include "platform/OsFile.h"

std::FILE* OsFileOpen(const AnsiString& path, const char* mode) { return std::fopen(NativePath(path).c_str(), mode); }

int OsFileSeek(std::FILE* file, long long position, int whence) {
    return fseeko(file, static_cast<off_t>(position), whence);
}

long long OsFileTell(std::FILE* file) { return static_cast<long long>(ftello(file)); }

long long OsFileSize(std::FILE* file) {
    struct stat info;
    if (fstat(fileno(file), &info) != 0) return -1;
    return static_cast<long long>(info.st_size);
}

bool OsFileTruncate(std::FILE* file, long long size) { return ftruncate(fileno(file), static_cast<off_t>(size)) == 0; }

AnsiString OsErrorText(int error) { return std::strerror(error); }

bool OsFileSync(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
    while (fsync(fileno(file)) != 0)
        if (errno != EINTR) return false;
    return true;
}

bool OsFolderSync(const AnsiString& path) {
    const AnsiString native = path.empty() ? AnsiString(".") : NativePath(path);
    const int fd = open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int result;
    while ((result = fsync(fd)) != 0 && errno == EINTR) {
    }
    const int error = errno;
    close(fd);
    errno = error;
    return result == 0;
}

bool OsFileReplace(const AnsiString& from, const AnsiString& to) {
    return std::rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}
