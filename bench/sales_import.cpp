// The analysis of a sales import's staging file of 1,000,000 lines (100,000 receipts of
// nine lines and a closing line) against a bare read of the same file split into lines, round
// by round (see PairedRounds.h): the analysis proper (every line into the import buffers,
// progress reported to the host), and the whole of it (the buffers written as "kasa.imp" and
// handed over, the files archived). The deliberate pauses for the host while receipts are
// written are left out (the virtual clock does not move).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "bench/PairedRounds.h"
#include "driver/NovitusAction.h"
#include "driver/SalesImport.h"
#include "platform/Os.h"
#include "tests/support/FakeHostLink.h"

namespace {

const int kReceipts = 100000;
const int kLinesPerReceipt = 10;

std::string BenchDir() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "velkora_bench_sales";
    fs::create_directories(dir / "EDI");
    return (dir / "").string();
}

// Receipts over two days, goods from a list of 5000 codes, some weighed, a discount card on
// every third receipt, payments by card and in cash.
std::string MakeStagingFile() {
    const std::string path = BenchDir() + "staging.master";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::mt19937 rng(11);
    char line[256];
    for (int r = 0; r < kReceipts; ++r) {
        long long total = 0;
        for (int i = 0; i < kLinesPerReceipt - 1; ++i) {
            if (i == 8 && r % 3 == 0) {
                std::snprintf(line, sizeof line, "Dk5%18s000\r\n", "9900012371231");
            } else {
                const long long code = 5900000000000LL + rng() % 5000;
                const bool weighed = code % 7 == 0;
                const long long raw = weighed ? 150 + rng() % 1000 : 1 + rng() % 3;
                const long long price = 100 + rng() % 3000;
                const long long value = weighed ? price * raw / 1000 : price * raw;
                std::snprintf(line, sizeof line, "Dk1%18lld %d%010lld%010lld%010lld\r\n", code, weighed ? 3 : 0, raw,
                              price, value);
                total += value;
            }
            out << line;
        }
        const int day = r < kReceipts / 2 ? 14 : 15;
        std::snprintf(line, sizeof line, "Dk#004000%010d%010d202403%02d%02d%02d1010%020d%010d%010lld%060d\r\n", r + 1,
                      r + 101, day, 8 + r % 12, r % 60, 0, 0, r % 2 ? total : 0LL, 0);
        out << line;
    }
    return path;
}

// The host keeps its message list as a back office shows it: a changed line replaces the last
// one, rather than piling up tens of thousands of progress lines the driver is not to pay for.
class TBenchHost : public FakeHostLink {
public:
    void ZmienOstatniKomunikat(void*, int kind, const AnsiString& text) override {
        if (messages.empty()) messages.push_back({kind, text, true});
        messages.back() = {kind, text, true};
    }
};

// The bare work: read the file in blocks and split it into lines, each handed to onLine.
template <class OnLine>
long long ReadAndSplit(const std::string& path, OnLine&& onLine) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::vector<char> buffer(1 << 18);
    std::string pending, line;
    long long lines = 0;
    for (size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), file)) > 0;) {
        pending.append(buffer.data(), n);
        size_t start = 0;
        for (size_t at; (at = pending.find("\r\n", start)) != std::string::npos; start = at + 2) {
            line.assign(pending, start, at - start);
            onLine(std::string_view(line));
            ++lines;
        }
        pending.erase(0, start);
    }
    std::fclose(file);
    return lines;
}

long long ReadAndSplit(const std::string& path) {
    return ReadAndSplit(path, [](std::string_view line) { benchmark::DoNotOptimize(line.data()); });
}

// A reference, not a competitor: a plain loop written for this file alone: the five numbers
// and the code of each sale line read, each position kept until its receipt closes, then
// summed into its goods line (a hash map by code) and kept in memory for the receipt's block.
// No weighted codes, cards, dates, payments, hours, days, warnings or progress.
long long PlainLoop(const std::string& path) {
    struct TPosition {
        long long value, quantity, price;
        unsigned char length;
        char code[22];
    };
    struct TSums {
        long double quantity = 0, value = 0;
    };
    const auto number = [](std::string_view field) {
        long long value = 0;
        for (char c : field)
            if (c >= '0' && c <= '9') value = value * 10 + (c - '0');
        return value;
    };
    std::unordered_map<std::string, TSums> lines;
    std::vector<TPosition> receipt, kept;
    long long closed = 0;
    ReadAndSplit(path, [&](std::string_view line) {
        if (line.size() >= 53 && line[1] == 'k' && line[2] == '1') {
            TPosition p;
            for (int position : {3, 23}) benchmark::DoNotOptimize(number(line.substr(position - 1, 1)));
            p.quantity = number(line.substr(23, 10));
            p.price = number(line.substr(33, 10));
            p.value = number(line.substr(43, 10));
            std::string_view code = line.substr(3, 18);
            while (!code.empty() && code.front() == ' ') code.remove_prefix(1);
            p.length = static_cast<unsigned char>(std::min<size_t>(code.size(), sizeof p.code));
            std::memcpy(p.code, code.data(), p.length);
            receipt.push_back(p);
        } else if (line.size() >= 145 && line[1] == 'k' && line[2] == '#') {
            for (int position : {10, 20, 66, 76, 86, 96, 106})
                benchmark::DoNotOptimize(number(line.substr(position - 1, 10)));
            for (const TPosition& p : receipt) {
                TSums& sums = lines[std::string(p.code, p.length)];
                sums.quantity += p.quantity;
                sums.value += p.value;
                kept.push_back(p);
            }
            receipt.clear();
            ++closed;
        }
    });
    benchmark::DoNotOptimize(kept.data());
    return closed;
}

constexpr int kRounds = 7;

void BM_AnalysisAgainstBareRead(benchmark::State& state) {
    const std::string master = MakeStagingFile();
    const std::string dir = BenchDir();
    TBenchHost host;
    host.device.exchangeDirectory = dir;
    host.params = {{"NovitusECRPort", "PLIK"},
                   {"NovitusECRCardParseMask", "99kkkkkkymmrx"},
                   {"NovitusECREdiFolder", dir + "EDI"},
                   {"NovitusECRSaleSource", "1"},
                   {"NovitusECRReceipts", "2"}};
    TVirtualClock clock;
    SetClock(&clock);
    TPairedRounds analysis("staging file analysis", TPairedRounds::processorTime);
    TPairedRounds whole("sales import (whole)", TPairedRounds::processorTime);
    TPairedRounds plain("plain loop (reference)", TPairedRounds::processorTime);
    TPairedRounds overPlain("analysis / plain loop", TPairedRounds::processorTime);
    for (auto _ : state) {
        std::filesystem::copy_file(master, dir + "novitus.imp", std::filesystem::copy_options::overwrite_existing);
        for (const char* archive : {"arch.imp", "arch1.imp"}) std::remove((dir + archive).c_str());

        double driver = 0;
        {
            TQxNovitusECRAction action(&host, nullptr);
            action.ReadParams();
            TSalesImport import(action);
            driver = analysis.Time([&] { import.Analyse(dir + "novitus.imp"); });
            if (action.imp_bufs.size() != 2) state.SkipWithError("the analysis found no two days");
        }
        long long lines = 0;
        const double bare = analysis.Time([&] { lines = ReadAndSplit(dir + "novitus.imp"); });
        if (lines != kReceipts * kLinesPerReceipt) state.SkipWithError("short file");
        long long receipts = 0;
        const double plainLoop = plain.Time([&] { receipts = PlainLoop(dir + "novitus.imp"); });
        plain.Add(plainLoop, bare);
        overPlain.Add(driver, plainLoop);
        if (receipts != kReceipts) state.SkipWithError("the reference found too few receipts");
        const double all = whole.Time([&] {
            TQxNovitusECRAction action(&host, nullptr);
            HQVRDLLSRODOWISKO environment;
            action.Operacja(&environment, -3, 0);
        });
        if (Os().FileExists(dir + "novitus.imp")) state.SkipWithError("the import failed");
        whole.Add(all, bare);
        analysis.Add(state, driver, bare);
    }
    SetClock(nullptr);
    whole.Report(state);
    plain.Report(state);
    overPlain.Report(state);
    analysis.Report(state);
    state.SetItemsProcessed(state.iterations() * kReceipts * kLinesPerReceipt);
}
BENCHMARK(BM_AnalysisAgainstBareRead)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(kRounds);

}  // namespace

int main(int argc, char** argv) { return TPairedRounds::RunProgram(argc, argv); }
