// The sales import and the single receipt import end to end: the host calls the library,
// the library reads a register that has sold over loopback TCP or a pseudo-terminal.
#include <algorithm>
#include <filesystem>

#include "platform/DateTools.h"
#include "sim/NovitusRegister.h"
#include "sim/RegisterSim.h"
#include "sim/SalesDay.h"
#include "sim/SimServer.h"
#include "tests/exports/HostFixture.h"
#include "tests/support/SalesRecords.h"

namespace {

class SalesImport : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        state = std::make_shared<TNovitusRegister>();
        state->LoadFile(AnsiString(VELKORA_TEST_DATA) + "/../../sim/demo-register.txt");
        sim = std::make_unique<TRegisterSim>(state);
        seller = std::make_unique<TSalesDay>(*state);
        host->params.insert({{"NovitusECRSaleSource", "1"},
                             {"NovitusECRResetBuffer", "1"},
                             {"NovitusECRImportSale", "1"},
                             {"NovitusECRImportOrders", "1"},
                             {"NovitusECRImportCashier", "1"},
                             {"NovitusECRCashReport", "1"}});
        host->onStore = [this](int number) {
            loads.push_back(ReadAll(tmp.File(number == 17 ? "kasa.imp" : "paragon.imp")));
            return true;
        };
        Register();
    }
    void TearDown() override {
        if (server) server->Stop();
        if (pty) pty->Stop();
        HostFixture::TearDown();
    }
    void Serve(bool serial) {
        if (serial) {
            pty = std::make_unique<TSimPty>(*sim);
            pty->Start();
            host->params["NovitusECRPort"] = pty->SlavePath();
            host->params["NovitusECRSpeed"] = "4";
            return;
        }
        server = std::make_unique<TSimTcpServer>(*sim, 0);
        server->Start();
        host->params["NovitusECRPort"] = "TCP/IP";
        host->params["NovitusECRIpAddress"] = "127.0.0.1";
        host->params["NovitusECRIpPort"] = IntToStr(server->Port());
        host->params["NovitusECRIpTimeout"] = "2";
    }
    TSalesDay::TSale Sell() {
        auto lock = sim->Lock();
        return seller->Sell(2, 6, TdtTools(2024, 3, 15, 18, 30).Value());
    }
    // Printout numbers of the receipts in every file the host loaded.
    std::vector<int> Printouts() const {
        std::vector<int> numbers;
        for (const AnsiString& load : loads)
            for (const AnsiString& line : SplitLines(load))
                if (StartsWith(line, "TRN;") || StartsWith(line, "KSK;"))
                    numbers.push_back(StrToInt(line.substr(4, line.find(';', 4) - 4)));
        return numbers;
    }
    bool Shown(const AnsiString& text) const {
        for (const AnsiString& t : Texts())
            if (t.find(text) != AnsiString::npos) return true;
        return false;
    }
    size_t Documents() const { return std::distance(std::filesystem::directory_iterator(tmp.Path() / "EDI"), {}); }

    std::shared_ptr<TRegisterState> state;
    std::unique_ptr<TRegisterSim> sim;
    std::unique_ptr<TSalesDay> seller;
    std::unique_ptr<TSimTcpServer> server;
    std::unique_ptr<TSimPty> pty;
    std::vector<AnsiString> loads;
};

TEST_F(SalesImport, EveryReceiptSoldReachesTheHostOnceOverTcpAndASerialLine) {
    for (bool serial : {false, true}) {
        if (serial && !TSimPty::Supported()) continue;
        SCOPED_TRACE(serial ? "serial" : "tcp");
        if (server) server->Stop();
        Serve(serial);
        loads.clear();
        const TSalesDay::TSale sale = Sell();
        host->params["TangoOstatniWydruk"] = IntToStr(sale.firstPrintout - 1);
        host->Operation(-3);
        EXPECT_TRUE(Texts(2).empty()) << Texts(2).front();
        ASSERT_EQ(loads.size(), 2u);  // one file per sales date
        EXPECT_NE(loads[0].find("DATA_SPRZEDAZY;20240314"), AnsiString::npos);
        EXPECT_NE(loads[1].find("DATA_SPRZEDAZY;20240315"), AnsiString::npos);
        std::vector<int> expected;
        for (long w = sale.firstPrintout; w <= sale.lastPrintout; ++w) expected.push_back(static_cast<int>(w));
        EXPECT_EQ(Printouts(), expected);
        EXPECT_NE(loads[1].find("KAS_STANKASY;"), AnsiString::npos);
        EXPECT_NE(loads[1].find("KASPAR;NovitusECRFiscalReportDate;240314"), AnsiString::npos);
        EXPECT_TRUE(sim->Records("k#00").empty());  // read in resetting mode
        EXPECT_TRUE(sim->Records("o#00").empty());
        EXPECT_TRUE(sim->Records("$#01").empty());
        EXPECT_EQ(Trim(SubString(sim->Records("p")[0], 14, 10)), "0");
        EXPECT_FALSE(std::filesystem::exists(tmp.Path() / "novitus.imp"));
    }
    EXPECT_EQ(Documents(), TSimPty::Supported() ? 4u : 2u);
}

TEST_F(SalesImport, RefusalsOfTheRegisterDoNotStopTheImport) {
    Serve(false);
    Sell();
    state->SetError("$#01", 0x13);
    sim->AddFault("error,at=start,file=L,code=17,count=0");
    sim->AddFault("error,at=start,file=w,code=13,count=0");
    sim->AddFault("error,at=start,file=x,code=13,count=0");
    host->Operation(-3);
    EXPECT_TRUE(Texts(2).empty());
    EXPECT_TRUE(Shown("Kasa nie obs\xB3uguje zam\xF3wie\xF1, wy\xB3\xB9\x63z odpowiedni parametr"));
    EXPECT_TRUE(Shown("0x17 brak papieru"));  // the register's date: the computer's stands in
    const AnsiString today = TdtTools().ToString(TdtTools::fmtDateTimeCompressed).substr(0, 8);
    ASSERT_EQ(loads.size(), 3u);
    EXPECT_NE(loads[2].find("KAS_BIEZ;" + today), AnsiString::npos);
    for (const AnsiString& load : loads) EXPECT_EQ(load.find("FiscalReport"), AnsiString::npos);
    EXPECT_EQ(Documents(), 0u);
}

TEST_F(SalesImport, MissingReceiptsAreFoundByReceiptNumberWhileTheRangeUsesPrintouts) {
    Serve(false);
    const TSalesDay::TSale sale = Sell();
    host->params["NovitusECRResetBuffer"] = "0";
    host->params["TangoOstatniWydruk"] = IntToStr(sale.firstPrintout + 2);
    host->params["NovitusECRLastReceipt"] = "1";
    host->Operation(-3);
    EXPECT_TRUE(Shown("Odczyt paragon\xF3w o numerach W" + IntToStr(sale.firstPrintout + 3) + "-W" +
                      IntToStr(sale.lastPrintout)));
    EXPECT_TRUE(Shown("Na kasie BRAKUJE PARAGON\xD3W o numerach P2-P3!"));
    EXPECT_EQ(Printouts().front(), sale.firstPrintout + 3);
    EXPECT_FALSE(sim->Records("k#00").empty());  // not resetting: the register keeps them
}

TEST_F(SalesImport, OneReceiptByItsPrintoutNumber) {
    Serve(false);
    {
        auto lock = sim->Lock();
        state->File("k#00").ranged = true;
        for (const AnsiString& record :
             {Sale(1, "5900001", 0, 2, 100, 200), Sale(3, "5900002", 0, 1, 50, 50), Sale(0, "5900003", 0, 1, 9, 9),
              AnsiString("Dk4   00000000070000000201"), Close(7, 201, "202403151000")})
            state->AddRecord("k#00", record, 201);
        state->AddRecord("k#00", Sale(1, "5900004", 3, 1250, 800, 1000), 202);
        state->AddRecord("k#00", Close(8, 202, "202403151010"), 202);
        seller->UpdateStatus();
    }
    const struct {
        int number;
        std::vector<AnsiString> lines;  // PAR lines without their date, or the error
    } cases[] = {
        {201, {"PAR;;5900001;2000;200;0;201;", "PAR;;5900002;-1000;-50;0;201;"}},
        {202, {"PAR;;5900004;1250;1000;0;202;"}},
        {200, {"Na kasie nie ma szukanego paragonu o numerze W200"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number);
        loads.clear();
        host->messages.clear();
        host->params["NovitusECRReceiptNo"] = IntToStr(c.number);
        host->Operation(-4);
        std::vector<AnsiString> got;
        for (const AnsiString& load : loads)
            for (const AnsiString& line : SplitLines(load)) got.push_back(line.substr(0, line.size() - 19));
        if (loads.empty()) got.push_back(Texts(2).back());
        EXPECT_EQ(got, c.lines);
        EXPECT_FALSE(std::filesystem::exists(tmp.Path() / "novitus.imp"));
    }
    EXPECT_EQ(sim->Records("k#00").size(), 7u);  // nothing cleared

    WriteAll(tmp.File("novitus.imp"), "unfinished\r\n");
    host->messages.clear();
    host->Operation(-4);
    EXPECT_EQ(Texts(2).back(),
              "Istnieje plik novitus.imp zawieraj\xB9\x63y dane importowe. Nie mo\xBFna wykona\xE6 importu paragonu. "
              "Wykonaj import sprzeda\xBFy.");
    EXPECT_EQ(ReadAll(tmp.File("novitus.imp")), "unfinished\r\n");
}

}  // namespace
