#include "framework/QxAction.h"

#include <cctype>

#include "exchange/ExpBuf.h"
#include "exchange/ImpBuf.h"
#include "platform/DateTools.h"
#include "platform/Exceptions.h"
#include "platform/Os.h"
#include "platform/Translation.h"

namespace {
const char* const kCtxAction = "brevant_QxAction";
const char kValueMark = '\x01';

// The slot of a rate in an assignment's used slots, -1 when none holds it.
int FindSlot(const TQxStawkiKolejne& assignment, int rate) {
    for (int i = 0; i < assignment.IleUstawionych(); ++i)
        if (assignment.GetWartosci(i) == rate) return i;
    return -1;
}

// A translated pattern is used only when its conversions are those of the default, so a
// dictionary entry can never make the formatting read arguments that are not there.
AnsiString Conversions(const AnsiString& pattern) {
    AnsiString result;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%') continue;
        size_t j = i + 1;
        while (j < pattern.size() && !std::isalpha(static_cast<unsigned char>(pattern[j])) && pattern[j] != '%') ++j;
        while (j < pattern.size() && (pattern[j] == 'L' || pattern[j] == 'l' || pattern[j] == 'h')) ++j;
        if (j < pattern.size()) result += pattern.substr(i, j - i + 1) + "|";
        i = j;
    }
    return result;
}
}  // namespace

QxAction::QxAction(TQxHostLink* library, void* handle) : TQxActionBase(library, handle) {}

QxAction::~QxAction() = default;

AnsiString QxAction::ActionTxt(const char* cls, const char* method, const char* piece, const char* defaultUtf8,
                               int duplicate) {
    return Txt(kCtxAction, cls, method, piece, defaultUtf8, duplicate);
}

AnsiString QxAction::FNameLOG() { return FKatalogWymiany + "kasa.log"; }

void QxAction::ShowTowInfo(bool all) {
    if (!exp_buf) return;
    const struct {
        const char* piece;
        const char* text;
        int value;
    } rows[] = {
        {"dodania", u8" - do dodania", exp_buf->il_dod},
        {"nazwy", u8" - do zmiany nazwy/stawki", exp_buf->il_akt},
        {"ceny", u8" - do zmiany ceny", exp_buf->il_cen},
        {"usuniec", u8" - do usunięcia", exp_buf->il_usu},
    };
    for (const auto& row : rows) {
        if (!all && row.value == 0) continue;
        MsgAdd(ActionTxt("QxAction", "ShowTowInfo", row.piece, row.text), LPV_Value, 100);
        MsgP(row.value);
    }
}

void QxAction::ShowTotalValue(QxImpBuf* importBuffer) {
    QxImpBuf* buf = importBuffer ? importBuffer : imp_buf;
    if (!buf) return;
    const char* defaultPattern = u8" ------ WARTOŚĆ SPRZEDAŻY:     %.02Lf zł. %s ------";
    AnsiString pattern = ActionTxt("QxAction", "ShowTotalValue", "Format", defaultPattern);
    if (Conversions(pattern) != Conversions(Ansi(defaultPattern))) pattern = Ansi(defaultPattern);
    const AnsiString basis = buf->fisk_z_plu ? ActionTxt("QxAction", "ShowTotalValue", "wgPLU", u8"(w/g PLU)")
                                             : ActionTxt("QxAction", "ShowTotalValue", "wgfinans", u8"(w/g finans.)");
    const long double value = static_cast<long double>(buf->GetTotalValue()) / 100;
    MsgAdd(Format(pattern.c_str(), value, basis.c_str()), LPV_None, 100);
}

void QxAction::AddWarning(const AnsiString& text, TErrorLog* log) {
    if (log)
        log->Add(text);
    else
        MsgAdd(text, LPV_Warning, 100);
}

void QxAction::LogWarnings(TErrorLog* log, const AnsiString& prefix, const AnsiString& suffix, LPVState state) {
    if (!log || log->GetCount() == 0) return;
    MsgAdd(prefix + IntToStr(log->GetCount()) + suffix, state, 100);
    AnsiString line;
    bool end = log->GetFirst(line);
    for (int shown = 0; shown < 20;) {
        if (!line.empty()) MsgAdd(line, state, 100);
        ++shown;
        if (end) break;
        end = log->GetNext(line);
        if (end && line.empty()) break;
    }
    if (log->GetCount() > 20) MsgAdd(ActionTxt("QxAction", "LogWarnings", "itd", u8"i tak dalej..."), state, 100);
}

int QxAction::MessageBoxA(const AnsiString& text, const AnsiString& caption, int flags) {
    error_log.push_back(caption + " (" + text + ")");
    switch (flags & 0x0F) {
        case 0:
        case 1: return 1;  // OK
        case 2: return 5;  // Ignore
        case 3:
        case 5:
        case 6: return 2;   // Cancel
        case 4: return 7;   // No
        default: return 2;  // Cancel for anything else
    }
}

void QxAction::LogujOdrzuconePrzyEksporcie() {
    if (Frej_reported || !Fcokolwiek_eksportowano) return;
    Frej_reported = true;
    if (error_log.empty() && warning_log.empty()) return;
    const char* cls = "QxAction";
    const char* method = "LogujOdrzuconePrzyEksporcie";
    if (!error_log.empty()) {
        MsgAdd(ActionTxt(cls, method, "odrzucon", u8" - towary odrzucone"), LPV_Value, 100);
        MsgP(static_cast<int>(error_log.size()));
        for (size_t i = 0; i < error_log.size() && i < 10; ++i) DodajKomunikat(zkBlad, "..." + error_log[i]);
        if (error_log.size() > 10) DodajKomunikat(zkBlad, ActionTxt(cls, method, "itd", u8"i tak dalej..."));
    }
    if (!warning_log.empty()) {
        MsgAdd(ActionTxt(cls, method, "ostrzeze", u8" - ostrzeżenia"), LPV_Value, 100);
        MsgP(static_cast<int>(warning_log.size()));
        for (size_t i = 0; i < warning_log.size() && i < 10; ++i) DodajKomunikat(zkOstrzezenie, "..." + warning_log[i]);
        if (warning_log.size() > 10)
            DodajKomunikat(zkOstrzezenie, ActionTxt(cls, method, "itd", u8"i tak dalej...", 1));
    }
    FlushErrorLog(ActionTxt(cls, method, "Eksport", u8"Eksport danych z dnia ") +
                  TdtTools().ToString(TdtTools::fmt4YDateTime) +
                  ActionTxt(cls, method, "Towary", u8"\n\rTowary odrzucone i ostrzeżenia:"));
}

void QxAction::FlushErrorLog(const AnsiString& header) {
    TMFile file;
    file.SetPath(FNameLOG());
    file.SetReadOnly(false);
    file.Open();
    file.SetPointer(file.GetSize());
    file.WriteLine(AnsiString(80, '-'), "\r\n");
    file.WriteLine(header, "\r\n");
    for (const AnsiString& line : error_log) file.WriteLine(line, "\r\n");
    file.WriteLine("", "\r\n");
    file.Close();
    error_log.clear();
}

int QxAction::NumerStawki(int rate) {
    if (FLastNumer >= 0 && rate == FLastStawka) return FLastNumer;
    FLastNumer = FindSlot(GetStawkiKolejne(), rate);
    FLastStawka = FLastNumer < 0 ? 9999 : rate;
    return FLastNumer;
}

int QxAction::NumerStawkiPrec(int rate) {
    if (FLastNumerPrec >= 0 && rate == FLastStawkaPrec) return FLastNumerPrec;
    FLastNumerPrec = FindSlot(GetStawkiKolejnePrec(), rate);
    FLastStawkaPrec = FLastNumerPrec < 0 ? 9999 : rate;
    if (FLastNumerPrec >= 0) return FLastNumerPrec;
    const char* defaultPattern = u8"Niezdefiniowana stawka %.02f%%";
    AnsiString pattern = ActionTxt("QxAction", "NumerStawkiPrec", "Exception", defaultPattern);
    if (Conversions(pattern) != Conversions(Ansi(defaultPattern))) pattern = Ansi(defaultPattern);
    throw Exception(Format(pattern.c_str(), rate / 100.0));
}

int QxAction::WaitForFileState(const AnsiString& file, bool waitForRemoval, int timeoutSeconds) {
    const double start = Clock().Now();
    int pass = 1;
    for (;;) {
        const bool exists = Os().FileExists(file);
        if (waitForRemoval ? !exists : exists) return 1;
        if (CzyPrzerwac()) return 0;
        const AnsiString label = PodajOstatniKomunikat(true);
        if (timeoutSeconds > 0) {
            const long long elapsed = static_cast<long long>((Clock().Now() - start) / 0.0000115);
            const long long left = timeoutSeconds - elapsed;
            if (left < 1) return -1;
            ZmienOstatniKomunikat(zkInformacja, label + kValueMark + IntToStr(left));
        } else {
            ZmienOstatniKomunikat(zkInformacja, label + kValueMark + IntToStr(pass));
            ++pass;
        }
        Sleep(1000);
    }
}

AnsiString QxAction::ShortenPathName(const AnsiString& path) { return Os().ShortPathName(path); }
