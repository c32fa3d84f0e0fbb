#pragma once
// Loads the built driver library the way the host does and registers with it.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "host/DriverHost.h"
#include "platform/Translation.h"
#include "tests/support/TempDir.h"

class HostFixture : public ::testing::Test {
protected:
    void SetUp() override {
        host = std::make_unique<TDriverHost>(DriverLibraryPath(VELKORA_BIN_DIR));
        host->exchangeDirectory = tmp.Dir();
        std::filesystem::create_directories(tmp.Path() / "EDI");
        // The defaults a host stores for a new register, file medium.
        host->params = {{"NovitusECRPort", "PLIK"},
                        {"NovitusECRDedbug", "0"},
                        {"NovitusECRIpTimeout", "15"},
                        {"NovitusECRReceipts", "2"},
                        {"NovitusECRCardParseMask", "99kkkkkkymmrx"},
                        {"NovitusECREdiFolder", tmp.File("EDI")},
                        {"NovitusECRIdControl", "1"}};
    }
    void TearDown() override { host.reset(); }

    void Register(const std::set<int>& callbacks = TDriverHost::AllCallbacks()) { host->Register(callbacks); }

    std::vector<AnsiString> Texts(int kind = -1) const {
        std::vector<AnsiString> texts;
        for (const auto& m : host->messages)
            if (kind < 0 || m.kind == kind) texts.push_back(m.text);
        return texts;
    }

    TempDir tmp;
    std::unique_ptr<TDriverHost> host;
};
