#pragma once
// The host's own files are written anew in one step: the lines go to a temporary file beside
// the file, synced, which then replaces it, and the folder is synced. A host that dies while
// saving keeps the old file whole rather than half of the new one.
#include <vector>

#include "platform/Strings.h"

// Each line is ended by CR LF. whatUtf8 names what the file holds in the messages
// ("parametrów", "towarów"), which are UTF-8 for the terminal; raises Exception, and never
// leaves the temporary file behind.
void SaveInOneStep(const AnsiString& path, const std::vector<AnsiString>& lines, const char* whatUtf8);
