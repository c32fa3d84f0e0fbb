#pragma once
// The few file operations C stdio leaves to the operating system: 64-bit positions, the size
// of an open file and truncation. platform/posix and platform/win32 implement them.
#include <cstdio>

#include "platform/Strings.h"

// fopen with the path in the system's form (see NativePath in Os.h).
std::FILE* OsFileOpen(const AnsiString& path, const char* mode);
// 0 on success, as fseek.
int OsFileSeek(std::FILE* file, long long position, int whence);
long long OsFileTell(std::FILE* file);
// Size of the file on disk; flush pending output first.
long long OsFileSize(std::FILE* file);
// Sets the length of the file on disk; flush pending output first. True on success.
bool OsFileTruncate(std::FILE* file, long long size);
// The system's text for an errno value.
AnsiString OsErrorText(int error);
// Writes the stream's buffer out and has the system put the file's data on stable storage
// (fsync, FlushFileBuffers). True on success; errno set otherwise.
bool OsFileSync(std::FILE* file);
// Puts a folder's entries (a file just created or renamed in it) on stable storage. Windows
// keeps a folder's entries with the files themselves: true there.
bool OsFolderSync(const AnsiString& path);
// Renames from to to in one step, replacing a file that has that name. True on success.
bool OsFileReplace(const AnsiString& from, const AnsiString& to);
