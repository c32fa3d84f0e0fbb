#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/FileVersion.h"

namespace {

AnsiString TableText(const std::vector<char>& block, const AnsiString& table, const char* name) {
    const AnsiString key = "\\StringFileInfo\\" + table + "\\" + name;
    char* value = nullptr;
    UINT size = 0;
    if (!VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &size) || !value) return "";
    return AnsiString(value, strnlen(value, size));
}

}  // namespace

bool ReadFileVersion(const AnsiString& path, TFileVersion& version) {
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &unused);
    if (size == 0) return false;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return false;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed)
        return false;
    version.numbers = Format("%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                             HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    WORD* translation = nullptr;  // language, code page
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < 2 * sizeof(WORD))
        return false;
    const AnsiString table = Format("%04X%04X", translation[0], translation[1]);
    version.fileVersion = TableText(block, table, "FileVersion");
    version.productVersion = TableText(block, table, "ProductVersion");
    version.productName = TableText(block, table, "ProductName");
    version.description = TableText(block, table, "FileDescription");
    return true;
}
