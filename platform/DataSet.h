#pragma once
// The framework's in-memory dataset: typed, named fields, records addressed by position.
// A record is one block of bytes holding its values one after another in a compact form
// (small whole numbers in a byte or two, texts with their length), so a wide record costs
// little more than the text of its values and one allocation. The current record is taken
// apart field by field as its fields are read, and changes to it are put back, as one new
// block at most, when another record becomes current or the records are rearranged.
#include <map>
#include <memory>
#include <vector>

#include "platform/Strings.h"

enum TMFieldType { mftString, mftInteger, mftFloat, mftExtended, mftDateTime };

class TMCustomDataSet;

class TMField {
public:
    explicit TMField(TMCustomDataSet* owner) : FOwner(owner) {}
    void SetName(const AnsiString& name);
    const AnsiString& GetName() const { return FName; }
    // Sets the type; values the field held under another type are dropped.
    void SetType(TMFieldType type);
    TMFieldType GetType() const { return FType; }

    // Access to the value of the current record (EMException when there is none). Conversions
    // between field types follow the framework: numbers as decimal text (extended: the
    // shortest text that reads back to the same value, "." as the point), date-time as
    // "yyyy-mm-dd hh:nn:ss" (".zzz" added when there are milliseconds); text is read strictly
    // as a number or date (EConvertError), an empty text stored into a number field gives 0;
    // an extended value stored into an integer field is rounded half away from zero
    // (EConvertError outside the 64-bit range).
    AnsiString GetAsString() const;
    void SetAsString(const AnsiString& value);
    long long GetAsInteger() const;
    void SetAsInteger(long long value);
    long double GetAsExtended() const;
    void SetAsExtended(long double value);
    double GetAsDateTime() const;
    void SetAsDateTime(double value);

private:
    friend class TMCustomDataSet;
    friend class TMFields;
    // The value of the current record, as the field's type keeps it: whole numbers as
    // integers, the other numbers and date-times as numbers, texts as texts. The changing
    // forms mark the record changed.
    long long& Integer() const;
    long double& Number() const;
    AnsiString& Text() const;
    long long& ChangingInteger();
    long double& ChangingNumber();
    AnsiString& ChangingText();
    // Raises when the field belongs to no dataset.
    void CheckOwner() const;
    [[noreturn]] void NotInDataSet() const;
    TMCustomDataSet* FOwner;
    AnsiString FName;
    TMFieldType FType = mftString;
    size_t FIndex = 0;  // position in the field list
};

class TMFields {
public:
    explicit TMFields(TMCustomDataSet* owner) : FOwner(owner) {}
    TMField* Add();
    // Add() with the name and type set.
    TMField* Add(const AnsiString& name, TMFieldType type);
    TMField* GetFields(int index) const { return FItems.at(static_cast<size_t>(index)).get(); }
    int GetCount() const { return static_cast<int>(FItems.size()); }
    TMField* Find(const AnsiString& name) const;

private:
    friend class TMField;
    friend class TMCustomDataSet;
    TMCustomDataSet* FOwner;
    std::vector<std::unique_ptr<TMField>> FItems;
    std::map<AnsiString, TMField*> FByName;  // names compared case-insensitively (upper case)
};

class TMCustomDataSet {
public:
    TMCustomDataSet();
    virtual ~TMCustomDataSet();
    TMCustomDataSet(const TMCustomDataSet&) = delete;
    TMCustomDataSet& operator=(const TMCustomDataSet&) = delete;
    TMFields* GetFieldsList() { return &FFields; }
    TMFields& Fields() { return FFields; }
    void Open() { FActive = true; }
    void Close() { FActive = false; }
    bool GetActive() const { return FActive; }

    // Raises EMException when the field does not exist.
    TMField* FieldByName(const AnsiString& name) const;

    int GetCount() const { return static_cast<int>(FRows.size()); }
    int GetPosition() const { return static_cast<int>(FPosition); }
    // Raises EMException for a position outside 0 .. count-1.
    void SetPosition(int index);
    void First() { FPosition = 0; }
    void Next() {
        if (FPosition < FRows.size()) ++FPosition;
    }
    bool Eof() const { return FPosition >= FRows.size(); }
    // Adds an empty record at the end and makes it current.
    void Append();
    // Adds an empty record at the current position (at the end when positioned past it) and
    // makes it current.
    void Insert();
    // Removes the current record; the next one becomes current (Eof after the last one).
    // EMException when there is no current record.
    void Delete();
    // Removes all records; the field list stays.
    void Clear();

private:
    friend class TMField;
    friend class TMFields;
    // A record's block: the length of what follows, then each field's value in field order;
    // fields past the end hold their empty value. Null for a record of empty values only.
    using TRow = std::unique_ptr<unsigned char[]>;

    void CheckCurrent() const;
    // Makes the current record's value of field available in FIntegers, FNumbers or FTexts,
    // taken from its block on first use.
    void Take(size_t field) {
        if (FLoaded != FPosition || field >= FDecoded) Load(field);
    }
    void Load(size_t field);
    // Takes the current record's next field out of its block.
    void DecodeNext();
    // Sets field's value in the current record to the empty value of its type.
    void Empty(size_t field);
    // Puts changed values back into their record's block and forgets them.
    void Release();
    // Gives field another type in every record (its values become empty).
    void Retype(TMField& field, TMFieldType type);
    // Notes how each field is kept, after a field was added or retyped.
    void Layout();

    TMFields FFields;
    std::vector<TRow> FRows;
    size_t FPosition = 0;
    bool FActive = false;

    // The values of one record, by field, as far as they were taken from its block.
    static constexpr size_t kNone = static_cast<size_t>(-1);
    size_t FLoaded = kNone;
    std::vector<long long> FIntegers;
    std::vector<long double> FNumbers;
    std::vector<AnsiString> FTexts;
    size_t FDecoded = 0;  // fields taken so far
    size_t FOffset = 0;   // where the next one starts in the block
    size_t FLength = 0;   // the length of the block's values
    size_t FHeader = 0;   // and where they start
    bool FChanged = false;
    std::vector<unsigned char> FScratch;  // a block being written
    std::vector<unsigned char> FColumns;  // how each field is kept (integer, number, text)
    std::vector<size_t> FTextFields;      // the fields kept as texts
};

class TMDataSet : public TMCustomDataSet {};

inline long long& TMField::Integer() const {
    CheckOwner();
    FOwner->Take(FIndex);
    return FOwner->FIntegers[FIndex];
}

inline long double& TMField::Number() const {
    CheckOwner();
    FOwner->Take(FIndex);
    return FOwner->FNumbers[FIndex];
}

inline AnsiString& TMField::Text() const {
    CheckOwner();
    FOwner->Take(FIndex);
    return FOwner->FTexts[FIndex];
}

inline void TMField::CheckOwner() const {
    if (FOwner == nullptr) NotInDataSet();
}

inline long long& TMField::ChangingInteger() {
    long long& value = Integer();
    FOwner->FChanged = true;
    return value;
}

inline long double& TMField::ChangingNumber() {
    long double& value = Number();
    FOwner->FChanged = true;
    return value;
}

inline AnsiString& TMField::ChangingText() {
    AnsiString& value = Text();
    FOwner->FChanged = true;
    return value;
}
