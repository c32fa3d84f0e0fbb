// The exchange files against plain file I/O, round by round (see PairedRounds.h):
// - reading a goods export file "kasa.exp" of 100,000 goods into the export buffer, against
//   reading the same file and splitting each line on ";" with std::getline;
// - writing a sales import file "kasa.imp" of 100,000 goods lines and 20,000 receipts,
//   against writing the same bytes line by line with a plain stream.
// The writer's and reader's pauses for the host are left out (a clock that does not move).
// Last, the peak memory of reading 1,000,000 goods, each read in a fresh process.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/PairedRounds.h"
#include "exchange/ExpBuf.h"
#include "exchange/ImpBuf.h"
#include "platform/Os.h"

namespace {

const int kGoods = 100000;
const int kMemoryGoods = 1000000;
const int kReceipts = 20000;
const int kPositionsPerReceipt = 3;
const int kRounds = 15;

std::string BenchDir() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "velkora_bench_exchange";
    fs::create_directories(dir);
    std::string s = dir.string();
    s += static_cast<char>(fs::path::preferred_separator);
    return s;
}

// An export file of the given number of goods lines of every kind of content, plus the usual
// lists.
std::string MakeExportFile(const std::string& name, int goods) {
    const std::string path = BenchDir() + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "VAT;23\r\nVAT;8\r\nVAT;5;500\r\nVAT;-1\r\nJM;1;0;szt\r\nJM;2;3;kg\r\nEURO;43215\r\n";
    std::mt19937 rng(42);
    static const char* const kStatus[] = {"DOD", "AKT", "CEN", "USU"};
    char line[512];
    for (int i = 0; i < goods; ++i) {
        const unsigned price = 100 + rng() % 100000;
        const long long code = 5900000000000LL + static_cast<long long>(rng() % 9999999);
        if (i % 2 == 0)
            std::snprintf(line, sizeof line, "PLU;%d;0;%lld;Towar numer %d;%u;%u;%u;%u;23;1;F;0;F;F;T;;;%d;%s\r\n",
                          i + 1, code, i, price, price - 10, price + 10, price + 5, i % 50, kStatus[i % 4]);
        else
            std::snprintf(line, sizeof line,
                          "PLU;%d;%d;%lld;Towar wazony %d;%u;%u;%u;%u;8;2;T;3;T;F;F;;;%d;%s;opis 1;opis 2;"
                          "10.89.11;;0;-1;%d;;;0;800;Pelna nazwa towaru %d;1;\r\n",
                          i + 1, i % 3, code, i, price, price, price, price, i % 50, kStatus[i % 4], i % 3 ? 1000 : 500,
                          i);
        out << line;
    }
    out << "OPER;1;Kowalski;3;ID1;K1\r\nWAL;EUR;Euro;431;T;N\r\nASS;1;Nabial\r\n";
    return path;
}

// The driver's way: the export buffer reads (and archives) the file.
int DriverRead(const std::string& path) {
    QxExpBuf buf(nullptr);
    buf.ReadFromFile(path, false, -1);
    return buf.il_rec;
}

// The bare way: every line read and split on ";" with std::getline, the words kept until the
// next line.
size_t BareRead(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::istringstream words;
    std::vector<std::string> fields(40);
    size_t lines = 0;
    while (std::getline(in, line)) {
        words.str(line);
        words.clear();
        size_t k = 0;
        while (k < fields.size() && std::getline(words, fields[k], ';')) ++k;
        ++lines;
    }
    return lines;
}

void BM_ReadExportFile(benchmark::State& state) {
    const std::string path = MakeExportFile("kasa.exp", kGoods);
    const std::string archive = BenchDir() + "ARCH2.EXP";
    TVirtualClock clock;
    SetClock(&clock);
    TPairedRounds rounds("kasa.exp read", TPairedRounds::processorTime);
    for (auto _ : state) {
        std::remove(archive.c_str());
        int goods = 0;
        size_t lines = 0;
        rounds.Round(
            state, [&] { goods = DriverRead(path); }, [&] { lines = BareRead(path); });
        if (goods != kGoods || lines < static_cast<size_t>(kGoods))
            state.SkipWithError("not every goods line was read");
    }
    SetClock(nullptr);
    std::remove(archive.c_str());
    rounds.Report(state);
}
BENCHMARK(BM_ReadExportFile)->Unit(benchmark::kMillisecond)->Iterations(kRounds)->UseManualTime();

// The barcode of goods line i: distinct codes in scattered order.
std::string GoodsCode(int i) {
    return std::to_string(5900000000000LL + (static_cast<long long>(i) * 7919) % 100000000);
}

// Goods lines through AddToPlu in scattered code order, then receipts whose positions sell
// the same goods and feed the sales.
void FillImportBuffer(QxImpBuf& buf) {
    std::mt19937 rng(7);
    for (int i = 0; i < kGoods; ++i) buf.AddToPlu(GoodsCode(i), 1000 + rng() % 5000, 100 + rng() % 10000, id_barcode);
    const double day = TdtTools(2025, 3, 14).Value();
    for (int r = 0; r < kReceipts; ++r) {
        auto* par = new QVRParagon;
        par->FwoDetails = r % 2 == 0;
        par->FnrTrans = r;
        par->FnrKasjera = 1 + r % 4;
        for (int p = 0; p < kPositionsPerReceipt; ++p) {
            auto* pos = new QVRPosition;
            pos->Fplu = static_cast<int>(rng() % 100);
            if (p != 0) pos->Fkod = GoodsCode(static_cast<int>(rng() % kGoods));
            pos->Filosc = 1000;
            pos->Fwartosc = 100 + rng() % 5000;
            pos->Frabat = 0;
            pos->FnrParagonu = r + 1;
            pos->Fdata_czas = day + (8 + r % 12) / 24.0;
            *par + pos;
        }
        auto* pay = new QVRPayment;
        pay->Fkod = r % 5;
        pay->Fwartosc = 1000;
        pay->Fkurs = 100;
        pay->Frodzaj = static_cast<formy>(r % 5);
        pay->Fdata_czas = day;
        *par + pay;
        buf.AddReceipt(par);
    }
}

// The lines of a file, each with its own line end (CR LF, or LF in a receipt block).
std::vector<std::string> LinesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line, '\n');) lines.push_back(in.eof() ? line : line + '\n');
    return lines;
}

void BM_WriteImportFile(benchmark::State& state) {
    QxImpBuf buf;
    buf.sprzedaz_z_paragonow = true;
    buf.par_szczeg = true;
    buf.fisk_z_plu = true;
    FillImportBuffer(buf);
    const std::string path = BenchDir() + "kasa.imp";
    const std::string barePath = BenchDir() + "kasa_bare.imp";
    TVirtualClock clock;
    SetClock(&clock);
    buf.Save(path, true);
    const std::vector<std::string> lines = LinesOf(path);
    TPairedRounds rounds("kasa.imp write", TPairedRounds::processorTime);
    for (auto _ : state) {
        rounds.Round(
            state, [&] { buf.Save(path, true); },
            [&] {
                std::ofstream out(barePath, std::ios::binary | std::ios::trunc);
                for (const std::string& line : lines) out.write(line.data(), static_cast<std::streamsize>(line.size()));
            });
    }
    SetClock(nullptr);
    std::ifstream a(path, std::ios::binary), b(barePath, std::ios::binary);
    if (std::string(std::istreambuf_iterator<char>(a), {}) != std::string(std::istreambuf_iterator<char>(b), {}))
        state.SkipWithError("the bare file differs from the driver's");
    state.counters["goods_lines"] = buf.CountPlu();
    rounds.Report(state);
}
BENCHMARK(BM_WriteImportFile)->Unit(benchmark::kMillisecond)->Iterations(kRounds)->UseManualTime();

// --- peak memory of the 1,000,000-goods read, each in a process of its own ------------------

const char kPeakOption[] = "--peak-memory-of=";

// The peak resident memory of this process in KiB, from the system's status; -1 when unknown.
long long PeakKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atoll(line.c_str() + 6);
    return -1;
}

// The child: does what it was asked ("driver:PATH", "bare:PATH" or "none:") and prints its
// peak memory.
int PeakMemoryChild(const std::string& what) {
    const std::string kind = what.substr(0, what.find(':'));
    const std::string path = what.substr(what.find(':') + 1);
    TVirtualClock clock;
    SetClock(&clock);
    if (kind == "driver") DriverRead(path);
    if (kind == "bare") BareRead(path);
    SetClock(nullptr);
    std::printf("%lld\n", PeakKiB());
    return 0;
}

long long PeakOfChild(const std::string& self, const std::string& what) {
    const std::string out = BenchDir() + "peak.txt";
    const std::string command = "\"" + self + "\" " + kPeakOption + "\"" + what + "\" > \"" + out + "\"";
    if (std::system(command.c_str()) != 0) return -1;
    std::ifstream in(out);
    long long kib = -1;
    in >> kib;
    return kib;
}

void MeasurePeakMemory(const std::string& self) {
    const std::string path = MakeExportFile("kasa_1m.exp", kMemoryGoods);
    const long long fileBytes = static_cast<long long>(std::filesystem::file_size(path));
    const long long none = PeakOfChild(self, "none:");
    const long long driver = PeakOfChild(self, "driver:" + path);
    const long long bare = PeakOfChild(self, "bare:" + path);
    std::remove(path.c_str());
    std::remove((BenchDir() + "ARCH2.EXP").c_str());
    char line[400];
    if (none < 0 || driver < 0 || bare < 0) {
        TPairedRounds::Note("1,000,000-goods read: peak memory unknown on this system");
        return;
    }
    std::snprintf(line, sizeof line,
                  "1,000,000-goods read       peak memory %.0f MB (bare read-and-split %.0f MB, the program alone "
                  "%.0f MB); file %.0f MB, %.0f bytes a line, %.0f bytes of memory a goods record at the peak",
                  driver / 1024.0, bare / 1024.0, none / 1024.0, fileBytes / 1048576.0,
                  static_cast<double>(fileBytes) / kMemoryGoods,
                  static_cast<double>(driver - none) * 1024 / kMemoryGoods);
    TPairedRounds::Note(line);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind(kPeakOption, 0) == 0) return PeakMemoryChild(arg.substr(sizeof kPeakOption - 1));
    }
    const char* program = argv[0];
    return TPairedRounds::RunProgram(argc, argv, [program] { MeasurePeakMemory(program); });
}
