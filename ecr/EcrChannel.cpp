#include "ecr/EcrChannel.h"

#include "ecr/LTools.h"
#include "ecr/ModemPort.h"
#include "platform/Exceptions.h"
#include "platform/TcpSocket.h"
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
    {EcrByte::ENQ, "<ENQ>"}, {EcrByte::ACK, "<ACK>"},  {EcrByte::NAK, "<NAK>"},
    {EcrByte::STX, "<STX>"}, {EcrByte::ETX, "<ETX>"},  {EcrByte::ETB, "<ETB>"},
    {EcrByte::EOT, "<EOT>"}, {EcrByte::WACK, "<WACK>"}, {EcrByte::RVI, "<RVI>"},
    {static_cast<char>(0xFF), "<FF>"},
};

}  // namespace

TEcrChannel::TEcrChannel(TProgressSink* sink, TLTools& tools) : FSink(sink), FTools(tools) {}

TEcrChannel::~TEcrChannel() {
    // The stream refers to the socket: it goes first.
    FStream.reset();
    FSocket.reset();
    FPortObj.reset();
}

TMLgExtTools* TEcrChannel::LgLink() const { return FSink ? FSink->GetLgLink() : nullptr; }

AnsiString TEcrChannel::Text(const char* method, const char* piece, const char* defaultUtf8,
                             int duplicate) const {
    return Tr(LgLink(), kContext, kClass, method, piece, defaultUtf8, duplicate);
}

void TEcrChannel::MsgAdd(const AnsiString& text, LPVState state, int max) {
    if (FSink)
        FSink->MsgAdd(text, state, max);
}

void TEcrChannel::MsgS(LPVState state) {
    if (FSink)
        FSink->MsgS(state);
}

bool TEcrChannel::IsOpen() const {
    switch (cfg.cfgMedium) {
    case md_rs232: return FPortObj && FPortObj->GetActive();
    case md_tcpip: return FSocket && FSocket->GetActive() && FStream;
    default: return false;
    }
}

void TEcrChannel::OpenPort() {
    switch (cfg.cfgMedium) {
    case md_rs232: OpenRS232Port(); break;
    case md_tcpip: OpenTCPIPPort(); break;
    default: break;
    }
}

void TEcrChannel::ClosePort() {
    switch (cfg.cfgMedium) {
    case md_rs232: CloseRS232Port(); break;
    case md_tcpip: CloseTCPIPPort(); break;
    default: break;
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

void TEcrChannel::OpenRS232Port() {
    if (FPortObj && FPortObj->GetActive())
        return;
    try {
        FPortObj.reset();
        FPortObj = std::make_unique<TModemPort>(FSink);
        if (!cfg.modemPhone.empty()) {
            FPortObj->OpenPort(cfg.portName, Speed(), bs8, sb1_0, parNone);
            FPortObj->ModemConnect(cfg.modemPhone, cfg.modemTimeout);
        } else {
            AnsiString text = Text("OpenRS232Port", "MsgAdd", u8"Otwieranie portu komunikacyjnego ") + cfg.portName;
            MsgAdd(text, LPV_None, 100);
            Log(text, "");
            FPortObj->SetPortName(cfg.portName);
            FPortObj->SetBaudRate(Speed());
            FPortObj->SetParity(parNone);
            FPortObj->SetStopBits(sb1_0);
            FPortObj->SetByteSize(bs8);
            FPortObj->SetTo(0, cfg.serialTimeouts.readInterval);
            FPortObj->SetTo(1, cfg.serialTimeouts.readTotalMultiplier);
            FPortObj->SetTo(3, cfg.serialTimeouts.writeTotalMultiplier);
            FPortObj->SetTo(2, cfg.serialTimeouts.readTotalConstant);
            FPortObj->SetTo(4, cfg.serialTimeouts.writeTotalConstant);
            FPortObj->SetActive(true);
        }
        MsgS(LPV_Ok);
    } catch (...) {
        try {
            ClosePort();
        } catch (...) {
            // the opening error is the one to report
        }
        FPortObj.reset();
        MsgS(LPV_Error);
        throw;
    }
}

void TEcrChannel::CloseRS232Port() {
    if (!FPortObj)
        return;
    try {
        if (FPortObj->ConnectedViaModem)
            FPortObj->ModemDisconnect();
    } catch (...) {
        // The line is released even when the modem does not hang up.
        try {
            FPortObj->SetActive(false);
        } catch (...) {
        }
        FPortObj.reset();
        throw;
    }
    AnsiString text = Text("CloseRS232Port", "MsgAdd", u8"Zamykanie portu komunikacyjnego");
    MsgAdd(text, LPV_None, 100);
    try {
        Log(text, "");  // a log that cannot be written must not keep the port open
        FPortObj->SetActive(false);
    } catch (...) {
        FPortObj.reset();
        throw;
    }
    FPortObj.reset();
    MsgS(LPV_Ok);
}

void TEcrChannel::OpenTCPIPPort() {
    if (FSocket && FSocket->GetActive() && FStream)
        return;
    FStream.reset();
    FSocket = std::make_unique<TClientSocket>();
    try {
        MsgAdd(Text("OpenTCPIPPort", "MsgAdd", u8"Nawiązywanie połączenia TCP/IP"), LPV_None, 100);
        FSocket->SetHost(cfg.ipAddress);
        FSocket->SetPort(cfg.ipPort);
        FSocket->SetClientType(ctBlocking);
        FSocket->SetConnectTimeout(cfg.streamTimeoutMs);
        FSocket->SetActive(true);
        FStream = std::make_unique<TWinSocketStream>(*FSocket, cfg.streamTimeoutMs);
        MsgS(LPV_Ok);
    } catch (...) {
        FStream.reset();
        FSocket.reset();
        MsgS(LPV_Error);
        throw;
    }
}

void TEcrChannel::CloseTCPIPPort() {
    if (!FSocket)
        return;
    try {
        MsgAdd(Text("CloseTCPIPPort", "MsgAdd", u8"Zamykanie połączenia TCP/IP"), LPV_None, 100);
        FSocket->SetActive(false);
    } catch (...) {
        FStream.reset();
        FSocket.reset();
        throw;
    }
    FStream.reset();
    FSocket.reset();
    MsgS(LPV_Ok);
}

void TEcrChannel::SendData(const AnsiString& bytes) {
    Log("->", bytes);
    switch (cfg.cfgMedium) {
    case md_rs232:
        if (!FPortObj || !FPortObj->GetActive())
            throw Exception(Text("SendData", "Exception", u8"Port komunikacyjny nie jest otwarty"));
        FPortObj->Transmit(bytes.data(), static_cast<int>(bytes.size()), true);
        break;
    case md_tcpip:
        if (!FStream)
            throw Exception(Text("SendData", "Exception", u8"Port komunikacyjny nie jest otwarty"));
        FStream->Write(bytes.data(), static_cast<int>(bytes.size()));
        break;
    default:
        break;
    }
}

int TEcrChannel::ReadByte(char& ch) {
    int wacks = 0;
    for (;;) {
        char c = 0;
        switch (cfg.cfgMedium) {
        case md_rs232:
            if (!FPortObj || !FPortObj->GetActive())
                return 0;
            c = FPortObj->Get();
            if (FPortObj->BytesReceived == 0)
                return 0;
            break;
        case md_tcpip:
            if (!FStream)
                return 0;
            if (!FStream->WaitForData(cfg.cfgIpTimeoutMs > 0 ? static_cast<unsigned>(cfg.cfgIpTimeoutMs) : 0))
                return 0;
            if (FStream->Read(&c, 1) != 1)
                return 0;
            break;
        default:
            return 0;
        }
        if (c == EcrByte::WACK) {
            Log("<-", c);
            if (++wacks > cfg.maxWackInRow)
                return 0;  // a line that only ever asks to wait is as good as silent
            continue;
        }
        ch = c;
        return 1;
    }
}

int TEcrChannel::ReadData(char* buf, int len) {
    AnsiString text;
    while (static_cast<int>(text.size()) < len) {
        char c = 0;
        if (ReadByte(c) == 0) {
            Log("<-", "<timeout>");
            break;
        }
        if (c == EcrByte::EOT) {
            if (!text.empty())
                Log("<-", text);
            Log("<-", c);
            SendData(AnsiString(1, EcrByte::EOT));
            throw Exception(Text("ReadData", "Exception", u8"Kasa zerwała komunikację (EOT)"));
        }
        text += c;
    }
    if (!text.empty()) {
        Log("<-", text);
        text.copy(buf, text.size());
    }
    return static_cast<int>(text.size());
}

AnsiString TEcrChannel::LogText(const AnsiString& data) {
    AnsiString text = data;
    for (const TByteName& n : kByteNames) {
        if (text.find(n.byte) != AnsiString::npos)
            text = ReplaceAll(text, AnsiString(1, n.byte), n.name);
    }
    return text;
}

void TEcrChannel::Log(const AnsiString& direction, const AnsiString& data) {
    if (!cfg.cfgUseLog)
        return;
    FTools.DebugIt(direction, LogText(data));
}

void TEcrChannel::Log(const AnsiString& direction, char byte) { Log(direction, AnsiString(1, byte)); }
