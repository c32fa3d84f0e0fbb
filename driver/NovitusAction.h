#pragma once
// The action the Novitus library creates for every call: reads the driver's configuration,
// starts the communication log and runs the operation a code asks for.
#include <functional>
#include <memory>
#include <vector>

#include "ecr/EcrChannel.h"
#include "ecr/EcrLink.h"
#include "ecr/EcrTransfers.h"
#include "exchange/ImpBuf.h"
#include "framework/QxAction.h"

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

    // The connection text: address:port for TCP/IP, else the port parameter itself.
    AnsiString ConnectionText();

    // The register number check of the goods export, the sales import and the connection test.
    bool CheckNumber();

    // The sales import's working files in the exchange directory: the staging file of the
    // packets received, its archive, the warning list and one order under conversion.
    AnsiString FNameIMP() { return FKatalogWymiany + "novitus.imp"; }
    AnsiString FNameARC() { return FKatalogWymiany + "arch.imp"; }
    AnsiString FNameERL() { return FKatalogWymiany + "errors.txt"; }
    AnsiString FNameORD() { return FKatalogWymiany + "order.imp"; }

    // The sales import's buffers, one per sales date in order of creation (imp_buf is the
    // current one), and the operation's warning list (null when it could not be created).
    std::vector<std::unique_ptr<QxImpBuf>> imp_bufs;
    std::unique_ptr<TErrorLog> logError;
    // Releases every import buffer without saving it.
    void ImpBufsDelete();

    // The channel (serial line, modem, TCP/IP or none for the file medium); its parameters
    // are read when it opens.
    void OpenPort();
    void ClosePort();

    // Transfers and packets, for the operations.
    AnsiString ReadPacketSingle(const AnsiString& dataType, e_Resetting resetting, long rangeBeg, long rangeEnd) {
        return transfers.ReadPacketSingle(dataType, resetting, rangeBeg, rangeEnd);
    }
    void BeginRead(const AnsiString& dataType, e_Resetting resetting, long rangeBeg, long rangeEnd) {
        transfers.BeginRead(dataType, resetting, rangeBeg, rangeEnd);
    }
    AnsiString ReadPacketNext(bool& eot) { return link.ReadPacketNext(eot); }
    void ArchiveReceivedPacket(const AnsiString& packet, const AnsiString& fileName) {
        link.ArchiveReceivedPacket(packet, fileName);
    }
    void ThrowPrzerwac() { link.ThrowPrzerwac(); }
    // What runs when the register ends a read transfer, before the driver answers it.
    void SetBeforeEndOfTransfer(std::function<void()> hook) { link.beforeEndOfTransfer = std::move(hook); }

private:
    TEcrChannel channel{this, tools};
    TEcrLink link{channel};
    TEcrTransfers transfers{link};

    [[noreturn]] void NotAvailable(const char* what);
};
