// The goods export against the simulated register over loopback TCP:
//  - 10,000 goods exported by the driver (kasa.exp read, register prepared, every record sent
//    and acknowledged, wynik.exp written), interleaved with a bare exchange of the same
//    10,000 frames and acknowledgements over the same kind of socket, round by round (see
//    PairedRounds.h): driver / bare for the whole export and for its goods pass alone;
//  - the driver's CPU time per goods record;
//  - 1,000 goods with the simulator paced at 19200 baud, against the wire time of the bytes
//    that crossed the line: the driver must add no waits of its own between frames.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "bench/PairedRounds.h"
#include "driver/NovitusAction.h"
#include "platform/Exceptions.h"
#include "platform/TcpSocket.h"
#include "sim/NovitusRegister.h"
#include "sim/RegisterSim.h"
#include "sim/SimServer.h"
#include "tests/support/FakeHostLink.h"

namespace {

constexpr int kGoods = 10000;
constexpr int kPacedGoods = 1000;
constexpr int kBaud = 19200;

using TClock = std::chrono::steady_clock;

const char kRegister[] =
    "file p\nrecord p01    131072       101       248VKA120034503100205TH-58000000\n"
    "file P\nrecord P01\nvat 2300 800 500 0 FFFF - -\neuro 4.3215\n";

double Since(TClock::time_point t0) { return std::chrono::duration<double>(TClock::now() - t0).count(); }

// An exchange directory with kasa.exp of n goods.
std::string MakeExchange(int n) {
    const auto dir = std::filesystem::temp_directory_path() / ("velkora-bench-export-" + std::to_string(n));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "EDI");
    std::ofstream out((dir / "kasa.exp").string(), std::ios::binary);
    out << "VAT;23\r\nVAT;8\r\nJM;1;0;szt\r\nJM;2;3;kg\r\nEURO;43215\r\n";
    for (int i = 1; i <= n; ++i)
        out << Format("PLU;%d;0;59%011d;Towar testowy nr %d;%d;%d;%d;%d;%d;%d;F;0;F;F;F;;;1;DOD;;;;;0;;1000;;;0;%d\r\n",
                      i, i, i, 100 + i % 5000, 100, 100, 100, i % 3 ? 23 : 8, 1 + i % 2, i % 3 ? 2300 : 800);
    return (dir / "").string();
}

// The host, noting when the goods pass begins and when the line closes after it.
class TTimingHost : public FakeHostLink {
public:
    void DodajKomunikat(void* arg2, int kind, const AnsiString& text) override {
        if (StartsWith(text, "Programowanie towar")) passStart = TClock::now();
        if (StartsWith(text, "Zamykanie")) passEnd = TClock::now();
        FakeHostLink::DodajKomunikat(arg2, kind, text);
    }
    double PassSeconds() const { return std::chrono::duration<double>(passEnd - passStart).count(); }
    TClock::time_point passStart, passEnd;
};

// The driver and its register: an in-process host, the simulator on loopback.
struct TExportRig {
    explicit TExportRig(int goods) : exchange(MakeExchange(goods)), server(sim, 0) {
        server.Start();
        host.device.exchangeDirectory = exchange;
        host.device.number = 1;
        host.params = {{"NovitusECRPort", "TCP/IP"},
                       {"NovitusECRIpAddress", "127.0.0.1"},
                       {"NovitusECRIpPort", IntToStr(server.Port())},
                       {"NovitusECRIpTimeout", "5"},
                       {"NovitusECRCardParseMask", "99kkkkkkymmrx"},
                       {"NovitusECREdiFolder", exchange + "EDI"},
                       {"NovitusECRIdControl", "1"},
                       {"NovitusECRSendUnits", "1"},
                       {"NovitusECRProgEuro", "1"}};
    }
    ~TExportRig() { server.Stop(); }
    // One export; false when it reported an error.
    bool Export() {
        {
            auto lock = sim.Lock();
            state->Load(kRegister);  // a register without goods every time
        }
        std::filesystem::remove(exchange + "ARCH2.EXP");
        host.messages.clear();
        TQxNovitusECRAction action(&host, nullptr);
        try {
            action.Operacja(nullptr, -2, 0);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "export failed: %s\n", e.what());
            return false;
        }
        return true;
    }
    std::string exchange;
    std::shared_ptr<TNovitusRegister> state = std::make_shared<TNovitusRegister>();
    TRegisterSim sim{state};
    TSimTcpServer server;
    TTimingHost host;
};

// The bare exchange: the same frames one way and one acknowledgement byte the other, between
// two sockets of the same options, with no driver and no register behind them.
class TBarePeer {
public:
    TBarePeer() {
        int port = 0;
        listener = TcpOs::Listen(port);
        client = TcpOs::Connect("127.0.0.1", port, 5000);
        while ((server = TcpOs::Accept(listener, 1000)) == -1) {
        }
        peer = std::thread([this] { Answer(); });
    }
    ~TBarePeer() {
        TcpOs::CloseSocket(client);
        peer.join();
        TcpOs::CloseSocket(server);
        TcpOs::CloseSocket(listener);
    }
    // Sends every frame and waits for its acknowledgement.
    void Exchange(const std::vector<AnsiString>& frames) {
        for (const AnsiString& f : frames) {
            TcpOs::SendAll(client, f.data(), static_cast<int>(f.size()), 5000);
            char ack = 0;
            while (!(TcpOs::WaitReadable(client, 5000) && TcpOs::Receive(client, &ack, 1) == 1)) {
            }
        }
    }

private:
    // Acknowledges every frame (STX .. ETX and four check characters) it receives.
    void Answer() {
        char buffer[8192];
        int afterEtx = -1;
        for (;;) {
            const int n = TcpOs::WaitReadable(server, 100) ? TcpOs::Receive(server, buffer, sizeof buffer) : -1;
            if (n == 0) return;
            for (int i = 0; i < n; ++i) {
                if (afterEtx >= 0 && ++afterEtx == 4) {
                    TcpOs::SendAll(server, "\x06", 1, 5000);
                    afterEtx = -1;
                } else if (afterEtx < 0 && buffer[i] == '\x03') {
                    afterEtx = 0;
                }
            }
        }
    }
    intptr_t listener = -1, client = -1, server = -1;
    std::thread peer;
};

double gPacedSeconds = 0, gWireSeconds = 0;
constexpr int kRounds = 15;

void BM_Export10000DriverVersusBare(benchmark::State& state) {
    TExportRig rig(kGoods);
    TBarePeer bare;
    TPairedRounds whole("goods export (whole)", TPairedRounds::wallTime);
    TPairedRounds pass("goods export (goods pass)", TPairedRounds::wallTime);
    for (auto _ : state) {
        bool exported = false;
        const double d = whole.Time([&] { exported = rig.Export(); });
        if (!exported) state.SkipWithError("export failed");
        std::vector<AnsiString> frames;
        for (const AnsiString& record : rig.sim.Written("I#00")) frames.push_back(TRegisterSim::Frame(record));
        if (frames.size() != kGoods) state.SkipWithError("not every goods reached the register");
        const double b = whole.Time([&] { bare.Exchange(frames); });
        pass.Add(rig.host.PassSeconds(), b);
        whole.Add(state, d, b);
    }
    whole.Report(state);
    pass.Report(state);
}

void BM_ExportCpuPerGoods(benchmark::State& state) {
    TExportRig rig(kGoods);
    for (auto _ : state)
        if (!rig.Export()) state.SkipWithError("export failed");
    // Rates are taken over the CPU time of this thread, the driver's.
    state.counters["cpu_per_goods"] =
        benchmark::Counter(kGoods, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Export1000At19200Baud(benchmark::State& state) {
    TExportRig rig(kPacedGoods);
    rig.server.pacer.SetBaud(kBaud);
    for (auto _ : state) {
        const unsigned long long bytes0 = rig.server.pacer.bytesIn + rig.server.pacer.bytesOut;
        const auto t0 = TClock::now();
        if (!rig.Export()) state.SkipWithError("export failed");
        gPacedSeconds = Since(t0);
        const unsigned long long bytes = rig.server.pacer.bytesIn + rig.server.pacer.bytesOut - bytes0;
        gWireSeconds = static_cast<double>(bytes) * 10 / kBaud;
    }
    state.counters["wire_s"] = gWireSeconds;
    const double paced = gWireSeconds > 0 ? gPacedSeconds / gWireSeconds : 0;
    state.counters["time_per_wire"] = paced;
    char line[160];
    std::snprintf(line, sizeof line, "1,000 goods at %d baud: %.1f s against %.1f s of wire time, %.3f", kBaud,
                  gPacedSeconds, gWireSeconds, paced);
    TPairedRounds::Note(line);
}

}  // namespace

BENCHMARK(BM_Export10000DriverVersusBare)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(kRounds);
BENCHMARK(BM_ExportCpuPerGoods)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Export1000At19200Baud)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    TPairedRounds::PrintSummary();
    return 0;
}
