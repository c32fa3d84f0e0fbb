#pragma once
// Loading a shared library and finding its exported functions, as a host does.
#include "platform/Strings.h"

class TDynamicLibrary {
public:
    TDynamicLibrary() = default;
    ~TDynamicLibrary() { Unload(); }
    TDynamicLibrary(const TDynamicLibrary&) = delete;
    TDynamicLibrary& operator=(const TDynamicLibrary&) = delete;

    // Raises Exception with the system's text when the library cannot be loaded.
    void Load(const AnsiString& path);
    void Unload();
    // Null when the library has no such export.
    void* Symbol(const char* name) const;

    // The file name of the driver library on this system ("libvelkora.so", "velkora.dll").
    static AnsiString DriverFileName();

private:
    void* FHandle = nullptr;
};
