#include "sim/SalesDay.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/DateTools.h"
#include "platform/Hex.h"
#include "platform/Translation.h"

namespace {

// Euro rate as the register keeps it: złoty per euro times 10000.
const long long kEuroRate = 43215;

struct TBuiltIn {
    const char* code;
    const char* name;
    long long price;
    bool weighed, package;
    const char* packageCode;
};

// A small grocery for a register that holds no goods of its own.
const TBuiltIn kGrocery[] = {
    {"5900512300108", u8"Mleko 2% 1l", 349, false, false, ""},
    {"5900259000019", u8"Chleb żytni 500g", 599, false, false, ""},
    {"5901234123457", u8"Masło extra 200g", 799, false, false, ""},
    {"5900820000011", u8"Woda mineralna 1,5l", 229, false, false, ""},
    {"5907069000017", u8"Jogurt naturalny", 199, false, false, ""},
    {"5901111111114", u8"Piwo jasne 0,5l", 449, false, false, "5900000000502"},
    {"5900000000502", u8"Butelka zwrotna 0,5l", 50, false, true, ""},
    {"2100011", u8"Ser gouda", 3290, true, false, ""},
    {"2100028", u8"Szynka wiejska", 4590, true, false, ""},
    {"2100035", u8"Jabłka", 399, true, false, ""},
};

// Puts text at a position (from 1) of a record, which grows with blanks as needed.
void Place(AnsiString& record, int position, const AnsiString& text) {
    const size_t at = static_cast<size_t>(position - 1);
    if (record.size() < at + text.size()) record.resize(at + text.size(), ' ');
    record.replace(at, text.size(), text);
}

AnsiString Digits(long long value, int width) { return Format("%0*lld", width, value < 0 ? -value : value); }

AnsiString Fit(const AnsiString& text, int width) {
    AnsiString out = text.substr(0, static_cast<size_t>(width));
    out.resize(static_cast<size_t>(width), ' ');
    return out;
}

AnsiString Right(const AnsiString& text, int width) {
    AnsiString out = text.substr(0, static_cast<size_t>(width));
    return AnsiString(static_cast<size_t>(width) - out.size(), ' ') + out;
}

// "yyyymmddhhnn" of a date-time.
AnsiString Minutes(double when) { return TdtTools(when).ToString(TdtTools::fmtDateTimeCompressed).substr(0, 12); }

}  // namespace

struct TSalesDay::TLine {
    int kind;  // 0 voided, 1 sale, 2 bottle sold, 3 bottle returned
    AnsiString code;
    int decimals;
    long long raw, price, value;
    long long Thousandths() const {
        return decimals >= 3 ? raw : raw * (decimals == 0 ? 1000 : decimals == 1 ? 100 : 10);
    }
};

struct TSalesDay::TReceipt {
    std::vector<TLine> lines;
    AnsiString card, nip;
    bool cancelled = false;
    long number = 0, printout = 0;
    double when = 0;
    int cashier = 1;
    long long total = 0, card_ = 0, euro = 0;
};

struct TSalesDay::TCashier {
    long long cash = 0, cards = 0, voidedValue = 0, voided = 0, cancelled = 0, cancelledValue = 0, euroCents = 0;
};

TSalesDay::TSalesDay(TRegisterState& state) : FState(state) {
    long last = 0;
    for (const AnsiString& record : FState.Records("p"))
        last = std::max(last, std::atol(SubString(record, 24, 10).c_str()));
    if (const TSimFile* receipts = FState.FindFile("k#00"))
        for (const TSimRecord& r : receipts->records) last = std::max(last, r.number);
    FNextPrintout = (last > 0 ? last : 100) + 1;
    FCashiers.resize(2);
    FState.onConsumed = [this](TRegisterState&, const AnsiString& id) { OnConsumed(id); };
}

TSalesDay::~TSalesDay() { FState.onConsumed = nullptr; }

bool TSalesDay::ParsePlan(const AnsiString& plan, int& days, int& receiptsPerDay) {
    const size_t x = plan.find('x');
    receiptsPerDay = 8;
    if (!TryStrToInt(plan.substr(0, x), days) || days < 1 || days > 31) return false;
    if (x != AnsiString::npos &&
        (!TryStrToInt(plan.substr(x + 1), receiptsPerDay) || receiptsPerDay < 1 || receiptsPerDay > 100000))
        return false;
    return true;
}

std::vector<TSalesDay::TGoods> TSalesDay::Goods() const {
    std::map<AnsiString, TGoods> byCode;
    for (const AnsiString& record : FState.Records("I#00")) {
        // A goods record as the driver sends it: "DI#00", the action, the code and the rest.
        if (record.size() < 107 || record.compare(0, 5, "DI#00") != 0 || record[5] == '0') continue;
        TGoods g;
        g.code = Trim(SubString(record, 7, 18));
        if (g.code.empty()) continue;
        g.name = TrimRight(SubString(record, 30, 40));
        g.price = std::atoll(SubString(record, 70, 10).c_str());
        unsigned long long flags = 0;
        ReadHex(SubString(record, 82, 4), flags);
        g.package = (flags & 0x02) != 0;
        g.weighed = !g.package && SubString(record, 81, 1) > "0";
        g.packageCode = Trim(SubString(record, 90, 18));
        byCode[g.code] = g;
    }
    std::vector<TGoods> goods;
    for (const auto& item : byCode)
        if (item.second.price > 0) goods.push_back(item.second);
    if (!goods.empty()) return goods;
    for (const TBuiltIn& b : kGrocery)
        goods.push_back({b.code, Utf8ToCp852(b.name), b.price, b.weighed, b.package, b.packageCode});
    return goods;
}

TSalesDay::TReceipt TSalesDay::MakeReceipt(const std::vector<TGoods>& goods, double when, bool cancelled) {
    std::vector<const TGoods*> sold, bottles;
    for (const TGoods& g : goods) (g.package ? bottles : sold).push_back(&g);
    if (sold.empty()) sold = bottles;
    auto pick = [&](const std::vector<const TGoods*>& from) { return from[FRandom() % from.size()]; };
    TReceipt r;
    r.when = when;
    r.cancelled = cancelled;
    r.cashier = 1 + static_cast<int>(FRandom() % 2);
    const int count = 1 + static_cast<int>(FRandom() % 5);
    for (int i = 0; i < count; ++i) {
        const TGoods& g = *pick(sold);
        TLine line{1, g.code, 0, 1 + static_cast<long long>(FRandom() % 3), g.price, 0};
        if (g.weighed) {
            line.decimals = 3;
            line.raw = 150 + static_cast<long long>(FRandom() % 1350);
        }
        line.value = (g.price * line.Thousandths() + 500) / 1000;
        if (FRandom() % 6 == 0) line.value -= line.value / 10;  // a discount
        r.lines.push_back(line);
        // Goods in a returnable bottle come with it.
        for (const TGoods* bottle : bottles)
            if (!g.packageCode.empty() && bottle->code == g.packageCode)
                r.lines.push_back({2, bottle->code, 0, line.raw, bottle->price, bottle->price * line.raw});
    }
    if (!bottles.empty() && FRandom() % 5 == 0) {
        const TGoods& bottle = *pick(bottles);
        const long long pieces = 1 + static_cast<long long>(FRandom() % 3);
        r.lines.push_back({3, bottle.code, 0, pieces, bottle.price, bottle.price * pieces});
    }
    if (FRandom() % 4 == 0) {
        const TGoods& g = *pick(sold);
        r.lines.insert(r.lines.begin(), TLine{0, g.code, 0, 1, g.price, g.price});  // a voided line
    }
    for (const TLine& line : r.lines)
        r.total += line.kind == 1 || line.kind == 2 ? line.value : line.kind == 3 ? -line.value : 0;
    if (r.total <= 0) {
        const TGoods& g = *pick(sold);
        r.lines.push_back({1, g.code, 0, 1, g.price, g.price});
        r.total += g.price;
    }
    if (FRandom() % 3 == 0) {
        // A discount card of the default mask: 99, the customer, expiry, level, check digit.
        AnsiString card = "99" + Digits(1 + FRandom() % 999, 6) + "712" + Digits(FRandom() % 10, 1);
        int sum = 0;
        for (size_t k = 0; k < 12; ++k) sum += (card[k] - '0') * (k % 2 == 0 ? 1 : 3);
        r.card = card + static_cast<char>('0' + (10 - sum % 10) % 10);
    }
    if (FRandom() % 7 == 0) r.nip = "5260250274";
    if (!cancelled) {
        const int way = static_cast<int>(FRandom() % 10);
        if (way >= 5 && way <= 7) r.card_ = r.total;
        if (way == 8) r.card_ = r.total / 2;
        if (way == 9) r.euro = r.total;
    }
    return r;
}

void TSalesDay::Record(const TReceipt& r) {
    std::vector<AnsiString> records;
    for (const TLine& l : r.lines)
        records.push_back(Format("Dk%d", l.kind) + Right(l.code, 18) + " " + Digits(l.decimals, 1) + Digits(l.raw, 10) +
                          Digits(l.price, 10) + Digits(l.value, 10));
    if (!r.card.empty()) records.push_back("Dk5" + Right(r.card, 18) + "000");
    if (!r.nip.empty()) records.push_back("Dk8" + Fit(r.nip, 16) + "0");
    if (r.cancelled) records.push_back("Dk4   " + Digits(r.number, 10) + Digits(r.printout, 10) + Digits(r.total, 10));
    AnsiString close = "Dk#004000" + Digits(r.number, 10) + Digits(r.printout, 10) + Minutes(r.when).substr(0, 8) +
                       Minutes(r.when).substr(8, 4) + Digits(r.cashier, 1) + "01" + "0" + Digits(r.total, 10) +
                       Digits(0, 10);
    // Cheque, card, vouchers, other form 6, other form 5 (euro), three values not used.
    for (long long paid : {0LL, r.card_, 0LL, 0LL, r.euro, 0LL, 0LL, 0LL}) close += Digits(paid, 10);
    records.push_back(close);
    for (const AnsiString& record : records) FState.AddRecord("k#00", record, r.printout);

    TCashier& cashier = FCashiers[static_cast<size_t>(r.cashier - 1)];
    for (const TLine& l : r.lines)
        if (l.kind == 0) {
            cashier.voided += 1;
            cashier.voidedValue += l.value;
        }
    if (r.cancelled) {
        cashier.cancelled += 1;
        cashier.cancelledValue += r.total;
        return;
    }
    cashier.cash += r.total - r.card_ - r.euro;
    cashier.cards += r.card_;
    cashier.euroCents += r.euro * 10000 / kEuroRate;
    FCards += r.card_;
    FEuroPln += r.euro;
    for (const TLine& l : r.lines) {
        if (l.kind == 1) {
            auto& counter = FCounters[l.code];
            counter.first += l.Thousandths();
            counter.second += l.value;
            FGross += (l.price * l.Thousandths() + 500) / 1000;
            FNet += l.value;
        } else if (l.kind == 2) {
            FPackaging[l.code].soldValue += l.value;
            FPackaging[l.code].soldPieces += l.raw;
        } else if (l.kind == 3) {
            FPackaging[l.code].returnedValue += l.value;
            FPackaging[l.code].returnedPieces += l.raw;
        }
    }
}

TSalesDay::TSale TSalesDay::Sell(int days, int receiptsPerDay, double today) {
    if (today == 0) today = TdtTools().Value();
    FState.File("k#00").ranged = true;
    FState.File("n#00").ranged = true;
    const std::vector<TGoods> goods = Goods();
    for (const TGoods& g : goods) FNames[g.code] = g.name;
    TSale sale;
    sale.firstPrintout = FNextPrintout;
    for (int day = days - 1; day >= 0; --day) {
        const double date = std::floor(today) - day;
        FPayIns += 20000;  // the morning's float
        FPayOuts += 5000;
        for (int i = 0; i < receiptsPerDay; ++i) {
            // Spread over the shop's hours, 8:00 to 20:00.
            const double when = date + (8.0 + 12.0 * i / receiptsPerDay) / 24.0;
            TReceipt r = MakeReceipt(goods, when, i == 3);
            r.number = FNextReceipt++;
            r.printout = FNextPrintout++;
            Record(r);
            ++sale.receipts;
        }
    }
    sale.lastPrintout = FNextPrintout - 1;
    WriteCounters();
    WriteReports(today);
    WriteOrders(today);
    UpdateStatus();
    return sale;
}

void TSalesDay::WriteCounters() {
    FState.File("U").records.clear();
    for (const auto& [code, counter] : FCounters)
        FState.AddRecord("U", "DU" + Right(code, 18) + Fit(FNames[code], 18) + Digits(counter.second, 20) +
                                  Digits(counter.first, 20) + AnsiString(15, '0'));
    FState.File("d").records.clear();
    for (const auto& [code, p] : FPackaging)
        FState.AddRecord("d", "Dd" + Right(code, 18) + Fit(FNames[code], 18) + Digits(p.soldValue, 20) +
                                  Digits(p.soldPieces, 20) + Digits(p.returnedValue, 20) +
                                  Digits(p.returnedPieces, 20));
}

void TSalesDay::WriteReports(double today) {
    FState.File("n#00").records.clear();
    long number = 0;
    for (const TCashier& c : FCashiers) {
        AnsiString record = "Dn#00" + Digits(number + 1, 2);
        Place(record, 8, c.cash < 0 ? "-" : " ");
        Place(record, 9, Digits(c.cash, 20));
        for (int position : {29, 89, 429, 449}) Place(record, position, Digits(0, 20));
        Place(record, 49, Digits(c.cards, 20));
        Place(record, 169, Digits(c.voidedValue, 20));
        Place(record, 229, Digits(c.cancelled, 10));
        Place(record, 239, Digits(c.voided, 10));
        Place(record, 309, Digits(c.cancelledValue, 20));
        Place(record, 339, Digits(c.euroCents, 20));
        Place(record, 359, Digits(c.euroCents, 20));
        Place(record, 469, "0");
        FState.AddRecord("n#00", record, number++);
    }
    AnsiString cash = "Do#00";
    for (int position = 7; position <= 447; position += 20) Place(cash, position, Digits(0, 20));
    Place(cash, 47, Digits(FCards, 20));
    Place(cash, 67, Digits(FEuroPln, 20));
    Place(cash, 127, Digits(FPayIns, 20));
    Place(cash, 147, Digits(FPayOuts, 20));
    Place(cash, 187, Digits(FGross, 20));
    Place(cash, 207, Digits(FNet, 20));
    FState.File("o#00").records.clear();
    FState.AddRecord("o#00", cash, 0);

    FState.File("L").records.clear();
    FState.AddRecord("L", "DL" + Minutes(today));
    if (FState.Records("2").empty()) FState.AddRecord("2", "D2" + Digits(kEuroRate, 10));
    ++FFiscalReports;
    const AnsiString yesterday = TdtTools(std::floor(today) - 1).ToString(TdtTools::fmtDateTimeCompressed);
    FState.File("x").records.clear();
    FState.AddRecord("x", "Dx " + yesterday.substr(2, 6) + " " + Digits(40 + FFiscalReports, 10) + "0000000000");
    FState.File("w").records.clear();
    FState.AddRecord("w", "Dw" + Digits(0, 18) + Digits(FNet, 10) + "0000000000");
}

void TSalesDay::WriteOrders(double today) {
    const TSimFile* orders = FState.FindFile("$#01");
    if (orders && orders->errorCode >= 0) return;  // a register that keeps no orders
    std::vector<TGoods> goods = Goods();
    for (int n = 0; n < 2; ++n) {
        const int lines = 2 + n;
        AnsiString header = "D$#0102";
        Place(header, 8, Digits(FNextOrder++, 10));
        Place(header, 18, Fit(Utf8ToCp852(n == 0 ? u8"Sklep Pod Lipą" : u8"Delikatesy Żabka"), 20));
        Place(header, 38, "ZAM ");
        Place(header, 42, Minutes(today));
        Place(header, 54, Fit(Utf8ToCp852(u8"Dostawa do 10:00"), 20));
        Place(header, 74, Digits(lines, 10));
        Place(header, 84, Minutes(std::floor(today) + 1 + 8.0 / 24));
        Place(header, 96, Fit(n == 0 ? "5260250274" : "", 11));
        Place(header, 107, Right(n == 0 ? "17" : "", 10));
        Place(header, 176, " ");
        FState.AddRecord("$#01", header);
        for (int i = 0; i < lines; ++i) {
            const TGoods& g = goods[FRandom() % goods.size()];
            FState.AddRecord("$#01", "D$#001" + Right(g.code, 18) + Digits(1000 * (1 + FRandom() % 12), 10));
        }
    }
}

void TSalesDay::UpdateStatus() {
    long oldest = 0, youngest = 0, used = 0;
    if (const TSimFile* receipts = FState.FindFile("k#00"))
        for (const TSimRecord& r : receipts->records) {
            oldest = oldest == 0 ? r.number : std::min(oldest, r.number);
            youngest = std::max(youngest, r.number);
            used += static_cast<long>(r.data.size()) + 2;
        }
    TSimFile& status = FState.File("p");
    if (status.records.empty()) FState.AddRecord("p", "p01" + AnsiString(30, ' ') + "VKA120034503100205TH-58000000");
    AnsiString& record = status.records.front().data;
    const long free = std::max(0L, kBufferBytes - used);
    Place(record, 4, Format("%10ld%10ld%10ld", free, oldest, youngest));
}

void TSalesDay::OnConsumed(const AnsiString& id) {
    if (id == "k#00") UpdateStatus();
    if (id == "U") FCounters.clear();
    if (id == "d") FPackaging.clear();
    if (id == "o#00") FPayIns = FPayOuts = FCards = FEuroPln = FGross = FNet = 0;
}
