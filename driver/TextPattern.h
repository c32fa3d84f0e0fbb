#pragma once
// Message patterns with "%s" places, filled without printf: a translated pattern is used only
// when its places are those of the default, so a dictionary entry can never make the driver
// read values that are not there.
#include <vector>

#include "platform/Strings.h"

// pattern with its "%s" places filled by values in order ("%%" is a percent sign); the
// fallback (the default text) when pattern holds another conversion or another count.
AnsiString FillIn(const AnsiString& pattern, const AnsiString& fallback, const std::vector<AnsiString>& values);
