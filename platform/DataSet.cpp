#include "platform/DataSet.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/DateTools.h"
#include "platform/Exceptions.h"
#include "platform/NumberTools.h"
#include "platform/Translation.h"

namespace {

[[noreturn]] void RaiseDataSetError(const AnsiString& description) {
    throw EMException(EM_DATASET_ERROR, Ansi("Błąd zbioru danych"), description);
}

enum TColumn { colString, colInteger, colNumber };

TColumn ColumnOf(TMFieldType type) {
    switch (type) {
        case mftString: return colString;
        case mftInteger: return colInteger;
        default: return colNumber;
    }
}

AnsiString PrintNumber(int precision, long double value) {
    char buffer[64];
    int n = std::snprintf(buffer, sizeof buffer, "%.*Lg", precision, value);
    if (n < 0) return AnsiString();
    return AnsiString(buffer, static_cast<size_t>(n) < sizeof buffer ? static_cast<size_t>(n) : sizeof buffer - 1);
}

// The shortest text that reads back as the same value. A value that is exactly a double is
// judged as a double, so 0.1 stored from a double reads "0.1" and not its long tail.
AnsiString NumberText(long double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (value == 0) return "0";
    const double asDouble = static_cast<double>(value);
    const bool isDouble = static_cast<long double>(asDouble) == value;
    const int maxPrecision = isDouble ? 17 : 21;
    int precision = 1;
    AnsiString text;
    for (; precision <= maxPrecision; ++precision) {
        text = PrintNumber(precision, value);
        bool same =
            isDouble ? std::strtod(text.c_str(), nullptr) == asDouble : std::strtold(text.c_str(), nullptr) == value;
        if (same) break;
    }
    // Whole numbers up to 21 digits are written out rather than as 1e+12.
    int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
    if (exponent >= precision && exponent < 21) text = PrintNumber(exponent + 1, value);
    for (char& c : text)
        if (c == ',') c = '.';
    return text;
}

long double ParseNumber(const AnsiString& text) { return text.empty() ? 0 : StrToFloat(text); }

long long ToInteger(long double value) {
    long double rounded = RoundHalfAway(value);
    if (!(rounded >= -9223372036854775807.0L - 1 && rounded < 9223372036854775808.0L))
        throw EConvertError(NumberText(value) + " is not a valid integer value");
    return static_cast<long long>(rounded);
}

AnsiString DateTimeText(double value) {
    TdtTools date(value);
    int y, m, d, h, n, s, ms;
    date.Decode(y, m, d, h, n, s, ms);
    return date.ToString(ms ? TdtTools::fmtSQLAnyDateTime : TdtTools::fmt4YDateTime);
}

double ParseDateTime(const AnsiString& text) {
    static const TdtTools::TdtFormat forms[] = {TdtTools::fmtSQLAnyDateTime, TdtTools::fmt4YDateTime,
                                                TdtTools::fmt4YDate, TdtTools::fmtDateTimeCompressed};
    TdtTools date(0.0);
    for (TdtTools::TdtFormat form : forms)
        if (date.TryFromString(text, form)) return date.Value();
    throw EConvertError("'" + text + "' is not a valid date and time");
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TMField

void TMField::SetName(const AnsiString& name) {
    if (FOwner == nullptr) {
        FName = name;
        return;
    }
    TMFields& fields = FOwner->FFields;
    auto it = fields.FByName.find(UpperCase(FName));
    if (it != fields.FByName.end() && it->second == this) {
        fields.FByName.erase(it);
        // Another field of the old name, if any, takes its place.
        for (const auto& other : fields.FItems)
            if (other.get() != this && SameText(other->FName, FName)) {
                fields.FByName.emplace(UpperCase(FName), other.get());
                break;
            }
    }
    FName = name;
    fields.FByName.emplace(UpperCase(name), this);  // the first field of a name is found
}

void TMField::SetType(TMFieldType type) {
    FType = type;
    size_t count = FOwner ? FOwner->FCount : 0;
    FStrings.clear();
    FIntegers.clear();
    FNumbers.clear();
    switch (ColumnOf(type)) {
        case colString: FStrings.resize(count); break;
        case colInteger: FIntegers.resize(count, 0); break;
        case colNumber: FNumbers.resize(count, 0); break;
    }
}

size_t TMField::Row() const {
    if (FOwner == nullptr) RaiseDataSetError(Ansi("Pole \"") + FName + Ansi("\" nie należy do zbioru"));
    FOwner->CheckCurrent();
    return FOwner->FPosition;
}

void TMField::InsertRow(size_t at) {
    switch (ColumnOf(FType)) {
        case colString: FStrings.insert(FStrings.begin() + static_cast<std::ptrdiff_t>(at), AnsiString()); break;
        case colInteger: FIntegers.insert(FIntegers.begin() + static_cast<std::ptrdiff_t>(at), 0); break;
        case colNumber: FNumbers.insert(FNumbers.begin() + static_cast<std::ptrdiff_t>(at), 0); break;
    }
}

void TMField::EraseRow(size_t at) {
    switch (ColumnOf(FType)) {
        case colString: FStrings.erase(FStrings.begin() + static_cast<std::ptrdiff_t>(at)); break;
        case colInteger: FIntegers.erase(FIntegers.begin() + static_cast<std::ptrdiff_t>(at)); break;
        case colNumber: FNumbers.erase(FNumbers.begin() + static_cast<std::ptrdiff_t>(at)); break;
    }
}

void TMField::EraseAll() {
    FStrings.clear();
    FIntegers.clear();
    FNumbers.clear();
}

AnsiString TMField::GetAsString() const {
    size_t row = Row();
    switch (FType) {
        case mftString: return FStrings[row];
        case mftInteger: return IntToStr(FIntegers[row]);
        case mftDateTime: return DateTimeText(static_cast<double>(FNumbers[row]));
        default: return NumberText(FNumbers[row]);
    }
}

void TMField::SetAsString(const AnsiString& value) {
    size_t row = Row();
    switch (FType) {
        case mftString: FStrings[row] = value; break;
        case mftInteger: FIntegers[row] = value.empty() ? 0 : StrToInt64(value); break;
        case mftDateTime: FNumbers[row] = value.empty() ? 0 : ParseDateTime(value); break;
        default: FNumbers[row] = ParseNumber(value); break;
    }
}

long long TMField::GetAsInteger() const {
    size_t row = Row();
    switch (FType) {
        case mftString: return StrToInt64(FStrings[row]);
        case mftInteger: return FIntegers[row];
        case mftDateTime: return ToInteger(std::trunc(FNumbers[row]));
        default: return ToInteger(FNumbers[row]);
    }
}

void TMField::SetAsInteger(long long value) {
    size_t row = Row();
    switch (FType) {
        case mftString: FStrings[row] = IntToStr(value); break;
        case mftInteger: FIntegers[row] = value; break;
        default: FNumbers[row] = static_cast<long double>(value); break;
    }
}

long double TMField::GetAsExtended() const {
    size_t row = Row();
    switch (FType) {
        case mftString: return StrToFloat(FStrings[row]);
        case mftInteger: return static_cast<long double>(FIntegers[row]);
        default: return FNumbers[row];
    }
}

void TMField::SetAsExtended(long double value) {
    size_t row = Row();
    switch (FType) {
        case mftString: FStrings[row] = NumberText(value); break;
        case mftInteger: FIntegers[row] = ToInteger(value); break;
        case mftFloat: FNumbers[row] = static_cast<double>(value); break;
        default: FNumbers[row] = value; break;
    }
}

double TMField::GetAsDateTime() const {
    size_t row = Row();
    switch (FType) {
        case mftString: return ParseDateTime(FStrings[row]);
        case mftInteger: return static_cast<double>(FIntegers[row]);
        default: return static_cast<double>(FNumbers[row]);
    }
}

void TMField::SetAsDateTime(double value) {
    size_t row = Row();
    switch (FType) {
        case mftString: FStrings[row] = DateTimeText(value); break;
        case mftInteger: FIntegers[row] = ToInteger(std::trunc(static_cast<long double>(value))); break;
        default: FNumbers[row] = value; break;
    }
}

// ---------------------------------------------------------------------------------------------
// TMFields

TMField* TMFields::Add() {
    FItems.push_back(std::make_unique<TMField>(FOwner));
    TMField* field = FItems.back().get();
    field->SetType(mftString);  // sized for the records already there
    return field;
}

TMField* TMFields::Add(const AnsiString& name, TMFieldType type) {
    TMField* field = Add();
    field->SetName(name);
    field->SetType(type);
    return field;
}

TMField* TMFields::Find(const AnsiString& name) const {
    auto it = FByName.find(UpperCase(name));
    return it == FByName.end() ? nullptr : it->second;
}

// ---------------------------------------------------------------------------------------------
// TMCustomDataSet

TMCustomDataSet::TMCustomDataSet() : FFields(this) {}

TMField* TMCustomDataSet::FieldByName(const AnsiString& name) const {
    TMField* field = FFields.Find(name);
    if (field == nullptr) RaiseDataSetError(Ansi("Pole \"") + name + Ansi("\" nie istnieje"));
    return field;
}

void TMCustomDataSet::CheckCurrent() const {
    if (FPosition >= FCount) RaiseDataSetError(Ansi("Brak bieżącego rekordu"));
}

void TMCustomDataSet::SetPosition(int index) {
    if (index < 0 || static_cast<size_t>(index) >= FCount)
        RaiseDataSetError(Format("%s %d (%s %d)", Ansi("Nie ma rekordu o numerze").c_str(), index,
                                 Ansi("liczba rekordów").c_str(), static_cast<int>(FCount)));
    FPosition = static_cast<size_t>(index);
}

void TMCustomDataSet::Append() {
    for (const auto& field : FFields.FItems) field->InsertRow(FCount);
    FPosition = FCount++;
}

void TMCustomDataSet::Insert() {
    size_t at = FPosition < FCount ? FPosition : FCount;
    for (const auto& field : FFields.FItems) field->InsertRow(at);
    ++FCount;
    FPosition = at;
}

void TMCustomDataSet::Delete() {
    CheckCurrent();
    for (const auto& field : FFields.FItems) field->EraseRow(FPosition);
    --FCount;
}

void TMCustomDataSet::Clear() {
    for (const auto& field : FFields.FItems) field->EraseAll();
    FCount = 0;
    FPosition = 0;
}
