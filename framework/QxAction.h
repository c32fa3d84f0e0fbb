#pragma once
// The layer every file-exchanging driver builds on: working file names, the exchange
// buffers, the tool set, lists of rejected goods and warnings, progress throttling and
// summaries, and a message box that never blocks.
#include <vector>

#include "ecr/LTools.h"
#include "framework/ActionBase.h"
#include "framework/ErrorLog.h"

class QxExpBuf;
class QxImpBuf;

class QxAction : public TQxActionBase {
public:
    QxAction(TQxHostLink* library, void* handle);
    ~QxAction() override;

    // Virtual operations added by this layer.
    virtual void FlushErrorLog(const AnsiString& header);
    virtual AnsiString FNameLOG();
    virtual int MessageBoxA(const AnsiString& text, const AnsiString& caption, int flags);

    // Working files in the exchange directory.
    AnsiString FNameKEXP() { return FKatalogWymiany + "kasa.exp"; }
    AnsiString FNameWEXP() { return FKatalogWymiany + "wynik.exp"; }
    AnsiString FNameKIMP() { return FKatalogWymiany + "kasa.imp"; }
    AnsiString FNameKARC() { return FKatalogWymiany + "arch1.imp"; }
    AnsiString FNamePAR() { return FKatalogWymiany + "paragon.imp"; }
    AnsiString FNamePARC() { return FKatalogWymiany + "archpar.imp"; }
    AnsiString FNameKEARC() { return FKatalogWymiany + "arch1.exp"; }
    AnsiString FNameKTMP() { return FKatalogWymiany + "kasa.tmp"; }
    AnsiString FNameIMP() { return FKatalogWymiany + "null.imp"; }
    AnsiString FNameEXP() { return FKatalogWymiany + "null.exp"; }

    // Progress and summaries.
    void Progress(int& counter) {
        // Called for every item of long runs: only the reported counts leave this line.
        ++counter;
        if (counter <= 30 || (counter <= 200 && counter % 10 == 0) || (counter > 200 && counter % 25 == 0))
            MsgP(counter);
    }
    void ShowTowInfo(bool all);
    void ShowTotalValue(QxImpBuf* importBuffer = nullptr);

    // Warnings and errors.
    void AddWarning(const AnsiString& text, TErrorLog* log);
    void LogWarnings(TErrorLog* log, const AnsiString& prefix, const AnsiString& suffix, LPVState state);
    void SetErrorLog(const AnsiString& text) { error_log.push_back(text); }
    void LogujOdrzuconePrzyEksporcie();

    // The register slot a host VAT rate is assigned to (whole percent, hundredths of a
    // percent). NumerStawki answers -1 for a rate without a slot; NumerStawkiPrec raises.
    int NumerStawki(int rate);
    int NumerStawkiPrec(int rate);

    int WaitForFileState(const AnsiString& file, bool waitForRemoval, int timeoutSeconds);
    AnsiString ShortenPathName(const AnsiString& path);

    bool Frej_reported = false;
    bool Fcokolwiek_eksportowano = false;
    AnsiString buffer;
    QxExpBuf* exp_buf = nullptr;
    QxImpBuf* imp_buf = nullptr;
    TLTools tools;
    std::vector<AnsiString> warning_log;
    std::vector<AnsiString> error_log;

protected:
    // The rates looked up last by NumerStawki and NumerStawkiPrec and the slots found for
    // them (-1: nothing remembered).
    int FLastStawka = 9999;
    int FLastStawkaPrec = 9999;
    int FLastNumer = -1;
    int FLastNumerPrec = -1;

    AnsiString ActionTxt(const char* cls, const char* method, const char* piece, const char* defaultUtf8,
                         int duplicate = 0);
};
