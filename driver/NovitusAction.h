#pragma once
// The action the Novitus library creates for every call: reads the driver's configuration,
// starts the communication log and runs the operation a code asks for.
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "ecr/EcrChannel.h"
#include "ecr/EcrLink.h"
#include "ecr/EcrTransfers.h"
#include "exchange/ImpBuf.h"
#include "framework/ErrorLog.h"
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
    void DownloadPlu(AnsiString* buffer);
    void ImportPlu();
    void CancelPluList();

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
    // The goods-import choices, read by the import from the dialog's two parameters.
    bool importOverwrite = false;
    bool importLogFile = false;

    // The connection text: address:port for TCP/IP, else the port parameter itself.
    AnsiString ConnectionText();

    // The register number check of the goods export, the sales import and the connection test.
    bool CheckNumber();

    // The register's VAT table, slots A to G: hundredths of a percent, 0xFFFF for the exempt
    // slot, 9999 for a slot that is not a number.
    std::array<unsigned, 7> vatRates{};
    // Host unit id = register unit slot, one line each; built anew by every goods export.
    std::vector<AnsiString> unitMap;

    // The sales import's working files in the exchange directory: the staging file of the
    // packets received, its archive, the warning list and one order under conversion.
    AnsiString FNameIMP() { return FKatalogWymiany + "novitus.imp"; }
    AnsiString FNameARC() { return FKatalogWymiany + "arch.imp"; }
    AnsiString FNameERL() { return FKatalogWymiany + "errors.txt"; }
    AnsiString FNameORD() { return FKatalogWymiany + "order.imp"; }
    // The register's goods list as read by extra function 0.
    AnsiString FNameINP() { return FKatalogWymiany + "inplu.exp"; }

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

    // Transfers and the link, for the operations.
    void BeginRead(const AnsiString& id, e_Resetting r, long beg, long end) { transfers.BeginRead(id, r, beg, end); }
    void BeginReset(const AnsiString& id, e_Resetting r, long beg, long end) { transfers.BeginReset(id, r, beg, end); }
    void BeginWrite(const AnsiString& id) { transfers.BeginWrite(id); }
    AnsiString ReadPacketSingle(const AnsiString& id, e_Resetting r, long beg, long end) {
        return transfers.ReadPacketSingle(id, r, beg, end);
    }
    AnsiString ReadPacketNext(bool& eot) { return link.ReadPacketNext(eot); }
    void SendPacket(const AnsiString& data) { transfers.SendPacket(data); }
    // How long a write transfer may wait for its next record before a new one is opened for
    // it; below the register's own wait (tests shorten both).
    void SetMaxWriteIdleMs(unsigned ms) { transfers.maxWriteIdleMs = ms; }
    void ResetCommunication() { link.ResetCommunication(); }
    void ThrowPrzerwac() { link.ThrowPrzerwac(); }
    void ArchiveReceivedPacket(const AnsiString& packet, const AnsiString& fileName) {
        link.ArchiveReceivedPacket(packet, fileName);
    }
    // What runs when the register ends a read transfer, before the driver answers it.
    void SetBeforeEndOfTransfer(std::function<void()> hook) { link.beforeEndOfTransfer = std::move(hook); }

private:
    TEcrChannel channel{this, tools};
    TEcrLink link{channel};
    TEcrTransfers transfers{link};
};
