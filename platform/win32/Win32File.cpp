#include <io.h>

#include <cerrno>
#include <cstring>

#include "platform/Os.h"
#include "platform/OsFile.h"
#include "platform/win32/Win32Api.h"

std::FILE* OsFileOpen(const AnsiString& path, const char* mode) { return std::fopen(NativePath(path).c_str(), mode); }

int OsFileSeek(std::FILE* file, long long position, int whence) { return _fseeki64(file, position, whence); }

long long OsFileTell(std::FILE* file) { return _ftelli64(file); }

long long OsFileSize(std::FILE* file) { return _filelengthi64(_fileno(file)); }

bool OsFileTruncate(std::FILE* file, long long size) { return _chsize_s(_fileno(file), size) == 0; }

AnsiString OsErrorText(int error) { return std::strerror(error); }

bool OsFileSync(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
    if (win32::FlushFile(_get_osfhandle(_fileno(file)))) return true;
    errno = EIO;
    return false;
}

bool OsFolderSync(const AnsiString&) { return true; }

bool OsFileReplace(const AnsiString& from, const AnsiString& to) {
    return win32::MoveReplacing(NativePath(from), NativePath(to));
}
