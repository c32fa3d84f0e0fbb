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

// A host that takes longer over each abort poll (one between records) than the register waits.
class SlowHost : public FakeHostLink {
public:
    bool CzyPrzerwac(void* arg2) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return FakeHostLink::CzyPrzerwac(arg2);
    }
    int ms = 0;
};

TEST(SlowHost, ExportLosesNoRecord) {
    TempDir tmp;
    const AnsiString demo = AnsiString(VELKORA_TEST_DATA) + "/../../sim/demo-register.txt";
    auto state = std::make_shared<TNovitusRegister>();
    TRegisterSim sim(state);
    sim.clock.waitMs = 150;  // the register's 2 s, shortened with everything else
    TSimTcpServer server(sim, 0);
    server.Start();
    AnsiString file = "VAT;23\r\nJM;1;0;szt\r\n";
    for (int n = 1; n <= 3; ++n)
        file +=
            Format("PLU;%d;0;590000000000%d;Towar %d;250;250;250;250;23;1;F;2;F;F;F;;;1;DOD;;;;;0;;1000;;;0;2300\r\n",
                   n, n, n);
    WriteAll(tmp.File("kasa.exp"), file);
    // A fast host sends the goods in one transfer; with a slow one every record after the first
    // goes in a transfer of its own. Without the bound on the wait the register has given the
    // transfer up when the second record comes, and the export ends there.
    const struct {
        int hostMs;
        unsigned boundMs;
        int transfers;
        size_t goods;
    } cases[] = {{0, 60, 1, 3}, {200, 60, 3, 3}, {200, 100000, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hostMs);
        SlowHost host;
        host.ms = c.hostMs;
        host.device.exchangeDirectory = tmp.Dir();
        host.params = {{"NovitusECRPort", "TCP/IP"},
                       {"NovitusECRIpAddress", "127.0.0.1"},
                       {"NovitusECRIpPort", IntToStr(server.Port())},
                       {"NovitusECRSendUnits", "1"},
                       {"NovitusECREdiFolder", tmp.File("EDI")},
                       {"NovitusECRCardParseMask", "99kkkkkkymmrx"}};
        TQxNovitusECRAction action(&host, nullptr);
        action.SetMaxWriteIdleMs(c.boundMs);
        action.ReadParams();
        sim.ResetCounters();
        state->LoadFile(demo);
        try {
            TGoodsExport(action).Eksport();
        } catch (const std::exception& e) {
            EXPECT_EQ(c.goods, 1u) << e.what();
        }
        EXPECT_EQ(state->Goods().size(), c.goods);
        int goodsTransfers = 0;
        for (const AnsiString& s : sim.StartPackets()) goodsTransfers += StartsWith(s, "SI#001");
        EXPECT_EQ(goodsTransfers, c.transfers);
    }
}

}  // namespace
