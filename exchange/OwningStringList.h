#pragma once
// A list of texts, each with an object the list owns.
#include <memory>
#include <utility>
#include <vector>

#include "platform/Strings.h"

template <class T>
class TOwningStringList {
public:
    int GetCount() const { return static_cast<int>(FItems.size()); }
    const AnsiString& Strings(int i) const { return FItems.at(static_cast<size_t>(i)).first; }
    T* Objects(int i) const { return FItems.at(static_cast<size_t>(i)).second.get(); }
    void Add(const AnsiString& text, T* object) { FItems.emplace_back(text, std::unique_ptr<T>(object)); }
    void Clear() { FItems.clear(); }

private:
    std::vector<std::pair<AnsiString, std::unique_ptr<T>>> FItems;
};
