#include "sim/RegisterClock.h"

#include <algorithm>

#include "platform/Exceptions.h"
#include "platform/LinkBytes.h"

namespace {

using TMs = std::chrono::milliseconds;

int Number(const AnsiString& text, const AnsiString& spell) {
    int value = -1;
    if (!TryStrToInt(text, value) || value < 0 || value > 100000000)
        throw Exception("bad number '" + text + "' in busy spell '" + spell + "'");
    return value;
}

}  // namespace

TBusySpell TBusySpell::Parse(const AnsiString& text) {
    static const struct {
        const char* name;
        TBusyPoint point;
    } points[] = {{"any", bpAny}, {"start", bpStart}, {"frame", bpFrame}, {"end", bpEnd}};
    TBusySpell s;
    std::vector<AnsiString> parts;
    for (size_t from = 0;;) {
        size_t comma = text.find(',', from);
        parts.push_back(Trim(text.substr(from, comma == AnsiString::npos ? AnsiString::npos : comma - from)));
        if (comma == AnsiString::npos) break;
        from = comma + 1;
    }
    s.ms = Number(parts[0], text);
    bool atGiven = false;
    for (size_t i = 1; i < parts.size(); ++i) {
        size_t eq = parts[i].find('=');
        if (eq == AnsiString::npos) throw Exception("busy option without value: '" + parts[i] + "'");
        const AnsiString key = parts[i].substr(0, eq), value = parts[i].substr(eq + 1);
        if (key == "file") {
            s.file = value;
        } else if (key == "at") {
            auto p = std::find_if(std::begin(points), std::end(points), [&](const auto& q) { return value == q.name; });
            if (p == std::end(points)) throw Exception("unknown busy point '" + value + "'");
            s.at = p->point;
            atGiven = true;
        } else if (key == "frame") {
            s.frame = Number(value, text);
            if (!atGiven) s.at = bpFrame;
        } else if (key == "count") {
            s.count = Number(value, text);
        } else {
            throw Exception("unknown busy option '" + key + "'");
        }
    }
    return s;
}

int TRegisterClock::BusyFor(const AnsiString& file, TBusyPoint at, int frame) {
    for (TBusySpell& s : spells) {
        if (s.at != bpAny && s.at != at) continue;
        if (!s.file.empty() && s.file != file) continue;
        if (s.frame != 0 && (at != bpFrame || s.frame != frame)) continue;
        if (s.count != 0 && s.fired >= s.count) continue;
        ++s.fired;
        return s.ms;
    }
    return 0;
}

void TRegisterClock::Restart() { FFrom = now(); }

void TRegisterClock::Hold(const AnsiString& answer, int ms) {
    FHolding = true;
    FHeld = answer;
    FRelease = FFrom + TMs(ms);
    FNextWack = FFrom + TMs(firstWackMs);
}

AnsiString TRegisterClock::TakeDue() {
    AnsiString out;
    if (!FHolding) return out;
    const TTime t = now();
    // WACKs only between packets: none once the answer is due.
    while (FNextWack <= t && FNextWack < FRelease) {
        out += EcrByte::WACK;
        FNextWack += TMs(std::max(wackEveryMs, 1));
    }
    if (FRelease <= t) {
        out += FHeld;
        FHeld.clear();
        FHolding = false;
        FFrom = t;
    }
    return out;
}

bool TRegisterClock::WaitOver() const { return !FHolding && waitMs > 0 && now() - FFrom >= TMs(waitMs); }

int TRegisterClock::MsToNext(bool waiting, int limitMs) const {
    TTime next = TTime::max();
    if (FHolding)
        next = std::min(FRelease, FNextWack);
    else if (waiting && waitMs > 0)
        next = FFrom + TMs(waitMs);
    if (next == TTime::max()) return limitMs;
    const auto left = std::chrono::ceil<TMs>(next - now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, limitMs));
}
