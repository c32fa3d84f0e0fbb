// The serial line on Windows: the communications API with the port's own time-outs.
#include <windows.h>

#include <cstring>

#include "platform/LineError.h"
#include "platform/SerialPort.h"
#include "platform/win32/Win32Api.h"

namespace {

// The failure of the last call on the port, with the system's reason.
[[noreturn]] void Fail(TLineFault fault, const AnsiString& portName) {
    throw ELineError(fault, portName, win32::Reason(GetLastError()));
}

AnsiString DevicePath(const AnsiString& name) {
    if (StartsWith(name, "\\\\")) return name;
    return "\\\\.\\" + name;
}

BYTE ByteSizeOf(TMByteSize size) {
    switch (size) {
        case bs5: return 5;
        case bs6: return 6;
        case bs7: return 7;
        default: return 8;
    }
}

BYTE StopBitsOf(TMStopBits bits) {
    switch (bits) {
        case sb1_5: return ONE5STOPBITS;
        case sb2_0: return TWOSTOPBITS;
        default: return ONESTOPBIT;
    }
}

BYTE ParityOf(TMParity parity) {
    switch (parity) {
        case parOdd: return ODDPARITY;
        case parEven: return EVENPARITY;
        case parMark: return MARKPARITY;
        case parSpace: return SPACEPARITY;
        default: return NOPARITY;
    }
}

class TWin32SerialDevice : public TSerialDevice {
public:
    explicit TWin32SerialDevice(AnsiString portName) : FName(std::move(portName)) {}
    ~TWin32SerialDevice() override { Close(); }

    void Open(const TSerialSettings& settings) override {
        Close();
        if (settings.portName.empty()) throw ELineError(lfPortOpen, "", "");
        HANDLE h = CreateFileA(DevicePath(settings.portName).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) Fail(lfPortOpen, settings.portName);
        FHandle = h;
        try {
            if (!SetupComm(h, settings.inBufferSize, settings.outBufferSize)) Fail(lfPortSetup, settings.portName);
            DCB dcb{};
            dcb.DCBlength = sizeof dcb;
            if (!GetCommState(h, &dcb)) Fail(lfPortSetup, settings.portName);
            dcb.BaudRate = static_cast<DWORD>(BaudRateValue(settings.baudRate));
            dcb.ByteSize = ByteSizeOf(settings.byteSize);
            dcb.StopBits = StopBitsOf(settings.stopBits);
            dcb.Parity = ParityOf(settings.parity);
            dcb.fBinary = TRUE;
            dcb.fParity = settings.parity != parNone;
            dcb.fOutxCtsFlow = FALSE;
            dcb.fOutxDsrFlow = FALSE;
            dcb.fDtrControl = DTR_CONTROL_ENABLE;
            dcb.fDsrSensitivity = FALSE;
            dcb.fOutX = FALSE;
            dcb.fInX = FALSE;
            dcb.fNull = FALSE;
            dcb.fRtsControl = RTS_CONTROL_ENABLE;
            dcb.fAbortOnError = FALSE;
            if (!SetCommState(h, &dcb)) Fail(lfPortSetup, settings.portName);
            SetTimeouts(settings.timeouts);
            PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR | PURGE_RXABORT | PURGE_TXABORT);
        } catch (...) {
            Close();
            throw;
        }
    }

    void Close() override {
        FInPos = FInLen = 0;
        if (FHandle != INVALID_HANDLE_VALUE) {
            CloseHandle(FHandle);
            FHandle = INVALID_HANDLE_VALUE;
        }
    }

    void SetTimeouts(const TSerialTimeouts& t) override {
        if (FHandle == INVALID_HANDLE_VALUE) return;
        COMMTIMEOUTS ct{};
        ct.ReadIntervalTimeout = t.readInterval;
        ct.ReadTotalTimeoutMultiplier = t.readTotalMultiplier;
        ct.ReadTotalTimeoutConstant = t.readTotalConstant;
        ct.WriteTotalTimeoutMultiplier = t.writeTotalMultiplier;
        ct.WriteTotalTimeoutConstant = t.writeTotalConstant;
        if (!SetCommTimeouts(FHandle, &ct)) Fail(lfPortSetup, FName);
    }

    int Write(const char* data, int count, bool wait) override {
        CheckOpen();
        if (count <= 0) return 0;
        DWORD written = 0;
        if (!WriteFile(FHandle, data, static_cast<DWORD>(count), &written, nullptr)) Fail(lfPortWrite, FName);
        return static_cast<int>(written);
    }

    // Bytes taken from the port before come first; what the port holds comes in one call,
    // and only a read that must wait goes by the port's time-outs.
    int Read(char* buffer, int count) override {
        CheckOpen();
        if (count <= 0) return 0;
        int got = Take(buffer, count);
        if (got == count) return got;
        const int waiting = Queued();
        if (waiting > 0) {
            FInPos = 0;
            FInLen = ReadPort(FIn, waiting < static_cast<int>(sizeof FIn) ? waiting : static_cast<int>(sizeof FIn));
            got += Take(buffer + got, count - got);
            if (got == count) return got;
        }
        return got + static_cast<int>(ReadPort(buffer + got, count - got));
    }

    int InCount() override {
        CheckOpen();
        return Queued() + static_cast<int>(FInLen - FInPos);
    }

    void PurgeInput() override {
        CheckOpen();
        FInPos = FInLen = 0;
        PurgeComm(FHandle, PURGE_RXCLEAR | PURGE_RXABORT);
    }

    void SetDTR(bool high) override {
        CheckOpen();
        EscapeCommFunction(FHandle, high ? SETDTR : CLRDTR);
    }

    void SetRTS(bool high) override {
        CheckOpen();
        EscapeCommFunction(FHandle, high ? SETRTS : CLRRTS);
    }

    bool DCD() override {
        CheckOpen();
        DWORD status = 0;
        if (!GetCommModemStatus(FHandle, &status)) return false;
        return (status & MS_RLSD_ON) != 0;
    }

private:
    void CheckOpen() const {
        if (FHandle == INVALID_HANDLE_VALUE) throw ELineError(lfNotOpen, FName, "");
    }

    // Bytes the port has received and holds.
    int Queued() {
        DWORD errors = 0;
        COMSTAT stat{};
        if (!ClearCommError(FHandle, &errors, &stat)) return 0;
        return static_cast<int>(stat.cbInQue);
    }

    // One read of the port, by its time-outs.
    size_t ReadPort(char* buffer, int count) {
        DWORD got = 0;
        if (!ReadFile(FHandle, buffer, static_cast<DWORD>(count), &got, nullptr)) {
            const DWORD code = GetLastError();
            DWORD errors = 0;
            ClearCommError(FHandle, &errors, nullptr);
            throw ELineError(lfPortRead, FName, win32::Reason(code));
        }
        return got;
    }

    // Up to count bytes of those taken from the port before.
    int Take(char* buffer, int count) {
        const size_t left = FInLen - FInPos;
        const size_t n = static_cast<size_t>(count) < left ? static_cast<size_t>(count) : left;
        if (n > 0) std::memcpy(buffer, FIn + FInPos, n);
        FInPos += n;
        return static_cast<int>(n);
    }

    AnsiString FName;
    HANDLE FHandle = INVALID_HANDLE_VALUE;
    // Received bytes not yet read: FInPos .. FInLen.
    char FIn[4096];
    size_t FInPos = 0;
    size_t FInLen = 0;
};

}  // namespace

std::unique_ptr<TSerialDevice> CreateSystemSerialDevice(const AnsiString& portName) {
    return std::make_unique<TWin32SerialDevice>(portName);
}
