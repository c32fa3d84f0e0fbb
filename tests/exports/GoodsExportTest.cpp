// The goods export and the totals reset end to end: the host calls the library, the library
// programs the simulated register, which checks every record the way a real one does.
#include <algorithm>
#include <functional>

#include "sim/NovitusRegister.h"
#include "sim/RegisterSim.h"
#include "sim/SimServer.h"
#include "tests/exports/HostFixture.h"

namespace {

const AnsiString kSim = AnsiString(VELKORA_TEST_DATA) + "/../../sim/";

// A goods line of kasa.exp: goods n, code 59000000000n, 2.50, unit 1.
AnsiString Plu(int n, const char* status = "DOD", int ratePrec = 2300, const AnsiString& package = "") {
    return Format("PLU;%d;0;59000000000%02d;Towar %d;250;250;250;250;%d;1;F;2;F;F;F;", n, n, n, ratePrec / 100) +
           package + ";;1;" + status + ";;;;;0;;1000;;;0;" + IntToStr(ratePrec);
}

std::vector<AnsiString> Goods(int from, int to) {
    std::vector<AnsiString> lines;
    for (int n = from; n <= to; ++n) lines.push_back(Plu(n));
    return lines;
}

class GoodsExport : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        state = std::make_shared<TNovitusRegister>();
        state->LoadFile(kSim + "demo-register.txt");
        sim = std::make_unique<TRegisterSim>(state);
        host->params.insert({{"NovitusECRSendUnits", "1"}, {"NovitusECRProgEuro", "1"}, {"NovitusECRNoItNoCon", "1"}});
        Register();
    }
    void TearDown() override {
        if (server) server->Stop();
        if (pty) pty->Stop();
        HostFixture::TearDown();
    }
    void ServeTcp() {
        server = std::make_unique<TSimTcpServer>(*sim, 0);
        server->Start();
        host->params["NovitusECRPort"] = "TCP/IP";
        host->params["NovitusECRIpAddress"] = "127.0.0.1";
        host->params["NovitusECRIpPort"] = IntToStr(server->Port());
        host->params["NovitusECRIpTimeout"] = "2";
    }
    void ServePty() {
        pty = std::make_unique<TSimPty>(*sim);
        pty->Start();
        host->params["NovitusECRPort"] = pty->SlavePath();
        host->params["NovitusECRSpeed"] = "4";
    }
    // Writes kasa.exp (units 1 "szt" and 2 "opakowania12", 23 %, the euro rate) and exports it.
    void Export(const std::vector<AnsiString>& goods) {
        AnsiString file = "VAT;23\r\nJM;1;0;szt\r\nJM;2;0;opakowania12\r\nEURO;43215\r\n";
        for (const AnsiString& line : goods) file += line + "\r\n";
        WriteAll(tmp.File("kasa.exp"), file);
        host->messages.clear();
        host->Operation(-2);
    }
    std::vector<AnsiString> Result() const { return SplitLines(ReadAll(tmp.File("wynik.exp"))); }
    // The codes the register holds, in the form wynik.exp gives them.
    std::vector<AnsiString> Held() {
        auto lock = sim->Lock();
        std::vector<AnsiString> lines;
        for (const auto& [code, g] : state->Goods())
            lines.push_back("PLU;" + IntToStr(StrToInt(code.substr(11))) + ";0;" + code + ";DOD");
        return lines;
    }
    bool Shown(const AnsiString& text) const {
        const auto all = Texts();
        return std::find(all.begin(), all.end(), text) != all.end();
    }
    int StartsOf(const AnsiString& prefix) {
        const auto starts = sim->StartPackets();
        return static_cast<int>(
            std::count_if(starts.begin(), starts.end(), [&](const AnsiString& s) { return StartsWith(s, prefix); }));
    }

    std::shared_ptr<TNovitusRegister> state;
    std::unique_ptr<TRegisterSim> sim;
    std::unique_ptr<TSimTcpServer> server;
    std::unique_ptr<TSimPty> pty;
};

TEST_F(GoodsExport, TheSampleShopReachesTheRegisterOverTcpAndASerialLine) {
    for (bool serial : {false, true}) {
        SCOPED_TRACE(serial ? "pty" : "tcp");
        if (serial && !TSimPty::Supported()) continue;
        state = std::make_shared<TNovitusRegister>();
        state->LoadFile(kSim + "demo-register.txt");
        sim = std::make_unique<TRegisterSim>(state);
        serial ? ServePty() : ServeTcp();
        WriteAll(tmp.File("kasa.exp"), ReadAll(kSim + "demo-kasa.exp"));
        host->Operation(-2);
        EXPECT_TRUE(Texts(2).empty()) << Texts(2)[0];
        EXPECT_EQ(Result().size(), 275u);
        EXPECT_EQ(state->Goods().size(), 275u);
        EXPECT_TRUE(Shown(Ansi(u8"Programowanie tandemów:\x01") + "19"));
        EXPECT_EQ(host->CountCalls(16), serial ? 2 : 1);
        if (server) server->Stop();
        server.reset();
    }
}

TEST_F(GoodsExport, UnitNamesGetTheEndMarkOnlyWhenShort) {
    ServeTcp();
    Export(Goods(1, 1));
    EXPECT_EQ(sim->Written("I#01"), (std::vector<AnsiString>{"DI#0100szt\xFF      ", "DI#0101opakowania"}));
    EXPECT_EQ(host->params["Qx_NovitusECR_NovitusECRUnitMap1"], "1=0\r\n2=1");
}

TEST_F(GoodsExport, ARefusalOnRecordFiveOfTenOpensANewTransferForTheRest) {
    ServeTcp();
    sim->AddFault("error,file=I#00,frame=5,code=09");
    Export(Goods(1, 10));
    EXPECT_EQ(StartsOf("SI#001"), 2);
    EXPECT_EQ(Result(), Held());
    EXPECT_EQ(Result().size(), 9u);
    EXPECT_TRUE(Shown(Ansi(u8"Kasa odrzuciła \"Towar 5\" (błędna stawka PTU)")));
}

TEST_F(GoodsExport, WhatTheRegisterOrTheDriverRefusesIsAWarning) {
    const struct {
        const char* what;
        std::function<void(TNovitusRegister&, std::map<AnsiString, AnsiString>&)> setup;
        std::vector<AnsiString> goods;
        const char* warning;
    } cases[] = {
        {"unit not programmed", [](auto&, auto& p) { p["NovitusECRSendUnits"] = "0"; }, Goods(1, 1),
         u8"Kasa odrzuciła \"Towar 1\" (błędny indeks jednostki)"},
        {"base full", [](auto& r, auto&) { r.capacity = 1; }, Goods(1, 2),
         u8"Kasa odrzuciła \"Towar 2\" (baza PLU pełna)"},
        {"deleting goods not held",
         [](auto&, auto&) {},
         {Plu(1, "USU")},
         u8"Kasa odrzuciła \"Towar 1\" (pozycja do usunięcia nie istnieje.)"},
        {"letter of a slot not programmed",
         [](auto&, auto&) {},
         {Plu(1, "DOD", 9999)},
         u8"Kasa odrzuciła \"Towar 1\" (błędna stawka PTU)"},
        {"package not held",
         [](auto&, auto&) {},
         {Plu(1, "DOD", 2300, "5909")},
         u8"Kasa odrzuciła \"Towar 1\" (towar w polu tandem nie istnieje)"},
        {"record too long",
         [](auto&, auto& p) { p["NovitusECRExpKeyCode"] = "1"; },
         {ReplaceAll(Plu(1), ";DOD;;", ";DOD;1234;")},
         u8"Kasa odrzuciła \"Towar 1\" (błąd struktury bazy PLU)"},
        {"rate missing on the register",
         [](auto&, auto&) {},
         {Plu(1, "DOD", 700)},
         u8"Sterownik odrzucił towar \"Towar 1\" (brak stawki VAT 7.00% na kasie)"},
    };
    ServeTcp();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto saved = host->params;
        {
            auto lock = sim->Lock();
            state->Load(ReadAll(kSim + "demo-register.txt"));
            c.setup(*state, host->params);
        }
        Export(c.goods);
        const auto errors = Texts(2);
        EXPECT_NE(std::find(errors.begin(), errors.end(), Ansi(c.warning)), errors.end()) << c.warning;
        EXPECT_EQ(Result(), Held());
        host->params = saved;
    }
}

TEST_F(GoodsExport, NoPackageCodeNoTandemPassEvenAfterAnExportWithTandems) {
    ServeTcp();
    Export({Plu(1), Plu(2, "DOD", 2300, "5900000000001")});
    EXPECT_TRUE(Shown(Ansi(u8"Programowanie tandemów:\x01") + "1"));
    Export(Goods(3, 4));
    for (const AnsiString& t : Texts()) EXPECT_FALSE(StartsWith(t, "Programowanie tandem")) << t;
    EXPECT_EQ(Result().size(), 2u);
}

TEST_F(GoodsExport, AnEmptyListConnectsOnlyWhenAskedTo) {
    ServeTcp();
    Export({});
    EXPECT_TRUE(Shown(Ansi(u8"Nie ma towarów do wysłania - zrezygnowano z połączenia z kasą")));
    EXPECT_TRUE(sim->StartPackets().empty());
    EXPECT_FALSE(std::filesystem::exists(tmp.File("wynik.exp")));
    EXPECT_EQ(host->CountCalls(16), 0);

    host->params["NovitusECRNoItNoCon"] = "0";
    Export({});
    EXPECT_TRUE(Texts(2).empty());
    EXPECT_EQ(StartsOf("S0"), 1);
    EXPECT_EQ(StartsOf("SI#00"), 0);
    EXPECT_TRUE(Result().empty());
    EXPECT_EQ(host->CountCalls(16), 1);
}

TEST_F(GoodsExport, ABrokenLineOrAnAbortStillHandsOverWhatTheRegisterTook) {
    const struct {
        const char* what;
        const char* fault;
        const char* error;
    } cases[] = {
        {"line dropped at the sixth goods", "drop,file=I#00,frame=6", ""},
        {"user abort after the fourth", "", u8"Operacja przerwana przez użytkownika"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        state->Load(ReadAll(kSim + "demo-register.txt"));
        sim->ClearFaults();
        ServeTcp();
        if (*c.fault) sim->AddFault(c.fault);
        host->abortRequested = false;
        host->onMessage = [&](const THostMessage& m, bool) {
            if (!*c.fault && m.text == AnsiString(Ansi(u8"Programowanie towarów:\x01")) + "4")
                host->abortRequested = true;
        };
        const int stored = host->CountCalls(16);
        Export(Goods(1, 10));
        EXPECT_EQ(Result(), Held());
        EXPECT_EQ(Result().size(), *c.fault ? 5u : 4u);
        EXPECT_EQ(host->CountCalls(16), stored + 1);
        ASSERT_FALSE(Texts(2).empty());
        if (*c.error) {
            EXPECT_EQ(Texts(2).back(), Ansi(c.error));
        }
        server->Stop();
        host->onMessage = nullptr;
    }
}

TEST_F(GoodsExport, TheEuroRateIsWrittenOnlyWhenTheRegisterHasAnother) {
    ServeTcp();
    Export(Goods(1, 1));
    EXPECT_EQ(StartsOf("S21"), 0);
    state->euro = 0;
    Export(Goods(1, 1));
    EXPECT_EQ(sim->Written("2"), std::vector<AnsiString>{"D2     43215"});
    EXPECT_EQ(state->euro, 43215u);
}

TEST_F(GoodsExport, AVatTableOfTheWrongLengthEndsTheExport) {
    ServeTcp();
    sim->AddFault("oversize,file=0,value=29");
    Export(Goods(1, 1));
    const auto errors = Texts(2);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back(), Ansi(u8"Kasa przysłała nieprawidłowy pakiet stawek VAT: \x02") + AnsiString(29, 'X'));
    EXPECT_TRUE(state->Goods().empty());
}

TEST_F(GoodsExport, TheGoodsListIsResetOnlyOnceTheTotalsAreZero) {
    ServeTcp();
    host->params["RodzajTransmisji"] = "3";
    state->SetTotal("5900000000001", 250);
    Export(Goods(1, 2));
    const auto errors = Texts(2);
    EXPECT_NE(std::find(errors.begin(), errors.end(), Ansi(u8"Błąd podczas zerowania list towarów")), errors.end());
    EXPECT_EQ(errors.back(), Ansi(u8"0x0F niezerowe totalizery sprzedaży - wykonaj raport fiskalny"));
    EXPECT_TRUE(Result().empty());

    host->params["NovitusECRPreclear"] = "1";
    host->params["NovitusECRSaleSource"] = "1";
    Export(Goods(1, 2));
    EXPECT_TRUE(Texts(2).empty());
    EXPECT_TRUE(state->TotalsZero());
    EXPECT_EQ(Result().size(), 2u);
}

TEST_F(GoodsExport, TheStandaloneTotalsResetOverASerialLine) {
    Export({});  // the file medium: refused before anything
    host->Operation(-8, 1);
    EXPECT_EQ(Texts(2).back(), Ansi(u8"Ustawione złącze PLIK! Ustaw na normalny port COM lub TCP/IP."));
    if (!TSimPty::Supported()) GTEST_SKIP() << "no pseudo-terminals here";
    ServePty();
    state->SetTotal("5900000000001", 250);
    host->messages.clear();
    host->Operation(-8, 1);
    EXPECT_TRUE(Texts(2).empty());
    EXPECT_EQ(sim->StartPackets(), std::vector<AnsiString>{"Si2" + AnsiString(17, ' ') + "1" + AnsiString(18, ' ')});
    EXPECT_TRUE(state->TotalsZero());
    EXPECT_EQ(Texts().back(), AnsiString("Zamykanie portu komunikacyjnego\x01OK"));
}

}  // namespace
