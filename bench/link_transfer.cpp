// Read and write transfers of 10,000 records over loopback TCP against the simulated
// register, next to a bare ping-pong of the same frames over the same kind of socket with no
// driver code. Prints records per second and the ratio driver / bare.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ecr/EcrChannel.h"
#include "ecr/EcrLink.h"
#include "ecr/EcrTransfers.h"
#include "ecr/LTools.h"
#include "platform/Exceptions.h"
#include "platform/ProgressSink.h"
#include "platform/TcpSocket.h"
#include "sim/RegisterSim.h"
#include "sim/SimServer.h"

namespace {

constexpr int kRecords = 10000;

// A receipt-line-sized record for reads, a goods-sized one (about 120 bytes) for writes.
AnsiString ReadRecord(int i) { return Format("%08d%-40s%12d%12d", i, "RECEIPT LINE", i * 3, i * 7); }
AnsiString GoodsRecord(int i) {
    return Format("%06d%-40s%13d%3s%1s%10d%-20s%-13s%-14s", i, "TOWAR TESTOWY NR", i * 11, "szt", "A", i * 100,
                  "OPIS DODATKOWY", "5901234123457", "0000000000000");
}

std::map<std::string, double> gRates;  // records per second by benchmark

void Record(benchmark::State& state, const char* name, double seconds, long long records) {
    double rate = seconds > 0 ? records / seconds : 0;
    gRates[name] = rate;
    state.counters["records_per_second"] = rate;
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

struct TDriverRig {
    TDriverRig() : channel(&sink, tools), link(channel), transfers(link), server(sim, 0) {
        server.Start();
        channel.cfg.cfgMedium = md_tcpip;
        channel.cfg.ipAddress = "127.0.0.1";
        channel.cfg.ipPort = server.Port();
        channel.cfg.cfgIpTimeoutMs = 5000;
        channel.OpenPort();
    }
    ~TDriverRig() {
        channel.ClosePort();
        server.Stop();
    }
    TNullSink sink;
    TLTools tools;
    TEcrChannel channel;
    TEcrLink link;
    TEcrTransfers transfers;
    TRegisterSim sim;
    TSimTcpServer server;
};

void BM_DriverRead(benchmark::State& state) {
    TDriverRig rig;
    for (int i = 0; i < kRecords; ++i) rig.sim.State().AddRecord("U", ReadRecord(i));
    long long records = 0;
    double seconds = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        rig.transfers.BeginRead("U", rm_notresetting, -1, -1);
        int n = 0;
        for (;;) {
            bool eot = false;
            AnsiString p = rig.link.ReadPacketNext(eot);
            if (eot) break;
            benchmark::DoNotOptimize(p);
            ++n;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (n != kRecords) state.SkipWithError("short read");
        records += n;
    }
    Record(state, "read/driver", seconds, records);
}

void BM_DriverWrite(benchmark::State& state) {
    TDriverRig rig;
    std::vector<AnsiString> records;
    for (int i = 0; i < kRecords; ++i) records.push_back(GoodsRecord(i));
    long long sent = 0;
    double seconds = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        rig.transfers.BeginWrite("I#00");
        for (const AnsiString& r : records) rig.link.SendPacket(r);
        rig.link.ResetCommunication();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        sent += kRecords;
        state.PauseTiming();
        {
            auto lock = rig.sim.Lock();
            rig.sim.State().File("I#00").records.clear();
            rig.sim.State().File("I#00").written.clear();
        }
        state.ResumeTiming();
    }
    Record(state, "write/driver", seconds, sent);
}

// --- the bare ping-pong: one frame one way, one acknowledgement byte the other ----------

// Reads from a socket into a buffer and hands out whole frames or single bytes.
class TBareReader {
public:
    explicit TBareReader(intptr_t s) : FSocket(s) {}
    // Waits for a frame (STX .. ETX + 4 check characters) and returns its length.
    size_t Frame() {
        size_t start = FPos;
        for (;;) {
            for (size_t i = start; i < FLen; ++i) {
                if (FBuf[i] == '\x03' && i + 4 < FLen) {
                    size_t n = i + 5 - FPos;
                    FPos = i + 5;
                    return n;
                }
            }
            Fill();
            start = FPos;
        }
    }
    char Byte() {
        if (FPos == FLen) Fill();
        return FBuf[FPos++];
    }

private:
    void Fill() {
        if (FPos == FLen) FPos = FLen = 0;
        if (FPos > 0) {
            std::memmove(FBuf, FBuf + FPos, FLen - FPos);
            FLen -= FPos;
            FPos = 0;
        }
        for (;;) {
            int n = TcpOs::WaitReadable(FSocket, 5000)
                        ? TcpOs::Receive(FSocket, FBuf + FLen, static_cast<int>(sizeof FBuf - FLen))
                        : -1;
            if (n > 0) {
                FLen += static_cast<size_t>(n);
                return;
            }
            if (n == 0) throw Exception("bare peer closed");
        }
    }
    intptr_t FSocket;
    char FBuf[8192];
    size_t FPos = 0;
    size_t FLen = 0;
};

struct TBareRig {
    TBareRig() {
        int port = 0;
        listener = TcpOs::Listen(port);
        client = TcpOs::Connect("127.0.0.1", port, 5000);
        while ((server = TcpOs::Accept(listener, 1000)) == -1) {
        }
    }
    ~TBareRig() {
        TcpOs::CloseSocket(client);
        TcpOs::CloseSocket(server);
        TcpOs::CloseSocket(listener);
    }
    intptr_t listener = -1, client = -1, server = -1;
};

void BM_BareRead(benchmark::State& state) {
    TBareRig rig;
    std::vector<AnsiString> frames;
    for (int i = 0; i < kRecords; ++i) frames.push_back(TRegisterSim::Frame(ReadRecord(i)));
    std::atomic<int> rounds{0};
    std::atomic<bool> stop{false};
    // The register side: a frame, then the driver's ACK, for every record.
    std::thread peer([&] {
        TBareReader in(rig.server);
        try {
            while (!stop) {
                if (in.Byte() != '\x05') continue;  // a round starts with ENQ
                for (const AnsiString& f : frames) {
                    TcpOs::SendAll(rig.server, f.data(), static_cast<int>(f.size()), 5000);
                    in.Byte();
                }
                TcpOs::SendAll(rig.server, "\x04", 1, 5000);
            }
        } catch (...) {
        }
    });
    TBareReader in(rig.client);
    long long records = 0;
    double seconds = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        TcpOs::SendAll(rig.client, "\x05", 1, 5000);
        for (int i = 0; i < kRecords; ++i) {
            benchmark::DoNotOptimize(in.Frame());
            TcpOs::SendAll(rig.client, "\x06", 1, 5000);
        }
        in.Byte();  // EOT
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        records += kRecords;
        ++rounds;
    }
    stop = true;
    TcpOs::CloseSocket(rig.client);
    rig.client = -1;
    peer.join();
    Record(state, "read/bare", seconds, records);
}

void BM_BareWrite(benchmark::State& state) {
    TBareRig rig;
    std::vector<AnsiString> frames;
    for (int i = 0; i < kRecords; ++i) frames.push_back(TRegisterSim::Frame(GoodsRecord(i)));
    std::atomic<bool> stop{false};
    // The register side: every frame acknowledged.
    std::thread peer([&] {
        TBareReader in(rig.server);
        try {
            while (!stop) {
                in.Frame();
                TcpOs::SendAll(rig.server, "\x06", 1, 5000);
            }
        } catch (...) {
        }
    });
    TBareReader in(rig.client);
    long long records = 0;
    double seconds = 0;
    for (auto _ : state) {
        auto t0 = std::chrono::steady_clock::now();
        for (const AnsiString& f : frames) {
            TcpOs::SendAll(rig.client, f.data(), static_cast<int>(f.size()), 5000);
            benchmark::DoNotOptimize(in.Byte());
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        records += kRecords;
    }
    stop = true;
    TcpOs::CloseSocket(rig.client);
    rig.client = -1;
    peer.join();
    Record(state, "write/bare", seconds, records);
}

}  // namespace

BENCHMARK(BM_DriverRead)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_BareRead)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_DriverWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_BareWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const char* kind : {"read", "write"}) {
        auto d = gRates.find(std::string(kind) + "/driver");
        auto b = gRates.find(std::string(kind) + "/bare");
        if (d == gRates.end() || b == gRates.end()) continue;
        std::printf("%-5s transfer: driver %.0f records/s, bare %.0f records/s, driver / bare %.2f\n", kind, d->second,
                    b->second, b->second > 0 ? d->second / b->second : 0.0);
    }
    return 0;
}
