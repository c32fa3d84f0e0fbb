// The goods read back from a register over TCP/IP: what the host's goods callback gets for
// each record, the log of its answers, records of the wrong form, the raw list, and the
// register's list reconciled with an export file.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <algorithm>
#include <filesystem>

#include "driver/NovitusAction.h"
#include "driver/NovitusExpBuf.h"
#include "host/DriverHost.h"
#include "platform/Translation.h"
#include "sim/RegisterSim.h"
#include "sim/SimServer.h"
#include "tests/support/FakeHostLink.h"
#include "tests/support/TempDir.h"

namespace {

// A host that keeps what its goods callback gets and answers as the test says.
class GoodsHost : public FakeHostLink {
public:
    int DodajTowarZKasy(void*, const AnsiString& name, int number, const AnsiString& code, int overwrite,
                        const AnsiString& group, const AnsiString& unit, int vat, double p1, double p2, double p3,
                        double p4, int open, int package, const AnsiString& packageCode) override {
        Dawdle();
        got.push_back({name, code, group, unit, packageCode, number, overwrite, vat, open, package, {p1, p2, p3, p4}});
        return answers.empty() ? 1 : answers[(got.size() - 1) % answers.size()];
    }
    // A slow back office: the goods callback, the abort poll and the progress take this long.
    bool CzyPrzerwac(void* arg2) override {
        Dawdle();
        return FakeHostLink::CzyPrzerwac(arg2);
    }
    void ZmienOstatniKomunikat(void* arg2, int kind, const AnsiString& text) override {
        Dawdle();
        FakeHostLink::ZmienOstatniKomunikat(arg2, kind, text);
    }
    void Dawdle() const { std::this_thread::sleep_for(std::chrono::milliseconds(slowMs)); }
    std::vector<THostGoods> got;
    std::vector<int> answers;
    int slowMs = 0;
};

// Register data of one frame. Goods: code as the register keeps it, VAT letter, flags, price
// field, department, unit field, name and package code (code page 852).
AnsiString GoodsData(const AnsiString& code, char letter = 'A', const char* flags = "0008",
                     const char* price = "0000000250", const char* department = "03", const char* unit = "02",
                     const AnsiString& name = "Towar", const AnsiString& package = "", const char* number = "    7") {
    AnsiString c = code, n = name, p = package;
    return "DI#001" + TLTools::StrSize(c, 18, ' ', right, right) + number + TLTools::StrSize(n, 40, ' ', right, right) +
           price + letter + "2" + flags + department + "01" + TLTools::StrSize(p, 18, ' ', right, right) + unit +
           AnsiString(20, ' ') + "000";
}
const AnsiString kVat = "D02300080005000000FFFF9899    ";                                // G: not a number
const AnsiString kGroup = "DH 03NABIA\x9D" + AnsiString(12, ' ') + AnsiString(17, '0');  // 852 "NABIAŁ"
const AnsiString kUnit = "DI#0101kg        ";
const AnsiString kMaslo = GoodsData("   5900000000017", 'Z', "0010", "0000001250", "03", "02",
                                    "  Mas\x88o \x98wie\xBE"
                                    "e  ");  // 852 "  Masło świeże  "

class GoodsImport : public ::testing::Test {
protected:
    void SetUp() override {
        server.Start();
        host.device.exchangeDirectory = tmp.Dir();
        host.params = {{"NovitusECRPort", "TCP/IP"},
                       {"NovitusECRIpAddress", "127.0.0.1"},
                       {"NovitusECRIpPort", IntToStr(server.Port())},
                       {"NovitusECRIpTimeout", "2"},
                       {"NovitusECRCardParseMask", "99kkkkkkymmrx"},
                       {"NovitusECREdiFolder", tmp.File("EDI")},
                       {"NovitusECRImportOverWrite", "TRUE "},
                       {"NovitusECRImportLogSave", "TRUE"}};
    }
    void TearDown() override { server.Stop(); }
    void Fill(const AnsiString& vat, const AnsiString& group, const AnsiString& unit,
              const std::vector<AnsiString>& goods) {
        auto lock = sim.Lock();
        state->Load("file 0\nfile H ranged\nfile I#01\nfile I#00\n");
        state->AddRecord("0", vat);
        state->AddRecord("H", group, 3);
        state->AddRecord("I#01", unit, 1);
        for (const AnsiString& g : goods) state->AddRecord("I#00", g);
    }
    // Runs extra function n as the library does; the error that ended it, or "".
    AnsiString Run(int extra) {
        TQxNovitusECRAction action(&host, nullptr);
        HQVRDLLSRODOWISKO environment;
        try {
            action.Operacja(&environment, -8, extra);
        } catch (const std::exception& e) {
            return e.what();
        }
        return "";
    }
    int Shown(const AnsiString& text) const {
        return static_cast<int>(std::count_if(host.messages.begin(), host.messages.end(),
                                              [&](const FakeMessage& m) { return m.text == text; }));
    }
    std::vector<AnsiString> LogLines() const { return SplitLines(ReadAll(tmp.File("import.log"))); }

    TempDir tmp;
    GoodsHost host;
    std::shared_ptr<TRegisterState> state = std::make_shared<TRegisterState>();
    TRegisterSim sim{state};
    TSimTcpServer server{sim, 0};
};

// Each row: a record, the host's answer to it and the log line it leaves, which shows all
// the values the host got but the overwrite flag and the four prices.
TEST_F(GoodsImport, EachGoodsReachesTheHostAndTheLogByTheListsReadFirst) {
    const struct {
        AnsiString record;
        int answer;
        const char* log;
    } cases[] = {
        {kMaslo, 1, u8"  Masło świeże,7,   5900000000017,NABIAŁ,kg,-1,12.50,TAK,NIE,BRAK,DODANO"},
        {GoodsData("1", 'A'), -1, u8"Towar,7,1,NABIAŁ,kg,2300,2.50,NIE,NIE,BRAK,BLAD"},
        {GoodsData("2", 'B'), 0, u8"Towar,7,2,NABIAŁ,kg,800,2.50,NIE,NIE,BRAK,POMINIETY"},
        {GoodsData("3", 'C'), 2, u8"Towar,7,3,NABIAŁ,kg,500,2.50,NIE,NIE,BRAK,AKTUALIZACJA"},
        {GoodsData("4", 'D'), 7, u8"Towar,7,4,NABIAŁ,kg,0,2.50,NIE,NIE,BRAK,NIEZNANY"},
        {GoodsData("5", 'E'), 1, u8"Towar,7,5,NABIAŁ,kg,-1,2.50,NIE,NIE,BRAK,DODANO"},    // FFFF
        {GoodsData("6", 'F'), 1, u8"Towar,7,6,NABIAŁ,kg,-1,2.50,NIE,NIE,BRAK,DODANO"},    // 9899
        {GoodsData("7", 'G'), 1, u8"Towar,7,7,NABIAŁ,kg,9999,2.50,NIE,NIE,BRAK,DODANO"},  // not a number
        {GoodsData("8", 'X'), 1, u8"Towar,7,8,NABIAŁ,kg,9999,2.50,NIE,NIE,BRAK,DODANO"},  // no such slot
        {GoodsData("9", 'A', "000A", "0000000328", "3 ", "00", "B", " 59 "), 1,
         "B,7,9,NIE_ZDEFINIOWANO,NIE_ZDEFINIOWANO,2300,3.28,NIE,TAK, 59,DODANO"},
        {GoodsData("10", 'A', "0008", "0000000100", "04", " 2"), 1,
         "Towar,7,10,NIE_ZDEFINIOWANO,kg,2300,1.00,NIE,NIE,BRAK,DODANO"},
        {GoodsData("11", 'A', "0008", "0000000100", "03", "k1"), 1,
         u8"Towar,7,11,NABIAŁ,NIE_ZDEFINIOWANO,2300,1.00,NIE,NIE,BRAK,DODANO"},
    };
    std::vector<AnsiString> goods;
    for (const auto& c : cases) goods.push_back(c.record), host.answers.push_back(c.answer);
    Fill(kVat, kGroup, kUnit, goods);
    ASSERT_EQ(Run(2), "");
    ASSERT_EQ(Run(2), "");
    const std::vector<AnsiString> log = LogLines();
    const size_t n = std::size(cases);
    ASSERT_EQ(log.size(), 2 * (3 + n));  // per import: an empty line, the header, the columns
    for (size_t block : {size_t(0), 3 + n}) {
        EXPECT_EQ(log[block], "");
        EXPECT_TRUE(StartsWith(log[block + 1], "------------ [IMPORT WYKONANY DNIA: 20")) << log[block + 1];
        EXPECT_TRUE(EndsWith(log[block + 2], ",<KOD_OPAKOWANIA>,<WYNIK_OPERACJI>"));
        for (size_t i = 0; i < n; ++i) EXPECT_EQ(log[block + 3 + i], Ansi(cases[i].log));
    }
    const THostGoods& g = host.got[0];
    EXPECT_EQ(g.overwrite, 1);
    for (double price : g.prices) EXPECT_EQ(price, 12.5);
    // The host gets every line without its surrounding blanks.
    for (const char* line : {u8"Odczytano towarów:\x01"
                             "12",
                             u8"- pominiętych (w tym 1 z błędem):\x01"
                             "2",
                             u8"- dodanych:\x01"
                             "8",
                             u8"- zaktualizowanych:\x01"
                             "1"})
        EXPECT_TRUE(Shown(Ansi(line))) << line;
    EXPECT_EQ(Shown(Ansi(u8"- odczyt towarów kontynuowany...")), 4);
    EXPECT_TRUE(Shown(Ansi(u8"Zapis logu importu do pliku: ") + tmp.File("import.log")));
}

TEST_F(GoodsImport, ARecordOfTheWrongFormEndsTheImportWithoutALog) {
    const AnsiString good = GoodsData("1");
    const struct {
        AnsiString vat, group, unit, second;
        const char* error;
        size_t passed;  // goods the host got before the end
    } cases[] = {
        {kVat + " ", kGroup, kUnit, good, u8"Kasa przysłała nieprawidłowy pakiet stawek VAT: \x02", 0},
        {kVat, kGroup.substr(1), kUnit, good, u8"Kasa przysłała nieprawidłowy pakiet asortymentów: \x02", 0},
        {kVat, kGroup, kUnit + "x", good, u8"Kasa przysłała nieprawidłowy pakiet jednostek miary: \x02", 0},
        {kVat, kGroup, kUnit, good.substr(0, 131), u8"Kasa przysłała nieprawidłowy pakiet towaru: \x02", 1},
        {kVat, kGroup, kUnit, GoodsData("2", 'A', "0008", "0000000250", "03", "02", "T", "", "   7 "),
         u8"'   7 ' is not a valid integer value", 1},
        {kVat, kGroup, kUnit, GoodsData("2", 'A', "00G8"), u8"'0x00G8' is not a valid integer value", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        Fill(c.vat, c.group, c.unit, {good, c.second});
        host.got.clear();
        host.messages.clear();
        std::filesystem::remove(tmp.File("import.log"));
        EXPECT_TRUE(StartsWith(Run(2), Ansi(c.error)));
        EXPECT_EQ(host.got.size(), c.passed);
        EXPECT_FALSE(std::filesystem::exists(tmp.File("import.log")));
        EXPECT_TRUE(std::any_of(host.messages.begin(), host.messages.end(),
                                [](const FakeMessage& m) { return m.kind == zkBlad; }));
    }
}

TEST_F(GoodsImport, TheRawListTheLogOptionOffAndTheFileMedium) {
    Fill(kVat, kGroup, kUnit, {GoodsData("1"), kMaslo});
    ASSERT_EQ(Run(0), "");
    EXPECT_EQ(ReadAll(tmp.File("inplu.exp")), "\x02" + GoodsData("1") + "\x03\r\n\x02" + kMaslo + "\x03\r\n");
    EXPECT_TRUE(Shown(Ansi(u8"Odczyt listy towarów z kasy:\x01") + "2"));
    Fill(kVat, kGroup, kUnit, {});
    ASSERT_EQ(Run(0), "");
    EXPECT_EQ(ReadAll(tmp.File("inplu.exp")), "");

    host.params["NovitusECRImportLogSave"] = "FALSE";
    host.params["NovitusECRImportOverWrite"] = "true";
    Fill(kVat, kGroup, kUnit, {kMaslo});
    ASSERT_EQ(Run(2), "");
    EXPECT_EQ(host.got.at(0).overwrite, 0);
    EXPECT_FALSE(std::filesystem::exists(tmp.File("import.log")));

    host.params["NovitusECRPort"] = "PLIK";
    for (int extra : {0, 2})
        EXPECT_EQ(Run(extra), Ansi(u8"Ustawione złącze PLIK! Ustaw na normalny port COM lub TCP/IP."));
    EXPECT_EQ(sim.StartPackets().size(), 6u);
}

TEST_F(GoodsImport, TheRegistersListReconciledWithTheExportFile) {
    Fill(kVat, kGroup, kUnit, {GoodsData("5900000000011"), GoodsData("005900000000028")});
    TQxNovitusECRAction action(&host, nullptr);
    TQxNovitusECRExpBuf buffer(action);
    QxTowRec rec;
    rec.kod = "5900000000035";
    rec.status = stAkt;
    buffer.DodajRec(&rec);
    action.exp_buf = &buffer;
    action.ReadParams();
    action.OpenPort();
    action.CancelPluList();
    action.ClosePort();
    action.exp_buf = nullptr;
    // The host's goods the register lacks are to be added, the register's the host lacks deleted.
    AnsiString statuses;
    for (int i = 0; i < buffer.il_rec; ++i)
        buffer.CzytajRec(i, &rec), statuses += rec.kod + ":" + IntToStr(rec.status) + " ";
    EXPECT_EQ(statuses, "5900000000035:0 5900000000011:3 5900000000028:3 ");
    EXPECT_EQ(rec.plu_rec, "\x02" + GoodsData("005900000000028") + "\x03");
}

// A host slower over each goods than the register waits for the next acknowledgement: the
// import gets the whole list or ends with an error, never a short list taken for the whole.
TEST_F(GoodsImport, ASlowHostGetsTheWholeListFromARegisterThatGivesUp) {
    std::vector<AnsiString> goods;
    for (int n = 1; n <= 5; ++n) goods.push_back(GoodsData(IntToStr(n)));
    Fill(kVat, kGroup, kUnit, goods);
    sim.clock.waitMs = 150;  // the register's 2 s, shortened with the host's slowness
    host.slowMs = 200;
    EXPECT_EQ(Run(2), "");
    EXPECT_EQ(host.got.size(), 5u);
    EXPECT_EQ(sim.WaitsRunOut(), 0);
}

}  // namespace
