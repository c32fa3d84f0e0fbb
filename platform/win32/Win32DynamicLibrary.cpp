#include <windows.h>

#include "platform/DynamicLibrary.h"
#include "platform/Exceptions.h"

void TDynamicLibrary::Load(const AnsiString& path) {
    Unload();
    FHandle = reinterpret_cast<void*>(LoadLibraryA(path.c_str()));
    if (!FHandle)
        throw Exception("Cannot load " + path + ": error " + IntToStr(static_cast<long long>(GetLastError())));
}

void TDynamicLibrary::Unload() {
    if (FHandle) FreeLibrary(reinterpret_cast<HMODULE>(FHandle));
    FHandle = nullptr;
}

void* TDynamicLibrary::Symbol(const char* name) const {
    return FHandle ? reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(FHandle), name)) : nullptr;
}

AnsiString TDynamicLibrary::DriverFileName() { return "velkora.dll"; }
