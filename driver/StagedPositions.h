#pragma once
// The positions of receipts analysed from the staging file, read from it again when their
// import buffer is written: the file holds them anyway until the import has succeeded, and a
// large import would otherwise keep a million positions in memory between analysis and
// writing.
#include <memory>
#include <vector>

#include "exchange/ReceiptStore.h"
#include "platform/File.h"

class TPacketParsers;

class TStagedPositions : public TPositionSource {
public:
    explicit TStagedPositions(TPacketParsers& parsers) : FParsers(parsers) {}

    // The staging file the receipts come from; opened when first read.
    void SetPath(const AnsiString& path);
    // Closes the file (before it is archived and deleted).
    void Close();
    void ReadPositions(long long from, long long to, size_t count, QVRParagon& receipt) override;

private:
    // The bytes [from, to) of the file, read ahead in large blocks: the receipts of a buffer
    // are asked for in the order of the file.
    std::string_view Bytes(long long from, long long to);

    TPacketParsers& FParsers;
    AnsiString FPath;
    std::unique_ptr<TMFile> FFile;
    std::vector<char> FWindow;
    long long FWindowFrom = 0;
};
