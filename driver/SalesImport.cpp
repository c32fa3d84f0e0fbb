#include "driver/SalesImport.h"

#include <algorithm>

#include "driver/NovitusAction.h"
#include "driver/NovitusTexts.h"
#include "ecr/EcrErrors.h"
#include "platform/Exceptions.h"
#include "platform/LineReader.h"
#include "platform/LinkBytes.h"
#include "platform/Os.h"

namespace {
const char* const kCls = "TQxNovitusECRAction";
// The register refuses the orders file when it keeps no orders.
const unsigned char kNoOrders = 19;

// A number of a record or packet field: blanks removed, fallback when not a number.
int NumberAt(const AnsiString& text, int position, int length, int fallback) {
    int value = 0;
    return TryStrToInt(Trim(SubString(text, position, length)), value) ? value : fallback;
}

bool StartsAt(const AnsiString& line, size_t offset, const char* text) {
    return line.compare(offset, std::char_traits<char>::length(text), text) == 0;
}

// Lines the analysis passes over: blank, or a separator line of an archive.
bool Ignored(std::string_view line) {
    if (line.size() >= 13 && line[0] == '-' && line.substr(0, 12) == "------------") return true;
    for (char c : line)
        if (static_cast<unsigned char>(c) > ' ') return false;
    return true;
}
}  // namespace

AnsiString TSalesImport::Text(const char* method, const char* piece, const char* defaultUtf8, int duplicate) const {
    return NvTxt(kCls, method, piece, defaultUtf8, duplicate);
}

void TSalesImport::Import() {
    const char* method = "Import";
    try {
        FAction.logError = std::make_unique<TErrorLog>(FAction.FNameERL());
    } catch (const std::exception&) {
        FAction.logError.reset();  // the warnings go to the message list instead
    }
    auto summary = [&] {
        FAction.LogWarnings(FAction.logError.get(), Text(method, "WYSTAPIL", u8"WYSTĄPIŁY JAKIEŚ BŁĘDY, A JEST ICH "),
                            "", LPV_Error);
    };
    try {
        const AnsiString staging = FAction.FNameIMP();
        if (FAction.cfgMedium == md_file) {
            if (!Os().FileExists(staging))
                throw Exception(Text(method, "Exception", u8"Ustawione złącze PLIK, a nie ma pliku novitus.imp!"));
            ImportFromFile();
        } else {
            if (Os().FileExists(staging)) {
                FAction.MsgAdd(
                    Text(method, "Importzz",
                         u8"Import z zaległego pliku novitus.imp! Coś się nie udało przy ostatnim imporcie!"),
                    LPV_Warning, 100);
                ImportFromFile();
            }
            ReadFromECR();
            if (Os().FileExists(staging)) ImportFromFile();
        }
    } catch (...) {
        try {
            summary();
        } catch (...) {
            // The failure itself is what to report.
        }
        throw;
    }
    summary();
}

void TSalesImport::ReadFromECR() {
    FAction.OpenPort();
    try {
        if (!FAction.CheckNumber()) throw Exception(Text("Import", "Exception", u8"Niezgodny numer urządzenia!", 1));
        if (FAction.ParamAsInt("NovitusECRImportSale") != 0) {
            if (FAction.cfgSaleSource == 1)
                ReadReceiptsFromECR();
            else
                ReadSaleFromECR();
        }
        if (FAction.ParamAsInt("NovitusECRImportOrders") != 0) ReadOrdersFromECR();
        if (FAction.ParamAsInt("NovitusECRImportCashier") != 0) ReadCashierStatusFromECR();
        if (FAction.ParamAsInt("NovitusECRCashReport") != 0) ReadCashReportFromECR();
        ReadFiscalReportFromECR();
    } catch (...) {
        try {
            FAction.ClosePort();
        } catch (...) {
        }
        throw;
    }
    FAction.ClosePort();
}

void TSalesImport::Step(const std::function<void()>& body) {
    try {
        body();
    } catch (...) {
        FAction.MsgS(LPV_Error);
        throw;
    }
}

void TSalesImport::ReadPackets(e_Resetting resetting, const std::function<void(const AnsiString&)>& onPacket,
                               const std::function<void()>& beforeEnd) {
    struct Unhook {
        TQxNovitusECRAction& action;
        ~Unhook() { action.SetBeforeEndOfTransfer(nullptr); }
    } unhook{FAction};
    // What a resetting read served is cleared on the register once its EOT is answered: it
    // must be on stable storage before that, and one sync for the whole transfer does it.
    if (resetting == rm_resetting)
        FAction.SetBeforeEndOfTransfer([this, &beforeEnd] {
            if (beforeEnd) beforeEnd();
            FStaging.Sync();
        });
    for (;;) {
        bool eot = false;
        const AnsiString packet = FAction.ReadPacketNext(eot);
        if (eot) return;
        if (!packet.empty()) onPacket(packet);
    }
}

void TSalesImport::ReadTransfer(const AnsiString& dataType, e_Resetting resetting, long rangeBeg, long rangeEnd) {
    FAction.BeginRead(dataType, resetting, rangeBeg, rangeEnd);
    int counter = 0;
    ReadPackets(resetting, [&](const AnsiString& packet) {
        FStaging.Append(packet);
        FAction.Progress(counter);
    });
}

void TSalesImport::ReadSaleFromECR() {
    const char* method = "ReadSaleFromECR";
    FAction.MsgAdd(Text(method, "Odczytli", u8"Odczyt liczników sprzedaży"), LPV_Value, 100);
    Step([&] { ReadTransfer("U", rm_resetting, -1, -1); });
    FAction.MsgS(LPV_Ok);
    FAction.MsgAdd(Text(method, "Odczytli", u8"Odczyt liczników sprzedaży opakowań", 1), LPV_Value, 100);
    Step([&] { ReadTransfer("d", rm_resetting, -1, -1); });
    FAction.MsgS(LPV_Ok);
}

void TSalesImport::ReadReceiptsFromECR() {
    const char* method = "ReadReceiptsFromECR";
    const bool reset = FAction.ParamAsInt("NovitusECRResetBuffer") != 0;
    FAction.MsgAdd(Text(method, "Odczytst", u8"Odczyt stanu bufora paragonów"), LPV_None, 100);
    AnsiString status;
    Step([&] { status = FAction.ReadPacketSingle("p", rm_notresetting, 0, 0); });
    FAction.MsgS(LPV_Ok);
    if (status.size() < 60)
        throw Exception(Text(method, "Exception", u8"Pakiet \"p\" z kasy ma nieodpowiednią długość: ") +
                        IntToStr(static_cast<long long>(status.size())));
    const int first = NumberAt(status, 15, 10, 0);
    const int last = NumberAt(status, 25, 10, 0);
    const int tango = FAction.ParamAsInt("TangoOstatniWydruk");
    const int lastP = FAction.ParamAsInt("NovitusECRLastReceipt");
    FAction.MsgAdd(Text(method, "Nrwydruk", u8"Nr wydruku ostatnio zapisanego paragonu do bazy: W") + IntToStr(tango),
                   LPV_None, 100);
    if (first == 0 && last == 0) {
        FAction.MsgAdd(Text(method, "Buforpar", u8"Bufor paragonów na kasie jest PUSTY (brak nowej sprzedaży)"),
                       LPV_None, 100);
        return;
    }
    FAction.MsgAdd(
        Text(method, "Nakasies", u8"Na kasie są paragony o numerach: W") + IntToStr(first) + "-W" + IntToStr(last),
        LPV_None, 100);
    const long from = reset ? first : static_cast<long>(tango) + 1;
    if (reset)
        FAction.MsgAdd(Text(method, "Odczytca", u8"Odczyt całego bufora paragonów w trybie ZERUJĄCYM"), LPV_None, 100);
    else
        FAction.MsgAdd(Text(method, "Odczytbu", u8"Odczyt bufora paragonów w trybie \"OD-DO\", bez zerowania"),
                       LPV_None, 100);
    if (last < from) {
        FAction.MsgAdd(Text(method, "Brakswie", u8"Brak świeżych paragonów do odczytania"), LPV_None, 100);
        return;
    }
    FAction.MsgAdd(Text(method, "Odczytpa", u8"Odczyt paragonów o numerach W") + IntToStr(from) + "-W" + IntToStr(last),
                   LPV_Value, 100);
    bool firstTaken = false;
    int firstP = 0;
    Step([&] {
        FAction.BeginRead("k#00", reset ? rm_resetting : rm_notresetting, from, last);
        ReadPackets(reset ? rm_resetting : rm_notresetting, [&](const AnsiString& packet) {
            FStaging.Append(packet);
            if (packet.size() >= 27) {
                int shown = -1, number = 0;
                bool seen = false;
                if (packet[2] == 'k' && packet[3] == '4') {
                    shown = NumberAt(packet, 18, 10, -1);
                    number = NumberAt(packet, 8, 10, -1);
                    seen = true;
                } else if (StartsAt(packet, 2, "k#00") || StartsAt(packet, 2, "k#01")) {
                    shown = NumberAt(packet, 21, 10, -1);
                    number = NumberAt(packet, 11, 10, -1);
                    seen = true;
                }
                if (seen) {
                    FAction.MsgP(shown);
                    if (number != 0 && !firstTaken) {
                        firstP = number;
                        firstTaken = true;
                    }
                }
            }
            FAction.ThrowPrzerwac();
        });
    });
    FAction.MsgS(LPV_Ok);
    if (firstTaken && static_cast<long long>(lastP) + 1 < firstP)
        FAction.MsgAdd(Text(method, "NakasieB", u8"Na kasie BRAKUJE PARAGONÓW o numerach P") + IntToStr(lastP + 1LL) +
                           "-P" + IntToStr(firstP - 1LL) + "!",
                       LPV_Warning, 100);
}

void TSalesImport::ReadOrdersFromECR() {
    const char* method = "ReadOrdersFromECR";
    FAction.MsgAdd(Text(method, "Odczytza", u8"Odczyt zamówień z kasy"), LPV_Value, 100);
    Step([&] {
        try {
            FAction.BeginRead("$#01", rm_resetting, 0, 0);
        } catch (const ENativeException& e) {
            if (e.GetErrorCode() != kNoOrders) throw;
            FAction.MsgAdd(Text(method, "Kasanieo",
                                u8"Kasa nie obsługuje zamówień, wyłącz odpowiedni parametr podczas następnego importu"),
                           LPV_Warning, 100);
            return;
        }
        // Each order reaches the staging file whole: it is appended when the next header
        // arrives and, for the last one, before the end of the transfer is answered.
        AnsiString order;
        int counter = 0;
        auto flush = [&] {
            if (order.empty()) return;
            FStaging.AppendText(order);
            order.clear();
        };
        ReadPackets(
            rm_resetting,
            [&](const AnsiString& packet) {
                if (StartsAt(packet, 1, "$#010")) flush();
                order += packet.substr(1, packet.size() - 2) + "\r\n";
                FAction.Progress(counter);
            },
            flush);
        flush();
        FAction.MsgS(LPV_Ok);
    });
}

void TSalesImport::ReadCashierStatusFromECR() {
    const char* method = "ReadCashierStatusFromECR";
    FAction.MsgAdd(Text(method, "Odczytda", u8"Odczyt daty i czasu"), LPV_None, 100);
    AnsiString date;
    try {
        date = FAction.ReadPacketSingle("L", rm_notresetting, -1, -1);
        FAction.MsgS(LPV_Ok);
    } catch (const Exception& e) {
        // Without the register's date the computer's clock stands in for it.
        FAction.MsgS(LPV_Warning);
        FAction.MsgAdd(e.Message(), LPV_Warning, 100);
        date = AnsiString(1, EcrByte::STX) + "DL" + TdtTools().ToString(TdtTools::fmtDateTimeCompressed).substr(0, 12) +
               EcrByte::ETB;
    }
    FStaging.Append(date);
    FAction.MsgAdd(Text(method, "Odczytku", u8"Odczyt kursu euro"), LPV_None, 100);
    Step([&] { FStaging.Append(FAction.ReadPacketSingle("2", rm_notresetting, -1, -1)); });
    FAction.MsgS(LPV_Ok);
    FAction.MsgAdd(Text(method, "Odczytra", u8"Odczyt raportu kasjerów"), LPV_Value, 100);
    Step([&] { ReadTransfer("n#00", rm_notresetting, 0, 49); });
    FAction.MsgS(LPV_Ok);
}

void TSalesImport::ReadCashReportFromECR() {
    FAction.MsgAdd(Text("ReadCashReportFromECR", "Odczytra", u8"Odczyt raportu kasy"), LPV_Value, 100);
    Step([&] { ReadTransfer("o#00", rm_resetting, 0, 0); });
    FAction.MsgS(LPV_Ok);
}

void TSalesImport::ReadFiscalReportFromECR() {
    FAction.MsgAdd(Text("ReadFiscalReportFromECR", "Odczytda", u8"Odczyt danych ostatniego raportu fiskalnego"),
                   LPV_Value, 100);
    try {
        FStaging.Append(FAction.ReadPacketSingle("w", rm_notresetting, -1, -1));
        FAction.MsgS(LPV_Ok);
        FStaging.Append(FAction.ReadPacketSingle("x", rm_notresetting, -1, -1));
        FAction.MsgS(LPV_Ok);
    } catch (const Exception&) {
        // A register that does not give these out keeps the import going.
    }
}

// ---- analysis -----------------------------------------------------------------------------

void TSalesImport::ImportFromFile() {
    const char* method = "ImportFromFile";
    FLineNumber = 0;
    FLine.clear();
    try {
        Analyse(FAction.FNameIMP());
        if (!FOrderText.empty()) FOrders.OrderSaveAndMakeEDI(FOrderText);
        FOrderText.clear();
        ImpBufsSave();
        FStagedPositions.Close();
        TLTools::ArchiveFile(FAction.FNameIMP(), FAction.FNameARC(), nullptr, false, -1, true, "");
        Os().DeleteFile(FAction.FNameIMP());
        FAction.ImpBufsDelete();
    } catch (...) {
        FAction.MsgAdd(FillIn(Text(method, "Bladwnov", u8"Błąd w novitus.imp w linii %d!"), {IntToStr(FLineNumber)}),
                       LPV_Error, 100);
        FAction.MsgAdd("Linia: " + FLine + "!", LPV_Error, 100);
        FAction.ImpBufsDelete();
        FStagedPositions.Close();
        FReceipt.Restart();
        throw;
    }
}

void TSalesImport::Analyse(const AnsiString& fileName) {
    FTango = FAction.ParamAsInt("TangoOstatniWydruk");
    FReceiptsAreSales = FAction.cfgSaleSource == 1;
    FImportOrders = FAction.cfgMedium != md_file || FAction.ParamAsInt("NovitusECRImportOrders") != 0;
    FEuroRate = 1;
    FReceipt.Restart();
    FReceiptFrom = FLineEnd = 0;
    FPositionsValue = 0;
    FOrderText.clear();
    FStagedPositions.SetPath(fileName);
    FCounters.clear();
    FAction.MsgAdd("Analiza pliku novitus.imp...", LPV_Value, 100);
    TMFile file;
    file.SetPath(fileName);
    file.Open();
    TLineReader reader(file);
    int counter = 0;
    std::string_view line;
    long long lineStart = 0;
    try {
        while (reader.Next(line)) {
            ++FLineNumber;
            lineStart = FLineEnd;
            FLineEnd = reader.Offset();
            FAction.Progress(counter);
            // Sale lines, nearly all of a large file, go straight to their parser.
            if (IsReceiptLine(line) && TPacketParsers::IsSaleLine(line))
                FParsers.ParsePacket_k0123(line, &FReceipt, FPositionsValue);
            else
                AnalyseLine(line);
        }
    } catch (...) {
        FLine.assign(line);  // for the failure's message
        throw;
    }
    for (const TCounters& counters : FCounters) {
        counters.buf->AddParameter("TangoOstatniWydruk", IntToStr(counters.printout));
        if (counters.receipt != 0) counters.buf->AddParameter("NovitusECRLastReceipt", IntToStr(counters.receipt));
    }
    FCounters.clear();
    // The last line (the reader has moved on), named should handing the buffers over fail.
    FLine.resize(static_cast<size_t>(std::max(0LL, FLineEnd - lineStart - 2)));
    file.SetPointer(lineStart);
    FLine.resize(file.Read(&FLine[0], FLine.size()));
    FAction.MsgS(LPV_Ok);
}

QxImpBuf& TSalesImport::CurrentBuffer() {
    if (!FAction.imp_buf) ImpBufsSubstitute(TdtTools());
    return *FAction.imp_buf;
}

void TSalesImport::AnalyseLine(std::string_view line) {
    if (IsReceiptLine(line)) return AnalyseReceiptLine(line);
    if (Ignored(line)) return;
    if (line.size() < 5)
        throw Exception(Text("ImportFromFile", "Exception", u8"Nieprawidłowy pakiet przysłany przez kasę: ") +
                        AnsiString(line));
    if (line[1] == 'k' && FAction.cfgSaleSource == 1) return AnalyseReceiptLine(line);
    AnalyseOtherLine(AnsiString(line));
}

void TSalesImport::AnalyseOtherLine(const AnsiString& line) {
    const char c1 = line[1];
    if (c1 == '$') {
        if (!FImportOrders) return;
        if (StartsAt(line, 1, "$#010")) {
            if (!FOrderText.empty()) FOrders.OrderSaveAndMakeEDI(FOrderText);
            FOrderText = FOrders.ParsePacket_ordHeader(line);
        } else if (StartsAt(line, 1, "$#001")) {
            FOrderText += FOrders.ParsePacket_ordLine(line);
        }
        return;
    }
    if (c1 == '2') {
        FEuroRate = TPacketParsers::ParseValue(line, 3, 10);
    } else if (c1 == 'L') {
        TdtTools date;
        if (!date.TryFromString(SubString(line, 3, 12) + "00000", TdtTools::fmtDateTimeCompressed)) {
            // A date the register garbled must not hold every later import up: the
            // computer's date stands in, as when the register does not answer.
            FAction.AddWarning(Text("ImportFromFile", "Nieczytel", u8"Nieczytelna data kasy \"") +
                                   SubString(line, 3, 12) +
                                   Text("ImportFromFile", "przyjeto", u8"\", przyjęto datę komputera"),
                               FAction.logError.get());
            date = TdtTools();
        }
        ImpBufsSubstitute(date);
    } else if (StartsAt(line, 1, "n#00")) {
        CurrentBuffer();
        FParsers.ParsePacket_n00(line, FEuroRate);
    } else if (StartsAt(line, 1, "o#00")) {
        CurrentBuffer();
        FParsers.ParsePacket_o00(line);
    } else if (c1 == 'U' && FAction.cfgSaleSource == 0) {
        CurrentBuffer();
        FParsers.ParsePacket_U(line);
    } else if (c1 == 'd' && FAction.cfgSaleSource == 0) {
        CurrentBuffer();
        FParsers.ParsePacket_d(line);
    } else if (c1 == 'x') {
        QxImpBuf& buf = CurrentBuffer();
        buf.AddParameter("NovitusECRFiscalReportNo", IntToStr(NumberAt(line, 11, 10, 0)));
        buf.AddParameter("NovitusECRFiscalReportDate", SubString(line, 4, 6));
    }
}

void TSalesImport::AnalyseReceiptLine(std::string_view line) {
    if (TPacketParsers::IsSaleLine(line)) return FParsers.ParsePacket_k0123(line, &FReceipt, FPositionsValue);
    const char c2 = line[2];
    if (c2 == '5') return FParsers.ParsePacket_k5(line, &FReceipt);
    if (c2 == '8') return FParsers.ParsePacket_k8(line, &FReceipt);
    if (c2 != '4' && c2 != '#') return;
    if (c2 == '#' && line.substr(1, 5) == "k#004") {
        FParsers.ParsePacket_k004(line, &FReceipt, FPositionsValue);
        const int printout = FReceipt.FnrTrans;
        if (FTango < printout) {
            ImpBufsSubstitute(TdtTools(FReceipt.Fdata_czas));
            QxImpBuf& buf = *FAction.imp_buf;
            NoteCounters(buf, printout, FReceipt.FnrPar);
            FParsers.TakeCodes(FReceipt);
            double discount = 0;
            for (const QVRSoldLine& sold : FReceipt.FSold) discount += sold.discount;
            // The buffer takes the sums and the payments; the positions stay in the file.
            buf.SetPositionSource(&FStagedPositions);
            buf.AddReceipt(FReceipt, FReceipt.FSold, FReceiptFrom, FLineEnd);
            buf.AddDiscount(discount, true);
        } else {
            FAction.AddWarning(Text("ImportFromFile", "Paragon", u8"Paragon ") + IntToStr(printout) +
                                   Text("ImportFromFile", "zostalpo",
                                        u8" został pominięty (ma numer niższy, niż parametr \"Ostatnio wczytany "
                                        u8"wydruk\")"),
                               FAction.logError.get());
        }
    }
    // A cancelled receipt ("k4"), a closing line and any other "k#" record end the receipt.
    FReceipt.Restart();
    FReceiptFrom = FLineEnd;
    FPositionsValue = 0;
}

void TSalesImport::NoteCounters(QxImpBuf& buf, int printout, int receipt) {
    auto counters = std::find_if(FCounters.begin(), FCounters.end(), [&](const TCounters& c) { return c.buf == &buf; });
    if (counters == FCounters.end()) {
        buf.AddParameter("TangoOstatniWydruk", "");
        counters = FCounters.insert(FCounters.end(), TCounters{&buf, 0, 0});
    }
    counters->printout = printout;
    if (receipt == 0) return;
    if (counters->receipt == 0) buf.AddParameter("NovitusECRLastReceipt", "");
    counters->receipt = receipt;
}

// ---- import buffers -----------------------------------------------------------------------

void TSalesImport::ImpBufsSubstitute(const TdtTools& date) {
    const double day = date.Date();
    // The current buffer's day, known from the last call while the buffer and its date are
    // the same: a large import asks once per receipt.
    if (FAction.imp_buf && FAction.imp_buf == FDayOf && FAction.imp_buf->data.Value() == FDayOfDate && FDay == day)
        return;
    if (FAction.imp_buf && FAction.imp_buf->data.Date() == day) return Remember(day);
    for (const auto& buf : FAction.imp_bufs)
        if (buf->data.Date() == day) {
            FAction.imp_buf = buf.get();
            return Remember(day);
        }
    FAction.imp_bufs.push_back(std::make_unique<QxImpBuf>());
    FAction.imp_buf = FAction.imp_bufs.back().get();
    FAction.imp_buf->data = date;
    ImpBufSetStandardFlags();
    Remember(day);
}

void TSalesImport::Remember(double day) {
    FDayOf = FAction.imp_buf;
    FDayOfDate = FDayOf->data.Value();
    FDay = day;
}

void TSalesImport::ImpBufSetStandardFlags() {
    QxImpBuf& buf = *FAction.imp_buf;
    buf.ident_barcode = true;
    buf.fisk_z_plu = true;
    buf.nadpisz_fisk = buf.nadpisz_plu = buf.nadpisz_opak = buf.podsumuj_opak = false;
    buf.doklej_plu = FAction.ParamAsInt("NovitusECRDokPlu") != 0;
    buf.par_szczeg = FAction.cfgReceiptDetails > 0;
    buf.sprzedaz_z_paragonow = FAction.cfgSaleSource == 1;
}

void TSalesImport::ImpBufsSave() {
    const bool stripZeros = FAction.ParamAsInt("NovitusECRCheckZeroes") != 0;
    while (!FAction.imp_bufs.empty()) {
        QxImpBuf& buf = *FAction.imp_bufs.front();
        buf.Save(FAction.FNameKIMP(), stripZeros);
        TLTools::ArchiveFile(FAction.FNameKIMP(), FAction.FNameKARC(), FAction.GetLgLink(), false, -1, true, "");
        FAction.ShowTotalValue(&buf);
        const bool holdsAnything = buf.CountPlu() > 0 || buf.GetReceiptsCount() > 0 ||
                                   buf.Kas_IsActiveKasjerSection() || buf.payin > 0 || buf.payout > 0 ||
                                   buf.bottles_turned > 0 || buf.bottles_saled != 0;
        if (holdsAnything) {
            FAction.MsgAdd(Text("ImpBufsSave", "Zapisdob", u8"Zapis do bazy ") + buf.data.ToString(TdtTools::fmtDate) +
                               " (" + TdtTools::DayOfWeekNamePl(buf.data.DayOfWeekPl(), true) + ")",
                           LPV_None, 100);
            FAction.ZapiszKasaImp();
        }
        if (FAction.imp_buf == &buf) FAction.imp_buf = nullptr;
        FAction.imp_bufs.erase(FAction.imp_bufs.begin());
    }
    FAction.imp_buf = nullptr;
}
