#include "host/BackOffice.h"

#include <algorithm>
#include <filesystem>

#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/Os.h"
#include "platform/OsFile.h"

namespace {
const char* const kPart = ".part";

AnsiString ReadFile(const AnsiString& path) {
    TMFile file;
    file.SetPath(path);
    file.Open();
    AnsiString text;
    file.ReadLine(text, "");
    file.Close();
    return text;
}
}  // namespace

TBackOffice::TBackOffice(AnsiString folder, TParamStore& store)
    : FFolder(IncludeTrailingPathDelimiter(folder)), FStore(store) {}

std::vector<std::pair<AnsiString, AnsiString>> TBackOffice::Counters(const AnsiString& text) {
    std::vector<std::pair<AnsiString, AnsiString>> counters;
    for (const AnsiString& line : SplitLines(text)) {
        if (!StartsWith(line, "KASPAR;")) continue;
        const size_t separator = line.find(';', 7);
        if (separator == AnsiString::npos) continue;
        counters.emplace_back(line.substr(7, separator - 7), line.substr(separator + 1));
    }
    return counters;
}

std::vector<TBackOffice::TCopy> TBackOffice::Copies() const {
    std::vector<TCopy> copies;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(NativePath(FFolder), error)) {
        const AnsiString name = entry.path().filename().string();
        int number = 0;
        if (name.size() < 8 || name[6] != '-' || !TryStrToInt(name.substr(0, 6), number)) continue;
        copies.push_back({number, FFolder + name});
    }
    std::sort(copies.begin(), copies.end(), [](const TCopy& a, const TCopy& b) { return a.number < b.number; });
    return copies;
}

void TBackOffice::Apply(const TCopy& copy, std::map<AnsiString, AnsiString>& params) {
    if (EndsWith(copy.path, "-kasa.imp"))
        for (const auto& [name, value] : Counters(ReadFile(copy.path))) {
            FStore.values[name] = value;
            params[name] = value;
        }
    FStore.values[kAppliedKey] = IntToStr(copy.number);
}

void TBackOffice::Recover(std::map<AnsiString, AnsiString>& params) {
    int applied = 0;
    TryStrToInt(FStore.values[kAppliedKey], applied);
    bool changed = false;
    for (const TCopy& copy : Copies()) {
        if (EndsWith(copy.path, kPart)) {
            Os().DeleteFile(copy.path);
        } else if (copy.number > applied) {
            Apply(copy, params);
            changed = true;
        }
    }
    if (changed) FStore.Save();
}

AnsiString TBackOffice::Load(const AnsiString& path, std::map<AnsiString, AnsiString>& params) {
    Os().ForceDirectories(FFolder);
    int number = 0;
    TryStrToInt(FStore.values[kAppliedKey], number);
    for (const TCopy& copy : Copies()) number = std::max(number, copy.number);
    ++number;
    size_t slash = path.size();
    while (slash > 0 && !IsPathDelimiter(path[slash - 1])) --slash;
    const TCopy copy{number, FFolder + Format("%06d-", number) + path.substr(slash)};

    const AnsiString part = copy.path + kPart;
    TMFile file;
    file.SetPath(part);
    file.SetReadOnly(false);
    file.Open();
    file.SetPointer(0);
    file.SetEof();
    file.Write(ReadFile(path));
    file.Sync();
    file.Close();
    if (!OsFileReplace(part, copy.path) || !OsFolderSync(FFolder)) throw Exception("Cannot keep " + copy.path);

    Apply(copy, params);
    FStore.Save();
    loaded.push_back(copy.path);
    return copy.path;
}
