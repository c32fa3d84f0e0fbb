#pragma once
// The framework's in-memory dataset: typed, named fields, records addressed by position.
// Values are kept column by column, so wide tables of many records stay compact; a column
// grows in blocks, so appending records never moves the values already stored.
#include <deque>
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
    size_t Row() const;
    void InsertRow(size_t at);
    void EraseRow(size_t at);
    void EraseAll();
    TMCustomDataSet* FOwner;
    AnsiString FName;
    TMFieldType FType = mftString;
    std::deque<AnsiString> FStrings;
    std::deque<long long> FIntegers;
    std::deque<long double> FNumbers;  // float, extended and date-time fields
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
    virtual ~TMCustomDataSet() = default;
    TMFields* GetFieldsList() { return &FFields; }
    TMFields& Fields() { return FFields; }
    void Open() { FActive = true; }
    void Close() { FActive = false; }
    bool GetActive() const { return FActive; }

    // Raises EMException when the field does not exist.
    TMField* FieldByName(const AnsiString& name) const;

    int GetCount() const { return static_cast<int>(FCount); }
    int GetPosition() const { return static_cast<int>(FPosition); }
    // Raises EMException for a position outside 0 .. count-1.
    void SetPosition(int index);
    void First() { FPosition = 0; }
    void Next() {
        if (FPosition < FCount) ++FPosition;
    }
    bool Eof() const { return FPosition >= FCount; }
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
    void CheckCurrent() const;
    TMFields FFields;
    size_t FCount = 0;
    size_t FPosition = 0;
    bool FActive = false;
};

class TMDataSet : public TMCustomDataSet {};
