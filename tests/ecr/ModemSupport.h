#pragma once
// Shared pieces of the modem tests: a progress sink that records what it is told, and a
// fixture with a virtual clock and a Hayes modem on the serial line.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ecr/ModemPort.h"
#include "platform/Exceptions.h"
#include "platform/Os.h"
#include "platform/ProgressSink.h"
#include "platform/SerialPort.h"
#include "platform/Translation.h"
#include "sim/HayesModem.h"

// One progress call: MsgAdd (add true) with text, state and maximum, or MsgS (add false).
struct TProgressCall {
    bool add;
    AnsiString text;
    LPVState state;
    int max;
};

class TRecordingSink : public TProgressSink {
public:
    void MsgAdd(const AnsiString& text, LPVState state, int max) override { calls.push_back({true, text, state, max}); }
    void MsgP(int) override {}
    void MsgS(LPVState state) override { calls.push_back({false, "", state, 0}); }
    void DodajKomunikat(int, const AnsiString&) override {}
    bool CzyPrzerwac() override { return false; }
    TMLgExtTools* GetLgLink() override { return nullptr; }

    // The texts added, in order.
    std::vector<AnsiString> Texts() const {
        std::vector<AnsiString> texts;
        for (const auto& c : calls)
            if (c.add) texts.push_back(c.text);
        return texts;
    }
    // Whether the line added with this text was marked LPV_Ok right after.
    bool MarkedOk(const AnsiString& text) const {
        for (size_t i = 0; i + 1 < calls.size(); ++i)
            if (calls[i].add && calls[i].text == text) return !calls[i + 1].add && calls[i + 1].state == LPV_Ok;
        return false;
    }

    std::vector<TProgressCall> calls;
};

class ModemFixture : public ::testing::Test {
protected:
    void SetUp() override {
        SetClock(&clock);
        modem = std::make_shared<THayesModem>();
        TMSerialPort::SetDeviceFactory(THayesModem::Factory(modem));
    }
    void TearDown() override {
        port.reset();
        TMSerialPort::SetDeviceFactory({});
        SetClock(nullptr);
    }

    // A port opened the way the channel opens it.
    TModemPort& Open(const char* portName = "COM2") {
        port = std::make_unique<TModemPort>(&sink);
        port->OpenPort(portName, br__9600, bs8, sb1_0, parNone);
        return *port;
    }

    // Milliseconds of virtual time since mark.
    uint32_t Since(uint32_t mark) { return GetTickCount() - mark; }

    // The message of the exception ModemConnect raises ("" when none).
    AnsiString ConnectError(const AnsiString& phone = "123456", int timeoutSeconds = 60) {
        try {
            port->ModemConnect(phone, timeoutSeconds);
        } catch (const Exception& e) {
            return e.Message();
        }
        return "";
    }
    AnsiString DisconnectError() {
        try {
            port->ModemDisconnect();
        } catch (const Exception& e) {
            return e.Message();
        }
        return "";
    }

    TVirtualClock clock;
    std::shared_ptr<THayesModem> modem;
    TRecordingSink sink;
    std::unique_ptr<TModemPort> port;
};
