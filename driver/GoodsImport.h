#pragma once
// The register's goods list read back: raw into "inplu.exp" (extra function 0), or handed to
// the host goods by goods through its goods callback (extra function 2), with the register's
// VAT table, assortment groups and units read first so that each goods reaches the host with
// its rate, group and unit by name, and a log of the host's answers in "import.log". The same
// read feeds the export buffer's list of what the register holds.
#include <array>
#include <vector>

#include "platform/Strings.h"

class TQxNovitusECRAction;

// One goods record of the register ("I#00", 134 bytes with its start and end byte) as the
// host is given it.
struct TRegisterGoods {
    AnsiString name;  // Windows-1250, trailing spaces removed
    int number = 0;   // the register's goods number
    AnsiString code;  // trailing spaces removed, leading ones kept
    AnsiString groupName, unitName;
    int vatRate = 0;  // hundredths of a percent, -1 exempt
    float price = 0;  // currency units
    bool openPrice = false, package = false;
    AnsiString packageCode;
};

class TGoodsImport {
public:
    explicit TGoodsImport(TQxNovitusECRAction& action);

    void DownloadPluF7();
    // Reads the register's goods list; each record (start byte to end byte) is appended with
    // CR LF to the text buffer points to (when given) and to the export buffer's list of the
    // register's goods (when there is an export buffer).
    void DownloadPlu(AnsiString* buffer);
    void ImportPluF7();
    void ImportPlu();
    // The register's goods list reconciled with the export file already read.
    void CancelPluList();

    // The host's view of a goods record, by the lists read before; raises for a record of the
    // wrong length and for a goods number or flags field that is not a number.
    TRegisterGoods Decode(const AnsiString& record) const;

    // A rate the table cannot give: a slot that is not a number, or a letter without a slot.
    static constexpr int kNoRate = 9999;

    std::array<int, 7> vatTable;
    std::vector<AnsiString> asortNrList, asortNzList;  // group numbers (two characters) and names
    std::vector<AnsiString> jmNrList, jmNzList;        // unit numbers (slot + 1) and names

private:
    AnsiString Txt(const char* method, const char* piece, const char* defaultUtf8, int duplicate = 0) const;
    void RefuseFileMedium(const char* method) const;
    // Every record of a read transfer, each acknowledged as it comes.
    std::vector<AnsiString> ReadRecords(const char* id, long beg, long end);
    void ReadVatTable();
    // A list the register gives as numbered names (goods groups, units): read whole, every
    // record checked for its length, its number and name kept.
    struct TNamedList {
        const char* readingUtf8;  // the progress line
        const char* refusedUtf8;  // the error for a record of another length
        int duplicate;            // of both texts' translation keys
        const char* id;
        long beg, end;
        size_t recordSize;
        int namePosition, nameLength;
        AnsiString (*number)(const AnsiString& record);
        std::vector<AnsiString>& numbers;
        std::vector<AnsiString>& names;
    };
    void ReadNamedList(const TNamedList& list);
    void ReadGroups();
    void ReadUnits();
    void ImportGoods();
    AnsiString LogLine(const TRegisterGoods& goods, int result) const;
    // Register letters to the host's code page while names are read, back afterwards.
    void LettersIn();
    void LettersOut();
    void FreeLists();

    TQxNovitusECRAction& ksaction;
};
