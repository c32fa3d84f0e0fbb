#include "sim/RegisterState.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

#include "platform/Exceptions.h"
#include "platform/Hex.h"

namespace {

// The words of a line separated by blanks.
std::vector<AnsiString> Words(const AnsiString& line) {
    std::vector<AnsiString> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) words.push_back(line.substr(start, i - start));
    }
    return words;
}

bool ParseLong(const AnsiString& text, long& value) {
    long long v = 0;
    if (!TryStrToInt64(text, v)) return false;
    value = static_cast<long>(v);
    return true;
}

}  // namespace

TRegisterState::TRegisterState() {
    // A register without a file of its own clears its sales counters on a totals reset and
    // its goods on a goods-list reset.
    FResetRules[1] = {"U", "d"};
    FResetRules[6] = {"I#00"};
}

TRegisterState::~TRegisterState() = default;

AnsiString TRegisterState::Unescape(const AnsiString& text) {
    AnsiString out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            char n = text[i + 1];
            if (n == '\\') {
                out += '\\';
                ++i;
                continue;
            }
            unsigned long long byte = 0;
            if ((n == 'x' || n == 'X') && i + 3 < text.size() &&
                IsHexNumber(std::string_view(text).substr(i + 2, 2), byte)) {
                out += static_cast<char>(byte);
                i += 3;
                continue;
            }
        }
        out += c;
    }
    return out;
}

AnsiString TRegisterState::Escape(const AnsiString& bytes) {
    AnsiString out;
    for (char c : bytes) {
        unsigned char u = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (u < 0x20 || u == 0x7F)
            out += Format("\\x%02X", u);
        else
            out += c;
    }
    return out;
}

TSimFile& TRegisterState::File(const AnsiString& id) {
    auto it = FFiles.find(id);
    if (it != FFiles.end()) return it->second;
    TSimFile& f = FFiles[id];
    f.id = id;
    FOrder.push_back(id);
    return f;
}

const TSimFile* TRegisterState::FindFile(const AnsiString& id) const {
    auto it = FFiles.find(id);
    return it == FFiles.end() ? nullptr : &it->second;
}

void TRegisterState::AddRecord(const AnsiString& id, const AnsiString& data, long number) {
    TSimFile& f = File(id);
    TSimRecord r;
    r.number = number == -1 ? f.nextNumber : number;
    r.data = data;
    r.uid = FNextUid++;
    f.nextNumber = r.number + 1;
    f.records.push_back(r);
}

std::vector<AnsiString> TRegisterState::Records(const AnsiString& id) const {
    std::vector<AnsiString> out;
    if (const TSimFile* f = FindFile(id))
        for (const TSimRecord& r : f->records) out.push_back(r.data);
    return out;
}

std::vector<AnsiString> TRegisterState::Written(const AnsiString& id) const {
    const TSimFile* f = FindFile(id);
    return f ? f->written : std::vector<AnsiString>();
}

void TRegisterState::Load(const AnsiString& text) {
    ClearData();
    FFiles.clear();
    FOrder.clear();
    salesSpec.clear();
    TSimFile* current = nullptr;
    std::vector<AnsiString> lines = SplitLines(text);
    bool rulesSeen = false;
    for (size_t n = 0; n < lines.size(); ++n) {
        const AnsiString& line = lines[n];
        AnsiString where = "line " + IntToStr(static_cast<long long>(n + 1)) + ": ";
        AnsiString trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        std::vector<AnsiString> w = Words(line);
        const AnsiString& key = w[0];
        if (key == "record") {
            if (!current) throw Exception(where + "record outside a file");
            size_t at = line.find("record") + 6;
            AnsiString data = at < line.size() ? line.substr(at + 1) : AnsiString();
            AddRecord(current->id, Unescape(data));
        } else if (key == "file") {
            if (w.size() < 2) throw Exception(where + "file without identifier");
            current = &File(Unescape(w[1]));
            for (size_t i = 2; i < w.size(); ++i) {
                if (w[i] == "ranged")
                    current->ranged = true;
                else if (w[i] == "reset")
                    current->reset = true;
                else
                    throw Exception(where + "unknown file flag '" + w[i] + "'");
            }
        } else if (key == "number") {
            long value = 0;
            if (!current || w.size() != 2 || !ParseLong(w[1], value))
                throw Exception(where + "number needs a file and one number");
            current->nextNumber = value;
        } else if (key == "error") {
            unsigned long long code = 0;
            if (!current || w.size() != 2 || w[1].size() > 2 || !IsHexNumber(w[1], code))
                throw Exception(where + "error needs a file and a hexadecimal code");
            current->errorCode = static_cast<int>(code);
        } else if (key == "reset") {
            long begin = 0;
            if (w.size() < 2 || !ParseLong(w[1], begin)) throw Exception(where + "reset needs a begin number");
            if (!rulesSeen) {
                FResetRules.clear();
                rulesSeen = true;
            }
            std::vector<AnsiString> ids;
            for (size_t i = 2; i < w.size(); ++i) ids.push_back(Unescape(w[i]));
            FResetRules[begin] = ids;
        } else if (key == "sales") {
            if (w.size() != 2) throw Exception(where + "sales needs one value");
            salesSpec = w[1];
        } else {
            bool taken = false;
            try {
                taken = LoadKeyword(w, line);
            } catch (const Exception& e) {
                throw Exception(where + e.Message());
            }
            if (!taken) throw Exception(where + "unknown keyword '" + key + "'");
        }
    }
}

void TRegisterState::LoadFile(const AnsiString& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) throw Exception("Cannot read register file " + path);
    AnsiString text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    try {
        Load(text);
    } catch (const Exception& e) {
        throw Exception(path + ", " + e.Message());
    }
}

AnsiString TRegisterState::Save() const {
    AnsiString out;
    if (!salesSpec.empty()) out += "sales " + salesSpec + "\n";
    for (const auto& rule : FResetRules) {
        out += "reset " + IntToStr(rule.first);
        for (const AnsiString& id : rule.second) out += " " + Escape(id);
        out += "\n";
    }
    for (const AnsiString& id : FOrder) {
        const TSimFile& f = FFiles.at(id);
        out += "file " + Escape(f.id);
        if (f.ranged) out += " ranged";
        if (f.reset) out += " reset";
        out += "\n";
        if (f.errorCode >= 0) out += Format("error %02X\n", f.errorCode);
        long expected = 0;
        for (const TSimRecord& r : f.records) {
            if (r.number != expected) out += "number " + IntToStr(r.number) + "\n";
            out += "record " + Escape(r.data) + "\n";
            expected = r.number + 1;
        }
    }
    return out;
}

bool TRegisterState::IsResetFile(const AnsiString& id) const {
    if (const TSimFile* f = FindFile(id))
        if (f->reset) return true;
    return id == "i";
}

bool TRegisterState::Knows(const AnsiString& id) const {
    // Status, number, receipts, counters, orders, date, euro rate, cashier and cash reports,
    // fiscal report data, VAT table, groups, units, goods and the resets.
    static const std::set<AnsiString> own = {"p",    "P", "k#00", "U", "d", "$#01", "L",    "2", "n#00",
                                             "o#00", "w", "x",    "0", "H", "I#01", "I#00", "i"};
    return own.count(id) != 0 || FindFile(id) != nullptr || IsResetFile(id);
}

int TRegisterState::StartError(const AnsiString& id, char type, long beg, long end) const {
    const TSimFile* f = FindFile(id);
    if (f && f->errorCode >= 0) return f->errorCode;
    if (beg != -1 && end != -1 && beg > end) return 0x03;
    return 0;
}

std::vector<TSimRecord> TRegisterState::Serve(const AnsiString& id, long beg, long end) const {
    std::vector<TSimRecord> out;
    const TSimFile* f = FindFile(id);
    if (!f) return out;
    for (const TSimRecord& r : f->records) {
        if (f->ranged && ((beg != -1 && r.number < beg) || (end != -1 && r.number > end))) continue;
        out.push_back(r);
    }
    return out;
}

void TRegisterState::Consume(const AnsiString& id, const std::vector<TSimRecord>& served) {
    auto it = FFiles.find(id);
    if (it == FFiles.end()) return;
    std::set<unsigned long long> uids;
    for (const TSimRecord& r : served) uids.insert(r.uid);
    auto& records = it->second.records;
    records.erase(
        std::remove_if(records.begin(), records.end(), [&](const TSimRecord& r) { return uids.count(r.uid) != 0; }),
        records.end());
}

int TRegisterState::Write(const AnsiString& id, const AnsiString& data) {
    TSimFile& f = File(id);
    f.written.push_back(data);
    AddRecord(id, data);
    return 0;
}

int TRegisterState::Reset(const AnsiString& id, long beg, long end) {
    auto rule = FResetRules.find(beg);
    if (rule == FResetRules.end()) return 0x03;
    for (const AnsiString& target : rule->second) {
        auto it = FFiles.find(target);
        if (it != FFiles.end()) it->second.records.clear();
    }
    return 0;
}
