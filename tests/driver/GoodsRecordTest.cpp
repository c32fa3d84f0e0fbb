// The goods export's records and preparations, inside the driver: the 132-character goods
// record, the unit map, and the resets that precede an export against the simulated register.
#include <gtest/gtest.h>

#include <functional>

#include "driver/GoodsExport.h"
#include "driver/IdMap.h"
#include "driver/NovitusAction.h"
#include "driver/NovitusExpBuf.h"
#include "driver/TotalsReset.h"
#include "driver/UnitsAndVat.h"
#include "ecr/EcrErrors.h"
#include "platform/Translation.h"
#include "sim/NovitusRegister.h"
#include "sim/RegisterSim.h"
#include "sim/SimServer.h"
#include "tests/support/FakeHostLink.h"
#include "tests/support/TempDir.h"

namespace {

using TChange = std::function<void(QxTowRec&, TQxNovitusECRAction&)>;

class GoodsRecord : public ::testing::Test {
protected:
    void SetUp() override {
        host.device.exchangeDirectory = tmp.Dir();
        action.vatRates = {800, 2300, 500, 0, 0xFFFF, 0xFFFF, 0xFFFF};
        action.unitMap = {"1=0", "16=15"};
        action.cfgPluAutoRepeat = true;
        mleko.kod = "5900000000011";
        mleko.nazwa = "Mleko";
        mleko.cena = 250;
        mleko.stawkaPrec = 2300;
        mleko.precyzja = 2;
        mleko.kod_opakowania = "";
        mleko.status = stDod;
        mleko.jedn = 1;
    }
    // The record of the changed goods, or the refusal's text.
    AnsiString Record(const TChange& change, bool tandem = false) {
        QxTowRec rec = mleko;
        change(rec, action);
        try {
            TGoodsExport(action).MakePluRec(rec, tandem);
        } catch (const ENoBreakException& e) {
            return "refused: " + e.GetErrorMessage();
        }
        EXPECT_EQ(rec.plu_rec.size(), 132u);
        return rec.plu_rec;
    }
    TempDir tmp;
    FakeHostLink host;
    TQxNovitusECRAction action{&host, nullptr};
    QxTowRec mleko;
};

TEST_F(GoodsRecord, MlekoByteForByte) {
    EXPECT_EQ(Record([](QxTowRec&, TQxNovitusECRAction&) {}),
              "DI#001     5900000000011    0Mleko\xFF" + AnsiString(34, ' ') + "0000000250B2001401" + "01" +
                  AnsiString(18, ' ') + "01" + AnsiString(20, ' ') + "000");
}

TEST_F(GoodsRecord, FieldsAndRefusals) {
    const struct {
        const char* what;
        TChange change;
        int pos;  // where the expected text starts; 0: the refusal's text
        AnsiString expected;
        bool tandem = false;
    } cases[] = {
        {"delete", [](auto& r, auto& a) { r.status = stUsu; }, 6, "0"},
        {"closed price, department 41", [](auto& r, auto& a) { r.cena_otwarta = false, a.cfgPriceOpenD41 = true; }, 82,
         "000C41"},
        {"open price keeps department 01", [](auto& r, auto& a) { a.cfgPriceOpenD41 = true; }, 82, "001401"},
        {"open package without repeat", [](auto& r, auto& a) { r.opakowanie = true, a.cfgPluAutoRepeat = false; }, 82,
         "0012"},
        {"price rounded", [](auto& r, auto& a) { r.cena = 1234.6; }, 70, "0000001235"},
        {"zero open price", [](auto& r, auto& a) { r.cena = 0; }, 70, "0000000000"},
        {"price level", [](auto& r, auto& a) { a.cfgPoziomCen = 2, r.cena_noc = 99; }, 70, "0000000099"},
        {"exempt slot", [](auto& r, auto& a) { r.stawkaPrec = -1; }, 80, "E"},
        {"exempt without a slot",
         [](auto& r, auto& a) { r.stawkaPrec = -1, a.vatRates = {2300, 800, 500, 0, 9999, 9999, 9999}; }, 80, "Z"},
        {"negative precision", [](auto& r, auto& a) { r.precyzja = -1; }, 81, "3"},
        {"? removed", [](auto& r, auto& a) { r.kod = "?123"; }, 7, AnsiString(15, ' ') + "123"},
        {"18 characters kept", [](auto& r, auto& a) { r.kod = "12345678901234567890"; }, 7, "123456789012345678    0"},
        {"leading zero allowed", [](auto& r, auto& a) { r.kod = "0123"; }, 7, AnsiString(14, ' ') + "0123"},
        {"39 characters end with the mark", [](auto& r, auto& a) { r.nazwa = AnsiString(39, 'n'); }, 30,
         AnsiString(39, 'n') + "\xFF" + "0000000250"},
        {"long name cut", [](auto& r, auto& a) { r.nazwa = " " + AnsiString(45, 'n'); }, 30, AnsiString(40, 'n') + "0"},
        {"letters to code page 852", [](auto& r, auto& a) { r.nazwa = Ansi(u8"Żółć"); }, 30,
         Utf8ToCp852(u8"Żółć") + "\xFF "},
        {"unit 16 is sent as 00", [](auto& r, auto& a) { r.jedn = 16; }, 108, "00"},
        {"key from description 2", [](auto& r, auto& a) { a.cfgEksportKeyCode = 2, r.opis2 = "17"; }, 130, "017"},
        {"tandem carries the package code", [](auto& r, auto& a) { r.kod_opakowania = "?5901"; }, 90,
         AnsiString(14, ' ') + "590101", true},
        {"rate missing", [](auto& r, auto& a) { r.stawkaPrec = 800 - 100; }, 0, "brak stawki VAT 7.00% na kasie"},
        {"zero closed price", [](auto& r, auto& a) { r.cena = 0, r.cena_otwarta = false, r.kod = ""; }, 0,
         Ansi(u8"zerowa i zamknięta cena sprzedaży")},
        {"no code", [](auto& r, auto& a) { r.kod = ""; }, 0, "brak kodu towaru"},
        {"leading zero refused", [](auto& r, auto& a) { r.kod = "0123", a.cfgCheckZeroes = true; }, 0,
         Ansi(u8"kod towaru nie może zaczynać się od zera")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const AnsiString record = Record(c.change, c.tandem);
        if (c.pos == 0)
            EXPECT_EQ(record, "refused: " + c.expected);
        else
            EXPECT_EQ(SubString(record, c.pos, static_cast<int>(c.expected.size())), c.expected);
        action.vatRates = {800, 2300, 500, 0, 0xFFFF, 0xFFFF, 0xFFFF};
        action.cfgPriceOpenD41 = action.cfgCheckZeroes = false;
        action.cfgPluAutoRepeat = true;
        action.cfgEksportKeyCode = action.cfgPoziomCen = 0;
    }
}

TEST_F(GoodsRecord, UnitsTakeSlotsInTheOrderOfTheirIds) {
    TQxNovitusECRExpBuf buffer(action);
    action.exp_buf = &buffer;
    action.unitMap.clear();
    buffer.jmiary = {"7;0;szt", "3;3;kg", "12;0;opak"};
    TUnitsAndVat units(action);
    units.PrepareUnitTable();
    EXPECT_EQ(host.params["Qx_NovitusECR_NovitusECRUnitMap1"], "3=0\r\n7=1\r\n12=2");
    EXPECT_EQ(host.params["Qx_NovitusECR_NovitusECRUnitMap2"], "");
    EXPECT_EQ(units.GetUnitIdOut(7, false), 2);
    EXPECT_EQ(units.GetUnitIdOut(12, true), 2);
    EXPECT_THROW(units.GetUnitIdOut(5, true), EConvertError);

    buffer.jmiary.clear();
    for (int id = 16; id >= 1; --id) buffer.jmiary.push_back(IntToStr(id) + ";0;j" + IntToStr(id));
    action.unitMap.clear();
    units.PrepareUnitTable();
    EXPECT_EQ(units.GetUnitIdOut(16, true), 15);
    EXPECT_EQ(SubString(Record([](QxTowRec& r, TQxNovitusECRAction&) { r.jedn = 16; }), 108, 2), "00");
    action.exp_buf = nullptr;
}

TEST(IdMapUpdate, DroppedSlotsStayTakenAndGapsAreFilledFirst) {
    TIdList map = {"9=3", "5=2", "1=0"};
    IdMap().Initialize(map, "1\r\n5\r\n6\r\n8\r\n");
    EXPECT_EQ(map, (TIdList{"1=0", "6=1", "5=2", "8=4"}));
    AnsiString text = "3=1\r\n";
    IdMap().Initialize(text, "3\r\n2\r\n2\r\n");
    EXPECT_EQ(text, "2=0\r\n3=1\r\n");
}

// The resets before an export, for every combination of "NovitusECRPreclear", the sale source
// and the transfer type: which reset transfers reach the register and whether the warning shows.
TEST(PrecedingResets, FollowTheThreeSettings) {
    TempDir tmp;
    auto state = std::make_shared<TNovitusRegister>();
    TRegisterSim sim(state);
    TSimTcpServer server(sim, 0);
    server.Start();
    const AnsiString totals = "Si2" + AnsiString(17, ' ') + "1" + AnsiString(18, ' ');
    const AnsiString lists = "Si2" + AnsiString(17, ' ') + "6" + AnsiString(18, ' ');
    const struct {
        const char *preclear, *source, *kind;
        std::vector<AnsiString> resets;
        bool warning;
    } cases[] = {
        {"0", "0", "0", {}, false}, {"0", "0", "1", {}, false},
        {"0", "0", "2", {}, false}, {"0", "0", "3", {lists}, false},
        {"0", "1", "0", {}, false}, {"0", "1", "1", {}, false},
        {"0", "1", "2", {}, false}, {"0", "1", "3", {lists}, false},
        {"1", "0", "0", {}, false}, {"1", "0", "1", {}, false},
        {"1", "0", "2", {}, false}, {"1", "0", "3", {lists}, false},
        {"1", "1", "0", {}, true},  {"1", "1", "1", {totals}, false},
        {"1", "1", "2", {}, true},  {"1", "1", "3", {totals, lists}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.preclear) + c.source + c.kind);
        FakeHostLink host;
        host.device.exchangeDirectory = tmp.Dir();
        host.params = {{"NovitusECRCardParseMask", "99kkkkkkymmrx"},
                       {"NovitusECREdiFolder", tmp.File("EDI")},
                       {"NovitusECRPort", "TCP/IP"},
                       {"NovitusECRIpAddress", "127.0.0.1"},
                       {"NovitusECRIpPort", IntToStr(server.Port())},
                       {"NovitusECRIpTimeout", "2"},
                       {"NovitusECRPreclear", c.preclear},
                       {"NovitusECRSaleSource", c.source},
                       {"RodzajTransmisji", c.kind}};
        TQxNovitusECRAction action(&host, nullptr);
        action.ReadParams();
        sim.ResetCounters();
        action.OpenPort();
        TTotalsReset(action).PrecedingResets();
        action.ClosePort();
        EXPECT_EQ(sim.StartPackets(), c.resets);
        bool warned = false;
        for (const FakeMessage& m : host.messages) warned = warned || m.kind == zkOstrzezenie;
        EXPECT_EQ(warned, c.warning);
    }
    server.Stop();
}

}  // namespace
