// What a host learns before any operation: type, self-description, windows, parameters.
#include "tests/exports/HostFixture.h"

namespace {

using Exports = HostFixture;

AnsiString Property(TDriverHost& h, int index) {
    char out[301];
    std::memset(out, 0x7f, sizeof out);
    h.api.Wlasciwosci(out, index);
    return out;
}

TEST_F(Exports, TypeAndSelfDescription) {
    Register();
    EXPECT_EQ(host->api.TypBiblioteki(), 1);
    EXPECT_EQ(Property(*host, 1), "Novitus ECR (bezpo\x9Crednio)");  // "ś" is 0x9C in Windows-1250
    EXPECT_EQ(Property(*host, 2), "Qx_NovitusECR");
    EXPECT_EQ(Property(*host, 3),
              "Testowano z:\r\nNovitus PS3000 NET 2.00 OES 1.30SP19\r\nNovitus PS4000 E 1.00 OES 1.00SP1\r\n"
              "Novitus Nano E 2.00 OES 2.00SP4\r\nNovitus Lupo 1.01 OES 1.01\r\nNovitus Next\r\n"
              "Sterownik dedykowany do komunikacji z du\xBF\xB9 ilo\x9C\x63i\xB9 kas systemowych Novitus ECR "
              "r\xF3wnocze\x9Cnie.");  // trimmed: the trailing CR LF is gone
    for (int i : {102, 103, 104, 105}) EXPECT_EQ(Property(*host, i), "1");
    for (int i : {0, 4, 101, 106, -1}) EXPECT_EQ(Property(*host, i), "");
}

TEST_F(Exports, StaticQuestionsNeedNoLibraryObject) {
    EXPECT_EQ(host->api.TypBiblioteki(), 1);
    EXPECT_EQ(Property(*host, 2), "Qx_NovitusECR");
}

TEST_F(Exports, WindowsOfTheExtraFunctions) {
    Register();
    char out[301];
    EXPECT_TRUE(host->api.SerKasOpisOkna(out, 0));
    EXPECT_STREQ(out, "Odczyt towar\xF3w do inplu.exp");
    EXPECT_TRUE(host->api.SerKasOpisOkna(out, 1));
    EXPECT_STREQ(out, "Zerowanie obrot\xF3w");
    EXPECT_TRUE(host->api.SerKasOpisOkna(out, 2));
    EXPECT_STREQ(out, "Import towar\xF3w do programu");
    EXPECT_FALSE(host->api.SerKasOpisOkna(out, 3));
    EXPECT_STREQ(out, "");

    int code = -5;
    AnsiString name;
    EXPECT_TRUE(host->ShowWindow(0, &code, &name));
    EXPECT_EQ(code, 0);
    EXPECT_EQ(name, "Import towar\xF3w do pliku inplu.exp");
    EXPECT_TRUE(host->ShowWindow(1, &code, &name));
    EXPECT_EQ(code, 1);
    EXPECT_EQ(name, "Zerowanie obrot\xF3w");

    code = 99;
    char untouched[32] = "untouched";
    EXPECT_FALSE(host->api.SerKasPokazOkno(host->library, host->arg2, 3, 0, &code, untouched));
    EXPECT_EQ(code, 99);
    EXPECT_STREQ(untouched, "untouched");
}

struct Row {
    int group, index;
    const char* name;
    int kind;
    const char* def;
    const char* min;
    const char* max;
    int flags;
    const char* description;  // Windows-1250
};

// The full catalogue, as the host must see it.
const Row kCatalogue[] = {
    {101, 0, "NovitusECRPort", 3, "PLIK", "", "", 0, "Z\xB3\xB9\x63ze"},
    {101, 2, "NovitusECRIpPort", 4, "5000", "1", "65000", 0, "TCP/IP - port IP kasy"},
    {101, 3, "NovitusECRIpTimeout", 4, "15", "1", "600", 0, "TCP/IP - timeut oczekiwania na pakiet z kasy (sek.)"},
    {101, 4, "NovitusECRSpeed", 7, "4", "", "", 0, "Modem, RS-232 - Pr\xEA\x64ko\x9C\xE6 transmisji"},
    {101, 5, "NovitusECRModemPhone", 1, "", "", "", 0, "Modem - Numer telefonu"},
    {101, 6, "NovitusECRModemTimeout", 4, "60", "1", "255", 0, "Modem - timeout po\xB3\xB9\x63zenia (sek.)"},
    {101, 7, "TangoOstatniWydruk", 4, "0", "0", "", 0, "Ostatnio wczytany wydruk"},
    {101, 8, "NovitusECRLastReceipt", 4, "0", "0", "", 2, "Ostatnio wczytany paragon"},
    {101, 9, "NovitusECRFiscalReportNo", 4, "0", "0", "", 2, "Ostatni raport fiskalny"},
    {101, 10, "NovitusECRFiscalReportDate", 1, "0", "0", "", 2, "Data ostatniego raportu fiskalnego (YYMMDD)"},
    {101, 11, "NovitusECRFiscalReportSale", 4, "0", "0", "", 2, "Sprzeda\xBF w bie\xBF\xB9\x63ym raporcie fiskalnym"},
    {101, 12, "PoziomCen", 7, "0", "", "", 0, "Poziom cen"},
    {101, 13, "NovitusECROrdersMagNo", 1, "", "", "", 0, "Nazwa magazynu wpisywana do dokumentu zam\xF3wienia"},
    {101, 14, "Qx_NovitusECR_NovitusECRUnitMap1", 1, "", "", "", 2, ""},
    {101, 19, "Qx_NovitusECR_NovitusECRUnitMap6", 1, "", "", "", 2, ""},
    {101, 20, "NovitusECRImportOverWrite", 1, "FALSE", "", "", 2, ""},
    {101, 21, "NovitusECRImportLogSave", 1, "TRUE", "", "", 2, ""},
    {101, 22, "NovitusECRSaleSource", 7, "1", "", "", 0, "\x8F\x72\xF3\x64\xB3o danych o sprzeda\xBFy"},
    {102, 0, "NovitusECRDedbug", 7, "1", "", "", 0, "NOVITUS ECR - Log komunikacji do pliku log\\REPORT..."},
    {102, 1, "NovitusECRCheckZeroes", 7, "1", "", "", 0,
     "NOVITUS ECR - Odrzucaj towary z kodem z zerem na pocz\xB9tku"},
    {102, 2, "NovitusECRCardParseMask", 1, "99kkkkkkymmrx", "", "", 0,
     "NOVITUS ECR - Karty st. klienta - maska kodu karty"},
    {102, 4, "NovitusECROrdersShopNoLen", 4, "0", "0", "16", 0,
     "NOVITUS ECR - Na zam\xF3wieniu nr sklepu uzupe\xB3niaj zerami z lewej do d\xB3ugo\x9C\x63i (0-nie "
     "uzupe\xB3niaj)"},
    {102, 5, "NovitusECROrdersAs", 7, "1", "", "", 0, "NOVITUS ECR - Zam\xF3wienia zapisywa\xE6 jako"},
    {102, 6, "NovitusECRPluAutoRepeat", 7, "1", "", "", 0, "NOVITUS ECR - Autopowtarzanie sprzed. towar\xF3w"},
    {102, 7, "NovitusECRPriceOpenD41", 7, "0", "", "", 0,
     "NOVITUS ECR - Towary z cen\xB9 zamkni\xEAt\xB9 wysy\xB3\x61j do dzia\xB3u 41 (menu 455-10)"},
    {102, 8, "NovitusECRExpKeyCode", 7, "0", "", "", 0, "NOVITUS ECR - Numer klawisza szybkiej sprzeda\xBFy"},
    {102, 9, "NovitusECRIdControl", 7, "1", "", "", 0, "NOVITUS ECR - Kontrola numeru kasy"},
    {103, 0, "NovitusECRNoItNoCon", 7, "1", "", "", 1,
     "NOVITUS ECR - Zrezygnuj z komunikacji, je\x9Cli nie ma towar\xF3w do wys\xB3\x61nia"},
    {103, 1, "NovitusECRProgEuro", 7, "0", "", "", 1, "NOVITUS ECR - Zaprogramuj kurs EUR"},
    {103, 2, "NovitusECRPreclear", 7, "0", "", "", 1, "NOVITUS ECR - Poprzed\x9F eksport zerowaniem totalizer\xF3w"},
    {103, 3, "NovitusECRSendUnits", 7, "1", "", "", 1, "NOVITUS ECR - Wysy\xB3\x61j jednostki miary"},
    {104, 0, "DataImportu", 5, "", "", "", 0, "Data importu"},
    {104, 1, "NovitusECRImportSale", 7, "1", "", "", 1, "NOVITUS ECR - Import sprzeda\xBFy"},
    {104, 2, "NovitusECRImportOrders", 7, "0", "", "", 1, "NOVITUS ECR - Import zam\xF3wie\xF1"},
    {104, 3, "NovitusECRImportCashier", 7, "1", "", "", 1, "NOVITUS ECR - Import statystyk kasjera"},
    {104, 4, "NovitusECRReceipts", 7, "2", "", "", 1, "NOVITUS ECR - Import szczeg\xF3\xB3owy paragon\xF3w"},
    {104, 5, "NovitusECRDokPlu", 7, "0", "", "", 1,
     "NOVITUS ECR - Doklej dane do ostatniego dok. PAR.. z dnia importu"},
    {104, 6, "NovitusECRResetBuffer", 7, "1", "", "", 1, "NOVITUS ECR - Zeruj bufor paragon\xF3w na kasie po odczycie"},
    {104, 7, "NovitusECRCashReport", 7, "1", "", "", 1, "NOVITUS ECR - Importuj i zeruj raport stanu kasy"},
    {105, 0, "NovitusECRReceiptNo", 4, "0", "", "", 1, "Nr paragonu (\"W...\" w prawym g\xF3rnym rogu wydruku)"},
    {106, 0, "NovitusECRNoItNoCon", 7, "1", "", "", 1,
     "NOVITUS ECR - Zrezygnuj z komunikacji, je\x9Cli nie ma towar\xF3w do wys\xB3\x61nia"},
    {106, 1, "NovitusECRProgEuro", 7, "0", "", "", 1, "NOVITUS ECR - Zaprogramuj kurs EUR"},
    {106, 2, "NovitusECRSendUnits", 7, "1", "", "", 1, "NOVITUS ECR - Wysy\xB3\x61j jednostki miary"},
    {107, 0, "NovitusECRImportSale", 7, "1", "", "", 1, "NOVITUS ECR - Import sprzeda\xBFy"},
    {107, 4, "NovitusECRDokPlu", 7, "1", "", "", 1,
     "NOVITUS ECR - Doklej dane do ostatniego dok. PAR.. z dnia importu"},
    {107, 6, "NovitusECRCashReport", 7, "1", "", "", 1, "NOVITUS ECR - Importuj i zeruj raport stanu kasy"},
};

struct Answer {
    int kind;
    AnsiString name, description, def, min, max;
    int flags;
};

Answer Ask(TDriverHost& h, int group, int index) {
    char n[301], d[301], v[301], lo[301], hi[301];
    for (char* b : {n, d, v, lo, hi}) std::memset(b, 0x7f, 301);
    int flags = -1;
    Answer a;
    a.kind = h.api.Parametr(group, index, n, d, v, lo, hi, &flags);
    a.name = n;
    a.description = d;
    a.def = v;
    a.min = lo;
    a.max = hi;
    a.flags = flags;
    return a;
}

TEST_F(Exports, EveryCatalogueRowIsAnsweredAsListed) {
    Register();
    for (const Row& row : kCatalogue) {
        SCOPED_TRACE(::testing::Message() << row.group << "/" << row.index);
        const Answer a = Ask(*host, row.group, row.index);
        EXPECT_EQ(a.kind, row.kind);
        EXPECT_EQ(a.name, row.name);
        EXPECT_EQ(a.description, row.description);
        EXPECT_EQ(a.def, row.def);
        EXPECT_EQ(a.min, row.min);
        EXPECT_EQ(a.max, row.max);
        EXPECT_EQ(a.flags, row.flags);
    }
}

TEST_F(Exports, GroupsEndWhereTheCatalogueEnds) {
    const std::pair<int, int> sizes[] = {{101, 23}, {102, 10}, {103, 4}, {104, 8}, {105, 1}, {106, 3}, {107, 7}};
    for (auto [group, size] : sizes) {
        SCOPED_TRACE(group);
        EXPECT_NE(Ask(*host, group, size - 1).kind, 0);
        EXPECT_EQ(Ask(*host, group, size).kind, 0);
        EXPECT_EQ(Ask(*host, group, -1).kind, 0);
    }
    EXPECT_EQ(Ask(*host, 100, 0).kind, 0);
    EXPECT_EQ(Ask(*host, 108, 0).kind, 0);
    const Answer none = Ask(*host, 105, 1);
    EXPECT_EQ(none.flags, 0);
    EXPECT_EQ(none.min, "");
    EXPECT_EQ(none.max, "");
}

TEST_F(Exports, FlagsMarkOperationOptionsAndInternalValues) {
    for (int i = 8; i <= 11; ++i) EXPECT_EQ(Ask(*host, 101, i).flags, 2);
    for (int i = 2; i <= 6; ++i) EXPECT_EQ(Ask(*host, 102, i).flags, 0);
    for (int g = 103; g <= 107; ++g)
        for (int i = 0; Ask(*host, g, i).kind != 0; ++i) {
            const Answer a = Ask(*host, g, i);
            EXPECT_EQ(a.flags, a.name == "DataImportu" ? 0 : 1) << g << "/" << i;
        }
}

TEST_F(Exports, DefaultAddressIsAPrivateNetworkAddress) {
    const Answer a = Ask(*host, 101, 1);
    EXPECT_EQ(a.name, "NovitusECRIpAddress");
    EXPECT_EQ(a.kind, 1);
    EXPECT_TRUE(a.def.rfind("192.168.", 0) == 0 || a.def.rfind("10.", 0) == 0) << a.def;
}

TEST_F(Exports, DefaultEdiFolderEndsInEdi) {
    const Answer a = Ask(*host, 102, 3);
    EXPECT_EQ(a.name, "NovitusECREdiFolder");
    EXPECT_EQ(a.kind, 6);
    ASSERT_GE(a.def.size(), 4u);
    EXPECT_EQ(a.def.substr(a.def.size() - 3), "EDI");
}

TEST_F(Exports, FlagsPointerMayBeNull) {
    char n[301], d[301], v[301], lo[301], hi[301];
    EXPECT_EQ(host->api.Parametr(101, 0, n, d, v, lo, hi, nullptr), 3);
}

AnsiString ListText(TDriverHost& h, const char* name, int index, int* result = nullptr) {
    char out[301];
    std::memset(out, 0x7f, sizeof out);
    const int r = h.api.TekstListyParametru(name, index, out);
    if (result) *result = r;
    return out;
}

TEST_F(Exports, ValueListsMatchNamesIgnoringCaseAndBlanks) {
    int r = 0;
    EXPECT_EQ(ListText(*host, "  novitusecrport ", 0, &r), "PLIK");
    EXPECT_EQ(r, 1);
    EXPECT_EQ(ListText(*host, "  novitusecrport ", 1), "TCP/IP");
    EXPECT_EQ(ListText(*host, "  novitusecrport ", 10), "COM9");
    EXPECT_EQ(ListText(*host, "  novitusecrport ", 11, &r), "");
    EXPECT_EQ(r, 0);
    EXPECT_EQ(ListText(*host, "NovitusECRSpeed", 4), "19200");
    EXPECT_EQ(ListText(*host, "NovitusECRSpeed", 7), "115200");
    EXPECT_EQ(ListText(*host, "NovitusECRSpeed", 8), "");
    EXPECT_EQ(ListText(*host, "", 0), "");
    EXPECT_EQ(ListText(*host, "Nieznany", 0), "");
    EXPECT_EQ(ListText(*host, "NovitusECRPort", -1), "");
}

TEST_F(Exports, EveryYesNoListAndTheNamedLists) {
    for (const char* name :
         {"NovitusECRDedbug", "NovitusECRDokPlu", "NovitusECRImportSale", "NovitusECRImportOrders",
          "NovitusECRImportCashier", "NovitusECRResetBuffer", "NovitusECRPriceOpenD41", "NovitusECRProgEuro",
          "NovitusECRNoItNoCon", "NovitusECRCheckZeroes", "NovitusECRPluAutoRepeat", "NovitusECRCashReport",
          "NovitusECRPreclear", "NovitusECRIdControl", "NovitusECRSendUnits"}) {
        EXPECT_EQ(ListText(*host, name, 0), "Nie") << name;
        EXPECT_EQ(ListText(*host, name, 1), "Tak") << name;
        EXPECT_EQ(ListText(*host, name, 2), "") << name;
    }
    EXPECT_EQ(ListText(*host, "PoziomCen", 3), "Dodatkowa");
    EXPECT_EQ(ListText(*host, "NovitusECRReceipts", 1), "Tylko karty sta\xB3\x65go klienta");
    EXPECT_EQ(ListText(*host, "NovitusECROrdersAs", 1), "Zam\xF3wienie od odbiorcy (ZAM_ODB)");
    EXPECT_EQ(ListText(*host, "NovitusECRExpKeyCode", 4), "z pola Opis 4");
    EXPECT_EQ(ListText(*host, "NovitusECRExpKeyCode", 5), "");
    EXPECT_EQ(ListText(*host, "NovitusECRSaleSource", 0), "Liczniki sprzeda\xBFy");
    EXPECT_EQ(ListText(*host, "NovitusECRSaleSource", 1), "Bufor paragon\xF3w");
}

TEST_F(Exports, LongTextsAreCutTo300BytesWithTheZero) {
    Register();
    // Each parameter reaches the driver as at most 300 bytes; the connection text joins two.
    host->params["NovitusECRPort"] = "TCP/IP";
    host->params["NovitusECRIpAddress"] = AnsiString(298, 'X');
    host->params["NovitusECRIpPort"] = "5000";
    char out[400];
    std::memset(out, 0x7f, sizeof out);
    host->api.WlasciwosciUrzadzenia(host->library, host->arg2, out, 1102);
    EXPECT_EQ(strnlen(out, sizeof out), 300u);
    EXPECT_EQ(AnsiString(out), AnsiString(298, 'X') + ":5");
    EXPECT_EQ(out[300], '\0');
    EXPECT_EQ(out[301], '\x7f');  // nothing written past the host's buffer
}

}  // namespace
