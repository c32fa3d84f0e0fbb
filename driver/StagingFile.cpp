#include "driver/StagingFile.h"

#include <cerrno>

#include "driver/NovitusAction.h"
#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/Os.h"
#include "platform/OsFile.h"
#include "platform/Translation.h"

void TStagingFile::Note() {
    if (!FKnownToExist) {
        if (!Os().FileExists(FAction.FNameIMP())) FFolderUnsynced = true;
        FKnownToExist = true;
    }
    FUnsynced = true;
}

void TStagingFile::Append(const AnsiString& packet) {
    Note();
    FAction.ArchiveReceivedPacket(packet, FAction.FNameIMP());
}

void TStagingFile::AppendText(const AnsiString& text) {
    Note();
    TLTools::BufToAppendFile(text, FAction.FNameIMP());
}

void TStagingFile::Sync() {
    if (FUnsynced) {
        TMFile file;
        file.SetPath(FAction.FNameIMP());
        file.SetReadOnly(false);
        file.Open();
        file.Sync();
        file.Close();
        FUnsynced = false;
    }
    if (FFolderUnsynced) {
        const AnsiString folder = ExtractFilePath(FAction.FNameIMP());
        errno = 0;
        if (!OsFolderSync(folder))
            throw EMException(EM_FILE_ERROR, Ansi(u8"Błąd zapisu pliku"),
                              Ansi("Folder \"") + folder + "\": " + OsErrorText(errno));
        FFolderUnsynced = false;
    }
}
