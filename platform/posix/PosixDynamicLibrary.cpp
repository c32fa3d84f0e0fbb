#include <dlfcn.h>

#include "platform/DynamicLibrary.h"
#include "platform/Exceptions.h"

void TDynamicLibrary::Load(const AnsiString& path) {
    Unload();
    FHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!FHandle) {
        const char* error = dlerror();
        throw Exception("Cannot load " + path + ": " + (error ? error : "unknown error"));
    }
}

void TDynamicLibrary::Unload() {
    if (FHandle) dlclose(FHandle);
    FHandle = nullptr;
}

void* TDynamicLibrary::Symbol(const char* name) const { return FHandle ? dlsym(FHandle, name) : nullptr; }

AnsiString TDynamicLibrary::DriverFileName() { return "libvelkora.so"; }
