#include "ecr/EcrTransport.h"

#include "ecr/EcrChannel.h"
#include "ecr/ModemPort.h"
#include "platform/LineError.h"
#include "platform/Os.h"
#include "platform/TcpSocket.h"

namespace {

// How often a wait for bytes that may still come looks at the serial port.
constexpr unsigned kPollMs = 5;

// The serial line; with a telephone number the modem dialogue runs on it first.
class TSerialTransport : public TEcrTransport {
public:
    explicit TSerialTransport(TEcrChannel& channel) : FChannel(channel) {}

    void Open() override {
        const TEcrChannelConfig& cfg = FChannel.cfg;
        FPort = std::make_unique<TModemPort>(FChannel.Sink());
        FWaitMs = ~0u;
        if (!cfg.modemPhone.empty()) {
            FPort->OpenPort(cfg.portName, FChannel.Speed(), bs8, sb1_0, parNone);
            FPort->ModemConnect(cfg.modemPhone, cfg.modemTimeout);
        } else {
            AnsiString text =
                FChannel.Text("OpenRS232Port", "MsgAdd", u8"Otwieranie portu komunikacyjnego ") + cfg.portName;
            FChannel.MsgAdd(text, LPV_None, 100);
            FChannel.Log(text, "");
            FPort->SetPortName(cfg.portName);
            FPort->SetBaudRate(FChannel.Speed());
            FPort->SetParity(parNone);
            FPort->SetStopBits(sb1_0);
            FPort->SetByteSize(bs8);
            FPort->SetTo(0, cfg.serialTimeouts.readInterval);
            FPort->SetTo(1, cfg.serialTimeouts.readTotalMultiplier);
            FPort->SetTo(3, cfg.serialTimeouts.writeTotalMultiplier);
            FPort->SetTo(2, cfg.serialTimeouts.readTotalConstant);
            FPort->SetTo(4, cfg.serialTimeouts.writeTotalConstant);
            FPort->SetActive(true);
        }
        FChannel.MsgS(LPV_Ok);
    }

    void Close() override {
        // The port object goes whatever fails on the way; destroying it releases the line.
        std::unique_ptr<TModemPort> port = std::move(FPort);
        if (!port) return;
        if (port->ConnectedViaModem) port->ModemDisconnect();
        AnsiString text = FChannel.Text("CloseRS232Port", "MsgAdd", u8"Zamykanie portu komunikacyjnego");
        FChannel.MsgAdd(text, LPV_None, 100);
        FChannel.Log(text, "");  // a log that cannot be written must not keep the port open
        port->SetActive(false);
        FChannel.MsgS(LPV_Ok);
    }

    bool IsOpen() const override { return FPort && FPort->GetActive(); }

    void Send(const AnsiString& bytes) override {
        if (!IsOpen()) throw ELineError(lfNotOpen, FChannel.cfg.portName, "");
        FPort->Transmit(bytes.data(), static_cast<int>(bytes.size()), true);
    }

    int Read(char* buffer, int count, unsigned waitMs) override {
        if (!IsOpen() || count <= 0) return 0;
        if (waitMs != FWaitMs) {
            // The line's own total time-out becomes the piece the channel waits for; it only
            // changes when the piece does (the last piece before a time-out), not per read.
            FPort->SetTo(1, 0);
            FPort->SetTo(2, waitMs);
            FWaitMs = waitMs;
        }
        char c = FPort->Get();
        if (FPort->BytesReceived == 0) return 0;
        buffer[0] = c;
        return 1 + FPort->Receive(buffer + 1, count - 1);
    }

    int TakeArrived(char* buffer, int count, unsigned waitMs) override {
        if (!IsOpen() || count <= 0) return 0;
        const uint32_t start = GetTickCount();
        for (;;) {
            const int n = FPort->Receive(buffer, count);
            if (n > 0 || GetTickCount() - start >= waitMs) return n;
            Sleep(kPollMs);
        }
    }

private:
    TEcrChannel& FChannel;
    std::unique_ptr<TModemPort> FPort;
    unsigned FWaitMs = ~0u;  // the read time-out last given to the port (none yet)
};

// A blocking TCP client and the stream over its connection.
class TTcpTransport : public TEcrTransport {
public:
    explicit TTcpTransport(TEcrChannel& channel) : FChannel(channel) {}

    void Open() override {
        const TEcrChannelConfig& cfg = FChannel.cfg;
        FSocket = std::make_unique<TClientSocket>();
        FChannel.MsgAdd(FChannel.Text("OpenTCPIPPort", "MsgAdd", u8"Nawiązywanie połączenia TCP/IP"), LPV_None, 100);
        FSocket->SetHost(cfg.ipAddress);
        FSocket->SetPort(cfg.ipPort);
        FSocket->SetClientType(ctBlocking);
        FSocket->SetConnectTimeout(cfg.streamTimeoutMs);
        FSocket->SetActive(true);
        FStream = std::make_unique<TWinSocketStream>(*FSocket, cfg.streamTimeoutMs);
        FChannel.MsgS(LPV_Ok);
    }

    void Close() override {
        // Both objects go whatever fails; the stream refers to the socket, so it goes first.
        std::unique_ptr<TClientSocket> socket = std::move(FSocket);
        std::unique_ptr<TWinSocketStream> stream = std::move(FStream);
        if (!socket || !socket->GetActive() || !stream) return;  // no connection was made
        FChannel.MsgAdd(FChannel.Text("CloseTCPIPPort", "MsgAdd", u8"Zamykanie połączenia TCP/IP"), LPV_None, 100);
        socket->SetActive(false);
        FChannel.MsgS(LPV_Ok);
    }

    bool IsOpen() const override { return FSocket && FSocket->GetActive() && FStream; }

    void Send(const AnsiString& bytes) override {
        if (!IsOpen()) throw ELineError(lfNotOpen, FChannel.cfg.ipAddress, "");
        FStream->Write(bytes.data(), static_cast<int>(bytes.size()));
    }

    int Read(char* buffer, int count, unsigned waitMs) override {
        // One wait and one receive for each byte that is not buffered yet.
        if (!IsOpen()) return 0;
        return FStream->Read(buffer, count, waitMs);
    }

    int TakeArrived(char* buffer, int count, unsigned waitMs) override { return Read(buffer, count, waitMs); }

private:
    TEcrChannel& FChannel;
    std::unique_ptr<TClientSocket> FSocket;
    std::unique_ptr<TWinSocketStream> FStream;
};

// The file medium: a file stands in for the register, so there is no line.
class TNoTransport : public TEcrTransport {
public:
    void Open() override {}
    void Close() override {}
    bool IsOpen() const override { return false; }
    void Send(const AnsiString&) override {}
    int Read(char*, int, unsigned) override { return 0; }
    int TakeArrived(char*, int, unsigned) override { return 0; }
};

}  // namespace

std::unique_ptr<TEcrTransport> NewEcrTransport(TEcrChannel& channel) {
    switch (channel.cfg.cfgMedium) {
        case md_rs232: return std::make_unique<TSerialTransport>(channel);
        case md_tcpip: return std::make_unique<TTcpTransport>(channel);
        default: return std::make_unique<TNoTransport>();
    }
}
