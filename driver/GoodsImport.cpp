#include "driver/GoodsImport.h"

#include "driver/NovitusAction.h"
#include "driver/NovitusTexts.h"
#include "driver/PacketParsers.h"
#include "exchange/ExpBuf.h"
#include "platform/Exceptions.h"
#include "platform/Hex.h"

namespace {
const char* const kCls = "TQxNovitusECRAction";
// Records one read takes before it gives up on a register that never ends its list: well
// above the largest goods base of these registers, well below what would exhaust memory.
const size_t kMaxRecords = 500000;

// Record lengths with the start and end byte.
const size_t kVatRecord = 32, kGroupRecord = 42, kUnitRecord = 19, kGoodsRecord = 134;

// Flag bits of a goods record.
enum : unsigned { fbPackage = 0x02, fbOpenPrice = 0x10 };

template <typename F>
void Quietly(F&& step) {
    try {
        step();
    } catch (...) {
    }
}

// An integer the way the runtime reads one: blanks before it allowed, nothing after it.
bool ReadInt(const AnsiString& text, int& value) { return TryStrToInt(TrimLeft(text), value); }

int IntOrRaise(const AnsiString& text) {
    int value = 0;
    if (!ReadInt(text, value)) throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
}

// The entry of names whose number text is number, "" when none.
AnsiString NameOf(const std::vector<AnsiString>& numbers, const std::vector<AnsiString>& names,
                  const AnsiString& number) {
    for (size_t i = 0; i < numbers.size() && i < names.size(); ++i)
        if (numbers[i] == number) return names[i];
    return "";
}
}  // namespace

TGoodsImport::TGoodsImport(TQxNovitusECRAction& action) : ksaction(action) { vatTable.fill(kNoRate); }

AnsiString TGoodsImport::Txt(const char* method, const char* piece, const char* defaultUtf8, int duplicate) const {
    return NvTxt(kCls, method, piece, defaultUtf8, duplicate);
}

void TGoodsImport::RefuseFileMedium(const char* method) const {
    if (ksaction.cfgMedium == md_file)
        throw Exception(Txt(method, "Exception", u8"Ustawione złącze PLIK! Ustaw na normalny port COM lub TCP/IP."));
}

void TGoodsImport::DownloadPluF7() {
    TQxNovitusECRAction& a = ksaction;
    RefuseFileMedium("DownloadPluF7");
    a.ReadParams();
    try {
        a.OpenPort();
        AnsiString text;
        DownloadPlu(&text);
        TLTools::BufToFile(text, a.FNameINP());
    } catch (...) {
        a.MsgS(LPV_Error);
        Quietly([&] { a.ClosePort(); });
        throw;
    }
    a.ClosePort();
}

void TGoodsImport::DownloadPlu(AnsiString* buffer) {
    TQxNovitusECRAction& a = ksaction;
    a.ThrowPrzerwac();
    a.MsgAdd(Txt("DownloadPlu", "Odczytli", u8"Odczyt listy towarów z kasy"), LPV_Value, 100);
    try {
        const std::vector<AnsiString> records = ReadRecords("I#00", -1, -1);
        TPacketParsers parsers(a);
        for (const AnsiString& record : records) {
            if (buffer) *buffer += record + "\r\n";
            if (a.exp_buf) a.exp_buf->AddInPlu(parsers.FormatBarcodeIn(SubString(record, 8, 18)), record);
        }
        a.MsgP(static_cast<int>(records.size()));
    } catch (...) {
        a.MsgS(LPV_Error);
        throw;
    }
}

void TGoodsImport::CancelPluList() {
    DownloadPlu(nullptr);
    if (ksaction.exp_buf) ksaction.exp_buf->AnalizujCancelBufor(true);
}

void TGoodsImport::ImportPluF7() {
    TQxNovitusECRAction& a = ksaction;
    RefuseFileMedium("ImportPluF7");
    a.ReadParams();
    try {
        a.OpenPort();
        ImportPlu();
    } catch (...) {
        a.MsgS(LPV_Error);
        Quietly([&] { a.ClosePort(); });
        throw;
    }
    a.ClosePort();
}

void TGoodsImport::ImportPlu() {
    TQxNovitusECRAction& a = ksaction;
    a.importOverwrite = Trim(a.WartoscParametru("NovitusECRImportOverWrite")) == "TRUE";
    a.importLogFile = Trim(a.WartoscParametru("NovitusECRImportLogSave")) == "TRUE";
    a.MsgAdd(Txt("ImportPlu", "Importto", u8"Import towarów z kasy"), LPV_None, 100);
    ReadVatTable();
    ReadGroups();
    ReadUnits();
    ImportGoods();
}

std::vector<AnsiString> TGoodsImport::ReadRecords(const char* id, long beg, long end) {
    TQxNovitusECRAction& a = ksaction;
    std::vector<AnsiString> records;
    try {
        a.BeginRead(id, rm_notresetting, beg, end);
        // No call into the host until the register has ended the list: it gives up about two
        // seconds after a packet the driver has not acknowledged, and a slow host (progress,
        // abort poll) would make that pass for the end of the list.
        for (;;) {
            bool eot = false;
            AnsiString packet = a.ReadPacketNext(eot);
            if (eot) break;
            if (packet.empty()) continue;
            if (records.size() == kMaxRecords)
                throw Exception(Txt("ReadRecords", "Kasanie", u8"Kasa nie kończy przesyłania listy (pakiet: ") + id +
                                ")");
            records.push_back(std::move(packet));
        }
        a.ThrowPrzerwac();
    } catch (...) {
        // The line is given up before the error goes on.
        Quietly([&] { a.ResetCommunication(); });
        throw;
    }
    return records;
}

void TGoodsImport::ReadVatTable() {
    TQxNovitusECRAction& a = ksaction;
    a.MsgAdd(Txt("ImportPlu", "trwaodcz", u8" - trwa odczyt stawek VAT..."), LPV_Value, 100);
    try {
        const std::vector<AnsiString> records = ReadRecords("0", 0, 0);
        for (const AnsiString& record : records) {
            if (record.size() != kVatRecord)
                throw Exception(Txt("ImportPlu", "Kasaprzy", u8"Kasa przysłała nieprawidłowy pakiet stawek VAT: ") +
                                record);
            for (int x = 0; x < 7; ++x) {
                const AnsiString slot = SubString(record, 4 + 4 * x, 4);
                int rate = 0;
                vatTable[static_cast<size_t>(x)] = slot == "FFFF" || slot == "9899" ? -1
                                                   : ReadInt(slot, rate)            ? rate
                                                                                    : kNoRate;
            }
        }
        a.MsgP(static_cast<int>(records.size()));
    } catch (...) {
        a.MsgS(LPV_Error);
        throw;
    }
}

void TGoodsImport::ReadNamedList(const TNamedList& list) {
    TQxNovitusECRAction& a = ksaction;
    a.MsgAdd(Txt("ImportPlu", "trwaodcz", list.readingUtf8, list.duplicate), LPV_Value, 100);
    try {
        const std::vector<AnsiString> records = ReadRecords(list.id, list.beg, list.end);
        LettersIn();
        for (const AnsiString& record : records) {
            if (record.size() != list.recordSize)
                throw Exception(Txt("ImportPlu", "Kasaprzy", list.refusedUtf8, list.duplicate) + record);
            list.numbers.push_back(list.number(record));
            AnsiString name = TrimRight(SubString(record, list.namePosition, list.nameLength));
            list.names.push_back(a.tools.plstring(name));
        }
        a.MsgP(static_cast<int>(records.size()));
        LettersOut();
    } catch (...) {
        LettersOut();
        FreeLists();
        a.MsgS(LPV_Error);
        throw;
    }
}

void TGoodsImport::ReadGroups() {
    ReadNamedList({u8" - trwa odczyt asortymentów...", u8"Kasa przysłała nieprawidłowy pakiet asortymentów: ", 1, "H",
                   0, 64, kGroupRecord, 7, 18, [](const AnsiString& record) { return SubString(record, 5, 2); },
                   asortNrList, asortNzList});
}

void TGoodsImport::ReadUnits() {
    ReadNamedList({u8" - trwa odczyt jednostek miary...", u8"Kasa przysłała nieprawidłowy pakiet jednostek miary: ", 2,
                   "I#01", 0, 0, kUnitRecord, 9, 10,
                   [](const AnsiString& record) {
                       return IntToStr(static_cast<long long>(IntOrRaise(SubString(record, 7, 2))) + 1);
                   },
                   jmNrList, jmNzList});
}

TRegisterGoods TGoodsImport::Decode(const AnsiString& record) const {
    if (record.size() != kGoodsRecord)
        throw Exception(Txt("ImportPlu", "Kasaprzy", u8"Kasa przysłała nieprawidłowy pakiet towaru: ", 3) + record);
    TRegisterGoods g;
    unsigned long long flags = 0;
    const AnsiString flagsText = SubString(record, 83, 4);
    if (!IsHexNumber(flagsText, flags)) throw EConvertError("'0x" + flagsText + "' is not a valid integer value");
    g.price = static_cast<float>(CAtof(SubString(record, 71, 10)) / 100);
    g.number = IntOrRaise(SubString(record, 26, 5));
    g.code = TrimRight(SubString(record, 8, 18));
    g.groupName = NameOf(asortNrList, asortNzList, SubString(record, 87, 2));
    // A unit field that is not a number names no unit.
    int unit = 0;
    if (ReadInt(SubString(record, 109, 2), unit)) g.unitName = NameOf(jmNrList, jmNzList, IntToStr(unit));
    AnsiString name = TrimRight(SubString(record, 31, 40));
    g.name = ksaction.tools.plstring(name);
    const char letter = record[80];
    // A letter without a slot gets the rate of a slot that holds none: the host sees one
    // value for "no usable rate" whichever way it is missing.
    g.vatRate = letter == 'Z'                    ? -1
                : letter >= 'A' && letter <= 'G' ? vatTable[static_cast<size_t>(letter - 'A')]
                                                 : kNoRate;
    g.openPrice = (flags & fbOpenPrice) != 0;
    g.package = (flags & fbPackage) != 0;
    g.packageCode = TrimRight(SubString(record, 91, 18));
    return g;
}

void TGoodsImport::ImportGoods() {
    const char* method = "ImportPlu";
    TQxNovitusECRAction& a = ksaction;
    a.MsgAdd(Txt(method, "trwaodcz", u8" - trwa odczyt towarów...", 3), LPV_None, 100);
    int no = 0, cAdd = 0, cErr = 0, cMis = 0, cUpd = 0;
    try {
        // The whole list is read before the host sees the first goods. The register gives up
        // about two seconds after its last packet when the computer does not answer, and the
        // host may take longer than that over one goods (a slow back-office database): read
        // between the host's answers, the register's time-out would pass for the end of the list.
        const std::vector<AnsiString> records = ReadRecords("I#00", -1, -1);
        LettersIn();
        AnsiString log;
        if (a.importLogFile)
            log = "\r\n" + Txt(method, "IMPORTWY", u8"------------ [IMPORT WYKONANY DNIA: ") +
                  TdtTools().ToString(TdtTools::fmt4YDateTime) + Txt(method, "koniec", u8"] ------------") + "\r\n" +
                  Txt(method, "NAZWATOW",
                      u8"<NAZWA_TOWARU>,<PLU>,<KOD>,<ASORTYMENT>,<JEDNOSTA_MIARY>,<STAWKA>,<CENA>,<CENA_OTWARTA>,"
                      u8"<OPAKOWANIE>,<KOD_OPAKOWANIA>,<WYNIK_OPERACJI>\r\n");
        for (const AnsiString& record : records) {
            const TRegisterGoods g = Decode(record);
            const double price = g.price;
            const int result =
                a.DodajTowarZKasy(g.name, g.number, g.code, a.importOverwrite ? 1 : 0, g.groupName, g.unitName,
                                  g.vatRate, price, price, price, price, g.openPrice, g.package, g.packageCode);
            if (a.importLogFile) log += LogLine(g, result);
            switch (result) {
                case -1: ++cErr; break;
                case 0: ++cMis; break;
                case 1: ++cAdd; break;
                case 2: ++cUpd; break;
                default: break;
            }
            if (result == -1 || result == 0)
                a.MsgAdd(Txt(method, "odczytto", u8" - odczyt towarów kontynuowany..."), LPV_None, 100);
            ++no;
            a.ThrowPrzerwac();
        }
        a.MsgAdd(Txt(method, "Odczytan", u8"Odczytano towarów"), LPV_Value, 100);
        a.MsgP(no);
        a.MsgAdd(Txt(method, "pominiet", u8" - pominiętych (w tym ") + IntToStr(cErr) +
                     Txt(method, "zbledem", u8" z błędem)"),
                 LPV_Value, 100);
        a.MsgP(cMis + cErr);
        a.MsgAdd(Txt(method, "dodanych", u8" - dodanych"), LPV_Value, 100);
        a.MsgP(cAdd);
        a.MsgAdd(Txt(method, "zaktuali", u8" - zaktualizowanych"), LPV_Value, 100);
        a.MsgP(cUpd);
        LettersOut();
        FreeLists();
        if (a.importLogFile) {
            a.MsgAdd(Txt(method, "Zapislog", u8"Zapis logu importu do pliku: ") + a.FNameLOG(), LPV_None, 100);
            TLTools::BufToAppendFile(log, a.FNameLOG());
        }
    } catch (...) {
        LettersOut();
        FreeLists();
        a.MsgS(LPV_Error);
        throw;
    }
}

AnsiString TGoodsImport::LogLine(const TRegisterGoods& g, int result) const {
    const char* method = "ImportPlu";
    const AnsiString undefined = "NIE_ZDEFINIOWANO", yes = "TAK", no = "NIE";
    AnsiString word;
    switch (result) {
        case -1: word = Txt(method, "BLAD", u8"BLAD"); break;
        case 0: word = Txt(method, "POMINIET", u8"POMINIETY"); break;
        case 1: word = Txt(method, "DODANO", u8"DODANO"); break;
        case 2: word = Txt(method, "AKTUALIZ", u8"AKTUALIZACJA"); break;
        default: word = Txt(method, "NIEZNANY", u8"NIEZNANY"); break;
    }
    return Format("%s,%d,%s,%s,%s,%d,%.2f,%s,%s,%s,%s\r\n", g.name.c_str(), g.number, g.code.c_str(),
                  (g.groupName.empty() ? undefined : g.groupName).c_str(),
                  (g.unitName.empty() ? undefined : g.unitName).c_str(), g.vatRate, static_cast<double>(g.price),
                  (g.openPrice ? yes : no).c_str(), (g.package ? yes : no).c_str(),
                  (g.packageCode.empty() ? AnsiString("BRAK") : g.packageCode).c_str(), word.c_str());
}

void TGoodsImport::LettersIn() {
    ksaction.tools.pltype_in = TLTools::plCP852;
    ksaction.tools.pltype_out = TLTools::plCP1250;
}

void TGoodsImport::LettersOut() {
    ksaction.tools.pltype_in = TLTools::plCP1250;
    ksaction.tools.pltype_out = TLTools::plCP852;
}

void TGoodsImport::FreeLists() {
    asortNrList.clear();
    asortNzList.clear();
    jmNrList.clear();
    jmNzList.clear();
}
