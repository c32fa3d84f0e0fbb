// The serial line on Windows: the communications API with the port's own time-outs.
#include <windows.h>

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

    int Read(char* buffer, int count) override {
        CheckOpen();
        if (count <= 0) return 0;
        DWORD got = 0;
        if (!ReadFile(FHandle, buffer, static_cast<DWORD>(count), &got, nullptr)) {
            const DWORD code = GetLastError();
            DWORD errors = 0;
            ClearCommError(FHandle, &errors, nullptr);
            throw ELineError(lfPortRead, FName, win32::Reason(code));
        }
        return static_cast<int>(got);
    }

    int InCount() override {
        CheckOpen();
        DWORD errors = 0;
        COMSTAT stat{};
        if (!ClearCommError(FHandle, &errors, &stat)) return 0;
        return static_cast<int>(stat.cbInQue);
    }

    void PurgeInput() override {
        CheckOpen();
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

    AnsiString FName;
    HANDLE FHandle = INVALID_HANDLE_VALUE;
};

}  // namespace

std::unique_ptr<TSerialDevice> CreateSystemSerialDevice(const AnsiString& portName) {
    return std::make_unique<TWin32SerialDevice>(portName);
}
