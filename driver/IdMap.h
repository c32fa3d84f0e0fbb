#pragma once
// Keeps a map of host ids to device slots ("host=slot" lines) up to date with the host's
// current ids: entries of ids that are gone are dropped, new ids take the lowest free slots
// (the gaps below the highest slot ever given), then slots above it.
#include <vector>

#include "platform/Strings.h"

using TIdList = std::vector<AnsiString>;

class IdMap {
public:
    // map: "host=slot" lines, brought up to date with ids (one id per line).
    void Initialize(TIdList& map, const AnsiString& ids);
    // The same on a map held as text (lines ended by CR LF), through DeviceMap.
    void Initialize(AnsiString& mapText, const AnsiString& ids);

    // Comparisons for sorting: the items, the parts before "=" and the parts after "=" read
    // as integers (EConvertError for an item that is not one); negative, zero or positive.
    static int cmp(const TIdList& list, int i, int j);
    static int cmp2(const TIdList& list, int i, int j);
    static int cmp3(const TIdList& list, int i, int j);

    // The lines of a list as one text, each ended by CR LF.
    static AnsiString Text(const TIdList& list);

    TIdList DeviceMap;
    TIdList ProgrammIds;
};
