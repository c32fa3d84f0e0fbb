#include "host/ExportReport.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/Translation.h"

namespace {
const char kMark = '\x01';

std::vector<AnsiString> FileLines(const AnsiString& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    const AnsiString text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return SplitLines(text);
}

AnsiString Word(const AnsiString& line, int index) {
    size_t from = 0;
    for (int i = 0; i < index; ++i) {
        from = line.find(';', from);
        if (from == AnsiString::npos) return "";
        ++from;
    }
    return line.substr(from, line.find(';', from) - from);
}

AnsiString Label(const AnsiString& text) { return text.substr(0, text.find(kMark)); }

AnsiString Value(const AnsiString& text) {
    const size_t mark = text.find(kMark);
    return mark == AnsiString::npos ? AnsiString() : text.substr(mark + 1);
}

// A summary line: the label padded to its column (UTF-8 letters count one column each).
AnsiString Row(const AnsiString& label, const AnsiString& value) {
    size_t width = 0;
    for (unsigned char c : label) width += (c & 0xC0) != 0x80;
    return "  " + label + AnsiString(width < 28 ? 29 - width : 1, ' ') + value + "\n";
}
}  // namespace

TExportReport::TExportReport(const AnsiString& exchange) : FExchange(exchange) {
    for (const AnsiString& raw : FileLines(exchange + "kasa.exp")) {
        const AnsiString line = Trim(raw);
        const AnsiString kind = Word(line, 0);
        if (kind == "PLU") {
            ++goods;
            if (!Word(line, 16).empty()) ++tandemGoods;
        } else if (kind == "JM") {
            ++units;
        } else if (StartsWith(kind, "EUR")) {
            euroWord = Word(line, 1);
        }
    }
    FPasses[Ansi(u8"Programowanie towarów:")].total = goods - tandemGoods;
    FPasses[Ansi(u8"Programowanie tandemów:")].total = tandemGoods;
}

THostMessage TExportReport::Decorate(const THostMessage& message, bool changed) {
    const AnsiString label = Label(message.text);
    if (label == Ansi(u8"Programowanie jednostek miary:")) FUnitsSent = Value(message.text);
    if (StartsWith(label, Ansi(u8"Odczyt kursu euro")) || StartsWith(label, Ansi(u8"Programowanie kursu euro")) ||
        StartsWith(label, Ansi(u8"Nie można zaprogramować kursu euro")))
        FEuroState = message.text;
    auto pass = FPasses.find(label);
    int done = 0;
    if (pass == FPasses.end() || !TryStrToInt(Value(message.text), done)) return message;
    if (!changed) pass->second.start = TClock::now();
    const double seconds = std::chrono::duration<double>(TClock::now() - pass->second.start).count();
    AnsiString value = Format("%d/%d", done, pass->second.total);
    if (done > 0 && seconds > 0.5) {
        const double rate = done / seconds;
        const long left = static_cast<long>((pass->second.total - done) / rate + 0.5);
        value += Format(Ansi(u8"  %.1f rek./s  pozostało %ld:%02ld").c_str(), rate, left / 60, left % 60);
    }
    THostMessage shown = message;
    shown.text = label + kMark + value;
    return shown;
}

AnsiString TExportReport::Summary() const {
    const int sent = static_cast<int>(FileLines(FExchange + "wynik.exp").size());
    // Refusals by reason: the text in the last parentheses of each warning line.
    std::map<AnsiString, int> reasons;
    const std::vector<AnsiString> refused = FileLines(FExchange + "errors.txt");
    for (const AnsiString& line : refused) {
        const size_t open = line.rfind('(');
        const AnsiString reason = open == AnsiString::npos ? line : line.substr(open + 1, line.size() - open - 2);
        ++reasons[reason];
    }
    AnsiString euro = u8"bez kursu w pliku";
    if (!euroWord.empty()) {
        euro = Format("%.4f", CAtof(euroWord) / 10000);
        if (FEuroState.empty())
            euro += u8" (nie programowany: NovitusECRProgEuro wyłączone)";
        else if (StartsWith(Label(FEuroState), Ansi(u8"Nie można")))
            euro += " (" + Cp1250ToUtf8(FEuroState) + ")";
        else if (StartsWith(Label(FEuroState), Ansi(u8"Programowanie")))
            euro += u8" (zaprogramowany)";
        else
            euro += u8" (kasa ma ten sam kurs)";
    }
    AnsiString text = u8"\nPodsumowanie eksportu\n";
    text += Row(u8"towary wysłane do kasy:", Format("%d z %d", sent, goods));
    text += Row(u8"odrzucone:", IntToStr(static_cast<long long>(refused.size())));
    for (const auto& [reason, count] : reasons) text += Row("", Format("%5d x ", count) + Cp1250ToUtf8(reason));
    text += Row(u8"jednostki miary:", Format(u8"%s wysłane z %d", FUnitsSent.c_str(), units));
    text += Row(u8"kurs euro:", euro);
    std::error_code ec;
    const auto result = std::filesystem::absolute(std::filesystem::path(FExchange + "wynik.exp"), ec);
    text += Row(u8"wynik eksportu:", Cp1250ToUtf8(ec ? FExchange + "wynik.exp" : result.string()));
    return text;
}
