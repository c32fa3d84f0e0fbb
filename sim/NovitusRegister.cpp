#include "sim/NovitusRegister.h"

#include <algorithm>
#include <cmath>

#include "platform/Exceptions.h"
#include "platform/Hex.h"

namespace {

// Register error codes of the answers.
enum : int {
    erWrongTask = 0x01,
    erNotDigit = 0x04,
    erBadChar = 0x05,
    erNoSuchItem = 0x08,
    erBadVat = 0x09,
    erBadFlag = 0x0A,
    erBadHalo = 0x0B,
    erTotalsNotZero = 0x0F,
    erBaseFull = 0x18,
    erFlagsExclude = 0x19,
    erBadUnit = 0x1E,
    erNoTandem = 0x20,
    erBaseStructure = 0x21,
};

// Fields of a goods record: 0-based offset and width.
struct TField {
    size_t at, width;
};
const TField fAction{5, 1}, fCode{6, 18}, fNumber{24, 5}, fName{29, 40}, fPrice{69, 10}, fVat{79, 1}, fPrecision{80, 1},
    fFlags{81, 4}, fDepartment{85, 2}, fHalo{87, 2}, fTandem{89, 18}, fUnit{107, 2}, fKey{129, 3};

const TField fUnitName{7, 10};

AnsiString Field(const AnsiString& record, TField f) { return record.substr(f.at, f.width); }

// A register keeps a text up to its end mark: read back, the rest of the field is blank.
AnsiString AsKept(AnsiString record, TField text) {
    const size_t end = std::min(record.size(), text.at + text.width);
    const size_t mark = record.find('\xFF', text.at);
    if (mark < end) std::fill(record.begin() + static_cast<long>(mark), record.begin() + static_cast<long>(end), ' ');
    return record;
}

bool Digits(const AnsiString& text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The goods code of a record as the register keys it.
AnsiString CodeOf(const AnsiString& record) { return Trim(Field(record, fCode)); }

}  // namespace

TNovitusRegister::TNovitusRegister() { ClearData(); }

void TNovitusRegister::ClearData() {
    vat.fill(kVatNone);
    euro = 0;
    capacity = 50000;
    units.clear();
    FGoods.clear();
    FNextNumber = 1;
    FTotals.clear();
}

std::vector<AnsiString> TNovitusRegister::GoodsRecords() const {
    std::vector<const TGoods*> byNumber;
    for (const auto& entry : FGoods) byNumber.push_back(&entry.second);
    std::sort(byNumber.begin(), byNumber.end(), [](const TGoods* a, const TGoods* b) { return a->number < b->number; });
    std::vector<AnsiString> records;
    for (const TGoods* g : byNumber) records.push_back(g->record);
    return records;
}

void TNovitusRegister::SetTotal(const AnsiString& code, long long amount) { FTotals[Trim(code)] = amount; }

void TNovitusRegister::AddTotal(const AnsiString& code, long long amount) { FTotals[Trim(code)] += amount; }

bool TNovitusRegister::TotalsZero() const {
    return std::all_of(FTotals.begin(), FTotals.end(), [](const auto& t) { return t.second == 0; });
}

int TNovitusRegister::StartError(const AnsiString& id, char type, long beg, long end) const {
    if (id == "i" && beg == 6 && !TotalsZero()) return erTotalsNotZero;
    return TRegisterState::StartError(id, type, beg, end);
}

std::vector<TSimRecord> TNovitusRegister::Serve(const AnsiString& id, long beg, long end) const {
    std::vector<TSimRecord> out;
    auto add = [&](long number, const AnsiString& data) {
        TSimRecord r;
        r.number = number;
        r.data = data;
        out.push_back(r);
    };
    if (id == "0") {
        AnsiString data = "D0";
        for (int rate : vat)
            data += rate == kVatExempt ? AnsiString("FFFF")
                    : rate == kVatNone ? AnsiString(4, ' ')
                                       : Format("%04d", rate);
        add(0, data);
    } else if (id == "2") {
        add(0, Format("D2%10lu", euro));
    } else if (id == "I#01") {
        for (const auto& [slot, record] : units) add(slot, AsKept(record, fUnitName));
    } else if (id == "I#00") {
        for (const AnsiString& record : GoodsRecords())
            add(StrToIntDef(Trim(Field(record, fNumber)), 0), AsKept(record, fName));
    } else {
        return TRegisterState::Serve(id, beg, end);
    }
    return out;
}

int TNovitusRegister::Write(const AnsiString& id, const AnsiString& data) {
    int code = 0;
    if (id == "I#00")
        code = WriteGoods(data);
    else if (id == "I#01")
        code = WriteUnit(data);
    else if (id == "2")
        code = WriteEuro(data);
    else
        return TRegisterState::Write(id, data);
    if (code == 0) File(id).written.push_back(data);
    return code;
}

int TNovitusRegister::CheckGoods(const AnsiString& r) const {
    if (!Digits(Field(r, fPrice))) return erNotDigit;
    const char letter = r[fVat.at];
    if (letter != 'Z' && (letter < 'A' || letter > 'G' || vat[static_cast<size_t>(letter - 'A')] == kVatNone))
        return erBadVat;
    if (r[fPrecision.at] < '0' || r[fPrecision.at] > '3') return erBadFlag;
    unsigned long long flags = 0;
    if (!IsHexNumber(Field(r, fFlags), flags) || flags > 0x1F) return erBadFlag;
    if (((flags & 0x08) != 0) == ((flags & 0x10) != 0)) return erFlagsExclude;
    if (!Digits(Field(r, fDepartment)) || !Digits(Field(r, fKey))) return erNotDigit;
    if (!Digits(Field(r, fHalo))) return erBadHalo;
    const AnsiString unit = Field(r, fUnit);
    if (!Digits(unit)) return erNotDigit;
    const int unitNumber = StrToInt(unit);
    if (unitNumber > 0 && units.count(unitNumber - 1) == 0) return erBadUnit;
    const AnsiString tandem = Trim(Field(r, fTandem));
    if (!tandem.empty() && FGoods.count(tandem) == 0) return erNoTandem;
    return 0;
}

int TNovitusRegister::WriteGoods(const AnsiString& r) {
    if (r.size() != kGoodsRecord) return erBaseStructure;
    if (r.compare(0, 5, "DI#00") != 0) return erWrongTask;
    const AnsiString code = CodeOf(r);
    const char action = r[fAction.at];
    if (code.empty() || (action != '0' && action != '1')) return erBadChar;
    auto held = FGoods.find(code);
    if (action == '0') {
        if (held == FGoods.end()) return erNoSuchItem;
        FGoods.erase(held);
        return 0;
    }
    if (const int refusal = CheckGoods(r)) return refusal;
    if (held == FGoods.end() && FGoods.size() >= capacity) return erBaseFull;
    TGoods& goods = FGoods[code];
    if (goods.number == 0) goods.number = FNextNumber++;
    goods.record = r;
    goods.record.replace(fNumber.at, fNumber.width, Format("%5ld", goods.number));
    return 0;
}

int TNovitusRegister::WriteUnit(const AnsiString& r) {
    if (r.size() != kUnitRecord || r.compare(0, 5, "DI#01") != 0) return erWrongTask;
    const AnsiString slot = r.substr(5, 2);
    if (!Digits(slot) || StrToInt(slot) > 14) return erBadUnit;
    units[StrToInt(slot)] = r;
    return 0;
}

int TNovitusRegister::WriteEuro(const AnsiString& r) {
    long long rate = 0;
    if (r.size() != 12 || r.compare(0, 2, "D2") != 0 || !TryStrToInt64(Trim(r.substr(2)), rate) || rate < 0)
        return erNotDigit;
    euro = static_cast<unsigned long>(rate);
    return 0;
}

int TNovitusRegister::Reset(const AnsiString& id, long beg, long end) {
    if (id == "i" && beg == 1) FTotals.clear();
    if (id == "i" && beg == 6) FGoods.clear();
    return TRegisterState::Reset(id, beg, end);
}

bool TNovitusRegister::LoadKeyword(const std::vector<AnsiString>& w, const AnsiString& line) {
    const AnsiString& key = w[0];
    // The rest of the line after the keyword and n further words.
    auto rest = [&](size_t words) {
        size_t at = line.find(key) + key.size();
        for (size_t i = 0; i < words; ++i) at = line.find(w[i + 1], at) + w[i + 1].size();
        return at < line.size() ? Unescape(line.substr(at + 1)) : AnsiString();
    };
    if (key == "vat") {
        if (w.size() != 8) throw Exception("vat needs seven slots");
        for (size_t x = 0; x < 7; ++x) {
            int rate = 0;
            if (w[x + 1] == "-")
                vat[x] = kVatNone;
            else if (w[x + 1] == "FFFF")
                vat[x] = kVatExempt;
            else if (TryStrToInt(w[x + 1], rate) && rate >= 0 && rate <= 9999)
                vat[x] = rate;
            else
                throw Exception("bad VAT slot '" + w[x + 1] + "'");
        }
    } else if (key == "euro") {
        long double rate = 0;
        if (w.size() != 2 || !TryStrToFloat(w[1], rate) || rate < 0 || rate > 400000)
            throw Exception("euro needs a rate");
        euro = static_cast<unsigned long>(std::llround(static_cast<double>(rate) * 10000));
    } else if (key == "capacity") {
        long long n = 0;
        if (w.size() != 2 || !TryStrToInt64(w[1], n) || n < 0) throw Exception("capacity needs a number");
        capacity = static_cast<size_t>(n);
    } else if (key == "unit") {
        int slot = 0;
        if (w.size() < 2 || !TryStrToInt(w[1], slot) || slot < 0 || slot > 14) throw Exception("unit needs a slot");
        units[slot] = Format("DI#01%02d%-10s", slot, rest(1).c_str()).substr(0, kUnitRecord);
    } else if (key == "goods") {
        const AnsiString record = rest(0);
        if (WriteGoods(record) != 0) throw Exception("goods record refused");
    } else if (key == "total") {
        long long amount = 0;
        if (w.size() != 3 || !TryStrToInt64(w[2], amount)) throw Exception("total needs a code and an amount");
        SetTotal(Unescape(w[1]), amount);
    } else {
        return false;
    }
    return true;
}
