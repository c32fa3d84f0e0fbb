// The driver's parameters as the host lists and edits them, with their value lists.
#include <cstring>
#include <initializer_list>

#include "driver/NovitusTexts.h"
#include "ecr/LTools.h"
#include "platform/Os.h"
#include "plugin/Library.h"

namespace {
const char* const kCls = "TQxLibrary";

enum Translate { untranslated, translated };

struct Row {
    const char* name;
    int kind;
    const char* defaultValue;
    Translate translateDefault;
    const char* minimum;
    const char* maximum;
    int flags;
    const char* description;
    Translate translateDescription;
};

// Rows that several groups share.
const Row kNoItNoCon = {"NovitusECRNoItNoCon",
                        7,
                        "1",
                        untranslated,
                        "",
                        "",
                        1,
                        u8"NOVITUS ECR - Zrezygnuj z komunikacji, jeśli nie ma towarów do wysłania",
                        translated};
const Row kProgEuro = {
    "NovitusECRProgEuro", 7, "0", untranslated, "", "", 1, u8"NOVITUS ECR - Zaprogramuj kurs EUR", translated};
const Row kSendUnits = {
    "NovitusECRSendUnits", 7, "1", untranslated, "", "", 1, u8"NOVITUS ECR - Wysyłaj jednostki miary", untranslated};
const Row kImportSale = {
    "NovitusECRImportSale", 7, "1", untranslated, "", "", 1, u8"NOVITUS ECR - Import sprzedaży", translated};
const Row kImportOrders = {"NovitusECRImportOrders",          7,         "0", untranslated, "", "", 1,
                           u8"NOVITUS ECR - Import zamówień", translated};
const Row kImportCashier = {
    "NovitusECRImportCashier", 7, "1", untranslated, "", "", 1, u8"NOVITUS ECR - Import statystyk kasjera", translated};
const Row kReceipts = {
    "NovitusECRReceipts", 7, "2", untranslated, "", "", 1, u8"NOVITUS ECR - Import szczegółowy paragonów", translated};
const char* const kDokPluText = u8"NOVITUS ECR - Doklej dane do ostatniego dok. PAR.. z dnia importu";
const Row kResetBuffer = {"NovitusECRResetBuffer",
                          7,
                          "1",
                          untranslated,
                          "",
                          "",
                          1,
                          u8"NOVITUS ECR - Zeruj bufor paragonów na kasie po odczycie",
                          translated};
const Row kCashReport = {"NovitusECRCashReport",
                         7,
                         "1",
                         untranslated,
                         "",
                         "",
                         1,
                         u8"NOVITUS ECR - Importuj i zeruj raport stanu kasy",
                         translated};

const Row kGroup101[] = {
    {"NovitusECRPort", 3, "PLIK", translated, "", "", 0, u8"Złącze", translated},
    {"NovitusECRIpAddress", 1, "192.168.1.100", untranslated, "", "", 0, u8"TCP/IP - adres IP kasy", translated},
    {"NovitusECRIpPort", 4, "5000", untranslated, "1", "65000", 0, u8"TCP/IP - port IP kasy", translated},
    {"NovitusECRIpTimeout", 4, "15", untranslated, "1", "600", 0,
     u8"TCP/IP - timeut oczekiwania na pakiet z kasy (sek.)", translated},
    {"NovitusECRSpeed", 7, "4", untranslated, "", "", 0, u8"Modem, RS-232 - Prędkość transmisji", translated},
    {"NovitusECRModemPhone", 1, "", untranslated, "", "", 0, u8"Modem - Numer telefonu", translated},
    {"NovitusECRModemTimeout", 4, "60", untranslated, "1", "255", 0, u8"Modem - timeout połączenia (sek.)", translated},
    {"TangoOstatniWydruk", 4, "0", untranslated, "0", "", 0, u8"Ostatnio wczytany wydruk", translated},
    {"NovitusECRLastReceipt", 4, "0", untranslated, "0", "", 2, u8"Ostatnio wczytany paragon", translated},
    {"NovitusECRFiscalReportNo", 4, "0", untranslated, "0", "", 2, u8"Ostatni raport fiskalny", untranslated},
    {"NovitusECRFiscalReportDate", 1, "0", untranslated, "0", "", 2, u8"Data ostatniego raportu fiskalnego (YYMMDD)",
     untranslated},
    {"NovitusECRFiscalReportSale", 4, "0", untranslated, "0", "", 2, u8"Sprzedaż w bieżącym raporcie fiskalnym",
     untranslated},
    {"PoziomCen", 7, "0", untranslated, "", "", 0, u8"Poziom cen", translated},
    {"NovitusECROrdersMagNo", 1, "", untranslated, "", "", 0, u8"Nazwa magazynu wpisywana do dokumentu zamówienia",
     translated},
    {nullptr, 1, "", untranslated, "", "", 2, "", untranslated},  // unit map piece 1
    {nullptr, 1, "", untranslated, "", "", 2, "", untranslated},
    {nullptr, 1, "", untranslated, "", "", 2, "", untranslated},
    {nullptr, 1, "", untranslated, "", "", 2, "", untranslated},
    {nullptr, 1, "", untranslated, "", "", 2, "", untranslated},
    {nullptr, 1, "", untranslated, "", "", 2, "", untranslated},  // unit map piece 6
    {"NovitusECRImportOverWrite", 1, "FALSE", untranslated, "", "", 2, "", untranslated},
    {"NovitusECRImportLogSave", 1, "TRUE", untranslated, "", "", 2, "", untranslated},
    {"NovitusECRSaleSource", 7, "1", untranslated, "", "", 0, u8"Źródło danych o sprzedaży", translated},
};

const Row kGroup102[] = {
    {"NovitusECRDedbug", 7, "1", untranslated, "", "", 0, u8"NOVITUS ECR - Log komunikacji do pliku log\\REPORT...",
     translated},
    {"NovitusECRCheckZeroes", 7, "1", untranslated, "", "", 0,
     u8"NOVITUS ECR - Odrzucaj towary z kodem z zerem na początku", translated},
    {"NovitusECRCardParseMask", 1, "99kkkkkkymmrx", untranslated, "", "", 0,
     u8"NOVITUS ECR - Karty st. klienta - maska kodu karty", translated},
    {"NovitusECREdiFolder", 6, nullptr, untranslated, "", "", 0,
     u8"NOVITUS ECR - Katalog EDI, w którym będą umieszczane zamówienia z kas", translated},
    {"NovitusECROrdersShopNoLen", 4, "0", untranslated, "0", "16", 0,
     u8"NOVITUS ECR - Na zamówieniu nr sklepu uzupełniaj zerami z lewej do długości (0-nie uzupełniaj)", translated},
    {"NovitusECROrdersAs", 7, "1", untranslated, "", "", 0, u8"NOVITUS ECR - Zamówienia zapisywać jako", translated},
    {"NovitusECRPluAutoRepeat", 7, "1", untranslated, "", "", 0, u8"NOVITUS ECR - Autopowtarzanie sprzed. towarów",
     translated},
    {"NovitusECRPriceOpenD41", 7, "0", untranslated, "", "", 0,
     u8"NOVITUS ECR - Towary z ceną zamkniętą wysyłaj do działu 41 (menu 455-10)", translated},
    {"NovitusECRExpKeyCode", 7, "0", untranslated, "", "", 0, u8"NOVITUS ECR - Numer klawisza szybkiej sprzedaży",
     translated},
    {"NovitusECRIdControl", 7, "1", untranslated, "", "", 0, u8"NOVITUS ECR - Kontrola numeru kasy", untranslated},
};

const Row kGroup103[] = {
    kNoItNoCon,
    kProgEuro,
    {"NovitusECRPreclear", 7, "0", untranslated, "", "", 1, u8"NOVITUS ECR - Poprzedź eksport zerowaniem totalizerów",
     translated},
    kSendUnits,
};

const Row kGroup104[] = {
    {"DataImportu", 5, "", untranslated, "", "", 0, u8"Data importu", translated},
    kImportSale,
    kImportOrders,
    kImportCashier,
    kReceipts,
    {"NovitusECRDokPlu", 7, "0", untranslated, "", "", 1, kDokPluText, translated},
    kResetBuffer,
    kCashReport,
};

const Row kGroup105[] = {
    {"NovitusECRReceiptNo", 4, "0", untranslated, "", "", 1, u8"Nr paragonu (\"W...\" w prawym górnym rogu wydruku)",
     translated},
};

const Row kGroup106[] = {kNoItNoCon, kProgEuro, kSendUnits};

const Row kGroup107[] = {
    kImportSale,
    kImportOrders,
    kImportCashier,
    kReceipts,
    {"NovitusECRDokPlu", 7, "1", untranslated, "", "", 1, kDokPluText, translated},
    kResetBuffer,
    kCashReport,
};

struct Group {
    const Row* rows;
    int count;
};

template <size_t N>
Group G(const Row (&rows)[N]) {
    return {rows, static_cast<int>(N)};
}

Group FindGroup(int group) {
    switch (group) {
        case 101: return G(kGroup101);
        case 102: return G(kGroup102);
        case 103: return G(kGroup103);
        case 104: return G(kGroup104);
        case 105: return G(kGroup105);
        case 106: return G(kGroup106);
        case 107: return G(kGroup107);
        default: return {nullptr, 0};
    }
}

AnsiString DefaultEdiFolder() {
    TLTools tools;
    AnsiString folder = tools.WczytajSciezkeDoBinariow();
    if (folder.empty()) folder = AnsiString("c:") + PathDelim + "QvrWin" + PathDelim;
    return folder + "EDI";
}
}  // namespace

int TQxLibrary::Parametr(int group, int index, AnsiString& name, AnsiString& description, AnsiString& defaultValue,
                         AnsiString& minimum, AnsiString& maximum, int& flags) {
    flags = 0;
    minimum.clear();
    maximum.clear();
    const Group g = FindGroup(group);
    if (!g.rows || index < 0 || index >= g.count) return 0;
    const Row& row = g.rows[index];
    if (row.name)
        name = row.name;
    else
        name = StaticWlasciwosci(2) + "_NovitusECRUnitMap" + IntToStr(index - 13);
    const AnsiString key = Format("A%d", group * 100 + index);
    description = row.translateDescription == translated ? NvTxt(kCls, "Parametr", key.c_str(), row.description)
                                                         : Ansi(row.description);
    if (!row.defaultValue)
        defaultValue = DefaultEdiFolder();
    else if (row.translateDefault == translated)
        defaultValue = PlikText();  // the only translated default
    else
        defaultValue = row.defaultValue;
    minimum = row.minimum;
    maximum = row.maximum;
    flags = row.flags;
    return row.kind;
}

namespace {
struct ListItem {
    const char* text;
    bool translate;
};
struct ValueList {
    const char* key;  // the list's part of the translation key
    std::initializer_list<const char*> parameters;
    std::initializer_list<ListItem> items;
};

const ValueList kLists[] = {
    {"Port",
     {"NOVITUSECRPORT"},
     {{u8"PLIK", true},
      {"TCP/IP", false},
      {"COM1", false},
      {"COM2", false},
      {"COM3", false},
      {"COM4", false},
      {"COM5", false},
      {"COM6", false},
      {"COM7", false},
      {"COM8", false},
      {"COM9", false}}},
    {"Speed",
     {"NOVITUSECRSPEED"},
     {{"1200", false},
      {"2400", false},
      {"4800", false},
      {"9600", false},
      {"19200", false},
      {"38400", false},
      {"57600", false},
      {"115200", false}}},
    {"NieTak",
     {"NOVITUSECRDEDBUG", "NOVITUSECRDOKPLU", "NOVITUSECRIMPORTSALE", "NOVITUSECRIMPORTORDERS",
      "NOVITUSECRIMPORTCASHIER", "NOVITUSECRRESETBUFFER", "NOVITUSECRPRICEOPEND41", "NOVITUSECRPROGEURO",
      "NOVITUSECRNOITNOCON", "NOVITUSECRCHECKZEROES", "NOVITUSECRPLUAUTOREPEAT", "NOVITUSECRCASHREPORT",
      "NOVITUSECRPRECLEAR", "NOVITUSECRIDCONTROL", "NOVITUSECRSENDUNITS"},
     {{u8"Nie", true}, {u8"Tak", true}}},
    {"PoziomCe",
     {"POZIOMCEN"},
     {{u8"Detaliczna", true}, {u8"Hurtowa", true}, {u8"Nocna", true}, {u8"Dodatkowa", true}}},
    {"Receipts",
     {"NOVITUSECRRECEIPTS"},
     {{u8"Brak", true}, {u8"Tylko karty stałego klienta", true}, {u8"Paragony szczegółowe", true}}},
    {"OrdersAs",
     {"NOVITUSECRORDERSAS"},
     {{u8"Zamówienie do dostawcy (ZAM)", true}, {u8"Zamówienie od odbiorcy (ZAM_ODB)", true}}},
    {"ExpKeyCo",
     {"NOVITUSECREXPKEYCODE"},
     {{u8"nie eksportuj", true},
      {u8"z pola Opis 1", true},
      {u8"z pola Opis 2", true},
      {u8"z pola Opis 3", true},
      {u8"z pola Opis 4", true}}},
    {"SaleSour", {"NOVITUSECRSALESOURCE"}, {{u8"Liczniki sprzedaży", true}, {u8"Bufor paragonów", true}}},
};
}  // namespace

AnsiString TQxLibrary::TekstListyParametru(const AnsiString& name, int index) {
    const AnsiString n = UpperCase(Trim(name));
    if (n.empty() || index < 0) return "";
    for (const ValueList& list : kLists) {
        for (const char* parameter : list.parameters) {
            if (n != parameter) continue;
            if (static_cast<size_t>(index) >= list.items.size()) return "";
            const ListItem& item = list.items.begin()[index];
            return item.translate ? NvListText(list.key, index, item.text) : AnsiString(item.text);
        }
    }
    return "";
}
