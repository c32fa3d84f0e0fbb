// Feeds arbitrary bytes "from the register" into the link layer over an in-process serial
// line. Whatever the register sends, the driver must end with its own errors (Exception or
// a standard exception): never a crash, a hang or a read out of bounds.
//
// Input: the first byte chooses the exchange, the rest is what the register sends, in order;
// once it is used up every read finds the line silent and returns at once.
//   selector % 4 == 0: a single-packet read of "p" (the status read)
//   selector % 4 == 1: a read transfer of receipts, ReadPacketNext until EOT (bounded)
//   selector % 4 == 2: a write transfer of one goods record, then the line reset
//   selector % 4 == 3: a reset transfer of the totals
//   selector & 0x80:   the communication log is on (control bytes named in the log text)
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "ecr/EcrChannel.h"
#include "ecr/EcrLink.h"
#include "ecr/EcrTransfers.h"
#include "ecr/LTools.h"
#include "platform/Exceptions.h"
#include "platform/Os.h"
#include "platform/ProgressSink.h"
#include "platform/SerialPort.h"

namespace {

// What the register sends in the current run.
struct TLineInput {
    const char* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    size_t written = 0;  // bytes the driver sent
};
TLineInput g_line;

// A serial line whose far end is the fuzz input. A read with nothing left returns 0 at once:
// the driver sees a time-out without any real waiting.
class TInputDevice : public TSerialDevice {
public:
    void Open(const TSerialSettings&) override {}
    void Close() override {}
    void SetTimeouts(const TSerialTimeouts&) override {}
    int Write(const char*, int count, bool) override {
        if (count > 0) g_line.written += static_cast<size_t>(count);
        return count;
    }
    int Read(char* buffer, int count) override {
        if (count <= 0) return 0;
        size_t left = g_line.size - g_line.pos;
        size_t n = left < static_cast<size_t>(count) ? left : static_cast<size_t>(count);
        for (size_t i = 0; i < n; ++i) buffer[i] = g_line.data[g_line.pos + i];
        g_line.pos += n;
        return static_cast<int>(n);
    }
    int InCount() override { return static_cast<int>(g_line.size - g_line.pos); }
    void PurgeInput() override { g_line.pos = g_line.size; }
    void SetDTR(bool) override {}
    void SetRTS(bool) override {}
    bool DCD() override { return true; }
};

class TQuietSink : public TProgressSink {
public:
    void MsgAdd(const AnsiString&, LPVState, int) override { ++lines; }
    void MsgP(int) override {}
    void MsgS(LPVState) override {}
    void DodajKomunikat(int, const AnsiString&) override {}
    bool CzyPrzerwac() override { return false; }
    TMLgExtTools* GetLgLink() override { return nullptr; }
    int lines = 0;
};

const std::string& LogPath() {
    static const std::string path = [] {
        namespace fs = std::filesystem;
        std::random_device rd;
        const fs::path dir = fs::temp_directory_path() / ("velkora_fuzz_link_" + std::to_string(rd()));
        fs::create_directories(dir);
        return (dir / "REPORT.TXT").string();
    }();
    return path;
}

[[noreturn]] void Broken(const char* what) {
    std::fprintf(stderr, "register_bytes: %s\n", what);
    std::abort();
}

// A packet handed to a caller: STX first, at most the receive buffer's size.
void CheckPacket(const AnsiString& packet) {
    if (packet.empty() || packet[0] != EcrByte::STX) Broken("a packet without its STX");
    if (packet.size() > static_cast<size_t>(TEcrLink::BufferSize)) Broken("a packet longer than the receive buffer");
}

// The callers' clean-up after a failure inside a transfer.
void Reset(TEcrLink& link) {
    try {
        link.ResetCommunication();
    } catch (const Exception&) {
    } catch (const std::exception&) {
    }
}

void Exchange(int kind, TEcrLink& link, TEcrTransfers& transfers) {
    switch (kind) {
        case 0: {
            AnsiString packet = transfers.ReadPacketSingle("p", rm_notresetting, 0, 0);
            CheckPacket(packet);
            break;
        }
        case 1: {
            transfers.BeginRead("k#00", rm_resetting, 12, 40);
            for (int i = 0; i < 64; ++i) {
                link.ThrowPrzerwac();
                bool eot = false;
                AnsiString packet = link.ReadPacketNext(eot);
                if (eot) {
                    if (!packet.empty()) Broken("a packet together with EOT");
                    return;
                }
                CheckPacket(packet);
            }
            link.ResetCommunication();
            break;
        }
        case 2:
            transfers.BeginWrite("I#00");
            link.SendPacket("A0000000000005900123Chleb razowy         0000000250010000002");
            link.ResetCommunication();
            break;
        default: transfers.BeginReset("i", rm_resetting, 1, -1); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    TMSerialPort::SetDeviceFactory([](const AnsiString&) { return std::make_unique<TInputDevice>(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static TVirtualClock clock;
    SetClock(&clock);
    const uint8_t selector = data[0];
    g_line = TLineInput{reinterpret_cast<const char*>(data + 1), size - 1, 0, 0};

    TQuietSink sink;
    TLTools tools;
    TEcrChannel channel(&sink, tools);
    channel.cfg.cfgMedium = md_rs232;
    channel.cfg.portName = "COM1";
    if (selector & 0x80) {
        std::remove(LogPath().c_str());
        channel.cfg.cfgUseLog = true;
        tools.InitDebug(LogPath(), nullptr);
    }
    TEcrLink link(channel);
    TEcrTransfers transfers(link);

    try {
        channel.OpenPort();
    } catch (const Exception&) {
        Broken("the fake line did not open");
    } catch (const std::exception&) {
        Broken("the fake line did not open");
    }
    try {
        Exchange(selector % 4, link, transfers);
    } catch (const Exception&) {
        Reset(link);
    } catch (const std::exception&) {
        Reset(link);
    }
    if (g_line.pos > g_line.size) Broken("read past the end of the line");
    try {
        channel.ClosePort();
    } catch (const Exception&) {
    } catch (const std::exception&) {
    }
    return 0;
}
