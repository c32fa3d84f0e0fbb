#include "sim/SimServer.h"

#include <chrono>

#include "platform/Exceptions.h"

TSimTcpServer::TSimTcpServer(TRegisterSim& sim, int port) : FSim(sim) {
    FPort = port;
    FListen = SimOs::Listen(FPort);
}

TSimTcpServer::~TSimTcpServer() {
    Stop();
    SimOs::CloseSocket(FListen);
}

void TSimTcpServer::Start() {
    if (FThread.joinable())
        return;
    FStop = false;
    FThread = std::thread([this] { Run(false); });
}

void TSimTcpServer::Stop() {
    FStop = true;
    if (FThread.joinable())
        FThread.join();
}

void TSimTcpServer::Run(bool once) {
    while (!FStop) {
        intptr_t client = SimOs::Accept(FListen, 50);
        if (client == -1)
            continue;
        ++FSessions;
        Serve(client);
        SimOs::CloseSocket(client);
        if (once)
            break;
    }
}

void TSimTcpServer::Serve(intptr_t client) {
    FSim.OnConnect();
    char buffer[4096];
    while (!FStop) {
        int n = SimOs::Receive(client, buffer, sizeof buffer, 50);
        if (n < 0)
            continue;
        if (n == 0)
            return;
        AnsiString out = FSim.OnBytes(buffer, static_cast<size_t>(n));
        if (!out.empty() && !SimOs::Send(client, out.data(), static_cast<int>(out.size())))
            return;
        if (FSim.TakeDrop())
            return;
    }
}

bool TSimPty::Supported() { return SimOs::PtySupported(); }

TSimPty::TSimPty(TRegisterSim& sim) : FSim(sim) { FMaster = SimOs::OpenPty(FSlavePath); }

TSimPty::~TSimPty() {
    Stop();
    SimOs::ClosePty(FMaster);
}

void TSimPty::Start() {
    if (FThread.joinable())
        return;
    FStop = false;
    FThread = std::thread([this] { Run(false); });
}

void TSimPty::Stop() {
    FStop = true;
    if (FThread.joinable())
        FThread.join();
}

void TSimPty::Run(bool once) {
    char buffer[4096];
    bool inSession = false;
    while (!FStop) {
        int n = SimOs::PtyRead(FMaster, buffer, sizeof buffer, 50);
        if (n < 0)
            continue;
        if (n == 0) {
            // No one has the line open.
            if (inSession) {
                inSession = false;
                if (once)
                    return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        if (!inSession) {
            inSession = true;
            FSim.OnConnect();
        }
        AnsiString out = FSim.OnBytes(buffer, static_cast<size_t>(n));
        if (!out.empty())
            SimOs::PtyWrite(FMaster, out.data(), static_cast<int>(out.size()));
        FSim.TakeDrop();  // a line cannot be dropped; the answer is simply missing
    }
}
