// Analyses arbitrary bytes as the sales import's staging file "novitus.imp", the way a
// leftover file of a failed import is analysed: the file channel, receipts or sales
// counters, orders on. The first byte chooses the settings. Every input must end normally
// or with the import's own failure report; nothing may crash or hang.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "driver/NovitusAction.h"
#include "platform/Os.h"
#include "tests/support/FakeHostLink.h"

namespace {

const std::string& Folder() {
    static const std::string folder = [] {
        namespace fs = std::filesystem;
        std::random_device rd;
        const fs::path dir = fs::temp_directory_path() / ("velkora_fuzz_imp_" + std::to_string(rd()));
        fs::create_directories(dir / "EDI");
        return dir.string() + static_cast<char>(fs::path::preferred_separator);
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TVirtualClock clock;
    SetClock(&clock);
    if (size == 0) return 0;
    const unsigned settings = data[0];
    const std::string folder = Folder();
    {
        std::ofstream out(folder + "novitus.imp", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    FakeHostLink host;
    host.device.exchangeDirectory = folder;
    host.device.number = 1;
    host.params = {{"NovitusECRPort", "PLIK"},
                   {"NovitusECRCardParseMask", settings & 8 ? "kkkkkkkkkkkkx" : "99kkkkkkymmrx"},
                   {"NovitusECREdiFolder", folder + "EDI"},
                   {"NovitusECRSaleSource", settings & 1 ? "1" : "0"},
                   {"NovitusECRImportOrders", settings & 2 ? "1" : "0"},
                   {"NovitusECRReceipts", settings & 4 ? "2" : "1"},
                   {"NovitusECROrdersShopNoLen", settings & 16 ? "5" : "0"},
                   {"TangoOstatniWydruk", settings & 32 ? "100" : "0"},
                   {"NovitusECRCheckZeroes", "1"}};
    if (settings & 64) host.weightedFormats = {"21SSSSS?????K", "29SSSSKKKKKKK"};
    {
        // The configuration ReadParams would take from these parameters, without probing the
        // folder on every run.
        TQxNovitusECRAction action(&host, nullptr);
        action.cfgMedium = md_file;
        action.cfgSaleSource = settings & 1;
        action.cfgReceiptDetails = settings & 4 ? 2 : 1;
        action.cfgCardParseMask = host.params["NovitusECRCardParseMask"];
        action.cfgEdiFolder = folder + "EDI" + PathDelim;
        try {
            action.Import();
        } catch (const std::exception&) {
            // A staging file the import cannot take is reported, and stays for the next one.
        }
    }
    std::error_code error;
    for (const char* name : {"novitus.imp", "arch.imp", "arch1.imp", "kasa.imp", "errors.txt", "order.imp"})
        std::filesystem::remove(folder + name, error);
    if (!std::filesystem::is_empty(folder + "EDI", error)) {
        std::filesystem::remove_all(folder + "EDI", error);
        std::filesystem::create_directories(folder + "EDI", error);
    }
    return 0;
}
