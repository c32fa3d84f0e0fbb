#include "host/ParamStore.h"

#include "host/FileInOneStep.h"

#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/Os.h"
#include "platform/OsFile.h"
#include "platform/Translation.h"

namespace {

// The reason for a failure, in UTF-8 for the terminal: the framework's texts are Windows-1250.
AnsiString Reason(const std::exception& e) { return Cp1250ToUtf8(e.what()); }

}  // namespace

void TParamStore::Load() {
    values.clear();
    if (!Os().FileExists(FPath)) return;
    std::vector<AnsiString> lines;
    try {
        TMFile::ReadStringsFromFile(FPath, lines);
    } catch (const std::exception& e) {
        throw Exception(u8"nie można odczytać parametrów z pliku " + FPath + ": " + Reason(e));
    }
    for (const AnsiString& line : lines) {
        const size_t eq = line.find('=');
        if (eq == AnsiString::npos || eq == 0) continue;
        values[line.substr(0, eq)] = line.substr(eq + 1);
    }
}

void TParamStore::Save() const {
    std::vector<AnsiString> lines;
    for (const auto& [name, value] : values) {
        // A value never spans lines in the store.
        AnsiString clean = value;
        for (char& c : clean)
            if (c == '\r' || c == '\n') c = ' ';
        lines.push_back(name + "=" + clean);
    }
    SaveInOneStep(FPath, lines, u8"parametrów");
}
