#pragma once
// The version resource of a Windows file: what the file's properties show, read through the
// system's version API. Files on POSIX carry none.
#include "platform/Strings.h"

struct TFileVersion {
    AnsiString numbers;  // the fixed part: "major.minor.patch.build"
    // The string table of the file's first language.
    AnsiString fileVersion, productVersion, productName, description;
};

// False when the file has no version resource (always on POSIX).
bool ReadFileVersion(const AnsiString& path, TFileVersion& version);
