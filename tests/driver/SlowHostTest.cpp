// A slow back office against a register that gives up after its wait: the driver's own time
// between two records of a write transfer stays below the register's wait.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "driver/GoodsExport.h"
#include "driver/NovitusAction.h"
#include "sim/NovitusRegister.h"
#include "sim/RegisterSim.h"
#include "sim/SimServer.h"
#include "tests/support/FakeHostLink.h"
#include "tests/support/TempDir.h"

namespace {

// A host whose answers between the records take longer than the register waits.
class SlowHost : public FakeHostLink {
public:
    bool CzyPrzerwac(void* arg2) override {
        Dawdle();
        return FakeHostLink::CzyPrzerwac(arg2);
    }
    void ZmienOstatniKomunikat(void* arg2, int kind, const AnsiString& text) override {
        Dawdle();
        FakeHostLink::ZmienOstatniKomunikat(arg2, kind, text);
    }
    void Dawdle() const { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
    int ms = 0;
};

TEST(SlowHost, ExportLosesNoRecord) {
    TempDir tmp;
    auto state = std::make_shared<TNovitusRegister>();
    state->LoadFile(AnsiString(VELKORA_TEST_DATA) + "/../../sim/demo-register.txt");
    TRegisterSim sim(state);
    sim.clock.waitMs = 150;  // the register's 2 s, shortened with everything else
    TSimTcpServer server(sim, 0);
    server.Start();
    AnsiString file = "VAT;23\r\nJM;1;0;szt\r\nEURO;43215\r\n";
    for (int n = 1; n <= 3; ++n)
        file +=
            Format("PLU;%d;0;59000000000%02d;Towar %d;250;250;250;250;23;1;F;2;F;F;F;;;1;DOD;;;;;0;;1000;;;0;2300\r\n",
                   n, n, n);
    WriteAll(tmp.File("kasa.exp"), file);
    for (int slowness : {0, 120}) {
        SCOPED_TRACE(slowness);
        SlowHost host;
        host.ms = slowness;
        host.device.exchangeDirectory = tmp.Dir();
        host.params = {{"NovitusECRPort", "TCP/IP"},
                       {"NovitusECRIpAddress", "127.0.0.1"},
                       {"NovitusECRIpPort", IntToStr(server.Port())},
                       {"NovitusECRIpTimeout", "2"},
                       {"NovitusECRSendUnits", "1"},
                       {"NovitusECRNoItNoCon", "1"},
                       {"NovitusECRCardParseMask", "99kkkkkkymmrx"},
                       {"NovitusECREdiFolder", tmp.File("EDI")}};
        TQxNovitusECRAction action(&host, nullptr);
        action.SetMaxWriteIdleMs(60);
        action.ReadParams();
        sim.ResetCounters();
        {
            auto lock = sim.Lock();
            state->Load(ReadAll(AnsiString(VELKORA_TEST_DATA) + "/../../sim/demo-register.txt"));
        }
        TGoodsExport(action).Eksport();
        EXPECT_EQ(state->Goods().size(), 3u);
        EXPECT_EQ(SplitLines(ReadAll(tmp.File("wynik.exp"))).size(), 3u);
        // A fast host sends the goods in one transfer; with a slow one, every record goes in a
        // transfer of its own, after the one the pass began with.
        int goodsTransfers = 0;
        for (const AnsiString& s : sim.StartPackets()) goodsTransfers += StartsWith(s, "SI#001");
        EXPECT_EQ(goodsTransfers, slowness ? 4 : 1);
    }
    server.Stop();
}

}  // namespace
