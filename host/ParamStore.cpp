#include "host/ParamStore.h"

#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/Os.h"

void TParamStore::Load() {
    values.clear();
    if (!Os().FileExists(FPath)) return;
    std::vector<AnsiString> lines;
    TMFile::ReadStringsFromFile(FPath, lines);
    for (const AnsiString& line : lines) {
        const size_t eq = line.find('=');
        if (eq == AnsiString::npos || eq == 0) continue;
        values[line.substr(0, eq)] = line.substr(eq + 1);
    }
}

void TParamStore::Save() const {
    TMFile file;
    file.SetPath(FPath);
    file.SetReadOnly(false);
    file.Open();
    file.SetPointer(0);
    file.SetEof();
    for (const auto& [name, value] : values) {
        // A value never spans lines in the store.
        AnsiString clean = value;
        for (char& c : clean)
            if (c == '\r' || c == '\n') c = ' ';
        file.WriteLine(name + "=" + clean, "\r\n");
    }
    file.Close();
}
