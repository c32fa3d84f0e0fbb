#pragma once
// The action the Novitus library creates for every call: reads the driver's configuration,
// starts the communication log and runs the operation a code asks for.
#include <memory>
#include <vector>

#include "framework/QxAction.h"

class QxImpBuf;

enum e_Medium { md_file = 0, md_rs232 = 1, md_tcpip = 2 };

class TQxNovitusECRAction : public QxAction {
public:
    TQxNovitusECRAction(TQxHostLink* library, void* handle);
    ~TQxNovitusECRAction() override;

    AnsiString NazwaZasobuDzielonego() override;
    bool JakSzukacParagonu(int* a, int* b, int* c) override;
    void Operacja(HQVRDLLSRODOWISKO* environment, int code, int parameter) override;
    AnsiString WlasciwosciUrzadzenia(int property) override;
    AnsiString FNameLOG() override;

    void ReadParams();
    void LogInit();
    void DodFuncExecute(int parameter);
    void ImpBufsDelete();

    // The goods-import dialog of extra function 2; true when confirmed.
    bool ShowImportDialog();

    // Operations.
    void TestConnection();
    void Eksport();
    void Import();
    void ImportParagonu();
    void DownloadPluF7();
    void ResetSaleF7();
    void ImportPluF7();

    // Configuration read by ReadParams.
    e_Medium cfgMedium = md_file;
    bool cfgUseLog = false;
    int cfgIpTimeoutMs = 0;
    AnsiString cfgEdiFolder;
    int cfgPoziomCen = 0;
    bool cfgPluAutoRepeat = false;
    bool cfgPriceOpenD41 = false;
    int cfgReceiptDetails = 1;
    AnsiString cfgCardParseMask;
    int cfgEksportKeyCode = 0;
    bool cfgCheckZeroes = false;
    int cfgSaleSource = 0;
    int cfgIdControl = 0;

    std::vector<std::unique_ptr<QxImpBuf>> imp_bufs;
    unsigned vatRates[7] = {0, 0, 0, 0, 0, 0, 0};
    std::vector<AnsiString> unitMap;
    std::unique_ptr<TErrorLog> logError;
    bool importOverwrite = false;
    bool importLogFile = false;

    // The connection text: address:port for TCP/IP, else the port parameter itself.
    AnsiString ConnectionText();

private:
    [[noreturn]] void NotAvailable(const char* what);
};
