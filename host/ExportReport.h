#pragma once
// What the command-line host shows of a goods export beyond the driver's own lines: the goods
// progress lines with done/total, records per second and time left (at 19200 baud ten
// thousand goods take over twelve minutes), and a closing summary: goods sent and refused
// with the reasons, units, the euro rate and where the result file is.
#include <chrono>
#include <map>

#include "host/DriverHost.h"

class TExportReport {
public:
    // exchange: the exchange directory (with a trailing separator) holding kasa.exp.
    explicit TExportReport(const AnsiString& exchange);

    // A driver line on its way to the screen; the goods progress lines come back completed.
    THostMessage Decorate(const THostMessage& message, bool changed);
    // The summary, UTF-8 lines, once the export has ended.
    AnsiString Summary() const;

    // What the export file holds.
    int goods = 0, tandemGoods = 0, units = 0;
    AnsiString euroWord;  // the EUR line's rate (times 10000), "" when none

private:
    using TClock = std::chrono::steady_clock;
    struct TPass {
        int total = 0;
        TClock::time_point start;
    };
    std::map<AnsiString, TPass> FPasses;  // by the progress line's label
    AnsiString FExchange;
    AnsiString FUnitsSent = "0";
    AnsiString FEuroState;
};
