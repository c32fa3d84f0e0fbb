#pragma once
// The fields of a dataset bound to the members of a record class: one table of (field name,
// member) pairs gives the field list, its order and types, and copies a record into and out of
// the current row, so that a field is named in one place only.
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "platform/DataSet.h"
#include "platform/DateTools.h"

// Types lists the member types the record uses: text, double (an extended field), TdtTools (a
// date-time field); every other type (int, bool, enumerations) is an integer field.
template <class Rec, class... Types>
class TRecordFields {
public:
    using Member = std::variant<Types Rec::*...>;
    struct Column {
        const char* name;
        Member member;
    };

    // Adds one field per column to ds, in order.
    template <size_t N>
    void Bind(TMDataSet& ds, const Column (&columns)[N]) {
        for (const Column& c : columns) {
            const TMFieldType type =
                std::visit([](auto m) { return TypeOf<std::decay_t<decltype(std::declval<Rec&>().*m)>>(); }, c.member);
            FFields.emplace_back(ds.Fields().Add(c.name, type), c.member);
        }
    }

    // Copies every member into the current row, or the current row into the record.
    void Write(const Rec& rec) const {
        for (const auto& [field, member] : FFields)
            std::visit([&rec, field = field](auto m) { Put(*field, rec.*m); }, member);
    }
    void Read(Rec& rec) const {
        for (const auto& [field, member] : FFields)
            std::visit([&rec, field = field](auto m) { Take(*field, rec.*m); }, member);
    }

    // The field that holds member; null when none does.
    template <class T>
    TMField* Field(T Rec::*member) const {
        for (const auto& [field, m] : FFields)
            if (std::holds_alternative<T Rec::*>(m) && std::get<T Rec::*>(m) == member) return field;
        return nullptr;
    }

private:
    template <class T>
    static TMFieldType TypeOf() {
        if constexpr (std::is_same_v<T, AnsiString>)
            return mftString;
        else if constexpr (std::is_same_v<T, double>)
            return mftExtended;
        else if constexpr (std::is_same_v<T, TdtTools>)
            return mftDateTime;
        else
            return mftInteger;
    }
    template <class T>
    static void Put(TMField& f, const T& value) {
        if constexpr (std::is_same_v<T, AnsiString>)
            f.SetAsString(value);
        else if constexpr (std::is_same_v<T, double>)
            f.SetAsExtended(value);
        else if constexpr (std::is_same_v<T, TdtTools>)
            f.SetAsDateTime(value.Value());
        else
            f.SetAsInteger(static_cast<long long>(value));
    }
    template <class T>
    static void Take(const TMField& f, T& value) {
        if constexpr (std::is_same_v<T, AnsiString>)
            value = f.GetAsString();
        else if constexpr (std::is_same_v<T, double>)
            value = static_cast<double>(f.GetAsExtended());
        else if constexpr (std::is_same_v<T, TdtTools>)
            value = TdtTools(f.GetAsDateTime());
        else if constexpr (std::is_same_v<T, bool>)
            value = f.GetAsInteger() != 0;
        else
            value = static_cast<T>(f.GetAsInteger());
    }

    std::vector<std::pair<TMField*, Member>> FFields;
};
