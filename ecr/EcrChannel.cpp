#include "ecr/EcrChannel.h"

#include "ecr/EcrTransport.h"
#include "ecr/LTools.h"
#include "platform/LineError.h"
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

}  // namespace

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

int TEcrChannel::WaitByte(char& ch) {
    FNoByteText = "<timeout>";
    int wacks = 0;
    for (;;) {
        if (FInPos == FInLen) {
            int got = 0;
            try {
                got = Line().Read(FIn, static_cast<int>(sizeof FIn));
            } catch (...) {
                RethrowWorded();
            }
            if (got <= 0) return 0;
            FInPos = 0;
            FInLen = got;
        }
        const char c = FIn[FInPos++];
        if (c == EcrByte::WACK) {
            Log("<-", c);
            if (++wacks > cfg.maxWackInRow) {
                FNoByteText = "<too many WACK>";
                return 0;  // a line that only ever asks to wait is as good as silent
            }
            continue;
        }
        ch = c;
        return 1;
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
