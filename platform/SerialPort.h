#pragma once
// The framework's serial port. The line itself is a TSerialDevice: the operating system's
// port, or an in-process device (a modem emulator in tests) installed by a factory.
#include <functional>
#include <memory>

#include "platform/Strings.h"

enum TMBaudRate {
    br___110,
    br___300,
    br___600,
    br__1200,
    br__2400,
    br__4800,
    br__9600,
    br_14400,
    br_19200,
    br_38400,
    br_56000,
    br_57600,
    br115200,
    br128000,
    br256000
};
enum TMByteSize { bs5, bs6, bs7, bs8 };
enum TMStopBits { sb1_0, sb1_5, sb2_0 };
enum TMParity { parNone, parOdd, parEven, parMark, parSpace };

int BaudRateValue(TMBaudRate rate);

// Windows serial time-outs, in milliseconds, in the order of the system's record.
struct TSerialTimeouts {
    unsigned readInterval = 0;
    unsigned readTotalMultiplier = 0;
    unsigned readTotalConstant = 0;
    unsigned writeTotalMultiplier = 0;
    unsigned writeTotalConstant = 0;
};

struct TSerialSettings {
    AnsiString portName;
    TMBaudRate baudRate = br__9600;
    TMByteSize byteSize = bs8;
    TMStopBits stopBits = sb1_0;
    TMParity parity = parNone;
    unsigned inBufferSize = 4096;
    unsigned outBufferSize = 4096;
    TSerialTimeouts timeouts;
};

class TSerialDevice {
public:
    virtual ~TSerialDevice() = default;
    // Raises ELineError with the system's reason when the line cannot be opened or configured.
    virtual void Open(const TSerialSettings& settings) = 0;
    virtual void Close() = 0;
    virtual void SetTimeouts(const TSerialTimeouts& timeouts) = 0;
    // Writes all bytes; with wait false it may return before they left the port.
    virtual int Write(const char* data, int count, bool wait) = 0;
    // Reads up to count bytes honouring the time-outs exactly as Windows does: the total
    // limit is constant + multiplier * count; the interval limit applies between bytes once
    // the first byte arrived. Returns the number of bytes read.
    virtual int Read(char* buffer, int count) = 0;
    virtual int InCount() = 0;  // bytes received and waiting
    virtual void PurgeInput() = 0;
    virtual void SetDTR(bool high) = 0;
    virtual void SetRTS(bool high) = 0;
    virtual bool DCD() = 0;
};

using TSerialDeviceFactory = std::function<std::unique_ptr<TSerialDevice>(const AnsiString& portName)>;

// The operating system's port. On POSIX "COM1".."COM9" map to /dev/ttyS0../dev/ttyS8 and any
// other name is a device path.
std::unique_ptr<TSerialDevice> CreateSystemSerialDevice(const AnsiString& portName);

class TMSerialPort {
public:
    TMSerialPort();
    virtual ~TMSerialPort();

    void SetPortName(const AnsiString& name) { FSettings.portName = name; }
    void SetBaudRate(TMBaudRate rate) { FSettings.baudRate = rate; }
    void SetByteSize(TMByteSize size) { FSettings.byteSize = size; }
    void SetStopBits(TMStopBits bits) { FSettings.stopBits = bits; }
    void SetParity(TMParity parity) { FSettings.parity = parity; }
    void SetBufSize(int index, unsigned bytes);
    // index 0 read interval, 1 read per byte, 2 read constant, 3 write per byte, 4 write constant
    void SetTo(int index, unsigned milliseconds);

    void SetActive(bool active);
    bool GetActive() const { return FDevice != nullptr; }

    void Transmit(const char* bytes, int count, bool wait);
    // Waits up to the read time-outs for one byte. BytesReceived tells whether one came.
    char Get();
    int BytesReceived = 0;
    int Receive(char* buffer, int count);  // bytes already received, up to count
    int GetBytesInInBuf();
    void PurgeInputBuffer();

    void SetDTRHigh();
    void SetDTRLow();
    void SetRTSHigh();
    void SetRTSLow();
    bool IsDCDHigh();

    // Tests install an in-process line; an empty factory restores the system's ports.
    static void SetDeviceFactory(TSerialDeviceFactory factory);

private:
    TSerialDevice& Device();
    TSerialSettings FSettings;
    std::unique_ptr<TSerialDevice> FDevice;
};
