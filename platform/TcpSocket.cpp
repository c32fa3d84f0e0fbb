#include "platform/TcpSocket.h"

#include <cstring>

#include "platform/LineError.h"

TClientSocket::TClientSocket() = default;

TClientSocket::~TClientSocket() { Close(); }

void TClientSocket::Open() {
    if (FSocket != -1) return;
    if (FHost.empty() || FPort <= 0 || FPort > 65535) throw ELineError(lfAddress, FHost + ":" + IntToStr(FPort), "");
    FSocket = TcpOs::Connect(FHost, FPort, FConnectTimeout);
}

void TClientSocket::Close() {
    if (FSocket == -1) return;
    intptr_t s = FSocket;
    FSocket = -1;
    TcpOs::CloseSocket(s);
}

TWinSocketStream::TWinSocketStream(TClientSocket& socket, unsigned timeoutMs)
    : FSocket(socket), FTimeOut(timeoutMs), FBuffer(4096) {}

int TWinSocketStream::Write(const char* buffer, int count) {
    if (count <= 0) return 0;
    if (!FSocket.GetActive()) throw ELineError(lfNotOpen, "", "");
    TcpOs::SendAll(FSocket.Handle(), buffer, count, FTimeOut);
    FAnswerDue = true;
    return count;
}

bool TWinSocketStream::Fill(unsigned timeoutMs) {
    if (FBufPos < FBufLen) return true;
    if (FPeerClosed || !FSocket.GetActive()) return false;
    // One wait at most, then a receive. What has come already is taken without a wait, but
    // the peer's answer to bytes just sent is hardly ever there yet: then the wait comes first.
    int n = -1;
    if (!FAnswerDue) n = TcpOs::Receive(FSocket.Handle(), FBuffer.data(), static_cast<int>(FBuffer.size()));
    FAnswerDue = false;
    if (n < 0) {
        if (!TcpOs::WaitReadable(FSocket.Handle(), timeoutMs)) return false;
        n = TcpOs::Receive(FSocket.Handle(), FBuffer.data(), static_cast<int>(FBuffer.size()));
    }
    if (n < 0) return false;  // nothing after all
    if (n == 0) {
        FPeerClosed = true;
        return false;
    }
    FBufPos = 0;
    FBufLen = static_cast<size_t>(n);
    return true;
}

int TWinSocketStream::Read(char* buffer, int count) { return Read(buffer, count, FTimeOut); }

int TWinSocketStream::Read(char* buffer, int count, unsigned timeoutMs) {
    if (count <= 0) return 0;
    if (!Fill(timeoutMs)) return 0;
    size_t n = FBufLen - FBufPos;
    if (n > static_cast<size_t>(count)) n = static_cast<size_t>(count);
    std::memcpy(buffer, FBuffer.data() + FBufPos, n);
    FBufPos += n;
    return static_cast<int>(n);
}

bool TWinSocketStream::WaitForData(unsigned timeoutMs) {
    if (FBufPos < FBufLen || FPeerClosed) return true;
    if (!FSocket.GetActive()) return false;
    return TcpOs::WaitReadable(FSocket.Handle(), timeoutMs);
}
