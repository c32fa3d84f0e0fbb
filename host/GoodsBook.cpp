#include "host/GoodsBook.h"

#include "host/FileInOneStep.h"

#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/Os.h"
#include "platform/OsFile.h"
#include "platform/Translation.h"

namespace {
// A value never breaks its line or its fields.
AnsiString Clean(AnsiString value) {
    for (char& c : value)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return value;
}

std::vector<AnsiString> Fields(const AnsiString& line) {
    std::vector<AnsiString> fields(1);
    for (char c : line)
        if (c == '\t')
            fields.emplace_back();
        else
            fields.back() += c;
    return fields;
}
}  // namespace

void TGoodsBook::Load() {
    goods.clear();
    if (!Os().FileExists(FPath)) return;
    std::vector<AnsiString> lines;
    TMFile::ReadStringsFromFile(FPath, lines);
    for (const AnsiString& line : lines) {
        const std::vector<AnsiString> f = Fields(line);
        if (f.size() != 10) continue;
        THostGoods g;
        g.code = f[0];
        g.goodsNumber = StrToIntDef(f[1], 0);
        g.name = f[2];
        g.groupName = f[3];
        g.unitName = f[4];
        g.vatRate = StrToIntDef(f[5], 0);
        g.prices[0] = g.prices[1] = g.prices[2] = g.prices[3] = CAtof(f[6]);
        g.openPrice = StrToIntDef(f[7], 0);
        g.package = StrToIntDef(f[8], 0);
        g.packageCode = f[9];
        goods[Trim(g.code)] = g;
    }
}

void TGoodsBook::Save() const {
    std::vector<AnsiString> lines;
    for (const auto& [code, g] : goods)
        lines.push_back(Clean(g.code) + "\t" + IntToStr(g.goodsNumber) + "\t" + Clean(g.name) + "\t" +
                        Clean(g.groupName) + "\t" + Clean(g.unitName) + "\t" + IntToStr(g.vatRate) + "\t" +
                        Format("%.2f", g.prices[0]) + "\t" + IntToStr(g.openPrice) + "\t" + IntToStr(g.package) + "\t" +
                        Clean(g.packageCode));
    SaveInOneStep(FPath, lines, u8"towarów");
}

int TGoodsBook::Take(const THostGoods& g) {
    auto it = goods.find(Trim(g.code));
    if (it == goods.end()) {
        goods[Trim(g.code)] = g;
        return 1;
    }
    if (g.overwrite == 0) return 0;
    it->second = g;
    return 2;
}

AnsiString TGoodsBook::AnswerText(int answer) {
    switch (answer) {
        case 1: return Ansi(u8"dodany");
        case 2: return Ansi(u8"zaktualizowany");
        case 0: return Ansi(u8"pominięty (jest już w kartotece)");
        default: return Ansi(u8"błąd");
    }
}
