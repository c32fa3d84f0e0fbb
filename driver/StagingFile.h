#pragma once
// The sales import's staging file "novitus.imp": every packet a read step receives, one line
// each, kept until an analysis has handed all of it to the host. A register clears what a
// resetting read served as soon as the driver answers its end of transfer, so from then on
// this file is the only copy: Sync puts it on stable storage first, once per transfer.
#include "platform/Strings.h"

class TQxNovitusECRAction;

class TStagingFile {
public:
    explicit TStagingFile(TQxNovitusECRAction& action) : FAction(action) {}

    // Appends a received packet's data (without its start byte and terminator) as a line.
    void Append(const AnsiString& packet);
    // Appends text as it is: whole orders, line ends included.
    void AppendText(const AnsiString& text);
    // Flushes and syncs what was appended since the last sync; the folder too when this
    // import created the file, so that its name survives a power failure as well.
    void Sync();

private:
    // Notes an append about to happen (the first one may create the file).
    void Note();

    TQxNovitusECRAction& FAction;
    bool FKnownToExist = false;
    bool FUnsynced = false;
    bool FFolderUnsynced = false;
};
