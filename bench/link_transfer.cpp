// Read and write transfers of 10,000 records against the simulated register, the driver's
// link against a bare client that sends and checks the same frames, acknowledgements and
// handshake over the same kind of line to the same simulator, round by round (see
// PairedRounds.h): over TCP/IP and over a pseudo-terminal as the serial line.
// Opening and closing the line stay outside the time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/PairedRounds.h"
#include "ecr/EcrChannel.h"
#include "ecr/EcrLink.h"
#include "ecr/EcrTransfers.h"
#include "ecr/LTools.h"
#include "platform/Exceptions.h"
#include "platform/LinkBytes.h"
#include "platform/ProgressSink.h"
#include "platform/SerialPort.h"
#include "platform/TcpSocket.h"
#include "sim/RegisterSim.h"
#include "sim/SimServer.h"

namespace {

constexpr int kRecords = 10000;
constexpr int kRounds = 25;
const char kReadFile[] = "U";
const char kWriteFile[] = "I#00";

// A receipt-line-sized record for reads, a goods-sized one (about 120 bytes) for writes.
AnsiString ReadRecord(int i) { return Format("%08d%-40s%12d%12d", i, "RECEIPT LINE", i * 3, i * 7); }
AnsiString GoodsRecord(int i) {
    return Format("%06d%-40s%13d%3s%1s%10d%-20s%-13s%-14s", i, "TOWAR TESTOWY NR", i * 11, "szt", "A", i * 100,
                  "OPIS DODATKOWY", "5901234123457", "0000000000000");
}

class TNullSink : public TProgressSink {
public:
    void MsgAdd(const AnsiString&, LPVState, int) override {}
    void MsgP(int) override {}
    void MsgS(LPVState) override {}
    void DodajKomunikat(int, const AnsiString&) override {}
    bool CzyPrzerwac() override { return false; }
    TMLgExtTools* GetLgLink() override { return nullptr; }
};

// The simulated register with its records, served over TCP/IP or a pseudo-terminal.
struct TPeer {
    explicit TPeer(bool serial) {
        for (int i = 0; i < kRecords; ++i) sim.State().AddRecord(kReadFile, ReadRecord(i));
        if (serial)
            pty = std::make_unique<TSimPty>(sim);
        else
            tcp = std::make_unique<TSimTcpServer>(sim, 0);
        serial ? pty->Start() : tcp->Start();
    }
    void ForgetWritten() {
        auto lock = sim.Lock();
        sim.State().File(kWriteFile).records.clear();
        sim.State().File(kWriteFile).written.clear();
    }
    TRegisterSim sim;
    std::unique_ptr<TSimTcpServer> tcp;
    std::unique_ptr<TSimPty> pty;
};

// The driver's side: channel, link and transfers as the operations use them.
struct TDriver {
    explicit TDriver(TPeer& peer) : channel(&sink, tools), link(channel), transfers(link) {
        if (peer.tcp) {
            channel.cfg.cfgMedium = md_tcpip;
            channel.cfg.ipAddress = "127.0.0.1";
            channel.cfg.ipPort = peer.tcp->Port();
            channel.cfg.cfgIpTimeoutMs = 5000;
        } else {
            channel.cfg.cfgMedium = md_rs232;
            channel.cfg.portName = peer.pty->SlavePath();
            channel.cfg.speed = 7;
        }
        channel.OpenPort();
    }
    ~TDriver() { channel.ClosePort(); }
    int Read() {
        transfers.BeginRead(kReadFile, rm_notresetting, -1, -1);
        int n = 0;
        for (bool eot = false;; ++n) {
            AnsiString packet = link.ReadPacketNext(eot);
            if (eot) return n;
            benchmark::DoNotOptimize(packet);
        }
    }
    void Write(const std::vector<AnsiString>& records) {
        transfers.BeginWrite(kWriteFile);
        for (const AnsiString& r : records) link.SendPacket(r);
        link.ResetCommunication();
    }
    TNullSink sink;
    TLTools tools;
    TEcrChannel channel;
    TEcrLink link;
    TEcrTransfers transfers;
};

// --- the bare client ------------------------------------------------------------------------

// The line under the bare client: sends bytes, and receives what has come, waiting for some.
class TBareLine {
public:
    virtual ~TBareLine() = default;
    virtual void Send(const char* data, size_t size) = 0;
    // Some bytes (at least one) into buffer; raises when none come within 5 seconds.
    virtual size_t Receive(char* buffer, size_t size) = 0;
};

class TBareTcp : public TBareLine {
public:
    explicit TBareTcp(int port) : FSocket(TcpOs::Connect("127.0.0.1", port, 5000)) {}
    ~TBareTcp() override { TcpOs::CloseSocket(FSocket); }
    void Send(const char* data, size_t size) override { TcpOs::SendAll(FSocket, data, static_cast<int>(size), 5000); }
    size_t Receive(char* buffer, size_t size) override {
        for (;;) {
            if (!TcpOs::WaitReadable(FSocket, 5000)) throw Exception("bare client: no answer");
            const int n = TcpOs::Receive(FSocket, buffer, static_cast<int>(size));
            if (n == 0) throw Exception("bare client: the peer closed the line");
            if (n > 0) return static_cast<size_t>(n);
        }
    }

private:
    intptr_t FSocket;
};

class TBareSerial : public TBareLine {
public:
    explicit TBareSerial(const AnsiString& path) : FDevice(CreateSystemSerialDevice(path)) {
        TSerialSettings settings;
        settings.portName = path;
        settings.baudRate = br115200;
        // Return what has come, or wait up to 5 s for the first byte.
        settings.timeouts = TSerialTimeouts{0xFFFFFFFFu, 0xFFFFFFFFu, 5000, 0, 5000};
        FDevice->Open(settings);
    }
    ~TBareSerial() override { FDevice->Close(); }
    void Send(const char* data, size_t size) override { FDevice->Write(data, static_cast<int>(size), true); }
    size_t Receive(char* buffer, size_t size) override {
        const int n = FDevice->Read(buffer, static_cast<int>(size));
        if (n <= 0) throw Exception("bare client: no answer");
        return static_cast<size_t>(n);
    }

private:
    std::unique_ptr<TSerialDevice> FDevice;
};

// The protocol with nothing around it: control bytes, frames built and checked in place.
class TBareClient {
public:
    explicit TBareClient(TBareLine& line) : FLine(line) {}

    int Read() {
        Open(TEcrTransfers::StartPacketData(TEcrTransfers::tkRead, kReadFile, rm_notresetting, -1, -1));
        SendByte(EcrByte::EOT);
        Expect(EcrByte::ENQ);
        SendByte(EcrByte::ACK);
        for (int n = 0;; ++n) {
            const char first = Byte();
            if (first == EcrByte::EOT) {
                SendByte(EcrByte::EOT);
                return n;
            }
            if (first != EcrByte::STX) throw Exception("bare client: no frame");
            // The frame up to its terminator and four check characters, checked.
            size_t length = 1;
            FFrame[0] = first;
            while (FFrame[length - 1] != EcrByte::ETX && FFrame[length - 1] != EcrByte::ETB) FFrame[length++] = Byte();
            unsigned check = 0;
            for (int k = 0; k < 4; ++k) {
                const char c = Byte();
                check = check * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
            }
            if (check != TEcrLink::CalculateBCC(FFrame + 1, static_cast<int>(length) - 1))
                throw Exception("bare client: bad check");
            SendByte(EcrByte::ACK);
        }
    }

    void Write(const std::vector<AnsiString>& records) {
        Open(TEcrTransfers::StartPacketData(TEcrTransfers::tkWrite, kWriteFile, rm_notresetting, 0, 0));
        for (const AnsiString& r : records) SendFrame(r);
        SendByte(EcrByte::EOT);
        Byte();
    }

private:
    // The line request and the start packet.
    void Open(const AnsiString& start) {
        SendByte(EcrByte::ENQ);
        Expect(EcrByte::ACK);
        SendFrame(start);
    }
    // A frame built into the buffer, sent, and acknowledged.
    void SendFrame(const AnsiString& data) {
        FFrame[0] = EcrByte::STX;
        data.copy(FFrame + 1, data.size());
        FFrame[data.size() + 1] = EcrByte::ETX;
        const unsigned check = TEcrLink::CalculateBCC(FFrame + 1, static_cast<int>(data.size()) + 1);
        for (int k = 0; k < 4; ++k) FFrame[data.size() + 2 + k] = "0123456789ABCDEF"[(check >> (12 - 4 * k)) & 0xF];
        FLine.Send(FFrame, data.size() + 6);
        Expect(EcrByte::ACK);
    }
    void SendByte(char c) { FLine.Send(&c, 1); }
    void Expect(char c) {
        if (Byte() != c) throw Exception("bare client: unexpected answer");
    }
    char Byte() {
        if (FPos == FEnd) {
            FPos = 0;
            FEnd = FLine.Receive(FIn, sizeof FIn);
        }
        return FIn[FPos++];
    }

    TBareLine& FLine;
    char FIn[4096];
    size_t FPos = 0;
    size_t FEnd = 0;
    char FFrame[4096];
};

std::unique_ptr<TBareLine> BareLine(TPeer& peer) {
    if (peer.tcp) return std::make_unique<TBareTcp>(peer.tcp->Port());
    return std::make_unique<TBareSerial>(peer.pty->SlavePath());
}

// --- the pairs ----------------------------------------------------------------------------------

// A line just opened: the simulator takes it up before the clock starts.
void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(20)); }

void ReadPair(benchmark::State& state, bool serial, const char* name) {
    if (serial && !TSimPty::Supported()) {
        state.SkipWithError("no pseudo-terminals here");
        return;
    }
    TPeer peer(serial);
    TPairedRounds rounds(name, TPairedRounds::wallTime);
    for (auto _ : state) {
        int driverRecords = 0, bareRecords = 0;
        auto driver = std::make_unique<TDriver>(peer);
        Settle();
        const double d = rounds.Time([&] { driverRecords = driver->Read(); });
        driver.reset();
        auto line = BareLine(peer);
        TBareClient bare(*line);
        Settle();
        const double b = rounds.Time([&] { bareRecords = bare.Read(); });
        line.reset();
        rounds.Add(state, d, b);
        if (driverRecords != kRecords || bareRecords != kRecords) state.SkipWithError("short read");
    }
    rounds.Report(state);
}

void BM_ReadTcp(benchmark::State& state) { ReadPair(state, false, "read transfer (TCP/IP)"); }
void BM_ReadSerial(benchmark::State& state) { ReadPair(state, true, "read transfer (serial)"); }

void WritePair(benchmark::State& state, bool serial, const char* name) {
    if (serial && !TSimPty::Supported()) {
        state.SkipWithError("no pseudo-terminals here");
        return;
    }
    TPeer peer(serial);
    std::vector<AnsiString> records;
    for (int i = 0; i < kRecords; ++i) records.push_back(GoodsRecord(i));
    TPairedRounds rounds(name, TPairedRounds::wallTime);
    for (auto _ : state) {
        auto driver = std::make_unique<TDriver>(peer);
        Settle();
        const double d = rounds.Time([&] { driver->Write(records); });
        driver.reset();
        const bool driverWrote = peer.sim.Written(kWriteFile).size() == records.size();
        peer.ForgetWritten();
        auto line = BareLine(peer);
        TBareClient bare(*line);
        Settle();
        const double b = rounds.Time([&] { bare.Write(records); });
        line.reset();
        rounds.Add(state, d, b);
        if (!driverWrote || peer.sim.Written(kWriteFile).size() != records.size()) state.SkipWithError("records lost");
        peer.ForgetWritten();
    }
    rounds.Report(state);
}

void BM_WriteTcp(benchmark::State& state) { WritePair(state, false, "write transfer (TCP/IP)"); }
void BM_WriteSerial(benchmark::State& state) { WritePair(state, true, "write transfer (serial)"); }

}  // namespace

BENCHMARK(BM_ReadTcp)->Unit(benchmark::kMillisecond)->Iterations(kRounds)->UseManualTime();
BENCHMARK(BM_WriteTcp)->Unit(benchmark::kMillisecond)->Iterations(kRounds)->UseManualTime();
BENCHMARK(BM_ReadSerial)->Unit(benchmark::kMillisecond)->Iterations(kRounds)->UseManualTime();
BENCHMARK(BM_WriteSerial)->Unit(benchmark::kMillisecond)->Iterations(kRounds)->UseManualTime();

int main(int argc, char** argv) { return TPairedRounds::RunProgram(argc, argv); }
