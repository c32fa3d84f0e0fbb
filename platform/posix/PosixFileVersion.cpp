#include "platform/FileVersion.h"

bool ReadFileVersion(const AnsiString&, TFileVersion&) { return false; }
