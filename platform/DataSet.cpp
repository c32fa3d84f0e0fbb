#include "platform/DataSet.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// ---------------------------------------------------------------------------------------------
// The values in a record's block. Whole numbers are written 7 bits to a byte, low bits first,
// the high bit saying that more follow; signed ones with the sign as their lowest bit, so
// that small negative numbers stay short too.

const size_t kLongestVarint = 10;
// Room enough for any value but the bytes of a text.
const size_t kLongestValue = 1 + sizeof(long double) + kLongestVarint;

// Writes value into out (room for kLongestVarint bytes); returns the bytes written.
size_t PutVarint(unsigned char* out, unsigned long long value) {
    size_t n = 0;
    while (value >= 0x80) {
        out[n++] = static_cast<unsigned char>(value | 0x80);
        value >>= 7;
    }
    out[n++] = static_cast<unsigned char>(value);
    return n;
}

unsigned long long GetVarint(const unsigned char*& p) {
    unsigned long long value = 0;
    for (int shift = 0;; shift += 7) {
        const unsigned char byte = *p++;
        value |= static_cast<unsigned long long>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) return value;
    }
}

unsigned long long FoldSign(long long value) {
    const unsigned long long bits = static_cast<unsigned long long>(value);
    return value < 0 ? ~(bits << 1) : bits << 1;
}

long long UnfoldSign(unsigned long long code) {
    return (code & 1) ? static_cast<long long>(~(code >> 1)) : static_cast<long long>(code >> 1);
}

// A number is kept whole when it is, else as a double when that holds it exactly, else in
// full; the first byte says which.
enum : unsigned char { numWhole, numDouble, numExtended };

// Writes value into out (room for kLongestValue bytes); returns the bytes written. The tests
// go by double where they can: the processor's extended arithmetic is slow.
size_t PutNumber(unsigned char* out, long double value) {
    const double asDouble = static_cast<double>(value);
    if (static_cast<long double>(asDouble) == value) {
        const double kWholeLimit = 4611686018427387904.0;  // 2^62
        if (std::fabs(asDouble) < kWholeLimit) {
            const long long whole = static_cast<long long>(asDouble);
            if (static_cast<double>(whole) == asDouble && !(whole == 0 && std::signbit(asDouble))) {
                out[0] = numWhole;
                return 1 + PutVarint(out + 1, FoldSign(whole));
            }
        }
        out[0] = numDouble;
        std::memcpy(out + 1, &asDouble, sizeof asDouble);
        return 1 + sizeof asDouble;
    }
    out[0] = numExtended;
    std::memcpy(out + 1, &value, sizeof value);
    return 1 + sizeof value;
}

long double GetNumber(const unsigned char*& p) {
    const unsigned char kind = *p++;
    if (kind == numWhole) return static_cast<long double>(UnfoldSign(GetVarint(p)));
    if (kind == numDouble) {
        double value = 0;
        std::memcpy(&value, p, sizeof value);
        p += sizeof value;
        return value;
    }
    long double value = 0;
    std::memcpy(&value, p, sizeof value);
    p += sizeof value;
    return value;
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
    if (FOwner == nullptr)
        FType = type;
    else
        FOwner->Retype(*this, type);
}

void TMField::NotInDataSet() const { RaiseDataSetError(Ansi("Pole \"") + FName + Ansi("\" nie należy do zbioru")); }

AnsiString TMField::GetAsString() const {
    switch (FType) {
        case mftString: return Text();
        case mftInteger: return IntToStr(Integer());
        case mftDateTime: return DateTimeText(static_cast<double>(Number()));
        default: return NumberText(Number());
    }
}

// Conversions that can fail run before the value is touched: a failed one leaves it as it was.
void TMField::SetAsString(const AnsiString& value) {
    switch (FType) {
        case mftString: ChangingText() = value; break;
        case mftInteger: {
            Integer();  // no current record: that error first
            const long long number = value.empty() ? 0 : StrToInt64(value);
            ChangingInteger() = number;
            break;
        }
        case mftDateTime: {
            Number();
            const double date = value.empty() ? 0 : ParseDateTime(value);
            ChangingNumber() = date;
            break;
        }
        default: {
            Number();
            const long double number = ParseNumber(value);
            ChangingNumber() = number;
            break;
        }
    }
}

long long TMField::GetAsInteger() const {
    switch (FType) {
        case mftString: return StrToInt64(Text());
        case mftInteger: return Integer();
        case mftDateTime: return ToInteger(std::trunc(Number()));
        default: return ToInteger(Number());
    }
}

void TMField::SetAsInteger(long long value) {
    switch (FType) {
        case mftString: ChangingText() = IntToStr(value); break;
        case mftInteger: ChangingInteger() = value; break;
        default: ChangingNumber() = static_cast<long double>(value); break;
    }
}

long double TMField::GetAsExtended() const {
    switch (FType) {
        case mftString: return StrToFloat(Text());
        case mftInteger: return static_cast<long double>(Integer());
        default: return Number();
    }
}

void TMField::SetAsExtended(long double value) {
    switch (FType) {
        case mftString: {
            Text();
            ChangingText() = NumberText(value);
            break;
        }
        case mftInteger: {
            Integer();
            const long long number = ToInteger(value);
            ChangingInteger() = number;
            break;
        }
        case mftFloat: ChangingNumber() = static_cast<double>(value); break;
        default: ChangingNumber() = value; break;
    }
}

double TMField::GetAsDateTime() const {
    switch (FType) {
        case mftString: return ParseDateTime(Text());
        case mftInteger: return static_cast<double>(Integer());
        default: return static_cast<double>(Number());
    }
}

void TMField::SetAsDateTime(double value) {
    switch (FType) {
        case mftString: ChangingText() = DateTimeText(value); break;
        case mftInteger: {
            Integer();
            const long long number = ToInteger(std::trunc(static_cast<long double>(value)));
            ChangingInteger() = number;
            break;
        }
        default: ChangingNumber() = value; break;
    }
}

// ---------------------------------------------------------------------------------------------
// TMFields

TMField* TMFields::Add() {
    // Records already there hold the new field's empty value: it lies past their blocks' end.
    if (FOwner != nullptr) FOwner->Release();
    FItems.push_back(std::make_unique<TMField>(FOwner));
    TMField* field = FItems.back().get();
    field->FIndex = FItems.size() - 1;
    if (FOwner != nullptr) FOwner->Layout();
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

TMCustomDataSet::~TMCustomDataSet() = default;

TMField* TMCustomDataSet::FieldByName(const AnsiString& name) const {
    TMField* field = FFields.Find(name);
    if (field == nullptr) RaiseDataSetError(Ansi("Pole \"") + name + Ansi("\" nie istnieje"));
    return field;
}

void TMCustomDataSet::CheckCurrent() const {
    if (FPosition >= FRows.size()) RaiseDataSetError(Ansi("Brak bieżącego rekordu"));
}

void TMCustomDataSet::SetPosition(int index) {
    if (index < 0 || static_cast<size_t>(index) >= FRows.size())
        RaiseDataSetError(Format("%s %d (%s %d)", Ansi("Nie ma rekordu o numerze").c_str(), index,
                                 Ansi("liczba rekordów").c_str(), GetCount()));
    FPosition = static_cast<size_t>(index);
}

void TMCustomDataSet::Layout() {
    FColumns.clear();
    FTextFields.clear();
    for (const auto& field : FFields.FItems) {
        FColumns.push_back(static_cast<unsigned char>(ColumnOf(field->FType)));
        if (FColumns.back() == colString) FTextFields.push_back(FColumns.size() - 1);
    }
}

void TMCustomDataSet::Load(size_t field) {
    CheckCurrent();
    if (FLoaded != FPosition) {
        Release();
        FLoaded = FPosition;
        const size_t fields = FColumns.size();
        FIntegers.resize(fields);
        FNumbers.resize(fields);
        FTexts.resize(fields);
        FDecoded = 0;
        FOffset = 0;
        const unsigned char* block = FRows[FLoaded].get();
#if defined(__GNUC__)
        // Records are mostly walked in order: the next block is fetched into the cache while
        // this one is read.
        if (FLoaded + 1 < FRows.size()) __builtin_prefetch(FRows[FLoaded + 1].get());
#endif
        const unsigned char* values = block;
        FLength = block != nullptr ? GetVarint(values) : 0;
        FHeader = static_cast<size_t>(values - block);
    }
    while (FDecoded <= field) DecodeNext();
}

void TMCustomDataSet::Empty(size_t field) {
    switch (FColumns[field]) {
        case colString: FTexts[field].clear(); break;
        case colInteger: FIntegers[field] = 0; break;
        case colNumber: FNumbers[field] = 0; break;
    }
}

void TMCustomDataSet::DecodeNext() {
    const size_t field = FDecoded++;
    if (FOffset >= FLength) {
        Empty(field);  // past the block's end
        return;
    }
    const unsigned char* p = FRows[FLoaded].get() + FHeader;
    const unsigned char* at = p + FOffset;
    switch (FColumns[field]) {
        case colString: {
            const size_t size = static_cast<size_t>(GetVarint(at));
            FTexts[field].assign(reinterpret_cast<const char*>(at), size);
            at += size;
            break;
        }
        case colInteger: FIntegers[field] = UnfoldSign(GetVarint(at)); break;
        case colNumber: FNumbers[field] = GetNumber(at); break;
    }
    FOffset = static_cast<size_t>(at - p);
}

void TMCustomDataSet::Release() {
    if (FLoaded == kNone) return;
    if (FChanged) {
        const size_t fields = FColumns.size();
        while (FDecoded < fields) DecodeNext();
        // Each value written as its field's type keeps it; empty values at the end left out.
        size_t room = fields * kLongestValue;
        for (size_t k : FTextFields) room += FTexts[k].size();
        if (FScratch.size() < room) FScratch.resize(room);
        unsigned char* const start = FScratch.data();
        unsigned char* out = start;
        size_t used = 0;
        for (size_t k = 0; k < fields; ++k) {
            bool empty = false;
            switch (FColumns[k]) {
                case colString: {
                    const AnsiString& text = FTexts[k];
                    out += PutVarint(out, text.size());
                    if (!text.empty()) std::memcpy(out, text.data(), text.size());
                    out += text.size();
                    empty = text.empty();
                    break;
                }
                case colInteger:
                    out += PutVarint(out, FoldSign(FIntegers[k]));
                    empty = FIntegers[k] == 0;
                    break;
                case colNumber:
                    out += PutNumber(out, FNumbers[k]);
                    empty = FNumbers[k] == 0 && !std::signbit(FNumbers[k]);
                    break;
            }
            if (!empty) used = static_cast<size_t>(out - start);
        }
        const size_t length = used;
        TRow& row = FRows[FLoaded];
        if (length == 0) {
            row.reset();
        } else {
            unsigned char header[kLongestVarint];
            const size_t headerSize = PutVarint(header, length);
            const unsigned char* old = row.get();
            const size_t oldLength = old != nullptr ? GetVarint(old) : 0;
            // The same length keeps the block; another takes a new one.
            if (row == nullptr || oldLength != length) {
                row.reset(new unsigned char[headerSize + length]);
                std::memcpy(row.get(), header, headerSize);
            }
            std::memcpy(row.get() + headerSize, FScratch.data(), length);
        }
    }
    FLoaded = kNone;
    FChanged = false;
}

void TMCustomDataSet::Retype(TMField& field, TMFieldType type) {
    Release();
    const TMFieldType old = field.FType;
    const size_t position = FPosition;
    for (size_t r = 0; r < FRows.size(); ++r) {
        // Read with the old type, write with the new one.
        field.FType = old;
        Layout();
        FPosition = r;
        Load(FFields.FItems.size() - 1);
        field.FType = type;
        Layout();
        Empty(field.FIndex);
        FChanged = true;
        Release();
    }
    field.FType = type;
    Layout();
    FPosition = position;
}

void TMCustomDataSet::Append() {
    Release();
    FRows.emplace_back();
    FPosition = FRows.size() - 1;
    // A new record holds empty values only: they need no taking apart.
    FLoaded = FPosition;
    const size_t fields = FColumns.size();
    FLength = 0;
    FIntegers.assign(fields, 0);
    FNumbers.assign(fields, 0);
    FTexts.resize(fields);
    for (AnsiString& text : FTexts) text.clear();
    FDecoded = fields;
    FOffset = 0;
}

void TMCustomDataSet::Insert() {
    Release();
    size_t at = FPosition < FRows.size() ? FPosition : FRows.size();
    FRows.emplace(FRows.begin() + static_cast<std::ptrdiff_t>(at));
    FPosition = at;
}

void TMCustomDataSet::Delete() {
    CheckCurrent();
    if (FLoaded == FPosition) {
        FLoaded = kNone;  // its changes go with it
        FChanged = false;
    }
    Release();
    FRows.erase(FRows.begin() + static_cast<std::ptrdiff_t>(FPosition));
}

void TMCustomDataSet::Clear() {
    FLoaded = kNone;
    FChanged = false;
    std::vector<TRow>().swap(FRows);
    FPosition = 0;
}
