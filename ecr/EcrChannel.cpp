#include "ecr/EcrChannel.h"

#include <algorithm>

#include "ecr/EcrLink.h"
#include "ecr/EcrTransport.h"
#include "ecr/LTools.h"
#include "platform/LineError.h"
#include "platform/Os.h"
#include "platform/Translation.h"

namespace {

const char* const kContext = "velkora_nvaction";
const char* const kClass = "TQxNovitusECRAction";

// Control bytes and their names in the log, in the order they are replaced.
struct TByteName {
    char byte;
    const char* name;
};
const TByteName kByteNames[] = {
    {EcrByte::ENQ, "<ENQ>"}, {EcrByte::ACK, "<ACK>"},           {EcrByte::NAK, "<NAK>"}, {EcrByte::STX, "<STX>"},
    {EcrByte::ETX, "<ETX>"}, {EcrByte::ETB, "<ETB>"},           {EcrByte::EOT, "<EOT>"}, {EcrByte::WACK, "<WACK>"},
    {EcrByte::RVI, "<RVI>"}, {static_cast<char>(0xFF), "<FF>"},
};

// The log text for data: every control byte replaced by its name.
AnsiString LogText(const AnsiString& data) {
    AnsiString text = data;
    for (const TByteName& n : kByteNames) {
        if (text.find(n.byte) != AnsiString::npos) text = ReplaceAll(text, AnsiString(1, n.byte), n.name);
    }
    return text;
}

// Tick arithmetic that survives the counter's wrap.
int32_t Until(uint32_t when, uint32_t now) { return static_cast<int32_t>(when - now); }

}  // namespace

unsigned TEcrChannelConfig::ReadTimeoutMs() const {
    if (cfgMedium == md_rs232) return serialTimeouts.readTotalConstant + serialTimeouts.readTotalMultiplier;
    return cfgIpTimeoutMs > 0 ? static_cast<unsigned>(cfgIpTimeoutMs) : 0;
}

TEcrChannel::TEcrChannel(TProgressSink* sink, TLTools& tools) : FSink(sink), FTools(tools) {}

TEcrChannel::~TEcrChannel() = default;

TMLgExtTools* TEcrChannel::LgLink() const { return FSink ? FSink->GetLgLink() : nullptr; }

AnsiString TEcrChannel::Text(const char* method, const char* piece, const char* defaultUtf8, int duplicate) const {
    return Tr(LgLink(), kContext, kClass, method, piece, defaultUtf8, duplicate);
}

void TEcrChannel::MsgAdd(const AnsiString& text, LPVState state, int max) {
    if (FSink) FSink->MsgAdd(text, state, max);
}

void TEcrChannel::MsgS(LPVState state) {
    if (FSink) FSink->MsgS(state);
}

AnsiString TEcrChannel::LineErrorText(const ELineError& e) const {
    if (e.Fault() == lfNotOpen) return Text("SendData", "Exception", u8"Port komunikacyjny nie jest otwarty");
    static const char* const kTexts[] = {
        u8"Nie można otworzyć portu komunikacyjnego", u8"Nie można skonfigurować portu komunikacyjnego",
        u8"Błąd zapisu do portu komunikacyjnego",     u8"Przekroczono czas zapisu do portu komunikacyjnego",
        u8"Błąd odczytu z portu komunikacyjnego",     u8"Nieprawidłowy lub nieznany adres TCP/IP",
        u8"Nie można nawiązać połączenia TCP/IP z",   u8"Błąd wysyłania danych przez połączenie TCP/IP",
        u8"Błąd odbioru danych z połączenia TCP/IP",
    };
    return e.Worded(Text("LineErrorText", "Exception", kTexts[e.Fault()], e.Fault()));
}

void TEcrChannel::RethrowWorded() const {
    try {
        throw;
    } catch (const ELineError& e) {
        throw Exception(LineErrorText(e));
    }
}

TEcrTransport& TEcrChannel::Line() {
    if (!FLine) FLine = NewEcrTransport(*this);
    return *FLine;
}

bool TEcrChannel::IsOpen() const { return FLine && FLine->IsOpen(); }

void TEcrChannel::OpenPort() {
    if (IsOpen()) return;
    FInPos = FInLen = 0;
    FLine = NewEcrTransport(*this);
    try {
        FLine->Open();
    } catch (...) {
        try {
            FLine->Close();
        } catch (...) {
            // the opening error is the one to report
        }
        MsgS(LPV_Error);
        RethrowWorded();
    }
}

void TEcrChannel::ClosePort() {
    FInPos = FInLen = 0;  // what the line held goes with it
    try {
        if (FLine) FLine->Close();
    } catch (...) {
        RethrowWorded();
    }
}

TMBaudRate TEcrChannel::Speed() const {
    switch (cfg.speed) {
        case 0: return br__1200;
        case 1: return br__2400;
        case 2: return br__4800;
        case 3: return br__9600;
        case 4: return br_19200;
        case 5: return br_38400;
        case 6: return br_57600;
        case 7: return br115200;
        default: return br__9600;
    }
}

void TEcrChannel::SendData(const AnsiString& bytes) {
    if (Logging()) Log("->", bytes);
    try {
        Line().Send(bytes);
    } catch (...) {
        RethrowWorded();
    }
}

void TEcrChannel::OpenWindow(TWaitWindow& w, unsigned frameMs) const {
    const unsigned timeout = cfg.ReadTimeoutMs();
    w.start = w.lastPoll = GetTickCount();
    w.frameMs = frameMs;
    w.end = w.start + timeout + frameMs;
    w.hardEnd = w.end + cfg.busyAllowanceMs;
    w.wacks = 0;
}

void TEcrChannel::BeginPacket() {
    const int baud = cfg.slowestBaud > 0 ? cfg.slowestBaud : 1200;
    // 10 bits a byte on the line (start, 8 data bits, stop), the longest frame twice over.
    const unsigned frameMs = static_cast<unsigned>((2ULL * (TEcrLink::BufferSize + 4) * 10 * 1000 + baud - 1) / baud);
    OpenWindow(FPacket, frameMs);
    FInPacket = true;
}

void TEcrChannel::PollAbort() {
    if (FSink && FSink->CzyPrzerwac())
        throw Exception(Text("ThrowPrzerwac", "Exception", u8"Operacja przerwana przez użytkownika"));
}

int TEcrChannel::WaitByte(char& ch) {
    FNoByteText = "<timeout>";
    TWaitWindow single;
    if (!FInPacket) OpenWindow(single, 0);
    TWaitWindow& w = FInPacket ? FPacket : single;
    const unsigned timeout = cfg.ReadTimeoutMs();
    const unsigned piece = cfg.abortPollMs > 0 ? cfg.abortPollMs : 1000;
    // The time-out is counted in what the line was asked to wait, so a line that answers
    // "nothing" at once (no line at all, a test's line) ends the wait at once as well.
    unsigned waited = 0;
    for (;;) {
        uint32_t now = GetTickCount();
        // Once a second of the wait (of the whole packet, bytes or not), the host is asked.
        if (Until(now, w.lastPoll) >= static_cast<int32_t>(piece)) {
            w.lastPoll = now;
            PollAbort();
        }
        if (FInPos == FInLen) {
            unsigned wait = std::min(timeout - waited, piece);
            const int32_t windowLeft = Until(w.end, now);
            if (windowLeft < static_cast<int32_t>(wait)) wait = windowLeft > 0 ? static_cast<unsigned>(windowLeft) : 0;
            int got = 0;
            try {
                got = Line().Read(FIn, static_cast<int>(sizeof FIn), wait);
            } catch (...) {
                RethrowWorded();
            }
            now = GetTickCount();
            if (got > 0) {
                FInPos = 0;
                FInLen = got;
            } else {
                waited += wait;
                if (waited >= timeout) return 0;
            }
        }
        if (FInPos < FInLen) {
            const char c = FIn[FInPos++];
            if (c != EcrByte::WACK) {
                ch = c;
                return 1;
            }
            LogRun("<-", "<WACK>");
            if (++w.wacks > cfg.maxWack) {
                FNoByteText = "<too many WACK>";
                return 0;  // a line that only ever asks to wait is as good as silent
            }
            // The register asked to wait: the time-out starts again, and the packet still gets
            // its frame's wire time after it, as far as the busy allowance reaches.
            waited = 0;
            const uint32_t wanted = now + timeout + w.frameMs;
            if (Until(wanted, w.end) > 0) w.end = Until(wanted, w.hardEnd) > 0 ? w.hardEnd : wanted;
        }
        if (Until(w.end, now) <= 0) {
            FNoByteText = w.wacks > 0 && w.end == w.hardEnd ? "<busy too long>"
                          : w.frameMs > 0                   ? "<packet too slow>"
                                                            : "<timeout>";
            return 0;
        }
    }
}

int TEcrChannel::ReadData(char* buf, int len) {
    // The bytes go straight into buf; the log sees them as one text.
    int got = 0;
    while (got < len) {
        char c = 0;
        if (ReadByte(c) == 0) {
            Log("<-", NoByteText());
            break;
        }
        if (c == EcrByte::EOT) {
            if (got > 0 && Logging()) Log("<-", AnsiString(buf, static_cast<size_t>(got)));
            Log("<-", c);
            SendData(AnsiString(1, EcrByte::EOT));
            throw Exception(Text("ReadData", "Exception", u8"Kasa zerwała komunikację (EOT)"));
        }
        buf[got++] = c;
    }
    if (got > 0 && Logging()) Log("<-", AnsiString(buf, static_cast<size_t>(got)));
    return got;
}

void TEcrChannel::ClearStaleInput(unsigned quietMs) {
    // A bound, so that a line that never stops talking cannot hold the driver here.
    constexpr size_t kMostStale = 4096;
    // What an earlier read took off the line with the bytes it wanted comes first.
    AnsiString stale(FIn + FInPos, static_cast<size_t>(FInLen - FInPos));
    FInPos = FInLen = 0;
    char buffer[256];
    try {
        for (int n = 0; stale.size() < kMostStale;) {
            n = Line().TakeArrived(buffer, sizeof buffer, quietMs);
            if (n <= 0) break;
            stale.append(buffer, static_cast<size_t>(n));
        }
    } catch (...) {
        RethrowWorded();
    }
    if (!stale.empty()) Log("  ", "<- Stale input cleared (" + stale + ")");
}

void TEcrChannel::Log(const AnsiString& direction, const AnsiString& data) {
    if (!cfg.cfgUseLog) return;
    FTools.DebugIt(direction, LogText(data));
}

void TEcrChannel::Log(const AnsiString& direction, char byte) { Log(direction, AnsiString(1, byte)); }

void TEcrChannel::LogRun(const AnsiString& direction, const AnsiString& data) {
    if (!cfg.cfgUseLog) return;
    FTools.DebugRun(direction, LogText(data));
}
