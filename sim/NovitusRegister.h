#pragma once
// A register that checks what it is sent, the way a real one answers: its VAT table (file
// "0"), euro rate ("2", read and written), units of measure ("I#01", slots 0 to 14), goods
// ("I#00", kept by code and served back with the register's goods number; names, like unit
// names, are kept up to their end mark) and sales totals per goods, which the totals reset
// ("i" from 1) clears. A goods record of the wrong form, an unknown VAT letter or unit, a
// full goods base, deleting goods it does not hold and a goods-list reset ("i" from 6) while
// totals are not zero are refused with the register's error code. Further keywords of the
// register file:
//
//     vat <A> ... <G>        the VAT table: a rate in hundredths of a percent, FFFF for the
//                            exempt slot, "-" for a slot not programmed
//     euro <rate>            the euro rate, e.g. 4.3215
//     capacity <n>           how many goods the base holds
//     unit <slot> <name>     a unit of measure (the rest of the line, escapes as in records)
//     goods <record>         goods held: a record as the driver sends it ("DI#00...")
//     total <code> <amount>  the sales total of goods (code as in the record, trimmed)
#include <array>
#include <map>

#include "sim/RegisterState.h"

class TNovitusRegister : public TRegisterState {
public:
    static constexpr int kVatExempt = 0xFFFF;
    static constexpr int kVatNone = -1;
    static constexpr size_t kGoodsRecord = 132;
    static constexpr size_t kUnitRecord = 17;

    TNovitusRegister();

    std::array<int, 7> vat;  // slots A to G
    unsigned long euro = 0;  // the rate times 10000
    size_t capacity = 50000;
    std::map<int, AnsiString> units;  // slot -> record as sent

    struct TGoods {
        long number = 0;  // the register's goods number
        AnsiString record;
    };
    // Goods by their trimmed code.
    const std::map<AnsiString, TGoods>& Goods() const { return FGoods; }
    // The records a read of "I#00" sends, by goods number.
    std::vector<AnsiString> GoodsRecords() const;

    void SetTotal(const AnsiString& code, long long amount);
    void AddTotal(const AnsiString& code, long long amount);
    bool TotalsZero() const;
    const std::map<AnsiString, long long>& Totals() const { return FTotals; }

    int StartError(const AnsiString& id, char type, long beg, long end) const override;
    std::vector<TSimRecord> Serve(const AnsiString& id, long beg, long end) const override;
    int Write(const AnsiString& id, const AnsiString& data) override;
    int Reset(const AnsiString& id, long beg, long end) override;
    bool LoadKeyword(const std::vector<AnsiString>& words, const AnsiString& line) override;
    void ClearData() override;

private:
    int WriteGoods(const AnsiString& data);
    int WriteUnit(const AnsiString& data);
    int WriteEuro(const AnsiString& data);
    // The register's answer to a goods record that adds or overwrites goods.
    int CheckGoods(const AnsiString& data) const;

    std::map<AnsiString, TGoods> FGoods;
    long FNextNumber = 1;
    std::map<AnsiString, long long> FTotals;
};
