#include "sim/HayesModem.h"

#include <cctype>

#include "platform/Os.h"

namespace {

constexpr unsigned kNoInterval = 0xFFFFFFFFu;  // MAXDWORD read interval: return at once
constexpr size_t kMaxCommandLine = 255;

// a - b on the wrapping tick count.
int64_t Diff(uint32_t a, uint32_t b) { return static_cast<int32_t>(a - b); }

// One line to the modem, owned by a port; the modem itself outlives the port.
class THayesModemLine : public TSerialDevice {
public:
    THayesModemLine(std::shared_ptr<THayesModem> modem, const AnsiString& portName) : FModem(std::move(modem)) {
        FModem->SetPortName(portName);
    }
    ~THayesModemLine() override {
        if (FOpened) FModem->Close();
    }
    void Open(const TSerialSettings& settings) override {
        FModem->Open(settings);
        FOpened = true;
    }
    void Close() override {
        if (!FOpened) return;
        FOpened = false;
        FModem->Close();
    }
    void SetTimeouts(const TSerialTimeouts& timeouts) override { FModem->SetTimeouts(timeouts); }
    int Write(const char* data, int count, bool wait) override { return FModem->Write(data, count, wait); }
    int Read(char* buffer, int count) override { return FModem->Read(buffer, count); }
    int InCount() override { return FModem->InCount(); }
    void PurgeInput() override { FModem->PurgeInput(); }
    void SetDTR(bool high) override { FModem->SetDTR(high); }
    void SetRTS(bool high) override { FModem->SetRTS(high); }
    bool DCD() override { return FModem->DCD(); }

private:
    std::shared_ptr<THayesModem> FModem;
    bool FOpened = false;  // a line that was closed no longer closes the modem
};

}  // namespace

// --- dial outcomes ---

THayesDial THayesDial::Connected(const AnsiString& text, int code) {
    THayesDial dial;
    dial.kind = Connect;
    dial.connectText = text;
    dial.connectCode = code;
    return dial;
}

THayesDial THayesDial::Result(TKind kind) {
    THayesDial dial;
    dial.kind = kind;
    return dial;
}

THayesDial THayesDial::Silent() { return Result(Silence); }

THayesDial THayesDial::WithoutCarrier() {
    THayesDial dial = Connected();
    dial.carrierRises = false;
    return dial;
}

// --- the modem ---

AnsiString THayesModem::ResultText(TResult result) {
    switch (result) {
        case rOk: return "OK";
        case rConnect: return "CONNECT";
        case rRing: return "RING";
        case rNoCarrier: return "NO CARRIER";
        case rError: return "ERROR";
        case rNoDialtone: return "NO DIALTONE";
        case rBusy: return "BUSY";
        case rNoAnswer: return "NO ANSWER";
    }
    return "ERROR";
}

THayesModem::THayesModem() = default;
THayesModem::~THayesModem() = default;

TSerialDeviceFactory THayesModem::Factory(std::shared_ptr<THayesModem> modem) {
    return [modem](const AnsiString& portName) -> std::unique_ptr<TSerialDevice> {
        return std::make_unique<THayesModemLine>(modem, portName);
    };
}

void THayesModem::SetReply(const AnsiString& commandLine, TResult result) {
    FReplies[UpperCase(Trim(commandLine))] = TReply{TReply::Result, result, ""};
}

void THayesModem::SetRawReply(const AnsiString& commandLine, const AnsiString& bytes) {
    FReplies[UpperCase(Trim(commandLine))] = TReply{TReply::Raw, rOk, bytes};
}

void THayesModem::SetSilent(const AnsiString& commandLine) {
    FReplies[UpperCase(Trim(commandLine))] = TReply{TReply::Silence, rOk, ""};
}

bool THayesModem::Due(uint32_t at) const { return Diff(GetTickCount(), at) >= 0; }

void THayesModem::Enqueue(const AnsiString& bytes, uint32_t at) {
    // Bytes leave the modem in order: never before those already on their way.
    if (!FOut.empty() && Diff(at, FOut.back().at) < 0) at = FOut.back().at;
    for (char c : bytes) FOut.push_back(TByte{at, c});
}

void THayesModem::Inject(const AnsiString& bytes, unsigned delayMs) {
    Update();
    Enqueue(bytes, GetTickCount() + delayMs);
}

void THayesModem::SendResult(TResult result, uint32_t at, const AnsiString& verbal) {
    if (FVerbose)
        Enqueue("\r\n" + (verbal.empty() ? ResultText(result) : verbal) + "\r\n", at);
    else
        Enqueue(IntToStr(result) + "\r", at);
}

void THayesModem::SetFactoryProfile(bool echo, bool verbose) {
    FFactoryEcho = echo;
    FFactoryVerbose = verbose;
    FactoryDefaults();
}

void THayesModem::FactoryDefaults() {
    FEcho = FFactoryEcho;
    FVerbose = FFactoryVerbose;
    FXLevel = 4;
    FS12 = 50;
}

void THayesModem::HangUp() {
    FCallUp = false;
    FOnline = false;
    FCarrier = false;
    FDialing = false;
    FPluses = 0;
}

void THayesModem::RemoteHangUp() {
    Update();
    if (!FCallUp) return;
    HangUp();
    SendResult(rNoCarrier, GetTickCount());
}

// Time-driven events: the end of a dial, and an escape sequence whose second guard time
// has passed.
void THayesModem::Update() {
    if (FDialing && FDialAnswers && Due(FDialDoneAt)) FinishDial();
    if (FOnline && FPluses == 3 && Diff(GetTickCount(), FEscapeAt) >= static_cast<int64_t>(GuardMs())) {
        const uint32_t at = FEscapeAt + GuardMs();
        FPluses = 0;
        FOnline = false;
        FCommands.push_back("+++");
        SendResult(rOk, at);
    }
}

bool THayesModem::NextEvent(uint32_t& at) const {
    bool any = false;
    auto consider = [&](uint32_t tick) {
        if (!any || Diff(tick, at) < 0) at = tick;
        any = true;
    };
    if (!FOut.empty()) {
        // The first byte not received yet (the queue is in order).
        for (const TByte& b : FOut)
            if (!Due(b.at)) {
                consider(b.at);
                break;
            }
    }
    if (FDialing && FDialAnswers) consider(FDialDoneAt);
    if (FOnline && FPluses == 3) consider(FEscapeAt + GuardMs());
    return any;
}

void THayesModem::FinishDial() {
    FDialing = false;
    const uint32_t at = FDialDoneAt;
    const THayesDial& dial = FDialOutcome;
    switch (dial.kind) {
        case THayesDial::Connect:
            FCallUp = true;
            FOnline = true;
            FCarrier = dial.carrierRises;
            FCarrierAt = at + dial.carrierDelayMs;
            FConnectTick = at;
            FLastDataTick = at;
            FPluses = 0;
            if (FVerbose)
                Enqueue("\r\n" + dial.connectText + "\r\n", at);
            else
                Enqueue(IntToStr(dial.connectCode) + "\r", at);
            break;
        case THayesDial::Busy: SendResult(rBusy, at); break;
        case THayesDial::NoCarrier: SendResult(rNoCarrier, at); break;
        case THayesDial::NoDialtone: SendResult(rNoDialtone, at); break;
        case THayesDial::NoAnswer: SendResult(rNoAnswer, at); break;
        case THayesDial::Error: SendResult(rError, at); break;
        case THayesDial::Silence: break;
    }
}

void THayesModem::Dial(const AnsiString& number, uint32_t now) {
    if (FCallUp) {
        SendResult(rError, now + FCommandDelayMs);
        return;
    }
    auto found = FDials.find(number);
    FDialOutcome = found != FDials.end() ? found->second : FDefaultDial;
    FDialing = true;
    FDialAnswers = FDialOutcome.kind != THayesDial::Silence;
    FDialDoneAt = now + FDialOutcome.answerDelayMs;
}

void THayesModem::Execute(const AnsiString& line, uint32_t now) {
    FCommands.push_back(line);
    const uint32_t at = now + FCommandDelayMs;
    const AnsiString upper = UpperCase(Trim(line));

    auto reply = FReplies.find(upper);
    if (reply != FReplies.end()) {
        switch (reply->second.kind) {
            case TReply::Result: SendResult(reply->second.result, at); break;
            case TReply::Raw: Enqueue(reply->second.bytes, at); break;
            case TReply::Silence: break;
        }
        return;
    }
    if (upper.size() < 2 || upper.compare(0, 2, "AT") != 0) return;  // not a command: ignored
    if (line.size() > kMaxCommandLine) {
        SendResult(rError, at);
        return;
    }

    size_t p = 2;
    auto number = [&](int def) {
        if (p >= upper.size() || !isdigit(static_cast<unsigned char>(upper[p]))) return def;
        int value = 0;
        while (p < upper.size() && isdigit(static_cast<unsigned char>(upper[p])) && value < 100000)
            value = value * 10 + (upper[p++] - '0');
        return value;
    };
    while (p < upper.size()) {
        const char c = upper[p++];
        switch (c) {
            case ' ': break;
            case 'E': {
                int v = number(0);
                if (v > 1) return SendResult(rError, at);
                FEcho = v == 1;
                break;
            }
            case 'V': {
                int v = number(0);
                if (v > 1) return SendResult(rError, at);
                FVerbose = v == 1;
                break;
            }
            case 'X': {
                int v = number(0);
                if (v > 4) return SendResult(rError, at);
                FXLevel = v;
                break;
            }
            case 'Q':
            case 'L':
            case 'M': number(0); break;
            case 'H':
                if (number(0) != 0) return SendResult(rError, at);
                HangUp();
                break;
            case 'Z':
                number(0);
                FactoryDefaults();
                break;
            case '&': {
                if (p >= upper.size()) return SendResult(rError, at);
                const char what = upper[p++];
                if (what == 'F') {
                    number(0);
                    FactoryDefaults();
                } else if (what == 'C' || what == 'D' || what == 'K' || what == 'W' || what == 'V') {
                    number(0);
                } else {
                    return SendResult(rError, at);
                }
                break;
            }
            case 'S': {
                int reg = number(-1);
                if (reg < 0) return SendResult(rError, at);
                if (p < upper.size() && upper[p] == '=') {
                    ++p;
                    int value = number(0);
                    if (reg == 12) FS12 = static_cast<unsigned>(value);
                } else if (p < upper.size() && upper[p] == '?') {
                    ++p;
                    Enqueue("\r\n" + IntToStr(reg == 12 ? FS12 : 0) + "\r\n", at);
                }
                break;
            }
            case 'D': {
                // The rest of the line is the dial string.
                size_t q = p;
                if (q < upper.size() && (upper[q] == 'T' || upper[q] == 'P')) ++q;
                Dial(Trim(Trim(line).substr(q)), now);  // indexes refer to the trimmed line
                return;
            }
            case 'O':
                if (!FCallUp) return SendResult(rNoCarrier, at);
                FOnline = true;
                FLastDataTick = now;
                Enqueue(FVerbose ? "\r\nCONNECT\r\n" : "1\r", at);
                return;
            default: return SendResult(rError, at);
        }
    }
    SendResult(rOk, at);
}

void THayesModem::CommandByte(char c, uint32_t now) {
    if (FDialing) {
        // Any key aborts a dial in progress.
        FDialing = false;
        SendResult(rNoCarrier, now + FCommandDelayMs);
        return;
    }
    if (FEcho) Enqueue(AnsiString(1, c), now);
    if (c == '\r') {
        AnsiString line;
        line.swap(FLine);
        Execute(line, now);
    } else if (c == '\n') {
        // ignored between commands
    } else if (c == '\b') {
        if (!FLine.empty()) FLine.pop_back();
    } else if (FLine.size() <= kMaxCommandLine) {
        FLine += c;
    }
}

void THayesModem::CarryData(const AnsiString& bytes, uint32_t now) {
    if (bytes.empty()) return;
    FLastDataTick = now;
    // With no carrier nobody is listening at the far end.
    if (!FCarrier || Diff(now, FCarrierAt) < 0) return;
    if (!FDataPath) return;
    AnsiString answer = FDataPath(bytes);
    if (!answer.empty()) Enqueue(answer, now + FDataLatencyMs);
}

void THayesModem::OnlineBytes(const char* data, int count, uint32_t now) {
    const unsigned guard = GuardMs();
    AnsiString chunk;
    for (int i = 0; i < count; ++i) {
        const char c = data[i];
        if (c == '+' && FPluses < 3 && (FPluses > 0 || Diff(now, FLastDataTick) >= static_cast<int64_t>(guard))) {
            // Possibly an escape: held back until the guard time after it shows.
            if (++FPluses == 3) FEscapeAt = now;
            continue;
        }
        if (FPluses > 0) {
            chunk.append(static_cast<size_t>(FPluses), '+');
            FPluses = 0;
        }
        chunk += c;
        FLastDataTick = now;
    }
    CarryData(chunk, now);
}

void THayesModem::Open(const TSerialSettings& settings) {
    Update();
    FSettings = settings;
    FTimeouts = settings.timeouts;
    FOpen = true;
    ++FOpenCount;
    FOut.clear();
    FLine.clear();
    FDTR = true;
    FRTS = true;
}

void THayesModem::Close() {
    Update();
    SetDTR(false);
    FRTS = false;
    FOpen = false;
    FOut.clear();
    FLine.clear();
}

void THayesModem::SetDTR(bool high) {
    Update();
    // A falling DTR hangs up (the &D2 behaviour).
    if (FDTR && !high && (FCallUp || FDialing)) HangUp();
    FDTR = high;
}

bool THayesModem::DCD() {
    Update();
    return FCallUp && FCarrier && Due(FCarrierAt);
}

int THayesModem::Write(const char* data, int count, bool wait) {
    if (!FOpen || count <= 0) return 0;
    Update();
    const uint32_t now = GetTickCount();
    FWritten.append(data, static_cast<size_t>(count));
    if (FOnline) {
        OnlineBytes(data, count, now);
        return count;
    }
    for (int i = 0; i < count; ++i) {
        CommandByte(data[i], now);
        // A command (ATO) may switch to data mode in the middle of what was written.
        if (FOnline) {
            OnlineBytes(data + i + 1, count - i - 1, now);
            break;
        }
    }
    return count;
}

int THayesModem::InCount() {
    if (!FOpen) return 0;
    Update();
    int count = 0;
    for (const TByte& b : FOut) {
        if (!Due(b.at)) break;
        ++count;
    }
    return count;
}

void THayesModem::PurgeInput() {
    Update();
    while (!FOut.empty() && Due(FOut.front().at)) FOut.pop_front();
}

int THayesModem::Read(char* buffer, int count) {
    if (!FOpen || count <= 0) return 0;
    Update();
    const TSerialTimeouts t = FTimeouts;
    const uint32_t start = GetTickCount();
    const bool hasTotal = t.readTotalMultiplier != 0 || t.readTotalConstant != 0;
    const int64_t total = static_cast<int64_t>(t.readTotalMultiplier) * count + t.readTotalConstant;
    const bool returnAtOnce = t.readInterval == kNoInterval;
    const bool hasInterval = t.readInterval != 0 && !returnAtOnce;

    int got = 0;
    uint32_t lastByte = start;
    for (;;) {
        Update();
        while (got < count && !FOut.empty() && Due(FOut.front().at)) {
            lastByte = FOut.front().at;
            buffer[got++] = FOut.front().value;
            FOut.pop_front();
        }
        if (got == count) return got;
        // MAXDWORD interval: what is there, or (with a total time-out) wait for the first byte.
        if (returnAtOnce && (got > 0 || !hasTotal)) return got;

        const uint32_t now = GetTickCount();
        bool limited = false;
        int64_t deadline = 0;  // relative to now
        if (hasTotal) {
            deadline = total - Diff(now, start);
            limited = true;
        }
        if (hasInterval && got > 0) {
            int64_t interval = static_cast<int64_t>(t.readInterval) - Diff(now, lastByte);
            if (!limited || interval < deadline) deadline = interval;
            limited = true;
        }
        if (limited && deadline <= 0) return got;

        uint32_t next = 0;
        const bool coming = NextEvent(next);
        if (!coming) {
            // Nothing will ever arrive: wait out the time-out, or give up at once when there
            // is none (the line would block for ever).
            if (limited) Sleep(static_cast<unsigned>(deadline));
            return got;
        }
        int64_t untilNext = Diff(next, now);
        if (untilNext < 0) untilNext = 0;
        if (limited && untilNext > deadline) {
            Sleep(static_cast<unsigned>(deadline));
            return got;
        }
        Sleep(static_cast<unsigned>(untilNext));
    }
}
