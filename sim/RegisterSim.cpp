#include "sim/RegisterSim.h"

#include <algorithm>

#include "platform/Exceptions.h"
#include "platform/Hex.h"
#include "platform/LinkBytes.h"

namespace {

using namespace EcrByte;

// Stray bytes a noisy line produces; none of them means anything to the protocol.
const char kGarbage[] = {'\0', 'Z', static_cast<char>(0xFF), 0x7F, 0x10, '0', static_cast<char>(0x80)};

bool IsPrefixKind(TSimFaultKind k) { return k == sfWack || k == sfGarbage; }

bool IsReplaceKind(TSimFaultKind k) {
    return k == sfNak || k == sfSilence || k == sfEot || k == sfDrop || k == sfError || k == sfShortError ||
           k == sfByte || k == sfWackStream || k == sfStrayStream;
}

unsigned GapMs(const TSimFault& f) { return f.value > 0 ? static_cast<unsigned>(f.value) : 900u; }

bool IsFrameKind(TSimFaultKind k) {
    return k == sfBadCheck || k == sfLowerHex || k == sfEtb || k == sfNul || k == sfOversize;
}

// A range field of a start packet: 18 blanks mean no bound, else a number padded with zeros
// or blanks.
bool ParseRange(const AnsiString& field, long& value) {
    AnsiString t = Trim(field);
    if (t.empty()) {
        value = -1;
        return true;
    }
    size_t i = t[0] == '-' ? 1 : 0;
    if (i == t.size()) return false;
    for (size_t k = i; k < t.size(); ++k)
        if (t[k] < '0' || t[k] > '9') return false;
    long long v = 0;
    if (!TryStrToInt64(t, v)) return false;
    value = static_cast<long>(v);
    return true;
}

int ParseNumber(const AnsiString& text, const AnsiString& fault) {
    long long v = -1;
    unsigned long long hex = 0;
    if (StartsWith(LowerCase(text), "0x")) {
        if (IsHexNumber(std::string_view(text).substr(2), hex) && hex <= 100000000) v = static_cast<long long>(hex);
    } else if (!TryStrToInt64(text, v)) {
        v = -1;
    }
    if (v < 0 || v > 100000000) throw Exception("bad number '" + text + "' in fault '" + fault + "'");
    return static_cast<int>(v);
}

}  // namespace

TSimFault TSimFault::Parse(const AnsiString& text) {
    static const struct {
        const char* name;
        TSimFaultKind kind;
    } kinds[] = {{"nak", sfNak},
                 {"silence", sfSilence},
                 {"eot", sfEot},
                 {"drop", sfDrop},
                 {"error", sfError},
                 {"shorterror", sfShortError},
                 {"byte", sfByte},
                 {"wack", sfWack},
                 {"garbage", sfGarbage},
                 {"badcheck", sfBadCheck},
                 {"lowerhex", sfLowerHex},
                 {"etb", sfEtb},
                 {"nul", sfNul},
                 {"oversize", sfOversize},
                 {"slowbytes", sfSlowBytes},
                 {"wackstream", sfWackStream},
                 {"straystream", sfStrayStream}};
    static const struct {
        const char* name;
        TSimFaultPoint point;
    } points[] = {{"any", spAny},     {"enq", spEnq}, {"start", spStart},  {"turn", spTurn},
                  {"frame", spFrame}, {"end", spEnd}, {"report", spReport}};

    TSimFault f;
    std::vector<AnsiString> parts;
    size_t from = 0;
    for (;;) {
        size_t comma = text.find(',', from);
        parts.push_back(Trim(text.substr(from, comma == AnsiString::npos ? AnsiString::npos : comma - from)));
        if (comma == AnsiString::npos) break;
        from = comma + 1;
    }
    bool found = false;
    for (const auto& k : kinds)
        if (parts[0] == k.name) {
            f.kind = k.kind;
            found = true;
        }
    if (!found) throw Exception("unknown fault '" + parts[0] + "'");
    bool atGiven = false;
    for (size_t i = 1; i < parts.size(); ++i) {
        size_t eq = parts[i].find('=');
        if (eq == AnsiString::npos) throw Exception("fault option without value: '" + parts[i] + "'");
        AnsiString key = parts[i].substr(0, eq);
        AnsiString value = parts[i].substr(eq + 1);
        if (key == "at") {
            bool ok = false;
            for (const auto& p : points)
                if (value == p.name) {
                    f.at = p.point;
                    ok = true;
                }
            if (!ok) throw Exception("unknown fault point '" + value + "'");
            atGiven = true;
        } else if (key == "file") {
            f.file = TRegisterState::Unescape(value);
        } else if (key == "frame") {
            f.frame = ParseNumber(value, text);
            if (!atGiven) f.at = spFrame;
        } else if (key == "count") {
            f.count = ParseNumber(value, text);
        } else if (key == "code") {
            unsigned long long code = 0;
            if (value.size() > 2 || !IsHexNumber(value, code))
                throw Exception("bad code '" + value + "' in fault '" + text + "'");
            f.value = static_cast<int>(code);
        } else if (key == "value") {
            f.value = ParseNumber(value, text);
        } else {
            throw Exception("unknown fault option '" + key + "'");
        }
    }
    return f;
}

TRegisterSim::TRegisterSim(std::shared_ptr<TRegisterState> state)
    : FState(state ? std::move(state) : std::make_shared<TRegisterState>()) {}

unsigned short TRegisterSim::BlockCheck(const char* data, size_t length) {
    unsigned value = 0;
    for (size_t i = 0; i < length; ++i) value ^= static_cast<unsigned>(static_cast<unsigned char>(data[i])) << (i % 9);
    return static_cast<unsigned short>(value);
}

AnsiString TRegisterSim::Frame(const AnsiString& data, char terminator) {
    AnsiString body = data + terminator;
    return AnsiString(1, STX) + body + Format("%04X", BlockCheck(body.data(), body.size()));
}

AnsiString TRegisterSim::ErrorFrameData(int code) { return Format("ER:%02X", code & 0xFF); }

void TRegisterSim::SetErrorFrame(const AnsiString& data) {
    std::lock_guard<std::mutex> lock(FMutex);
    FErrorFrame = data;
}

void TRegisterSim::AddFault(const TSimFault& fault) {
    std::lock_guard<std::mutex> lock(FMutex);
    FFaults.push_back(fault);
}

void TRegisterSim::ClearFaults() {
    std::lock_guard<std::mutex> lock(FMutex);
    FFaults.clear();
}

std::vector<int> TRegisterSim::FaultsFired() const {
    std::lock_guard<std::mutex> lock(const_cast<std::mutex&>(FMutex));
    std::vector<int> out;
    for (const TSimFault& f : FFaults) out.push_back(f.fired);
    return out;
}

std::vector<AnsiString> TRegisterSim::Records(const AnsiString& id) {
    std::lock_guard<std::mutex> lock(FMutex);
    return FState->Records(id);
}

std::vector<AnsiString> TRegisterSim::Written(const AnsiString& id) {
    std::lock_guard<std::mutex> lock(FMutex);
    return FState->Written(id);
}

std::vector<AnsiString> TRegisterSim::StartPackets() {
    std::lock_guard<std::mutex> lock(FMutex);
    return FStartPackets;
}

int TRegisterSim::NaksSent() {
    std::lock_guard<std::mutex> lock(FMutex);
    return FNaks;
}

int TRegisterSim::TransfersCompleted() {
    std::lock_guard<std::mutex> lock(FMutex);
    return FCompleted;
}

int TRegisterSim::WaitsRunOut() {
    std::lock_guard<std::mutex> lock(FMutex);
    return FWaitsRunOut;
}

void TRegisterSim::SetTimeless() {
    std::lock_guard<std::mutex> lock(FMutex);
    clock.waitMs = 0;
    clock.spells.clear();
    strict.nakWhenIdle = false;
    strict.repeats = 0;
    strict.refuseUnknown = false;
}

void TRegisterSim::ResetCounters() {
    std::lock_guard<std::mutex> lock(FMutex);
    FStartPackets.clear();
    FWaitsRunOut = 0;
    FNaks = 0;
    FCompleted = 0;
}

void TRegisterSim::OnConnect() {
    std::lock_guard<std::mutex> lock(FMutex);
    Abort();
    FInFrame = false;
    FFrame.clear();
    FCheck.clear();
    FCheckLeft = -1;
    FDrop = false;
    FPace = TSimPace();
    FLateEot = false;
    clock.Interrupt();
    clock.Restart();
}

TSimPace TRegisterSim::TakePace() {
    std::lock_guard<std::mutex> lock(FMutex);
    TSimPace pace = FPace;
    FPace = TSimPace();
    return pace;
}

AnsiString TRegisterSim::OnTick() {
    std::lock_guard<std::mutex> lock(FMutex);
    if (clock.Holding()) return clock.TakeDue();
    if (!Waiting() || !clock.WaitOver()) return AnsiString();
    // The driver kept the register waiting too long: it gives the exchange up and waits for
    // ENQ again. After its own end of transfer it has said EOT already.
    const bool saidEot = FStateNo == stEcho;
    Abort();
    FInFrame = false;
    FCheckLeft = -1;
    clock.Restart();
    if (saidEot) return AnsiString();
    ++FWaitsRunOut;
    if (clock.lateEot) {
        FLateEot = true;
        return AnsiString();
    }
    return AnsiString(1, EOT);
}

int TRegisterSim::MsToNextTick(int limitMs) {
    std::lock_guard<std::mutex> lock(FMutex);
    return clock.MsToNext(Waiting(), limitMs);
}

void TRegisterSim::Busy(TBusyPoint at, int frame) { FBusyMs = std::max(FBusyMs, clock.BusyFor(FFileId, at, frame)); }

bool TRegisterSim::TooManyRepeats(AnsiString& out) {
    if (strict.repeats <= 0 || ++FRepeats <= strict.repeats) return false;
    Abort();
    out += EOT;
    FStateNo = stEcho;
    return true;
}

AnsiString TRegisterSim::Answer(AnsiString out) {
    if (FLateEot && !out.empty()) {
        out.insert(0, 1, EOT);
        FLateEot = false;
    }
    if (FBusyMs > 0 && !out.empty()) {
        clock.Hold(out, FBusyMs);
        out = clock.TakeDue();
    }
    FBusyMs = 0;
    return out;
}

bool TRegisterSim::TakeDrop() {
    std::lock_guard<std::mutex> lock(FMutex);
    bool drop = FDrop;
    FDrop = false;
    return drop;
}

void TRegisterSim::Abort() {
    FPendingId.clear();
    FPending.clear();
    FStateNo = stIdle;
    FTransfer = trNone;
    FFileId.clear();
    FStartData.clear();
    FServe.clear();
    FFrameNo = 0;
    FResetting = false;
    FRepeats = 0;
}

void TRegisterSim::ConsumePending() {
    if (FPendingId.empty() && FPending.empty()) return;
    const AnsiString id = FPendingId;
    FState->Consume(id, FPending);
    FPendingId.clear();
    FPending.clear();
    if (FState->onConsumed) FState->onConsumed(*FState, id);
}

AnsiString TRegisterSim::OnBytes(const char* data, size_t length) {
    std::lock_guard<std::mutex> lock(FMutex);
    AnsiString out;
    if (length == 0) return out;
    clock.Restart();
    if (clock.Holding()) {
        // The driver interrupted the register's wait: it drops the answer and waits for ENQ.
        clock.Interrupt();
        Abort();
        FInFrame = false;
        FCheckLeft = -1;
        return out;
    }
    for (size_t i = 0; i < length && !FDrop; ++i) {
        char c = data[i];
        if (FInFrame) {
            if (FCheckLeft < 0) {
                if (FFrame.size() < MaxInboundFrame)
                    FFrame += c;
                else
                    FFrameTooLong = true;
                if (c == ETX || c == ETB) FCheckLeft = 4;
                continue;
            }
            FCheck += c;
            if (--FCheckLeft > 0) continue;
            FInFrame = false;
            FCheckLeft = -1;
            bool ok = !FFrameTooLong && FFrame.size() >= 2;
            unsigned long long received = 0;
            ok = ok && IsHexNumber(FCheck, received) && received == BlockCheck(FFrame.data() + 1, FFrame.size() - 1);
            AnsiString frameData = FFrame.size() >= 2 ? FFrame.substr(1, FFrame.size() - 2) : AnsiString();
            OnFrame(frameData, ok, out);
            continue;
        }
        if (c == STX) {
            FInFrame = true;
            FFrameTooLong = false;
            FFrame.assign(1, c);
            FCheck.clear();
            FCheckLeft = -1;
            continue;
        }
        OnControl(c, out);
    }
    return Answer(out);
}

bool TRegisterSim::Applies(const TSimFault& f, TSimFaultPoint point) const {
    if (f.at != spAny && f.at != point) return false;
    if (!f.file.empty() && f.file != FFileId) return false;
    if (f.frame != 0 && (point != spFrame || f.frame != FFrameNo)) return false;
    return f.count == 0 || f.fired < f.count;
}

TRegisterSim::THit TRegisterSim::Match(TSimFaultPoint point) {
    THit hit;
    for (TSimFault& f : FFaults) {
        if (!Applies(f, point)) continue;
        if (IsPrefixKind(f.kind)) {
            ++f.fired;
            int n = f.value > 0 ? f.value : 1;
            for (int k = 0; k < n; ++k) hit.prefix += f.kind == sfWack ? WACK : kGarbage[k % sizeof kGarbage];
        } else if (IsReplaceKind(f.kind) && !hit.replace) {
            ++f.fired;
            hit.replace = &f;
        } else if (f.kind == sfSlowBytes) {
            ++f.fired;
            FPace.gapMs = GapMs(f);
        }
    }
    return hit;
}

bool TRegisterSim::Replace(const THit& hit, AnsiString& out) {
    if (!hit.replace) return false;
    const TSimFault& f = *hit.replace;
    switch (f.kind) {
        case sfNak:
            out += NAK;
            ++FNaks;
            break;
        case sfSilence: break;
        case sfEot:
            Abort();
            out += EOT;
            FStateNo = stEcho;
            break;
        case sfDrop:
            Abort();
            FDrop = true;
            break;
        case sfError:
        case sfShortError: StartError(f.value, f.kind == sfShortError, out); break;
        case sfByte: out += static_cast<char>(f.value); break;
        case sfWackStream:
        case sfStrayStream:
            // The register stays where it is and only keeps the line busy.
            FPace.gapMs = GapMs(f);
            FPace.repeat = true;
            FPace.byte = f.kind == sfWackStream ? WACK : 'Z';
            break;
        default: return false;
    }
    return true;
}

AnsiString TRegisterSim::BuildFrame(TSimFaultPoint point, const AnsiString& data) {
    bool badCheck = false, lower = false, etb = false, nul = false;
    int oversize = 0;
    for (TSimFault& f : FFaults) {
        if (!IsFrameKind(f.kind) || !Applies(f, point)) continue;
        ++f.fired;
        switch (f.kind) {
            case sfBadCheck: badCheck = true; break;
            case sfLowerHex: lower = true; break;
            case sfEtb: etb = true; break;
            case sfNul: nul = true; break;
            case sfOversize: oversize = f.value > 0 ? f.value : 900; break;
            default: break;
        }
    }
    AnsiString body = oversize > 0 ? AnsiString(static_cast<size_t>(oversize), 'X') : data;
    if (nul) body.insert(body.size() / 2, 1, '\0');
    body += etb ? ETB : ETX;
    unsigned short check = BlockCheck(body.data(), body.size());
    if (badCheck) check ^= 0x5A5A;
    return AnsiString(1, STX) + body + Format(lower ? "%04x" : "%04X", check);
}

AnsiString TRegisterSim::ErrorFrame() const {
    if (FShortError) return "ER";
    if (!FErrorFrame.empty()) return FErrorFrame;
    return ErrorFrameData(FErrorCode);
}

void TRegisterSim::StartError(int code, bool shortFrame, AnsiString& out) {
    AnsiString file = FFileId;
    Abort();
    FFileId = file;
    FErrorCode = code;
    FShortError = shortFrame;
    out += RVI;
    FStateNo = stErrTurn;
}

void TRegisterSim::SendRecord(AnsiString& out) {
    if (FFrameNo > static_cast<int>(FServe.size())) {
        Busy(bpEnd, 0);
        THit hit = Match(spEnd);
        out += hit.prefix;
        if (Replace(hit, out)) return;
        ++FCompleted;
        AnsiString file = FFileId;
        const bool resetting = FResetting;
        std::vector<TSimRecord> served;
        served.swap(FServe);
        Abort();
        FFileId = file;
        // A resetting read clears its data only when the driver answers this EOT: a driver
        // that dies before that leaves the data on the register.
        if (resetting) {
            FPendingId = file;
            FPending.swap(served);
        }
        out += EOT;
        FStateNo = stEcho;
        return;
    }
    Busy(bpFrame, FFrameNo);
    THit hit = Match(spFrame);
    out += hit.prefix;
    FStateNo = stReadFrame;
    if (Replace(hit, out)) return;
    out += BuildFrame(spFrame, FServe[static_cast<size_t>(FFrameNo - 1)].data);
}

void TRegisterSim::OnControl(char byte, AnsiString& out) {
    switch (byte) {
        case ENQ: {
            Abort();
            THit hit = Match(spEnq);
            out += hit.prefix;
            if (Replace(hit, out)) return;
            out += ACK;
            FStateNo = stLine;
            return;
        }
        case EOT:
            switch (FStateNo) {
                case stIdle: out += strict.nakWhenIdle ? NAK : EOT; return;
                case stEcho:
                    ConsumePending();
                    FStateNo = stIdle;
                    return;
                case stReadTurn:
                case stResetTurn:
                case stErrTurn: {
                    THit hit = Match(spTurn);
                    out += hit.prefix;
                    if (Replace(hit, out)) return;
                    out += ENQ;
                    FStateNo = FStateNo == stReadTurn ? stReadEnq : FStateNo == stResetTurn ? stResetEnq : stErrEnq;
                    return;
                }
                case stWrite: {
                    Busy(bpEnd, 0);
                    THit hit = Match(spEnd);
                    out += hit.prefix;
                    ++FCompleted;
                    Abort();
                    if (Replace(hit, out)) return;
                    out += EOT;
                    return;
                }
                default:
                    // The driver gave the line up in the middle of an exchange.
                    Abort();
                    out += EOT;
                    return;
            }
        case ACK:
            switch (FStateNo) {
                case stIdle:
                    if (strict.nakWhenIdle) out += NAK;
                    return;
                case stReadEnq:
                    FFrameNo = 1;
                    SendRecord(out);
                    return;
                case stReadFrame:
                    ++FFrameNo;
                    FRepeats = 0;
                    SendRecord(out);
                    return;
                case stResetEnq: {
                    Busy(bpEnd, 0);
                    FState->Reset(FFileId, FBeg, FEnd);
                    ++FCompleted;
                    THit hit = Match(spEnd);
                    out += hit.prefix;
                    Abort();
                    if (Replace(hit, out)) return;
                    out += EOT;
                    return;
                }
                case stErrEnq: {
                    THit hit = Match(spReport);
                    out += hit.prefix;
                    FStateNo = stErrFrame;
                    if (Replace(hit, out)) return;
                    out += BuildFrame(spReport, ErrorFrame());
                    return;
                }
                case stErrFrame:
                    Abort();
                    out += EOT;
                    FStateNo = stEcho;
                    return;
                default: return;
            }
        case NAK:
            if (FStateNo == stIdle && strict.nakWhenIdle) {
                out += NAK;
            } else if ((FStateNo == stReadFrame || FStateNo == stErrFrame) && TooManyRepeats(out)) {
                return;
            } else if (FStateNo == stReadFrame) {
                SendRecord(out);
            } else if (FStateNo == stErrFrame) {
                THit hit = Match(spReport);
                out += hit.prefix;
                if (Replace(hit, out)) return;
                out += BuildFrame(spReport, ErrorFrame());
            }
            return;
        default:
            // Anything else between frames means nothing to the register; while it waits for
            // ENQ it says so.
            if (FStateNo == stIdle && strict.nakWhenIdle) out += NAK;
            return;
    }
}

void TRegisterSim::OnFrame(const AnsiString& data, bool checkOk, AnsiString& out) {
    switch (FStateNo) {
        case stIdle:
            if (strict.nakWhenIdle) out += NAK;
            return;
        case stLine:
            if (!checkOk) {
                if (TooManyRepeats(out)) return;
                out += NAK;
                ++FNaks;
                return;
            }
            FRepeats = 0;
            OnStartPacket(data, out);
            return;
        case stReadTurn:
        case stResetTurn:
            // The driver missed the acknowledgement and sent the start packet again.
            if (checkOk && data == FStartData) out += ACK;
            return;
        case stWrite: {
            if (!checkOk) {
                if (TooManyRepeats(out)) return;
                out += NAK;
                ++FNaks;
                return;
            }
            FRepeats = 0;
            if (FFrameNo == 1 && data == FStartData) {
                out += ACK;
                return;
            }
            Busy(bpFrame, FFrameNo);
            THit hit = Match(spFrame);
            out += hit.prefix;
            if (Replace(hit, out)) return;
            int code = FState->Write(FFileId, data);
            if (code != 0) {
                StartError(code, false, out);
                return;
            }
            out += ACK;
            ++FFrameNo;
            return;
        }
        default: return;
    }
}

void TRegisterSim::OnStartPacket(const AnsiString& data, AnsiString& out) {
    FStartPackets.push_back(data);
    int code = 0;
    AnsiString id;
    char type = '0';
    long beg = -1, end = -1;
    size_t n = data.size();
    if (n < 39 || n > 42 || data[0] != 'S') {
        code = 0x01;
    } else {
        id = data.substr(1, n - 38);
        type = data[n - 37];
        if (type != '0' && type != '1' && type != '2')
            code = 0x02;
        else if (!ParseRange(data.substr(n - 36, 18), beg) || !ParseRange(data.substr(n - 18, 18), end))
            code = 0x04;
    }
    FFileId = id;
    Busy(bpStart, 0);
    THit hit = Match(spStart);
    out += hit.prefix;
    if (Replace(hit, out)) return;
    if (code == 0 && strict.refuseUnknown && !FState->Knows(id)) code = strict.unknownCode;
    if (code == 0) code = FState->StartError(id, type, beg, end);
    if (code == 0 && type != '1' && FState->IsResetFile(id) && FState->ResetRules().count(beg) == 0) code = 0x03;
    if (code != 0) {
        StartError(code, false, out);
        return;
    }
    FStartData = data;
    FBeg = beg;
    FEnd = end;
    out += ACK;
    if (type == '1') {
        FTransfer = trWrite;
        FFrameNo = 1;
        FStateNo = stWrite;
    } else if (FState->IsResetFile(id)) {
        FTransfer = trReset;
        FStateNo = stResetTurn;
    } else {
        FTransfer = trRead;
        FResetting = type == '2';
        FServe = FState->Serve(id, beg, end);
        FStateNo = stReadTurn;
    }
}
