#include "driver/StagedPositions.h"

#include <algorithm>

#include "driver/NovitusTexts.h"
#include "driver/PacketParsers.h"
#include "platform/Exceptions.h"

namespace {
const long long kReadAhead = 1 << 18;
}

void TStagedPositions::SetPath(const AnsiString& path) {
    Close();
    FPath = path;
}

void TStagedPositions::Close() {
    FFile.reset();
    FWindow.clear();
    FWindowFrom = 0;
}

std::string_view TStagedPositions::Bytes(long long from, long long to) {
    if (from < FWindowFrom || to > FWindowFrom + static_cast<long long>(FWindow.size())) {
        if (!FFile) {
            FFile = std::make_unique<TMFile>();
            FFile->SetPath(FPath);
            FFile->Open();
        }
        FFile->SetPointer(from);
        FWindow.resize(static_cast<size_t>(std::max(to - from, kReadAhead)));
        FWindow.resize(FFile->Read(FWindow.data(), FWindow.size()));
        FWindowFrom = from;
        to = std::min(to, from + static_cast<long long>(FWindow.size()));
    }
    return std::string_view(FWindow.data() + (from - FWindowFrom), static_cast<size_t>(to - from));
}

void TStagedPositions::ReadPositions(long long from, long long to, size_t count, QVRParagon& receipt) {
    receipt.Fpos.clear();
    std::string_view bytes = Bytes(from, to);
    // The lines as the analysis split them (a lone CR or LF stays in its line), and among them
    // the sale lines it took as positions; short ones it warned of then.
    while (!bytes.empty()) {
        size_t end = bytes.find("\r\n");
        if (end == std::string_view::npos) end = bytes.size();
        const std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(std::min(bytes.size(), end + 2));
        if (!TPacketParsers::IsSaleLine(line) || line.size() < TPacketParsers::kSaleLineLength) continue;
        QVRPosition position;
        if (FParsers.ReadSaleLine(line, position)) receipt.Fpos.push_back(std::move(position));
    }
    if (receipt.Fpos.size() != count)
        throw Exception(FillIn(NvTxt("TQxNovitusECRAction", "ImpBufsSave", "Pozycjep",
                                     u8"Pozycje paragonu %d nie dają się ponownie odczytać z pliku novitus.imp"),
                               {IntToStr(receipt.FnrPar)}));
    NvReceipt::StampLines(receipt);
}
