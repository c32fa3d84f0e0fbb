#pragma once
// What the files the driver handed over hold, as a person at the back office reads it
// (UTF-8): per sales import file its sales date, the receipts with their totals and payment
// forms, the day's totals by payment form, the cash report and the counters it carries; the
// lines of a single receipt; the orders an import turned into EDI documents.
#include <map>
#include <vector>

#include "platform/Strings.h"

class TSalesReport {
public:
    struct TReceipt {
        int printout = 0, number = 0, positions = 0;
        AnsiString time;  // hh:mm
        long long total = 0;
        std::map<int, long long> byForm;  // payment form -> grosze
    };
    // A sales import file ("kasa.imp").
    struct TSalesFile {
        AnsiString date;  // yyyy-mm-dd
        std::vector<TReceipt> receipts;
        std::map<int, long long> byForm;
        long long total = 0;
        int goodsLines = 0;
        long long goodsValue = 0;
        std::vector<std::pair<AnsiString, AnsiString>> finance, cash, counters;
    };
    static TSalesFile ReadSalesFile(const AnsiString& text);
    static AnsiString Render(const TSalesFile& file, const AnsiString& where);
    // The "PAR" lines of a single receipt file ("paragon.imp").
    static AnsiString RenderReceipt(const AnsiString& text, const AnsiString& where);
    // An EDI order document: its number and lines.
    static AnsiString RenderOrder(const AnsiString& text, const AnsiString& where);

    // Grosze as złoty with a decimal comma.
    static AnsiString Money(long long grosze);
};
