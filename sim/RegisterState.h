#pragma once
// The simulated register's data: its data files, each a list of records (the data of one
// frame each) kept in order with a number, what write transfers stored, and what reset
// transfers clear. It loads from and saves to a small text file:
//
//     # comment
//     file <id> [ranged] [reset]   a data file; ranged: reads filter records by number;
//                                  reset: a reset file (transfers of type "2" clear data)
//     number <n>                   number of the next record (later ones count up from it)
//     record <data>                a record; the rest of the line, trailing blanks included
//     error <hh>                   start packets naming the file are refused with this code
//     reset <begin> <id> ...       a reset transfer from <begin> clears these files
//     sales <days>[x<receipts>]    the register sells that many days when it starts
//
// A derived register may take further keywords of its own (LoadKeyword).
//
// Records and identifiers may hold any bytes but CR and LF; "\xNN" writes any byte and "\\"
// a backslash. The rules that serve, store and clear records are virtual, so a register
// with record-level behaviour derives from this class.
#include <functional>
#include <map>
#include <vector>

#include "platform/Strings.h"

struct TSimRecord {
    long number = 0;
    AnsiString data;
    unsigned long long uid = 0;  // identity within the state, for clearing what was served
};

struct TSimFile {
    AnsiString id;
    bool ranged = false;
    bool reset = false;
    int errorCode = -1;               // -1: start packets are accepted
    long nextNumber = 0;              // number of the next record added
    std::vector<TSimRecord> records;  // served by read transfers
    std::vector<AnsiString> written;  // every record a write transfer stored, in order
};

class TRegisterState {
public:
    TRegisterState();
    virtual ~TRegisterState();

    // Replaces the state by the text's content; raises Exception("line N: ...") on errors.
    void Load(const AnsiString& text);
    void LoadFile(const AnsiString& path);
    AnsiString Save() const;

    TSimFile& File(const AnsiString& id);  // created when missing
    const TSimFile* FindFile(const AnsiString& id) const;
    // Appends a record; number -1 takes the file's next number.
    void AddRecord(const AnsiString& id, const AnsiString& data, long number = -1);
    std::vector<AnsiString> Records(const AnsiString& id) const;
    std::vector<AnsiString> Written(const AnsiString& id) const;
    void SetError(const AnsiString& id, int code) { File(id).errorCode = code; }
    void SetResetRule(long begin, const std::vector<AnsiString>& ids) { FResetRules[begin] = ids; }
    const std::map<long, std::vector<AnsiString>>& ResetRules() const { return FResetRules; }

    // Record rules. Codes returned are the register's error codes, 0 for success.
    // The file is a reset file: its transfers of type "2" are reset transfers.
    virtual bool IsResetFile(const AnsiString& id) const;
    // The register has a file by this identifier: one of its own data files, or one the
    // state holds.
    virtual bool Knows(const AnsiString& id) const;
    // The code refusing a start packet for the file, 0 to accept it.
    virtual int StartError(const AnsiString& id, char type, long beg, long end) const;
    // The records a read transfer sends (beg and end -1: no bound).
    virtual std::vector<TSimRecord> Serve(const AnsiString& id, long beg, long end) const;
    // A resetting read sent these records and the driver took them all: clear them.
    virtual void Consume(const AnsiString& id, const std::vector<TSimRecord>& served);
    // A write transfer's record.
    virtual int Write(const AnsiString& id, const AnsiString& data);
    // A reset transfer.
    virtual int Reset(const AnsiString& id, long beg, long end);

    // A line whose keyword the base does not know: true when taken; raises Exception with the
    // reason for a bad line.
    virtual bool LoadKeyword(const std::vector<AnsiString>& words, const AnsiString& line) { return false; }
    // Load replaces the state: a derived register empties its own data here.
    virtual void ClearData() {}
    // The sales the register file asks for ("sales" line); empty when none.
    AnsiString salesSpec;
    // Runs after a resetting read cleared what it served, with the file's identifier: rules
    // that follow the data (the receipt buffer's status) hang here.
    std::function<void(TRegisterState& state, const AnsiString& id)> onConsumed;

    // "\xNN" and "\\" escapes.
    static AnsiString Unescape(const AnsiString& text);
    static AnsiString Escape(const AnsiString& bytes);

private:
    std::map<AnsiString, TSimFile> FFiles;
    std::vector<AnsiString> FOrder;  // file order, for saving
    std::map<long, std::vector<AnsiString>> FResetRules;
    unsigned long long FNextUid = 1;
};
