#include "sim/SimServer.h"

#include <chrono>

#include "platform/Exceptions.h"
#include "platform/TcpSocket.h"

namespace {
// How long a wait lasts before the loop looks at Stop again.
constexpr unsigned kPollMs = 50;
// A driver that takes no bytes for this long has gone.
constexpr unsigned kSendTimeoutMs = 10000;
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
    try {
        while (!FStop) {
            int n = TcpOs::WaitReadable(client, kPollMs) ? TcpOs::Receive(client, buffer, sizeof buffer) : -1;
            if (n < 0) continue;
            if (n == 0) return;
            pacer.Received(static_cast<size_t>(n));
            transcript.Record(true, buffer, static_cast<size_t>(n));
            AnsiString out = FSim.OnBytes(buffer, static_cast<size_t>(n));
            transcript.Record(false, out.data(), out.size());
            pacer.Send(out, [&](const char* p, int k) { TcpOs::SendAll(client, p, k, kSendTimeoutMs); });
            if (FSim.TakeDrop()) return;
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
    while (!FStop) {
        int n = PtyOs::Read(FMaster, buffer, sizeof buffer, kPollMs);
        if (n < 0) continue;
        if (n == 0) {
            // No one has the line open.
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
        pacer.Send(out, [&](const char* p, int k) { PtyOs::Write(FMaster, p, k); });
        FSim.TakeDrop();  // a line cannot be dropped; the answer is simply missing
    }
}
