// The sales import's records and the analysis of its staging file, with the file standing in
// for the register.
#include <sstream>

#include "driver/PacketParsers.h"
#include "driver/SalesImport.h"
#include "tests/driver/SalesFixture.h"

namespace {

const char kWhen1[] = "202403141230";
const char kWhen2[] = "202403150915";

using Parsers = SalesFixture;

TEST_F(Parsers, SaleLines) {
    host.weightedFormats = {"21SSSSS?????K"};
    AnsiString unreadable = Sale(1, "5900001", 0, 2, 100, 0);
    unreadable.replace(43, 10, "  zero    ");
    // Fields not filled with digits are read as any field is: blanks around, a sign, defaults.
    const auto edited = [](size_t at, const char* text) {
        AnsiString line = Sale(1, "5900001", 3, 1500, 100, 150);
        return line.replace(at, std::char_traits<char>::length(text), text);
    };
    const struct {
        AnsiString line;
        const char* code;
        int quantity;
        long long value;
        int discount;
        position_type type;
    } cases[] = {
        {Sale(1, "5900001", 3, 1500, 100, 150), "5900001", 1500, 150, 0, ptSale},
        {Sale(1, "5900001", 1, 15, 100, 150), "5900001", 1500, 150, 0, ptSale},
        {Sale(1, "5900001", 4, 1, 100, 0), "5900001", 0, 0, 0, ptSale},
        {Sale(1, "5900001", 0, 3, 250, 700), "5900001", 3000, 700, 50, ptSale},
        {Sale(1, "5900001", 0, 1, 250, 300), "5900001", 1000, 300, -50, ptSale},
        {Sale(3, "5900002", 3, 1000, 50, 50), "5900002", -1000, -50, 0, ptBottleReturn},
        {Sale(2, "5900002", 0, 2, 50, 100), "5900002", 2000, 100, 0, ptBottleSale},
        {Sale(1, "2112345", 3, 756, 3290, 2487), "2112345??????", 756, 2487, 0, ptSale},
        {unreadable, "5900001", 2000, 1, 199, ptSale},
        {edited(2, " "), "5900001", 1500, 150, 0, ptSale},
        {edited(22, " "), "5900001", 1500, 150, 0, ptSale},
        {edited(23, "   1500   "), "5900001", 1500, 150, 0, ptSale},
        {edited(43, "-000000150"), "5900001", 1500, -150, 300, ptSale},
        {edited(33, "+000000100"), "5900001", 1500, 150, 0, ptSale},
    };
    TQxNovitusECRAction action(&host, nullptr);
    TPacketParsers parsers(action);
    // The analysis sums sold lines and the writing reads positions again: both the same.
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        NvReceipt receipt;
        double total = 0;
        parsers.ParsePacket_k0123(c.line, &receipt, total);
        parsers.TakeCodes(receipt);
        ASSERT_EQ(receipt.FSold.size(), 1u);
        const QVRSoldLine& s = receipt.FSold[0];
        QVRPosition p;
        ASSERT_TRUE(parsers.ReadSaleLine(c.line, p));
        EXPECT_EQ(std::tie(p.Fkod, p.Filosc, p.Fwartosc, p.Frabat, p.FTyp),
                  std::tie(c.code, c.quantity, c.value, c.discount, c.type));
        EXPECT_EQ(std::tie(s.code, s.quantity, s.value, s.discount, s.type),
                  std::tie(c.code, c.quantity, c.value, c.discount, c.type));
        EXPECT_EQ(total, c.value);
    }
    NvReceipt voided;
    double total = 0;
    parsers.ParsePacket_k0123(Sale(0, "5900001", 0, 1, 100, 100), &voided, total);
    EXPECT_TRUE(voided.FSold.empty());
}

// Past the bound of code fields kept, a code is made again for each line and has no number;
// the buffer still sums it into its one goods line.
TEST_F(Parsers, CodesPastTheBoundHaveNoNumberAndStillSumIntoTheirLine) {
    TQxNovitusECRAction action(&host, nullptr);
    TPacketParsers parsers(action, 2);
    QxImpBuf buf;
    buf.sprzedaz_z_paragonow = true;
    const struct {
        std::vector<const char*> codes;
        std::vector<int> keys;
    } receipts[] = {{{"5900001", "5900002", "5900003", "5900001"}, {0, 1, -1, 0}}, {{"5900003", "5900002"}, {-1, 1}}};
    for (const auto& r : receipts) {
        NvReceipt receipt;
        double total = 0;
        for (const char* code : r.codes) parsers.ParsePacket_k0123(Sale(1, code, 0, 1, 100, 100), &receipt, total);
        parsers.TakeCodes(receipt);
        std::vector<int> keys;
        for (size_t i = 0; i < receipt.FSold.size(); ++i) {
            keys.push_back(receipt.FSold[i].key);
            EXPECT_EQ(receipt.FSold[i].code, r.codes[i]);
        }
        EXPECT_EQ(keys, r.keys);
        buf.AddReceipt(receipt, receipt.FSold, 0, 1);
    }
    const std::vector<std::pair<AnsiString, double>> lines = {{"5900001", 2000}, {"5900002", 2000}, {"5900003", 2000}};
    ASSERT_EQ(buf.CountPlu(), 3);
    for (int i = 0; i < 3; ++i) {
        QxImpTowRec rec;
        buf.GetPlu(i, rec);
        EXPECT_EQ(std::make_pair(rec.plu, rec.quantity), lines[static_cast<size_t>(i)]) << i;
    }
}

TEST_F(Parsers, ClosingLinePaymentsInOrderAndCashForTheRest) {
    TQxNovitusECRAction action(&host, nullptr);
    TPacketParsers parsers(action);
    const struct {
        AnsiString line;
        double positions;
        std::vector<std::pair<int, long long>> payments;  // form, amount
    } cases[] = {
        {Close(7, 101, kWhen1, 500, 300), 1000, {{2, 500}, {3, 300}, {0, 200}}},
        {Close(7, 101, kWhen1), 0, {}},
        {Close(7, 101, kWhen1, 0, 0, 250), 250, {{4, 250}}},
    };
    for (const auto& c : cases) {
        NvReceipt receipt;
        parsers.ParsePacket_k004(c.line, &receipt, c.positions);
        EXPECT_EQ(receipt.FnrPar, 7);
        EXPECT_EQ(receipt.FnrTrans, 101);
        EXPECT_EQ(receipt.FnrKasjera, 1);
        EXPECT_EQ(receipt.FnrKasy, 1);
        EXPECT_EQ(TdtTools(receipt.Fdata_czas).ToString(TdtTools::fmtDateTimeCompressed), "20240314123000000");
        ASSERT_EQ(receipt.GetnPaymentCount(), static_cast<int>(c.payments.size()));
        for (size_t k = 0; k < c.payments.size(); ++k) {
            EXPECT_EQ(receipt.GetPlatnosci(static_cast<int>(k))->Fkod, c.payments[k].first);
            EXPECT_EQ(receipt.GetPlatnosci(static_cast<int>(k))->Fwartosc, c.payments[k].second);
        }
    }
    NvReceipt other;
    parsers.ParsePacket_k004(Close(7, 101, kWhen1, 0, 0, 250), &other, 250);
    EXPECT_EQ(other.GetPlatnosci(0)->ToString(), "PMT;4;250;100;-1;-1;-1;0;0;;18991230000000000;5;;10000;250\n");
}

// The receipt and printout numbers: ten digits as the register writes them, or any number
// with blanks around; beyond an int, or not a number, they are 0.
TEST_F(Parsers, ClosingLineNumbers) {
    TQxNovitusECRAction action(&host, nullptr);
    TPacketParsers parsers(action);
    const struct {
        const char* field;
        int number;
    } cases[] = {{"0000000042", 42}, {"2147483647", 2147483647}, {"2147483648", 0},   {"9999999999", 0},
                 {"        42", 42}, {"42        ", 42},         {"-000000042", -42}, {"00000000-1", 0},
                 {"0000000x42", 0},  {"          ", 0}};
    for (const auto& c : cases) {
        AnsiString line = Close(7, 101, kWhen1);
        line.replace(9, 10, c.field).replace(19, 10, c.field);
        NvReceipt receipt;
        parsers.ParsePacket_k004(line, &receipt, 0);
        EXPECT_EQ(std::make_pair(receipt.FnrPar, receipt.FnrTrans), std::make_pair(c.number, c.number)) << c.field;
    }
}

TEST_F(Parsers, CountersAndReports) {
    TQxNovitusECRAction action(&host, nullptr);
    action.imp_bufs.push_back(std::make_unique<QxImpBuf>());
    action.imp_buf = action.imp_bufs.back().get();
    TPacketParsers parsers(action);
    AnsiString unreadable = Counter("5900001", 120, 0);
    unreadable.replace(58, 20, "ilosc nieznana      ");
    parsers.ParsePacket_U(unreadable);
    parsers.ParsePacket_d(Format("Dd%18s%18s%020d%020d%020d%020d", "5900002", "", 0, 0, 60, 2));
    parsers.ParsePacket_n00(Cashier(100), 1);
    parsers.ParsePacket_n00(Cashier(200), 43215);
    QxImpBuf& buf = *action.imp_buf;
    ASSERT_EQ(buf.CountPlu(), 2);
    QxImpTowRec rec;
    buf.GetPlu(0, rec);
    EXPECT_EQ(rec.quantity, 0);
    EXPECT_EQ(rec.value, 120);
    buf.GetPlu(1, rec);
    EXPECT_EQ(rec.plu, "5900002");
    EXPECT_EQ(rec.quantity, 2000);
    EXPECT_EQ(rec.value, -60);
    EXPECT_EQ(buf.bottles_turned, 60);
    EXPECT_EQ(buf.kas_stankasy, 300);
    buf.MakeStanKasyStr();
    EXPECT_NE(buf.StanKasyStr.find("KAS_NAZWISKO;wszyscy\r\n"), AnsiString::npos);
    EXPECT_NE(buf.StanKasyStr.find("KAS_WAL1_NAZWA;EUR\r\nKAS_WAL1_KURS;43215\r\n"), AnsiString::npos);
}

TEST_F(Parsers, EveryShortRecordIsSkippedWithItsWarning) {
    TQxNovitusECRAction action(&host, nullptr);
    action.imp_bufs.push_back(std::make_unique<QxImpBuf>());
    action.imp_buf = action.imp_bufs.back().get();
    TPacketParsers parsers(action);
    NvReceipt receipt;
    double total = 0;
    const struct {
        std::function<void(const AnsiString&)> parse;
        AnsiString line;
        const char* what;
    } cases[] = {
        {[&](const AnsiString& l) { parsers.ParsePacket_k0123(l, &receipt, total); },
         Sale(1, "5", 0, 1, 1, 1).substr(0, 52), " (pozycja sprzeda\xBFy)"},
        {[&](const AnsiString& l) { parsers.ParsePacket_k5(l, &receipt); }, "Dk5" + AnsiString(20, '9'),
         " (nr karty rabatowej)"},
        {[&](const AnsiString& l) { parsers.ParsePacket_k8(l, &receipt); }, "Dk85260250274" + AnsiString(6, ' '),
         " (NIP klienta)"},
        {[&](const AnsiString& l) { parsers.ParsePacket_k004(l, &receipt, 0); }, Close(1, 2, kWhen1).substr(0, 144),
         " (stopka sprzeda\xBFy)"},
        {[&](const AnsiString& l) { parsers.ParsePacket_U(l); }, Counter("5", 1, 1).substr(0, 92),
         " (linia raportu sprzeda\xBFy)"},
        {[&](const AnsiString& l) { parsers.ParsePacket_d(l); }, "Dd" + AnsiString(115, '0'),
         " (linia raportu sprzeda\xBFy opakowa\xF1)"},
    };
    for (const auto& c : cases) {
        host.messages.clear();
        c.parse(c.line);
        ASSERT_EQ(Texts(zkOstrzezenie).size(), 1u) << c.line;
        EXPECT_EQ(Texts(zkOstrzezenie)[0], "Linia \"" + c.line + "\"" + c.what +
                                               " przys\xB3\x61na przez kas\xEA ma nieprawid\xB3ow\xB9 struktur\xEA.");
    }
    EXPECT_EQ(receipt.GetnPosCount() + receipt.GetnPaymentCount(), 0);
    EXPECT_EQ(receipt.FnrNIPKlienta, "");
    EXPECT_EQ(receipt.FnrTrans, -1);
    EXPECT_EQ(action.imp_buf->CountPlu(), 0);
}

using Analysis = SalesFixture;

TEST_F(Analysis, FileChannelAnalysesTheStagingFileOrFails) {
    EXPECT_EQ(Run(), "Ustawione z\xB3\xB9\x63ze PLIK, a nie ma pliku novitus.imp!");
    Stage({Sale(1, "5900001", 0, 1, 100, 100), Close(1, 101, kWhen1)});
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(host.loads.size(), 1u);
    EXPECT_FALSE(Os().FileExists(Staging()));
    EXPECT_NE(ReadAll(tmp.File("arch.imp")).find("Dk#004"), AnsiString::npos);
    EXPECT_FALSE(Shown("Nawi\xB9zywanie"));  // no channel was opened
}

TEST_F(Analysis, ReceiptsAlreadyTakenAreSkippedAndTwoDaysGiveTwoLoadsInOrder) {
    host.params["TangoOstatniWydruk"] = "101";
    Stage({Sale(1, "5900001", 0, 1, 100, 100), Close(1, 100, kWhen1), Sale(1, "5900009", 0, 1, 100, 100),
           Close(2, 101, kWhen1), "", "------------ [IMPORT]", Sale(1, "5900002", 0, 2, 100, 200),
           Close(3, 102, kWhen2, 0, 200), Sale(1, "5900003", 0, 1, 300, 300), Close(4, 103, kWhen1)});
    EXPECT_EQ(Run(), "");
    ASSERT_EQ(host.loads.size(), 2u);
    EXPECT_NE(host.loads[0].find("DATA_SPRZEDAZY;20240315091500000"), AnsiString::npos);
    EXPECT_NE(host.loads[0].find("PLU;;5900002;2000;200\r\n"), AnsiString::npos);
    EXPECT_NE(host.loads[0].find("KASPAR;TangoOstatniWydruk;102\r\nKASPAR;NovitusECRLastReceipt;3\r\n"),
              AnsiString::npos);
    EXPECT_NE(host.loads[1].find("DATA_SPRZEDAZY;20240314123000000"), AnsiString::npos);
    EXPECT_NE(host.loads[1].find("TRN;103;4;1;1;1;1;;;20240314123000000;0;-1\r\n"), AnsiString::npos);
    for (const AnsiString& load : host.loads) EXPECT_EQ(load.find("5900009"), AnsiString::npos);
    const std::vector<AnsiString> skipped = {
        "Paragon 100 zosta\xB3 pomini\xEAty (ma numer ni\xBFszy, ni\xBF parametr \"Ostatnio wczytany wydruk\")",
        "Paragon 101 zosta\xB3 pomini\xEAty (ma numer ni\xBFszy, ni\xBF parametr \"Ostatnio wczytany wydruk\")"};
    EXPECT_EQ(SplitLines(ReadAll(tmp.File("errors.txt"))), skipped);
    EXPECT_TRUE(Shown("WYST\xA5PI\xA3Y JAKIE\x8C B\xA3\xCA\x44Y, A JEST ICH 2"));
}

TEST_F(Analysis, CancelledReceiptKeepsItsNumbersButNoPositions) {
    Stage({Sale(1, "5900001", 0, 1, 100, 100), "Dk4   " + Format("%010d%010d", 5, 105), Close(5, 105, kWhen1),
           Sale(1, "5900002", 0, 1, 100, 100), Close(6, 106, kWhen1)});
    EXPECT_EQ(Run(), "");
    ASSERT_EQ(host.loads.size(), 1u);
    EXPECT_NE(host.loads[0].find("TRN;105;5;0;0;"), AnsiString::npos);
    EXPECT_EQ(host.loads[0].find("5900001"), AnsiString::npos);
    EXPECT_NE(host.loads[0].find("KASPAR;TangoOstatniWydruk;106"), AnsiString::npos);
}

TEST_F(Analysis, CountersBeforeTheRegistersDate) {
    host.params["NovitusECRSaleSource"] = "0";
    const AnsiString today = TdtTools().ToString(TdtTools::fmtDateTimeCompressed).substr(0, 12);
    const struct {
        AnsiString date;
        size_t loads;
    } cases[] = {{today, 1}, {"202001020304", 2}};
    for (const auto& c : cases) {
        host.loads.clear();
        Stage({Counter("5900001", 500, 2000), "DL" + c.date, Cashier(700), "Dx 240313 0000000042"});
        EXPECT_EQ(Run(), "");
        ASSERT_EQ(host.loads.size(), c.loads) << c.date;
        EXPECT_NE(host.loads.front().find("PLU;;5900001;2000;500"), AnsiString::npos);
        EXPECT_NE(host.loads.back().find("KAS_STANKASY;700\r\n"), AnsiString::npos);
        EXPECT_NE(host.loads.back().find("KAS_BIEZ;" + c.date.substr(0, 8)), AnsiString::npos);
        EXPECT_NE(
            host.loads.back().find("KASPAR;NovitusECRFiscalReportNo;42\r\nKASPAR;NovitusECRFiscalReportDate;240313"),
            AnsiString::npos);
    }
}

TEST_F(Analysis, AGarbledDateOfTheRegisterDoesNotHoldTheImportUp) {
    Stage({"DLbad date..", Cashier(700)});
    EXPECT_EQ(Run(), "");
    EXPECT_EQ(host.loads.size(), 1u);
    EXPECT_NE(ReadAll(tmp.File("errors.txt")).find("Nieczytelna data kasy \"bad date..\""), AnsiString::npos);
}

TEST_F(Analysis, FailureLeavesTheStagingFileAsItWasAndHandsNothingMore) {
    const struct {
        std::vector<AnsiString> lines;
        int refuse;
        size_t loads;
        const char* where;
    } cases[] = {
        {{Sale(1, "5900001", 0, 1, 100, 100), Close(1, 101, kWhen1), "Dk1"}, 0, 0, "linii 3!"},
        {{Sale(1, "5900001", 0, 1, 100, 100), Close(1, 101, kWhen1), Sale(1, "5900002", 0, 1, 100, 100),
          Close(2, 102, kWhen2)},
         2,
         2,
         "linii 4!"},
    };
    for (const auto& c : cases) {
        host.loads.clear();
        host.messages.clear();
        host.refuseLoad = c.refuse;
        Stage(c.lines);
        const AnsiString before = ReadAll(Staging());
        EXPECT_NE(Run(), "");
        EXPECT_EQ(ReadAll(Staging()), before);
        EXPECT_EQ(host.loads.size(), c.loads);
        EXPECT_TRUE(Shown(AnsiString("B\xB3\xB9\x64 w novitus.imp w ") + c.where));
        EXPECT_TRUE(Shown("Linia: " + c.lines.back() + "!"));
    }
}

// Receipts' positions are read from the staging file again when their buffer is written.
TEST_F(Analysis, PositionsNoLongerInTheStagingFileFailTheWriting) {
    Stage({Sale(1, "5900001", 0, 1, 100, 100), Sale(1, "5900002", 0, 1, 100, 100), Close(1, 101, kWhen1)});
    TQxNovitusECRAction action(&host, nullptr);
    action.ReadParams();
    TSalesImport import(action);
    import.Analyse(Staging());
    WriteAll(Staging(), Sale(1, "5900001", 0, 1, 100, 100) + "\r\n");
    try {
        import.ImpBufsSave();
        ADD_FAILURE() << "written";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Pozycje paragonu 1 nie daj\xB9 si\xEA ponownie odczyta\xE6 z pliku novitus.imp");
    }
    EXPECT_TRUE(host.loads.empty());
}

// A staging file many times the size of one read-ahead block: every receipt is written with
// the positions its own lines hold, in their order, whatever lies between them.
TEST_F(Analysis, PositionsAreReadAgainReceiptByReceiptFromALargeStagingFile) {
    std::vector<AnsiString> lines;
    std::vector<AnsiString> codes;
    for (int r = 1; r <= 3000; ++r) {
        for (int k = 0; k < 1 + r % 7; ++k) {
            const AnsiString code = IntToStr(5900000 + (r * 7 + k) % 500);
            lines.push_back(Sale(1, code.c_str(), 0, 1, 100, 100));
            codes.push_back(code);
        }
        if (r % 5 == 0) lines.push_back(Sale(0, "5900999", 0, 1, 100, 100));  // voided: no position
        if (r % 11 == 0) lines.push_back("Dk1 5900998");                      // short: warned, no position
        if (r % 13 == 0) lines.push_back("DU" + AnsiString(60, '0'));         // counters between receipts
        lines.push_back(Close(r, 100 + r, kWhen1));
    }
    Stage(lines);
    EXPECT_EQ(Run(), "");
    ASSERT_EQ(host.loads.size(), 1u);
    std::vector<AnsiString> written;
    int announced = 0;
    std::istringstream load(host.loads[0]);
    for (AnsiString line; std::getline(load, line);) {
        std::vector<AnsiString> fields;
        std::istringstream record(line);
        for (AnsiString field; std::getline(record, field, ';');) fields.push_back(field);
        if (fields.size() > 3 && fields[0] == "TRN") announced += std::stoi(fields[3]);
        if (fields.size() > 3 && fields[0] == "ZAW") written.push_back(fields[2]);
    }
    EXPECT_EQ(written, codes);
    EXPECT_EQ(announced, static_cast<int>(codes.size()));
}

// A code is completed once for each way its field is written, and every way of writing it,
// on any receipt of a day, adds to the day's one goods line of that code.
TEST_F(Analysis, EachCodeIsOneGoodsLineOfItsDayHoweverItsFieldIsWritten) {
    host.weightedFormats = {"21SSSSS?????K"};
    const auto leftAligned = [](AnsiString line) { return line.replace(3, 18, Format("%-18s", "5900001")); };
    const AnsiString plain = Sale(1, "5900001", 0, 1, 100, 100), weighed = Sale(1, "2112345", 3, 500, 2000, 1000);
    Stage({plain, weighed, leftAligned(plain), Close(1, 101, kWhen1), Sale(1, "5900001", 0, 2, 100, 200),
           Close(2, 102, kWhen2), leftAligned(plain), weighed, Close(3, 103, kWhen1)});
    EXPECT_EQ(Run(), "");
    ASSERT_EQ(host.loads.size(), 2u);
    const struct {
        size_t load;
        const char* line;
    } lines[] = {
        {0, "PLU;;5900001;3000;300\r\n"}, {0, "PLU;;2112345??????;1000;2000\r\n"}, {1, "PLU;;5900001;2000;200\r\n"}};
    for (const auto& l : lines) {
        const AnsiString& load = host.loads[l.load];
        const size_t at = load.find(l.line);
        EXPECT_NE(at, AnsiString::npos) << l.line;
        const AnsiString code = AnsiString(l.line).substr(0, AnsiString(l.line).find(';', 5) + 1);
        EXPECT_EQ(load.find(code, at + 1), AnsiString::npos) << l.line;
    }
}

// The counters a buffer carries keep the place of its first receipt among its parameters and
// take the values of its last.
TEST_F(Analysis, ReceiptCountersKeepTheirPlaceAndTakeTheLastValues) {
    const AnsiString fiscal = "Dx 240313 0000000042", sale = Sale(1, "5900001", 0, 1, 100, 100);
    const struct {
        std::vector<AnsiString> lines;
        const char* parameters;
    } cases[] = {
        {{sale, Close(1, 101, kWhen1), fiscal, sale, Close(2, 102, kWhen1), sale, Close(0, 103, kWhen1)},
         "KASPAR;TangoOstatniWydruk;103\r\nKASPAR;NovitusECRLastReceipt;2\r\nKASPAR;NovitusECRFiscalReportNo;42\r\n"},
        {{sale, Close(0, 101, kWhen1), fiscal, sale, Close(5, 102, kWhen1)},
         "KASPAR;TangoOstatniWydruk;102\r\nKASPAR;NovitusECRFiscalReportNo;42\r\n"
         "KASPAR;NovitusECRFiscalReportDate;240313\r\nKASPAR;NovitusECRLastReceipt;5\r\n"},
    };
    for (const auto& c : cases) {
        host.loads.clear();
        Stage(c.lines);
        EXPECT_EQ(Run(), "");
        ASSERT_EQ(host.loads.size(), 1u);
        EXPECT_NE(host.loads[0].find(c.parameters), AnsiString::npos) << c.parameters;
    }
}

TEST_F(Analysis, OnlyAFiscalReportParameterIsWrittenButNotHandedOver) {
    Stage({"Dx 240313 0000000042", "Dw000000000000000000000012345"});
    EXPECT_EQ(Run(), "");
    EXPECT_TRUE(host.loads.empty());
    EXPECT_NE(ReadAll(tmp.File("kasa.imp")).find("KASPAR;NovitusECRFiscalReportNo;42"), AnsiString::npos);
    EXPECT_NE(ReadAll(tmp.File("arch1.imp")).find("KASPAR;NovitusECRFiscalReportNo;42"), AnsiString::npos);
}

}  // namespace
