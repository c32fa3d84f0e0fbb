#pragma once
// A driver-side channel, link and transfers wired to a simulated register over a real
// loopback TCP connection or a pseudo-terminal.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "ecr/EcrChannel.h"
#include "ecr/EcrErrors.h"
#include "ecr/EcrLink.h"
#include "ecr/EcrTransfers.h"
#include "ecr/LTools.h"
#include "platform/ProgressSink.h"
#include "platform/Translation.h"
#include "sim/RegisterSim.h"
#include "sim/SimServer.h"

enum class TMediumKind { Tcp, Pty };

inline const char* MediumName(TMediumKind m) { return m == TMediumKind::Tcp ? "Tcp" : "Pty"; }

class TTestSink : public TProgressSink {
public:
    struct TLine {
        AnsiString text;
        LPVState state;
    };
    std::vector<TLine> lines;
    bool abort = false;
    int polls = 0;  // how often the abort was asked for

    void MsgAdd(const AnsiString& text, LPVState state, int) override { lines.push_back({text, state}); }
    void MsgP(int) override {}
    void MsgS(LPVState state) override {
        if (!lines.empty()) lines.back().state = state;
    }
    void DodajKomunikat(int, const AnsiString&) override {}
    bool CzyPrzerwac() override {
        ++polls;
        return abort;
    }
    TMLgExtTools* GetLgLink() override { return nullptr; }
};

// The message an exception carries, or "" when none was raised.
template <typename F>
AnsiString ErrorOf(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

inline AnsiString ReadWholeFile(const AnsiString& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return AnsiString((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline AnsiString TempPath(const AnsiString& name) {
    const char* dir = std::getenv("TMPDIR");
#ifdef _WIN32
    if (!dir) dir = std::getenv("TEMP");
    AnsiString base = dir ? dir : ".";
    return base + "\\" + name;
#else
    AnsiString base = dir ? dir : "/tmp";
    return base + "/" + name;
#endif
}

class TLinkRig {
public:
    explicit TLinkRig(TMediumKind medium, bool open = true)
        : medium(medium),
          state(std::make_shared<TRegisterState>()),
          sim(state),
          channel(&sink, tools),
          link(channel),
          transfers(link) {
        if (medium == TMediumKind::Tcp) {
            server = std::make_unique<TSimTcpServer>(sim, 0);
            server->Start();
            channel.cfg.cfgMedium = md_tcpip;
            channel.cfg.ipAddress = "127.0.0.1";
            channel.cfg.ipPort = server->Port();
            channel.cfg.cfgIpTimeoutMs = 250;
        } else {
            pty = std::make_unique<TSimPty>(sim);
            pty->Start();
            channel.cfg.cfgMedium = md_rs232;
            channel.cfg.portName = pty->SlavePath();
            // Short line time-outs keep the tests quick: a one-byte read gives up after 250 ms.
            channel.cfg.serialTimeouts = TSerialTimeouts{150, 0, 250, 10, 2000};
        }
        if (open) channel.OpenPort();
    }

    ~TLinkRig() {
        try {
            channel.ClosePort();
        } catch (...) {
        }
        if (server) server->Stop();
        if (pty) pty->Stop();
    }

    // Writes the communication log to a fresh file.
    AnsiString StartLog(const AnsiString& name) {
        logPath = TempPath(name);
        std::remove(logPath.c_str());
        channel.cfg.cfgUseLog = true;
        tools.InitDebug(logPath, nullptr);
        return logPath;
    }
    AnsiString LogText() const { return ReadWholeFile(logPath); }

    // A whole read transfer: every packet until the register's EOT.
    std::vector<AnsiString> ReadAll(const AnsiString& id, e_Resetting resetting, long beg, long end) {
        transfers.BeginRead(id, resetting, beg, end);
        std::vector<AnsiString> packets;
        for (;;) {
            bool eot = false;
            AnsiString p = link.ReadPacketNext(eot);
            if (eot) return packets;
            packets.push_back(p);
        }
    }

    // A whole write transfer.
    void WriteAll(const AnsiString& id, const std::vector<AnsiString>& records) {
        transfers.BeginWrite(id);
        for (const AnsiString& r : records) link.SendPacket(r);
        link.ResetCommunication();
    }

    TMediumKind medium;
    std::shared_ptr<TRegisterState> state;
    TRegisterSim sim;
    std::unique_ptr<TSimTcpServer> server;
    std::unique_ptr<TSimPty> pty;
    TTestSink sink;
    TLTools tools;
    TEcrChannel channel;
    TEcrLink link;
    TEcrTransfers transfers;
    AnsiString logPath;
};

// Packet as the driver returns it: STX, data, terminator.
inline AnsiString Packet(const AnsiString& data, char terminator = 0x03) {
    return AnsiString(1, '\x02') + data + terminator;
}

inline int CountOf(const AnsiString& text, const AnsiString& what) {
    int n = 0;
    for (size_t at = text.find(what); at != AnsiString::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}
