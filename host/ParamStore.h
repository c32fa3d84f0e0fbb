#pragma once
// The command-line host's parameter store: NAME=VALUE lines (values in Windows-1250, as the
// driver reads them) in a small file, so that settings last between runs.
#include <map>

#include "platform/Strings.h"

class TParamStore {
public:
    explicit TParamStore(AnsiString path) : FPath(std::move(path)) {}
    // Both raise Exception with a UTF-8 text that names the store's file. Save writes a new
    // file beside the old one and puts it in its place, so a failure (a full disk) leaves the
    // old store whole and no temporary file behind.
    void Load();
    void Save() const;
    const AnsiString& Path() const { return FPath; }
    std::map<AnsiString, AnsiString> values;

private:
    AnsiString FPath;
};
