// Reads arbitrary bytes as the host's goods export file "kasa.exp". Every input must end
// normally or with the reader's own errors (a bad format, a conversion error, a file error).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "exchange/ExpBuf.h"
#include "platform/Exceptions.h"
#include "platform/Os.h"

namespace {

const std::string& Folder() {
    static const std::string folder = [] {
        namespace fs = std::filesystem;
        std::random_device rd;
        const fs::path dir = fs::temp_directory_path() / ("velkora_fuzz_exp_" + std::to_string(rd()));
        fs::create_directories(dir);
        return dir.string() + static_cast<char>(fs::path::preferred_separator);
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TVirtualClock clock;
    SetClock(&clock);
    const std::string path = Folder() + "kasa.exp";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    {
        QxExpBuf buf(nullptr);
        try {
            buf.ReadFromFile(path, true, static_cast<int>(size % 6) - 1);
            // What was read must be usable.
            QxTowRec rec;
            for (int i = 0; i < buf.GetTowCount(); ++i) buf.CzytajRec(i, &rec);
            if (buf.GetTowCount() > 0) buf.FindRec(rec.kod, buf.GetTowCount());
            QxKontrRec kontr;
            for (int i = 0; i < buf.GetKontrCount(); ++i) buf.CzytajRec(i, &kontr);
        } catch (const EMException&) {
        } catch (const Exception&) {
        }
    }
    std::remove((Folder() + "ARCH2.EXP").c_str());
    return 0;
}
