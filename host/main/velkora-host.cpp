// velkora-host: the back-office host on the command line. It loads the driver library
// through its fifteen entry points, keeps the driver's parameters in a file in the working
// directory and runs operations, showing the driver's messages as they come.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

#include "host/BackOffice.h"
#include "host/DriverHost.h"
#include "host/ExportReport.h"
#include "host/GoodsBook.h"
#include "host/MessageView.h"
#include "host/ParamStore.h"
#include "host/SalesReport.h"
#include "platform/Console.h"
#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/Os.h"
#include "platform/Translation.h"

namespace {

void Usage() {
    std::puts(
        "usage: velkora-host [options] COMMAND\n"
        "\n"
        "commands:\n"
        "  run OPERATION [PARAMETER]  run an operation: test, export, import, receipt,\n"
        "                             auto-export, auto-import, extra (PARAMETER 0, 1 or 2)\n"
        "                             or a numeric operation code\n"
        "  export                     export the goods of EXCHANGE/kasa.exp, with its pace and a summary\n"
        "  import                     import the sales and show what was taken, per sales date\n"
        "  receipt NUMBER             import the receipt with that printout number (W)\n"
        "  window N                   show the driver's window N (2: the goods-import choices)\n"
        "                             and print what it answered\n"
        "  set NAME VALUE             store a driver parameter (VALUE in UTF-8)\n"
        "  unset NAME                 forget a stored parameter (the default applies again)\n"
        "  params                     list every parameter with its current value\n"
        "  describe                   show the driver's self-description and windows\n"
        "\n"
        "options:\n"
        "  --library PATH             the driver library (default: next to this program,\n"
        "                             else found by the system's library search)\n"
        "  --params FILE              the parameter store (default: velkora-host.params)\n"
        "  --exchange DIR             the exchange directory (default: ./exchange)\n"
        "  --device-number N          the register's number in the host (default 1)\n"
        "  --device-name NAME         the register's name (default KASA 1)\n"
        "  --slow-host MILLISECONDS   every callback into the host waits that long first, as a\n"
        "                             slow back office does\n"
        "  --version                  print the version and stop\n"
        "\n"
        "Every file the driver hands over is kept in EXCHANGE/loaded, numbered; the counters\n"
        "a sales import file carries become stored parameters. The goods that extra 2 reads\n"
        "back from the register are kept in EXCHANGE/velkora-host.goods.\n"
        "The exit status is 0 when the operation reported no error, 1 when it did,\n"
        "2 for a usage or loading problem.");
}

struct Options {
    AnsiString library;
    AnsiString params = "velkora-host.params";
    AnsiString exchange = "exchange";
    int deviceNumber = 1;
    AnsiString deviceName = "KASA 1";
    int slowHostMs = 0;
    std::vector<AnsiString> args;
};

// A message for the terminal: the driver's and the framework's texts are Windows-1250, the
// host's own are UTF-8 already (a Windows-1250 Polish text is never valid UTF-8).
AnsiString ForTerminal(const AnsiString& text) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (n == 0 || i + n > text.size()) return Cp1250ToUtf8(text);
        for (size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return Cp1250ToUtf8(text);
        i += n;
    }
    return text;
}

AnsiString ProgramFolder(const char* argv0) {
    const AnsiString path = argv0 ? argv0 : "";
    return ExtractFilePath(path);
}

bool ParseOperation(const std::vector<AnsiString>& args, int& code, int& parameter) {
    static const std::map<AnsiString, int> names = {{"test", -1},    {"export", -2},      {"import", -3},
                                                    {"receipt", -4}, {"auto-export", -5}, {"auto-import", -6},
                                                    {"extra", -8}};
    if (args.size() < 2) return false;
    auto it = names.find(LowerCase(args[1]));
    if (it != names.end())
        code = it->second;
    else if (!TryStrToInt(args[1], code))
        return false;
    parameter = 0;
    if (args.size() > 2 && !TryStrToInt(args[2], parameter)) return false;
    return true;
}

// Every parameter of the catalogue: name -> (group/index, default, description).
struct CatalogueEntry {
    AnsiString name, def, description;
    int group = 0, index = 0, kind = 0;
};

std::vector<CatalogueEntry> Catalogue(TDriverHost& host) {
    std::vector<CatalogueEntry> entries;
    for (int group = 101; group <= 107; ++group)
        for (int index = 0;; ++index) {
            char n[301], d[301], v[301], lo[301], hi[301];
            int flags = 0;
            const int kind = host.api.Parametr(group, index, n, d, v, lo, hi, &flags);
            if (kind == 0) break;
            entries.push_back({n, v, d, group, index, kind});
        }
    return entries;
}

void FillDefaults(TDriverHost& host, const std::map<AnsiString, AnsiString>& stored) {
    for (const CatalogueEntry& e : Catalogue(host))
        if (!host.params.count(e.name)) host.params[e.name] = e.def;
    // The catalogue's EDI folder is the back-office installation's; this host has none, so
    // orders go next to the exchange files unless a folder was set.
    host.params["NovitusECREdiFolder"] = host.exchangeDirectory + "EDI";
    for (const auto& [name, value] : stored) host.params[name] = value;
}

int Describe(TDriverHost& host) {
    char out[301];
    for (int i : {1, 2, 3}) {
        host.api.Wlasciwosci(out, i);
        std::printf("%s\n", Cp1250ToUtf8(out).c_str());
    }
    for (int w = 0; host.api.SerKasOpisOkna(out, w); ++w) std::printf("extra %d: %s\n", w, Cp1250ToUtf8(out).c_str());
    return 0;
}

int ListParams(TDriverHost& host, const TParamStore& store) {
    for (const CatalogueEntry& e : Catalogue(host)) {
        auto it = store.values.find(e.name);
        const bool set = it != store.values.end();
        std::printf("%d/%-2d %-34s = %-20s%s  %s\n", e.group, e.index, e.name.c_str(),
                    Cp1250ToUtf8(set ? it->second : e.def).c_str(), set ? " *" : "  ",
                    Cp1250ToUtf8(e.description).c_str());
    }
    std::printf("(* stored in %s)\n", store.Path().c_str());
    return 0;
}

std::set<AnsiString> FilesIn(const AnsiString& folder) {
    std::set<AnsiString> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(NativePath(folder), error))
        files.insert(entry.path().filename().string());
    return files;
}

AnsiString ReadText(const AnsiString& path) {
    std::vector<AnsiString> lines;
    TMFile::ReadStringsFromFile(path, lines);
    AnsiString text;
    for (const AnsiString& line : lines) text += line + "\r\n";
    return text;
}

// What the operation handed over and where each file went.
void Report(TDriverHost& host, const TBackOffice& office, const AnsiString& ediFolder,
            const std::set<AnsiString>& ediBefore) {
    for (const AnsiString& copy : office.loaded) {
        if (EndsWith(copy, "-kasa.imp"))
            std::fputs(TSalesReport::Render(TSalesReport::ReadSalesFile(ReadText(copy)), copy).c_str(), stdout);
        else if (EndsWith(copy, "-paragon.imp"))
            std::fputs(TSalesReport::RenderReceipt(ReadText(copy), copy).c_str(), stdout);
    }
    for (const AnsiString& name : FilesIn(ediFolder))
        if (!ediBefore.count(name))
            std::fputs(TSalesReport::RenderOrder(ReadText(ediFolder + name), ediFolder + name).c_str(), stdout);
    if (office.loaded.empty()) return;
    AnsiString archives;
    for (const char* name : {"arch.imp", "arch1.imp", "errors.txt"})
        if (Os().FileExists(host.exchangeDirectory + name)) archives += " " + host.exchangeDirectory + name;
    if (!archives.empty()) std::printf("Archiwa i ostrzeżenia:%s\n", archives.c_str());
}

// Keeps the values the driver stored for itself (counters, maps, choices) in the store.
void KeepDriverValues(const TDriverHost& host, const std::map<AnsiString, AnsiString>& before, TParamStore& store) {
    bool changed = false;
    for (const auto& [name, value] : host.params) {
        auto it = before.find(name);
        if (it == before.end() || it->second != value) {
            store.values[name] = value;
            changed = true;
        }
    }
    if (changed) store.Save();
}

long long FileSize(const AnsiString& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(NativePath(path), error);
    return error ? -1 : static_cast<long long>(size);
}

// Where the goods read back from the register went: the raw list (extra 0), or the host's
// goods file and the driver's import log (extra 2).
void ReportReadBack(TDriverHost& host, TGoodsBook& book, int parameter, long long logSizeBefore) {
    if (parameter == 0) {
        const AnsiString path = host.exchangeDirectory + "inplu.exp";
        if (Os().FileExists(path))
            std::printf("Lista towarów kasy: %d -> %s\n", static_cast<int>(SplitLines(ReadText(path)).size()),
                        path.c_str());
        return;
    }
    book.Save();
    std::printf("Kartoteka towarów hosta: %d -> %s\n", static_cast<int>(book.goods.size()), book.Path().c_str());
    const AnsiString log = host.exchangeDirectory + "import.log";
    if (FileSize(log) != logSizeBefore) std::printf("Log importu: %s\n", log.c_str());
}

int Run(TDriverHost& host, TParamStore& store, TBackOffice& office, int code, int parameter) {
    TMessageView view(stdout, StdoutIsTerminal());
    bool error = false;
    // A goods export also shows its pace and ends with a summary.
    std::unique_ptr<TExportReport> report;
    if (code == -2 || code == -5) report = std::make_unique<TExportReport>(host.exchangeDirectory);
    host.onMessage = [&](const THostMessage& m, bool changed) {
        error = error || m.kind == 2;
        view.Show(report ? report->Decorate(m, changed) : m, changed);
    };
    host.onStore = [&](int number) {
        const char* what = number == 16 ? "wynik.exp" : number == 17 ? "kasa.imp" : "paragon.imp";
        try {
            const AnsiString copy = office.Load(host.exchangeDirectory + what, host.params);
            view.Show({0, AnsiString("Host: wczytano ") + what + " -> " + Ansi(copy)}, false);
            return true;
        } catch (const std::exception& e) {
            view.Show({2, AnsiString("Host: nie wczytano ") + what + ": " + e.what()}, false);
            return false;
        }
    };
    // Goods read back from the register are answered from the host's goods file.
    const bool readBack = code == -8 && (parameter == 0 || parameter == 2);
    TGoodsBook book(host.exchangeDirectory + "velkora-host.goods");
    if (readBack) book.Load();
    host.onAddGoods = [&](const THostGoods& g) {
        const int answer = book.Take(g);
        view.Show({0, "Host: " + Trim(g.code) + " \"" + g.name + "\": " + TGoodsBook::AnswerText(answer)}, false);
        return answer;
    };
    const long long logSizeBefore = FileSize(host.exchangeDirectory + "import.log");
    const AnsiString ediFolder = IncludeTrailingPathDelimiter(host.params["NovitusECREdiFolder"]);
    const std::set<AnsiString> ediBefore = FilesIn(ediFolder);
    const auto before = host.params;
    const auto result = host.Operation(code, parameter);
    view.Finish();
    if (readBack) ReportReadBack(host, book, parameter, logSizeBefore);
    if (report) std::fputs(report->Summary().c_str(), stdout);
    KeepDriverValues(host, before, store);
    if (result.result != 0) std::printf("(wynik operacji: %d)\n", result.result);
    Report(host, office, ediFolder, ediBefore);
    return error ? 1 : 0;
}

int ShowDriverWindow(TDriverHost& host, TParamStore& store, int window) {
    TMessageView view(stdout, StdoutIsTerminal());
    host.onMessage = [&](const THostMessage& m, bool changed) { view.Show(m, changed); };
    const auto before = host.params;
    int code = -1;
    AnsiString name;
    const bool shown = host.ShowWindow(window, &code, &name);
    view.Finish();
    KeepDriverValues(host, before, store);
    std::printf("okno %d: %s, kod %d, wynik: %s\n", window, Cp1250ToUtf8(name).c_str(), code, shown ? "tak" : "nie");
    if (window == 2)
        for (const char* param : {"NovitusECRImportOverWrite", "NovitusECRImportLogSave"})
            std::printf("%s = %s\n", param, Cp1250ToUtf8(host.params[param]).c_str());
    return shown ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options opt;
    AnsiString deviceNumber = "1", slowHost = "0";
    const std::map<AnsiString, AnsiString*> valued = {
        {"--library", &opt.library},        {"--params", &opt.params},          {"--exchange", &opt.exchange},
        {"--device-name", &opt.deviceName}, {"--device-number", &deviceNumber}, {"--slow-host", &slowHost}};
    for (int i = 1; i < argc; ++i) {
        const AnsiString a = argv[i];
        if (a == "-h" || a == "--help") {
            Usage();
            return 0;
        }
        if (a == "--version") {
            std::printf("velkora-host %s\n", VELKORA_VERSION);
            return 0;
        }
        auto option = valued.find(a);
        if (option == valued.end()) {
            opt.args.push_back(a);
            continue;
        }
        if (i + 1 >= argc) {
            Usage();
            return 2;
        }
        *option->second = argv[++i];
    }
    if (!TryStrToInt(deviceNumber, opt.deviceNumber) || !TryStrToInt(slowHost, opt.slowHostMs) || opt.slowHostMs < 0) {
        Usage();
        return 2;
    }
    if (opt.args.empty()) {
        Usage();
        return 2;
    }
    if (opt.library.empty()) {
        // The library beside the program; an installed program keeps it in its library folder,
        // where the system's search finds it by name.
        opt.library = IncludeTrailingPathDelimiter(ProgramFolder(argv[0])) + TDynamicLibrary::DriverFileName();
        if (!Os().FileExists(opt.library)) opt.library = TDynamicLibrary::DriverFileName();
    }
    try {
        TParamStore store(opt.params);
        store.Load();
        const AnsiString& command = opt.args[0];
        if (command == "set" && opt.args.size() == 3) {
            store.values[opt.args[1]] = Ansi(opt.args[2]);
            store.Save();
            return 0;
        }
        if (command == "unset" && opt.args.size() == 2) {
            store.values.erase(opt.args[1]);
            store.Save();
            return 0;
        }

        // The host hands the folder over in a fixed buffer: a longer one would arrive cut and
        // send the driver's files somewhere else, so it is refused here.
        const AnsiString exchange = IncludeTrailingPathDelimiter(opt.exchange);
        if (exchange.size() >= TDriverHost::ExchangeDirectoryBuffer) {
            std::fprintf(stderr, "velkora-host: katalog wymiany %s jest za długi (%zu bajtów, najwyżej %zu)\n",
                         exchange.c_str(), exchange.size(), TDriverHost::ExchangeDirectoryBuffer - 1);
            return 2;
        }
        TDriverHost host(opt.library);
        if (!Os().ForceDirectories(opt.exchange)) {
            std::fprintf(stderr, "velkora-host: nie można utworzyć katalogu wymiany %s\n", exchange.c_str());
            return 2;
        }
        host.exchangeDirectory = exchange;
        host.deviceNumber = opt.deviceNumber;
        host.deviceName = Ansi(opt.deviceName);
        host.slowHostMs = static_cast<unsigned>(opt.slowHostMs);
        host.Register();
        TBackOffice office(host.exchangeDirectory + "loaded", store);
        office.Recover(host.params);
        FillDefaults(host, store.values);

        if (command == "describe") return Describe(host);
        if (command == "params") return ListParams(host, store);
        int code = 0, parameter = 0;
        if (command == "run" && ParseOperation(opt.args, code, parameter))
            return Run(host, store, office, code, parameter);
        if (command == "export" && opt.args.size() == 1) return Run(host, store, office, -2, 0);
        if (command == "import" && opt.args.size() == 1) return Run(host, store, office, -3, 0);
        int number = 0;
        if (command == "receipt" && opt.args.size() == 2 && TryStrToInt(opt.args[1], number)) {
            host.params["NovitusECRReceiptNo"] = IntToStr(number);
            return Run(host, store, office, -4, 0);
        }
        int window = 0;
        if (command == "window" && opt.args.size() == 2 && TryStrToInt(opt.args[1], window))
            return ShowDriverWindow(host, store, window);
        Usage();
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velkora-host: %s\n", ForTerminal(e.what()).c_str());
        return 2;
    }
}
