#include "host/ParamStore.h"

#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/Os.h"
#include "platform/OsFile.h"

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
    // A new file put in place in one step: a host that dies while saving keeps the old
    // values rather than half of the new ones.
    const AnsiString temporary = FPath + ".tmp";
    TMFile file;
    file.SetPath(temporary);
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
    file.Sync();
    file.Close();
    if (!OsFileReplace(temporary, FPath)) throw Exception("Cannot replace " + FPath);
    OsFolderSync(ExtractFilePath(FPath));
}
