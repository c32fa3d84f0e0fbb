#include "sim/SimServer.h"

#include <algorithm>
#include <chrono>
#include <functional>

#include "platform/Exceptions.h"
#include "platform/TcpSocket.h"

namespace {
// How long a wait lasts before the loop looks at Stop again.
constexpr unsigned kPollMs = 50;
// A driver that takes no bytes for this long has gone.
constexpr unsigned kSendTimeoutMs = 10000;

// The register's answers timed as a slow-register fault asks: one byte every gap, and after
// them a byte repeated every gap until the driver sends something again.
class TPacedAnswer {
public:
    using TWrite = std::function<void(const char*, int)>;
    using TTime = std::chrono::steady_clock::time_point;

    // Sends answer now (through the line's pacer) or queues it behind a slow one.
    void Put(const AnsiString& answer, const TSimPace& pace, TLinePacer& pacer, const TWrite& write) {
        FRepeat = false;  // the driver spoke: a stream of waits or strays has done its work
        if (pace.gapMs == 0 && FQueue.empty()) {
            pacer.Send(answer, write);
            return;
        }
        if (Idle()) FNext = std::chrono::steady_clock::now();
        FQueue += answer;
        if (pace.gapMs > 0) FGap = std::chrono::milliseconds(pace.gapMs);
        FRepeat = pace.repeat;
        FByte = pace.byte;
    }
    // How long the transport may wait for the driver's bytes before something is due.
    unsigned WaitMs(unsigned poll) const {
        if (Idle()) return poll;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(FNext - std::chrono::steady_clock::now());
        return left.count() <= 0 ? 0 : left.count() < poll ? static_cast<unsigned>(left.count()) : poll;
    }
    // Writes what is due.
    void Emit(const TWrite& write) {
        while (!Idle() && std::chrono::steady_clock::now() >= FNext) {
            const char c = FQueue.empty() ? FByte : FQueue[0];
            if (!FQueue.empty()) FQueue.erase(0, 1);
            write(&c, 1);
            FNext += FGap;
        }
    }
    void Clear() {
        FQueue.clear();
        FRepeat = false;
    }

private:
    bool Idle() const { return FQueue.empty() && !FRepeat; }
    AnsiString FQueue;
    std::chrono::steady_clock::duration FGap{0};
    TTime FNext{};
    bool FRepeat = false;
    char FByte = 0;
};
// How long the transport may wait before the register's clock has something to do.
unsigned TickWaitMs(TRegisterSim& sim) {
    const int ms = sim.MsToNextTick(static_cast<int>(kPollMs));
    return ms > 0 ? static_cast<unsigned>(ms) : 0;
}

// What the register's clock says when it is due (an EOT after its wait, a held answer, a WACK).
void SendTick(TRegisterSim& sim, TLinePacer& pacer, const TPacedAnswer::TWrite& write) {
    const AnsiString tick = sim.OnTick();
    if (!tick.empty()) pacer.Send(tick, write);
}
}  // namespace

void TSimService::Start() {
    if (FThread.joinable()) return;
    FStop = false;
    FThread = std::thread([this] { Run(false); });
}

void TSimService::Stop() {
    FStop = true;
    if (FThread.joinable()) FThread.join();
}

TSimTcpServer::TSimTcpServer(TRegisterSim& sim, int port) : FSim(sim), FPort(port) { FListen = TcpOs::Listen(FPort); }

TSimTcpServer::~TSimTcpServer() {
    Stop();
    TcpOs::CloseSocket(FListen);
}

void TSimTcpServer::Run(bool once) {
    while (!FStop) {
        intptr_t client = TcpOs::Accept(FListen, kPollMs);
        if (client == -1) continue;
        Serve(client);
        TcpOs::CloseSocket(client);
        if (once) break;
    }
}

void TSimTcpServer::Serve(intptr_t client) {
    FSim.OnConnect();
    pacer.Restart();
    char buffer[4096];
    TPacedAnswer paced;
    const TPacedAnswer::TWrite write = [&](const char* p, int k) { TcpOs::SendAll(client, p, k, kSendTimeoutMs); };
    try {
        while (!FStop) {
            const unsigned wait = std::min(paced.WaitMs(kPollMs), TickWaitMs(FSim));
            int n = TcpOs::WaitReadable(client, wait) ? TcpOs::Receive(client, buffer, sizeof buffer) : -1;
            if (n == 0) return;
            if (n > 0) {
                pacer.Received(static_cast<size_t>(n));
                transcript.Record(true, buffer, static_cast<size_t>(n));
                AnsiString out = FSim.OnBytes(buffer, static_cast<size_t>(n));
                transcript.Record(false, out.data(), out.size());
                paced.Put(out, FSim.TakePace(), pacer, write);
                if (FSim.TakeDrop()) return;
            }
            paced.Emit(write);
            SendTick(FSim, pacer, write);
        }
    } catch (const Exception&) {
        // A connection that fails is over; the next one starts afresh.
    }
}

bool TSimPty::Supported() { return PtyOs::Supported(); }

TSimPty::TSimPty(TRegisterSim& sim) : FSim(sim) { FMaster = PtyOs::Open(FSlavePath); }

TSimPty::~TSimPty() {
    Stop();
    PtyOs::Close(FMaster);
}

void TSimPty::Run(bool once) {
    char buffer[4096];
    bool inSession = false;
    TPacedAnswer paced;
    const TPacedAnswer::TWrite write = [&](const char* p, int k) { PtyOs::Write(FMaster, p, k); };
    while (!FStop) {
        int n = PtyOs::Read(FMaster, buffer, sizeof buffer,
                            inSession ? std::min(paced.WaitMs(kPollMs), TickWaitMs(FSim)) : kPollMs);
        if (n < 0) {
            if (inSession) {
                paced.Emit(write);
                SendTick(FSim, pacer, write);
            }
            continue;
        }
        if (n == 0) {
            // No one has the line open.
            paced.Clear();
            if (inSession) {
                inSession = false;
                if (once) return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        if (!inSession) {
            inSession = true;
            FSim.OnConnect();
            pacer.Restart();
        }
        pacer.Received(static_cast<size_t>(n));
        transcript.Record(true, buffer, static_cast<size_t>(n));
        AnsiString out = FSim.OnBytes(buffer, static_cast<size_t>(n));
        transcript.Record(false, out.data(), out.size());
        paced.Put(out, FSim.TakePace(), pacer, write);
        FSim.TakeDrop();  // a line cannot be dropped; the answer is simply missing
        paced.Emit(write);
        SendTick(FSim, pacer, write);
    }
}
