// The goods read back through the library: the sample shop exported to the simulated register
// over TCP/IP comes back through the host's goods callback as it was sent.
#include "sim/NovitusRegister.h"
#include "sim/RegisterSim.h"
#include "sim/SimServer.h"
#include "tests/exports/HostFixture.h"

namespace {

const AnsiString kSim = AnsiString(VELKORA_TEST_DATA) + "/../../sim/";

std::vector<AnsiString> Words(const AnsiString& line) {
    std::vector<AnsiString> words(1);
    for (char c : line)
        if (c == ';')
            words.emplace_back();
        else
            words.back() += c;
    return words;
}

class GoodsReadBack : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        state->LoadFile(kSim + "demo-register.txt");
        server.Start();
        host->params.insert({{"NovitusECRPort", "TCP/IP"},
                             {"NovitusECRIpAddress", "127.0.0.1"},
                             {"NovitusECRIpPort", IntToStr(server.Port())},
                             {"NovitusECRSendUnits", "1"},
                             {"NovitusECRImportLogSave", "TRUE"}});
        host->params["NovitusECRPort"] = "TCP/IP";
        host->params["NovitusECRIpTimeout"] = "2";
        WriteAll(tmp.File("kasa.exp"), ReadAll(kSim + "demo-kasa.exp"));
    }
    void TearDown() override {
        server.Stop();
        HostFixture::TearDown();
    }
    std::shared_ptr<TNovitusRegister> state = std::make_shared<TNovitusRegister>();
    TRegisterSim sim{state};
    TSimTcpServer server{sim, 0};
};

TEST_F(GoodsReadBack, TheSampleShopComesBackAsItWasExported) {
    Register();
    host->Operation(-2);
    ASSERT_TRUE(Texts(2).empty()) << Texts(2)[0];
    host->Operation(-8, 2);
    ASSERT_TRUE(Texts(2).empty()) << Texts(2)[0];

    std::map<AnsiString, AnsiString> units;
    std::map<AnsiString, std::vector<AnsiString>> exported;
    for (const AnsiString& line : SplitLines(ReadAll(tmp.File("kasa.exp")))) {
        const auto w = Words(line);
        if (w[0] == "JM") units[w[1]] = w[3];
        if (w[0] == "PLU") exported[w[3]] = w;
    }
    ASSERT_EQ(host->addedGoods.size(), exported.size());
    int tandems = 0;
    for (const THostGoods& g : host->addedGoods) {
        SCOPED_TRACE(g.code);
        ASSERT_EQ(exported.count(Trim(g.code)), 1u);
        const auto& w = exported[Trim(g.code)];
        EXPECT_EQ(g.name, Trim(w[4]));
        EXPECT_EQ(g.prices[0], static_cast<double>(static_cast<float>(StrToInt(w[5]) / 100.0)));
        EXPECT_EQ(g.vatRate, StrToInt(w[30]));
        EXPECT_EQ(g.unitName, units[w[10]]);
        EXPECT_EQ(g.package, w[14] == "T");
        EXPECT_EQ(g.openPrice, w[15] == "T");
        EXPECT_EQ(Trim(g.packageCode), w[16]);
        EXPECT_EQ(g.groupName, Ansi(u8"Spożywcze"));
        tandems += !w[16].empty();
    }
    EXPECT_EQ(tandems, 19);

    // A host without the goods callback: every goods is an error.
    host->api.RejestrujCallback(host->library, nullptr, 33);
    host->Operation(-8, 2);
    EXPECT_EQ(host->CountCalls(33), 275);
    const auto log = SplitLines(ReadAll(tmp.File("import.log")));
    ASSERT_EQ(log.size(), 2 * (3 + 275u));
    EXPECT_TRUE(EndsWith(log[3], ",DODANO") && EndsWith(log[281], ",BLAD") && EndsWith(log.back(), ",BLAD"));
    const auto shown = Texts();
    EXPECT_NE(std::find(shown.begin(), shown.end(), Ansi(u8"- pominiętych (w tym 275 z błędem):\x01") + "275"),
              shown.end());
}

}  // namespace
