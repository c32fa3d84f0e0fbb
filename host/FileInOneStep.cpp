#include "host/FileInOneStep.h"

#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/Os.h"
#include "platform/OsFile.h"
#include "platform/Translation.h"

void SaveInOneStep(const AnsiString& path, const std::vector<AnsiString>& lines, const char* whatUtf8) {
    const AnsiString temporary = path + ".tmp";
    const AnsiString what = whatUtf8;
    try {
        TMFile file;
        file.SetPath(temporary);
        file.SetReadOnly(false);
        file.Open();
        file.SetPointer(0);
        file.SetEof();
        for (const AnsiString& line : lines) file.WriteLine(line, "\r\n");
        file.Sync();
        file.Close();
    } catch (const std::exception& e) {
        Os().DeleteFile(temporary);
        // The framework's texts are Windows-1250.
        throw Exception(u8"nie można zapisać " + what + " do pliku " + path +
                        " (stary plik pozostaje bez zmian): " + Cp1250ToUtf8(e.what()));
    }
    if (!OsFileReplace(temporary, path)) {
        Os().DeleteFile(temporary);
        throw Exception(u8"nie można zastąpić pliku " + what + " " + path +
                        u8" nowym (stary plik pozostaje bez zmian)");
    }
    OsFolderSync(ExtractFilePath(path));
}
