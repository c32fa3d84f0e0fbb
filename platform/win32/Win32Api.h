#pragma once
// The Windows calls the OS layer needs, behind plain C++ types: windows.h declares Sleep,
// GetTickCount, DeleteFile and MessageBox in ways that clash with platform/Os.h, so the two
// never meet in one file.
#include <cstdint>
#include <string>

namespace win32 {

bool IsFile(const std::string& path);
bool IsDirectory(const std::string& path);
// True when the directory was created or already exists.
bool MakeDirectory(const std::string& path);
bool RemoveFile(const std::string& path);
// Creates a new file with the bytes: 0, or the system's error code (the file then does not
// exist, unless it existed before).
unsigned long CreateNewFile(const std::string& path, const std::string& bytes);
// The system's error code as the driver's file fault.
int FileFaultOf(unsigned long error);
// FlushFileBuffers on the handle of an open C runtime file (_get_osfhandle).
bool FlushFile(intptr_t osHandle);
// MoveFileEx replacing the target, written through to the disk.
bool MoveReplacing(const std::string& from, const std::string& to);
// "" when the system has no short form that fits in 260 bytes.
std::string ShortPath(const std::string& path);
// A REG_SZ value under HKEY_LOCAL_MACHINE\key read through the 32-bit view; "" on any error.
std::string RegistryString(const std::string& key, const std::string& value);
int ShowMessageBox(const std::string& text, const std::string& caption, int flags);
void SleepMilliseconds(unsigned milliseconds);
// The system's text for an error code, with the code: "Access is denied. (5)".
std::string Reason(unsigned long code);
uint32_t TickCount();

struct LocalTime {
    int year, month, day, hour, minute, second, milliseconds;
};
LocalTime Now();

}  // namespace win32
