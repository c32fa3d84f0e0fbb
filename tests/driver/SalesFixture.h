#pragma once
// A Novitus action over a host that keeps what it is handed, a staging file written by the
// test, and the register's records byte by byte.
#include <gtest/gtest.h>

#include "driver/NovitusAction.h"
#include "platform/Os.h"
#include "tests/support/FakeHostLink.h"
#include "tests/support/SalesRecords.h"
#include "tests/support/TempDir.h"

// A host that keeps a copy of every "kasa.imp" and "paragon.imp" it is asked to load.
class LoadingHost : public FakeHostLink {
public:
    bool ZapiszImport(void*) override {
        loads.push_back(ReadAll(device.exchangeDirectory + "kasa.imp"));
        return static_cast<int>(loads.size()) != refuseLoad;
    }
    bool ZapiszParagon(void*) override {
        receipts.push_back(ReadAll(device.exchangeDirectory + "paragon.imp"));
        return true;
    }
    std::vector<AnsiString> loads, receipts;
    int refuseLoad = 0;  // number of the load refused (from 1), 0: none
};

class SalesFixture : public ::testing::Test {
protected:
    void SetUp() override {
        host.device.exchangeDirectory = tmp.Dir();
        host.device.number = 3;
        host.device.name = "KASA 3";
        Os().ForceDirectories(tmp.File("EDI"));
        host.params = {{"NovitusECRPort", "PLIK"},
                       {"NovitusECRCardParseMask", "99kkkkkkymmrx"},
                       {"NovitusECREdiFolder", tmp.File("EDI")},
                       {"NovitusECRSaleSource", "1"},
                       {"NovitusECRReceipts", "2"},
                       {"NovitusECRImportOrders", "1"}};
    }
    AnsiString Staging() const { return tmp.File("novitus.imp"); }
    void Stage(const std::vector<AnsiString>& lines) {
        AnsiString text;
        for (const AnsiString& line : lines) text += line + "\r\n";
        WriteAll(Staging(), text);
    }
    // Runs an operation as the library does; the text of the failure that ended it (failed
    // is set then), or "".
    AnsiString Run(int code = -3) {
        TQxNovitusECRAction action(&host, nullptr);
        HQVRDLLSRODOWISKO environment;
        failed = false;
        try {
            action.Operacja(&environment, code, 0);
        } catch (const std::exception& e) {
            failed = true;
            return e.what();
        }
        return "";
    }
    std::vector<AnsiString> Texts(int kind) const {
        std::vector<AnsiString> texts;
        for (const FakeMessage& m : host.messages)
            if (m.kind == kind) texts.push_back(m.text);
        return texts;
    }
    bool Shown(const AnsiString& text) const {
        for (const FakeMessage& m : host.messages)
            if (m.text.find(text) != AnsiString::npos) return true;
        return false;
    }

    TempDir tmp;
    LoadingHost host;
    bool failed = false;
};
