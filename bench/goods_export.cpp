// The goods export against the simulated register over loopback TCP:
//  - 10,000 goods exported by the driver (kasa.exp read, register prepared, every record sent
//    and acknowledged, wynik.exp written), interleaved with a bare client replaying the
//    driver's side of that very conversation to the same simulator, its register reset the
//    same way, round by round (see PairedRounds.h): driver / bare for the whole export and
//    for its goods pass alone;
//  - the driver's CPU time per goods record;
//  - 1,000 goods with the simulator paced at 19200 baud, against the wire time of the bytes
//    that crossed the line: the driver must add no waits of its own between frames.
#include <benchmark/benchmark.h>

#include <algorithm>
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
#include "ecr/EcrTransfers.h"
#include "platform/Exceptions.h"
#include "platform/TcpSocket.h"
#include "sim/LineTranscript.h"
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
    // A register without goods, as before every export and every bare replay.
    void ResetRegister() {
        auto lock = sim.Lock();
        state->Load(kRegister);
    }
    // One export from a reset register; false when it reported an error.
    bool Export() {
        ResetRegister();
        return ExportAsIs();
    }
    bool ExportAsIs() {
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

// The bare client: the driver's side of a recorded export replayed to the same simulator,
// its register reset the same way: every turn of the driver's bytes sent as it was, every
// answer of the register awaited in full and compared. Same frames, acknowledgements,
// handshake, round trips and socket options, with no driver around them.
class TBareReplay {
public:
    explicit TBareReplay(std::vector<TLineTranscript::TTurn> turns) : FTurns(std::move(turns)) {
        // The goods pass begins with the line request of the goods file's write transfer.
        const AnsiString start = TEcrTransfers::StartPacketData(TEcrTransfers::tkWrite, "I#00", rm_notresetting, 0, 0);
        for (size_t k = 1; k < FTurns.size() && FPassStart == 0; ++k)
            if (FTurns[k].fromDriver && FTurns[k].bytes.find(start) != AnsiString::npos) FPassStart = k - 2;
    }
    bool Valid() const { return FPassStart > 0; }
    // The whole conversation, connecting and closing included; false when the register
    // answered otherwise than it did to the driver.
    bool Run(int port, double& passSeconds) {
        const intptr_t socket = TcpOs::Connect("127.0.0.1", port, 5000);
        bool same = true;
        TClock::time_point passStart;
        for (size_t k = 0; k < FTurns.size() && same; ++k) {
            if (k == FPassStart) passStart = TClock::now();
            const AnsiString& bytes = FTurns[k].bytes;
            if (FTurns[k].fromDriver) {
                TcpOs::SendAll(socket, bytes.data(), static_cast<int>(bytes.size()), 5000);
                continue;
            }
            for (size_t got = 0; got < bytes.size() && same;) {
                const int n =
                    TcpOs::WaitReadable(socket, 5000)
                        ? TcpOs::Receive(socket, FIn, static_cast<int>(std::min(sizeof FIn, bytes.size() - got)))
                        : 0;
                same = n > 0 && bytes.compare(got, static_cast<size_t>(n), FIn, static_cast<size_t>(n)) == 0;
                got += n > 0 ? static_cast<size_t>(n) : 0;
            }
        }
        TcpOs::CloseSocket(socket);
        passSeconds = Since(passStart);
        return same;
    }

private:
    std::vector<TLineTranscript::TTurn> FTurns;
    size_t FPassStart = 0;
    char FIn[8192];
};

double gPacedSeconds = 0, gWireSeconds = 0;
constexpr int kRounds = 25;

void BM_Export10000DriverVersusBare(benchmark::State& state) {
    TExportRig rig(kGoods);
    TPairedRounds whole("goods export (whole)", TPairedRounds::wallTime);
    TPairedRounds pass("goods export (goods pass)", TPairedRounds::wallTime);
    for (auto _ : state) {
        bool exported = false;
        rig.ResetRegister();
        rig.server.transcript.Start();
        const double d = whole.Time([&] { exported = rig.ExportAsIs(); });
        rig.server.transcript.Stop();
        if (!exported) state.SkipWithError("export failed");
        if (rig.sim.Written("I#00").size() != kGoods) state.SkipWithError("not every goods reached the register");
        TBareReplay bare(rig.server.transcript.Turns());
        if (!bare.Valid()) state.SkipWithError("no goods transfer in the conversation");
        rig.ResetRegister();
        bool same = false;
        double barePass = 0;
        const double b = whole.Time([&] { same = bare.Run(rig.server.Port(), barePass); });
        if (!same) state.SkipWithError("the register answered the replay otherwise");
        if (rig.sim.Written("I#00").size() != kGoods) state.SkipWithError("the replay did not program every goods");
        pass.Add(rig.host.PassSeconds(), barePass);
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

int main(int argc, char** argv) { return TPairedRounds::RunProgram(argc, argv); }
