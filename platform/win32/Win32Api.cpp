#include "platform/win32/Win32Api.h"

#include <windows.h>

#include <vector>

namespace win32 {

bool IsFile(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsDirectory(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeDirectory(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    return IsDirectory(path);
}

bool RemoveFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

unsigned long CreateNewFile(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    DWORD error = 0;
    size_t done = 0;
    while (error == 0 && done < bytes.size()) {
        DWORD chunk = bytes.size() - done > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size() - done);
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr))
            error = GetLastError();
        else if (written == 0)
            error = ERROR_DISK_FULL;
        done += written;
    }
    if (!CloseHandle(file) && error == 0) error = GetLastError();
    if (error != 0) DeleteFileA(path.c_str());  // a half-written file is no use to anyone
    return error;
}

int FileFaultOf(unsigned long error) {
    switch (error) {
        case 0: return 0;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: return 1;
        case ERROR_ACCESS_DENIED: return 2;
        case ERROR_WRITE_PROTECT: return 3;
        default: return 4;
    }
}

bool FlushFile(intptr_t osHandle) {
    HANDLE handle = reinterpret_cast<HANDLE>(osHandle);
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
}

bool MoveReplacing(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

std::string ShortPath(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD length = GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return std::string(buffer, length);
}

std::string RegistryString(const std::string& key, const std::string& value) {
    HKEY handle = nullptr;
    // KEY_READ with KEY_WOW64_32KEY: the host is installed in the 32-bit view.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, 0x20219, &handle) != ERROR_SUCCESS) return std::string();
    std::string result;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(handle, value.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ &&
        size > 0 && size < 0x100000) {
        std::vector<char> buffer(size + 1, '\0');
        DWORD got = size;
        if (RegQueryValueExA(handle, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got) ==
                ERROR_SUCCESS &&
            type == REG_SZ) {
            if (got > size) got = size;
            result.assign(buffer.data(), got);
            while (!result.empty() && result.back() == '\0') result.pop_back();
        }
    }
    RegCloseKey(handle);
    return result;
}

int ShowMessageBox(const std::string& text, const std::string& caption, int flags) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), static_cast<UINT>(flags));
}

void SleepMilliseconds(unsigned milliseconds) { ::Sleep(static_cast<DWORD>(milliseconds)); }

std::string Reason(unsigned long code) {
    char* text = nullptr;
    DWORD n =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = n && text ? std::string(text, n) : std::string("Unknown error");
    if (text) LocalFree(text);
    while (!result.empty() && static_cast<unsigned char>(result.back()) <= ' ') result.pop_back();
    return result + " (" + std::to_string(code) + ")";
}

uint32_t TickCount() { return static_cast<uint32_t>(::GetTickCount()); }

LocalTime Now() {
    SYSTEMTIME time;
    GetLocalTime(&time);
    return LocalTime{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds};
}

}  // namespace win32
