// Throughput of the exchange files: reading a goods export file "kasa.exp" of 100,000 goods,
// and filling and writing a sales import file "kasa.imp" of 100,000 goods lines and 20,000
// receipts.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "exchange/ExpBuf.h"
#include "exchange/ImpBuf.h"
#include "platform/Os.h"

namespace {

const int kGoods = 100000;
const int kReceipts = 20000;
const int kPositionsPerReceipt = 3;

std::string BenchDir() {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "velkora_bench_exchange";
    fs::create_directories(dir);
    std::string s = dir.string();
    s += static_cast<char>(fs::path::preferred_separator);
    return s;
}

// A export file of kGoods goods lines of every kind of content, plus the usual lists.
std::string MakeExportFile() {
    const std::string path = BenchDir() + "kasa.exp";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "VAT;23\r\nVAT;8\r\nVAT;5;500\r\nVAT;-1\r\nJM;1;0;szt\r\nJM;2;3;kg\r\nEURO;43215\r\n";
    std::mt19937 rng(42);
    static const char* const kStatus[] = {"DOD", "AKT", "CEN", "USU"};
    char line[512];
    for (int i = 0; i < kGoods; ++i) {
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

void BM_ReadExportFile(benchmark::State& state) {
    const std::string path = MakeExportFile();
    const std::string archive = BenchDir() + "ARCH2.EXP";
    for (auto _ : state) {
        state.PauseTiming();
        std::remove(archive.c_str());
        state.ResumeTiming();
        QxExpBuf buf(nullptr);
        buf.ReadFromFile(path, false, -1);
        benchmark::DoNotOptimize(buf.il_rec);
        if (buf.il_rec != kGoods) state.SkipWithError("not every goods line was read");
    }
    state.SetItemsProcessed(state.iterations() * kGoods);
}
BENCHMARK(BM_ReadExportFile)->Unit(benchmark::kMillisecond);

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

void BM_FillImportBuffer(benchmark::State& state) {
    for (auto _ : state) {
        QxImpBuf buf;
        buf.sprzedaz_z_paragonow = true;
        FillImportBuffer(buf);
        benchmark::DoNotOptimize(buf.CountPlu());
    }
    state.SetItemsProcessed(state.iterations() * (kGoods + kReceipts));
}
BENCHMARK(BM_FillImportBuffer)->Unit(benchmark::kMillisecond);

// Writing the file; the writer pauses 20 ms after every tenth of a second of goods lines so
// that the host stays responsive. With the virtual clock (range 1) time never passes and it
// does not pause: the raw writing speed.
void BM_WriteImportFile(benchmark::State& state) {
    QxImpBuf buf;
    buf.sprzedaz_z_paragonow = true;
    buf.par_szczeg = true;
    buf.fisk_z_plu = true;
    FillImportBuffer(buf);
    const int lines = buf.CountPlu();
    const std::string path = BenchDir() + "kasa.imp";
    TVirtualClock virtualClock;
    if (state.range(0) == 1) SetClock(&virtualClock);
    for (auto _ : state) {
        buf.Save(path, true);
    }
    SetClock(nullptr);
    state.counters["goods_lines"] = lines;
    state.SetItemsProcessed(state.iterations() * (lines + buf.GetReceiptsCount()));
}
BENCHMARK(BM_WriteImportFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
