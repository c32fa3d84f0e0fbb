#pragma once
// What the back office does with a file the driver hands it: it keeps a numbered copy in a
// folder of its own and, for a sales import file ("kasa.imp"), stores the counters its
// KASPAR lines carry as the driver's parameters, which the next import reads. Renaming the
// finished copy into place is the commit: a host that dies after it, before the parameters
// were saved, applies them when it starts again (Recover). A file is therefore taken whole
// or not at all, and the driver's counters never fall behind what was taken.
#include <map>
#include <utility>
#include <vector>

#include "host/ParamStore.h"
#include "platform/Strings.h"

class TBackOffice {
public:
    TBackOffice(AnsiString folder, TParamStore& store);

    // Removes copies left unfinished and applies the counters of finished copies whose
    // parameters were not saved yet, into the store and into params.
    void Recover(std::map<AnsiString, AnsiString>& params);
    // Takes the file the driver handed over; returns the copy's path.
    AnsiString Load(const AnsiString& path, std::map<AnsiString, AnsiString>& params);

    // The KASPAR lines of a sales import file: parameter name and value.
    static std::vector<std::pair<AnsiString, AnsiString>> Counters(const AnsiString& text);
    // The store's entry holding the number of the last copy whose counters were saved.
    static constexpr const char* kAppliedKey = "VelkoraHostLoaded";

    // The copies taken by this object, in order.
    std::vector<AnsiString> loaded;

private:
    struct TCopy {
        int number;
        AnsiString path;
    };
    std::vector<TCopy> Copies() const;
    void Apply(const TCopy& copy, std::map<AnsiString, AnsiString>& params);

    AnsiString FFolder;
    TParamStore& FStore;
};
