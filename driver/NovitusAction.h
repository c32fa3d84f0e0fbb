#pragma once
// The action the Novitus library creates for every call: reads the driver's configuration,
// starts the communication log and runs the operation a code asks for.
#include <memory>
#include <vector>

#include "ecr/EcrChannel.h"
#include "ecr/EcrLink.h"
#include "ecr/EcrTransfers.h"
#include "framework/QxAction.h"

class QxImpBuf;

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

    // The register number check of the goods export, the sales import and the connection test.
    bool CheckNumber();

    // The channel (serial line, modem, TCP/IP or none for the file medium).
    void OpenPort();
    void ClosePort();
    TMBaudRate Speed();
    void SendData(const AnsiString& bytes) { channel.SendData(bytes); }
    int ReadByte(char& ch) { return channel.ReadByte(ch); }
    int ReadData(char* buf, int len) { return channel.ReadData(buf, len); }
    void Log(const AnsiString& direction, const AnsiString& data) { channel.Log(direction, data); }
    void Log(const AnsiString& direction, char byte) { channel.Log(direction, byte); }

    // The link protocol.
    static AnsiString CreatePacket(const AnsiString& data) { return TEcrLink::CreatePacket(data); }
    static unsigned short CalculateBCC(const char* data, int length) { return TEcrLink::CalculateBCC(data, length); }
    void SendPacket(const AnsiString& data) { link.SendPacket(data); }
    AnsiString ReadPacketNext(bool& eot) { return link.ReadPacketNext(eot); }
    void ThrowOnErrorPacket() { link.ThrowOnErrorPacket(); }
    void ResetCommunication() { link.ResetCommunication(); }
    void ThrowPrzerwac() { link.ThrowPrzerwac(); }
    void ArchiveReceivedPacket(const AnsiString& packet, const AnsiString& fileName) {
        link.ArchiveReceivedPacket(packet, fileName);
    }

    // Transfers of the register's data files.
    void BeginRead(const AnsiString& dataType, e_Resetting resetting, long rangeBeg, long rangeEnd) {
        transfers.BeginRead(dataType, resetting, rangeBeg, rangeEnd);
    }
    void BeginReset(const AnsiString& dataType, e_Resetting resetting, long rangeBeg, long rangeEnd) {
        transfers.BeginReset(dataType, resetting, rangeBeg, rangeEnd);
    }
    void BeginWrite(const AnsiString& dataType) { transfers.BeginWrite(dataType); }
    AnsiString ReadPacketSingle(const AnsiString& dataType, e_Resetting resetting, long rangeBeg, long rangeEnd) {
        return transfers.ReadPacketSingle(dataType, resetting, rangeBeg, rangeEnd);
    }

    TEcrChannel channel{this, tools};
    TEcrLink link{channel};
    TEcrTransfers transfers{link};

private:
    [[noreturn]] void NotAvailable(const char* what);
};
