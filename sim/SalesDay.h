#pragma once
// The simulated register sells: a day or more of receipts made from the goods it holds, with
// the records a shop's register has after such days: the receipt buffer "k#00" (records
// numbered by printout number), sales counters "U" and packaging counters "d", the cashiers'
// report "n#00", the cash report "o#00", the last fiscal report "w" and "x", its date and
// time "L", the euro rate "2" and customer orders "$#01". The status record "p" follows the
// receipt buffer (oldest and youngest receipt, free space) from then on.
//
// Receipts hold weighed goods, goods sold with a returnable bottle and bottles returned,
// discounts, discount cards, a customer's tax number now and then, voided lines and one
// cancelled receipt a day; they are paid in cash, by card or in euro. Counters and the cash
// report count what was sold since the driver last read them (a resetting read clears
// them); the cashiers' report counts everything.
#include <map>
#include <random>
#include <vector>

#include "platform/Strings.h"
#include "sim/RegisterState.h"

class TSalesDay {
public:
    // Attaches to the state: its status record follows the receipt buffer from now on.
    explicit TSalesDay(TRegisterState& state);
    ~TSalesDay();
    TSalesDay(const TSalesDay&) = delete;
    TSalesDay& operator=(const TSalesDay&) = delete;

    struct TSale {
        int receipts = 0;
        long firstPrintout = 0;  // W numbers, consecutive
        long lastPrintout = 0;
    };

    // "DAYS" or "DAYSxRECEIPTS" (receipts a day, 8 when not given); false for anything else.
    static bool ParsePlan(const AnsiString& plan, int& days, int& receiptsPerDay);
    // Sells days days ending on today (days since 1899-12-30, the clock's now when 0).
    TSale Sell(int days, int receiptsPerDay, double today = 0);
    // Rewrites the status record "p" from the receipt buffer.
    void UpdateStatus();

    struct TGoods {
        AnsiString code;
        AnsiString name;  // code page 852
        long long price;  // grosze
        bool weighed;
        bool package;
        AnsiString packageCode;  // the returnable bottle sold with it
    };
    // The goods sold: the register's own goods records, or a small grocery when it has none.
    std::vector<TGoods> Goods() const;

    // Bytes of the receipt buffer.
    static constexpr long kBufferBytes = 1 << 20;

private:
    struct TLine;
    struct TReceipt;
    struct TCashier;
    struct TPackaging {
        long long soldValue = 0, soldPieces = 0, returnedValue = 0, returnedPieces = 0;
    };

    TReceipt MakeReceipt(const std::vector<TGoods>& goods, double when, bool cancelled);
    void Record(const TReceipt& receipt);
    void WriteCounters();
    void WriteReports(double today);
    void WriteOrders(double today);
    void OnConsumed(const AnsiString& id);

    TRegisterState& FState;
    std::mt19937 FRandom{20240501};
    long FNextPrintout = 0;
    long FNextReceipt = 1;
    long FNextOrder = 1;
    long FFiscalReports = 0;
    // Since the last resetting read of each file.
    std::map<AnsiString, std::pair<long long, long long>> FCounters;  // code -> quantity, value
    std::map<AnsiString, AnsiString> FNames;
    std::map<AnsiString, TPackaging> FPackaging;
    long long FPayIns = 0, FPayOuts = 0, FCards = 0, FEuroPln = 0, FGross = 0, FNet = 0;
    // Since the register started.
    std::vector<TCashier> FCashiers;
};
