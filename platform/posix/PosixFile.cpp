#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

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
