#include "host/SalesReport.h"

#include "platform/Translation.h"

namespace {

std::vector<AnsiString> Fields(const AnsiString& line) {
    std::vector<AnsiString> fields;
    size_t start = 0;
    for (;;) {
        const size_t at = line.find(';', start);
        fields.push_back(line.substr(start, at == AnsiString::npos ? AnsiString::npos : at - start));
        if (at == AnsiString::npos) return fields;
        start = at + 1;
    }
}

long long Number(const AnsiString& text) {
    long long value = 0;
    return TryStrToInt64(Trim(text), value) ? value : 0;
}

const char* FormName(int form) {
    switch (form) {
        case 0: return u8"gotówka";
        case 1: return "bon";
        case 2: return "czek";
        case 3: return "karta";
        default: return "inne";
    }
}

AnsiString Forms(const std::map<int, long long>& byForm) {
    AnsiString text;
    for (const auto& [form, amount] : byForm) {
        if (!text.empty()) text += ", ";
        text += AnsiString(FormName(form)) + " " + TSalesReport::Money(amount);
    }
    return text.empty() ? AnsiString("-") : text;
}

AnsiString Pairs(const std::vector<std::pair<AnsiString, AnsiString>>& pairs, const char* separator) {
    AnsiString text;
    for (const auto& [name, value] : pairs) text += (text.empty() ? "" : ", ") + name + separator + value;
    return Cp1250ToUtf8(text);
}

}  // namespace

AnsiString TSalesReport::Money(long long grosze) {
    const long long whole = grosze < 0 ? -grosze : grosze;
    return Format("%s%lld,%02lld", grosze < 0 ? "-" : "", whole / 100, whole % 100);
}

TSalesReport::TSalesFile TSalesReport::ReadSalesFile(const AnsiString& text) {
    TSalesFile file;
    AnsiString section;
    TReceipt* receipt = nullptr;
    for (const AnsiString& line : SplitLines(text)) {
        if (StartsWith(line, "[")) {
            section = line;
            receipt = nullptr;
            continue;
        }
        const std::vector<AnsiString> f = Fields(line);
        if (section == "[TOWAROWE]" && f[0] == "PLU" && f.size() >= 5) {
            ++file.goodsLines;
            file.goodsValue += Number(f[4]);
        } else if (section == "[OPERACJE]" && f[0] == "KASPAR" && f.size() >= 3) {
            file.counters.emplace_back(f[1], f[2]);
        } else if (section == "[FINANSOWE]" && f.size() == 2) {
            file.finance.emplace_back(f[0], f[1]);
        } else if (section == "[STAN_KASY]" && f.size() == 2) {
            file.cash.emplace_back(f[0], f[1]);
        } else if (section == "[FLAGI]" && f[0] == "DATA_SPRZEDAZY" && f.size() == 2) {
            file.date = SubString(f[1], 1, 4) + "-" + SubString(f[1], 5, 2) + "-" + SubString(f[1], 7, 2);
        } else if (StartsWith(section, "[Paragon") && (f[0] == "TRN" || f[0] == "KSK") && f.size() >= 10) {
            file.receipts.emplace_back();
            receipt = &file.receipts.back();
            receipt->printout = static_cast<int>(Number(f[1]));
            receipt->number = static_cast<int>(Number(f[2]));
            receipt->positions = static_cast<int>(Number(f[3]));
            receipt->time = SubString(f[9], 9, 2) + ":" + SubString(f[9], 11, 2);
        } else if (receipt && f[0] == "PMT" && f.size() >= 4) {
            const long long amount = Number(f[2]) * Number(f[3]) / 100;
            const int form = static_cast<int>(Number(f[1]));
            receipt->total += amount;
            receipt->byForm[form] += amount;
            file.total += amount;
            file.byForm[form] += amount;
        }
    }
    return file;
}

AnsiString TSalesReport::Render(const TSalesFile& file, const AnsiString& where) {
    AnsiString out = u8"Sprzedaż z dnia " + file.date + " -> " + where + "\n";
    for (const TReceipt& r : file.receipts)
        out += Format("  paragon W%-6d P%-5d %s  %2d poz. %10s zł  ", r.printout, r.number, r.time.c_str(), r.positions,
                      Money(r.total).c_str()) +
               (r.byForm.empty() ? AnsiString(u8"anulowany") : Forms(r.byForm)) + "\n";
    out += Format("  razem %d paragonów: %s zł; ", static_cast<int>(file.receipts.size()), Money(file.total).c_str()) +
           Forms(file.byForm) + "\n";
    out += Format("  towary: %d linii, %s zł\n", file.goodsLines, Money(file.goodsValue).c_str());
    out += "  raport kasy: " + Pairs(file.finance, " ") + "\n";
    if (!file.cash.empty()) out += "  stan kasy: " + Pairs(file.cash, " ") + "\n";
    if (!file.counters.empty()) out += "  liczniki dla hosta: " + Pairs(file.counters, "=") + "\n";
    return out;
}

AnsiString TSalesReport::RenderReceipt(const AnsiString& text, const AnsiString& where) {
    AnsiString out = "Paragon -> " + where + "\n";
    for (const AnsiString& line : SplitLines(text)) {
        const std::vector<AnsiString> f = Fields(line);
        if (f[0] != "PAR" || f.size() < 7) continue;
        const AnsiString code = f[2].empty() ? f[1] : f[2];
        const long long quantity = Number(f[3]);
        out += Format("  W%s  %-18s %9.3f x  %10s zł  rabat %s\n", f[6].c_str(), Cp1250ToUtf8(code).c_str(),
                      static_cast<double>(quantity) / 1000, Money(Number(f[4])).c_str(), Money(Number(f[5])).c_str());
    }
    return out;
}

AnsiString TSalesReport::RenderOrder(const AnsiString& text, const AnsiString& where) {
    AnsiString number, lines;
    for (const AnsiString& line : SplitLines(text)) {
        if (StartsWith(line, "NrDok:")) number = line.substr(6);
        if (StartsWith(line, "IloscLinii:")) lines = line.substr(11);
    }
    return u8"Zamówienie " + Cp852ToUtf8(number) + " (" + lines + " linii) -> " + where + "\n";
}
