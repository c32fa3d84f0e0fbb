#pragma once
// The sales import: the register's receipts or sales counters, its orders, cashiers' report,
// cash report and last fiscal report are first staged packet by packet in "novitus.imp"; the
// staging file is then analysed into one import buffer per sales date, each written as
// "kasa.imp" and handed to the host, and deleted only when all of that has succeeded. A
// staging file left by a failed import is analysed first by the next one.
#include <functional>
#include <memory>
#include <vector>

#include "driver/EdiOrders.h"
#include "driver/PacketParsers.h"
#include "driver/StagedPositions.h"
#include "driver/StagingFile.h"
#include "ecr/EcrTransfers.h"
#include "platform/DateTools.h"

class TQxNovitusECRAction;
class QxImpBuf;

class TSalesImport {
public:
    explicit TSalesImport(TQxNovitusECRAction& action)
        : FAction(action), FStaging(action), FParsers(action), FOrders(action), FStagedPositions(FParsers) {}

    void Import();

    // The read steps: each only adds to the staging file.
    void ReadSaleFromECR();
    void ReadReceiptsFromECR();
    void ReadOrdersFromECR();
    void ReadCashierStatusFromECR();
    void ReadCashReportFromECR();
    void ReadFiscalReportFromECR();

    // Analyses the staging file, hands the buffers over, converts the orders, then archives
    // and deletes the staging file.
    void ImportFromFile();
    // Its first part: every line of the file into the action's import buffers, the receipt
    // under assembly and the order text.
    void Analyse(const AnsiString& fileName);

    // Makes the buffer of the date's day current, creating it when there is none.
    void ImpBufsSubstitute(const TdtTools& date);
    void ImpBufSetStandardFlags();
    // Writes and hands over every buffer in order of creation, then releases them.
    void ImpBufsSave();

private:
    // Channel open, register checked, every configured read step.
    void ReadFromECR();
    // The packets of an open read transfer until the register's EOT, each non-empty one to
    // onPacket. For a resetting read, beforeEnd and then the staging file's sync run before
    // the EOT is answered.
    void ReadPackets(e_Resetting resetting, const std::function<void(const AnsiString&)>& onPacket,
                     const std::function<void()>& beforeEnd = {});
    // A whole read transfer whose packets go to the staging file, counted as progress.
    void ReadTransfer(const AnsiString& dataType, e_Resetting resetting, long rangeBeg, long rangeEnd);
    // A read step's body: its message marked as an error when it fails.
    void Step(const std::function<void()>& body);
    // The current buffer, made for the current date when there is none.
    QxImpBuf& CurrentBuffer();
    void AnalyseLine(std::string_view line);
    // A receipt line ("k" records while receipts are the source of sales), as most lines
    // are: neither blank, nor a separator, nor too short for a record.
    bool IsReceiptLine(std::string_view line) const {
        return line.size() >= 5 && line[1] == 'k' && static_cast<unsigned char>(line[0]) > ' ' && line[0] != '-' &&
               FReceiptsAreSales;
    }
    void AnalyseReceiptLine(std::string_view line);
    void AnalyseOtherLine(const AnsiString& line);
    // The counters a taken receipt leaves in its buffer for the host. They take their place
    // among its parameters with its first receipt, and their values when the analysis ends:
    // a hundred thousand receipts need not write them a hundred thousand times.
    void NoteCounters(QxImpBuf& buf, int printout, int receipt);
    AnsiString Text(const char* method, const char* piece, const char* defaultUtf8, int duplicate = 0) const;

    TQxNovitusECRAction& FAction;
    TStagingFile FStaging;
    TPacketParsers FParsers;
    TEdiOrders FOrders;
    // The analysed receipts' positions, read again from the staging file for writing.
    TStagedPositions FStagedPositions;

    // State of one analysis.
    int FLineNumber = 0;
    AnsiString FLine;  // the line whose analysis failed
    int FTango = 0;
    bool FReceiptsAreSales = false;  // the configured source of sales is receipts
    bool FImportOrders = true;
    double FEuroRate = 1;
    NvReceipt FReceipt;
    long long FReceiptFrom = 0;  // where the lines of the receipt under assembly begin
    long long FLineEnd = 0;      // where the line being analysed ends
    double FPositionsValue = 0;
    AnsiString FOrderText;
    struct TCounters {
        QxImpBuf* buf;
        int printout, receipt;  // receipt 0: none yet
    };
    std::vector<TCounters> FCounters;
    // The day of the buffer ImpBufsSubstitute chose last, with the buffer and its date.
    void Remember(double day);
    const QxImpBuf* FDayOf = nullptr;
    double FDayOfDate = 0, FDay = 0;
};
