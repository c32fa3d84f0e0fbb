#include "platform/SerialPort.h"

#include <mutex>
#include <utility>

#include "platform/LineError.h"

namespace {

std::mutex& FactoryMutex() {
    static std::mutex m;
    return m;
}

TSerialDeviceFactory& Factory() {
    static TSerialDeviceFactory factory;
    return factory;
}

}  // namespace

int BaudRateValue(TMBaudRate rate) {
    switch (rate) {
        case br___110: return 110;
        case br___300: return 300;
        case br___600: return 600;
        case br__1200: return 1200;
        case br__2400: return 2400;
        case br__4800: return 4800;
        case br__9600: return 9600;
        case br_14400: return 14400;
        case br_19200: return 19200;
        case br_38400: return 38400;
        case br_56000: return 56000;
        case br_57600: return 57600;
        case br115200: return 115200;
        case br128000: return 128000;
        case br256000: return 256000;
    }
    return 9600;
}

TMSerialPort::TMSerialPort() = default;

TMSerialPort::~TMSerialPort() {
    try {
        SetActive(false);
    } catch (...) {
        // closing in a destructor must not throw
    }
}

void TMSerialPort::SetDeviceFactory(TSerialDeviceFactory factory) {
    std::lock_guard<std::mutex> lock(FactoryMutex());
    Factory() = std::move(factory);
}

void TMSerialPort::SetBufSize(int index, unsigned bytes) {
    if (index == 0)
        FSettings.inBufferSize = bytes;
    else if (index == 1)
        FSettings.outBufferSize = bytes;
}

void TMSerialPort::SetTo(int index, unsigned milliseconds) {
    TSerialTimeouts& t = FSettings.timeouts;
    switch (index) {
        case 0: t.readInterval = milliseconds; break;
        case 1: t.readTotalMultiplier = milliseconds; break;
        case 2: t.readTotalConstant = milliseconds; break;
        case 3: t.writeTotalMultiplier = milliseconds; break;
        case 4: t.writeTotalConstant = milliseconds; break;
        default: return;
    }
    if (FDevice) FDevice->SetTimeouts(t);
}

void TMSerialPort::SetActive(bool active) {
    if (active) {
        if (FDevice) return;
        TSerialDeviceFactory factory;
        {
            std::lock_guard<std::mutex> lock(FactoryMutex());
            factory = Factory();
        }
        std::unique_ptr<TSerialDevice> device =
            factory ? factory(FSettings.portName) : CreateSystemSerialDevice(FSettings.portName);
        if (!device) throw ELineError(lfPortOpen, FSettings.portName, "");
        device->Open(FSettings);
        FDevice = std::move(device);
        BytesReceived = 0;
    } else {
        if (!FDevice) return;
        std::unique_ptr<TSerialDevice> device = std::move(FDevice);
        device->Close();
    }
}

TSerialDevice& TMSerialPort::Device() {
    if (!FDevice) throw ELineError(lfNotOpen, FSettings.portName, "");
    return *FDevice;
}

void TMSerialPort::Transmit(const char* bytes, int count, bool wait) {
    if (count <= 0) return;
    TSerialDevice& device = Device();
    int written = device.Write(bytes, count, wait);
    if (written < count) throw ELineError(lfPortWriteTimeout, FSettings.portName, "");
}

char TMSerialPort::Get() {
    char ch = 0;
    BytesReceived = 0;
    BytesReceived = Device().Read(&ch, 1);
    if (BytesReceived <= 0) {
        BytesReceived = 0;
        ch = 0;
    }
    return ch;
}

int TMSerialPort::Receive(char* buffer, int count) {
    if (count <= 0) return 0;
    TSerialDevice& device = Device();
    int waiting = device.InCount();
    if (waiting <= 0) return 0;
    if (waiting > count) waiting = count;
    // The bytes are there already: read without waiting longer than needed.
    TSerialTimeouts saved = FSettings.timeouts;
    TSerialTimeouts quick;  // interval MAXDWORD, no totals: take what is there
    quick.readInterval = 0xFFFFFFFFu;
    quick.readTotalMultiplier = 0;
    quick.readTotalConstant = 0;
    device.SetTimeouts(quick);
    int got = 0;
    try {
        got = device.Read(buffer, waiting);
    } catch (...) {
        device.SetTimeouts(saved);
        throw;
    }
    device.SetTimeouts(saved);
    return got < 0 ? 0 : got;
}

int TMSerialPort::GetBytesInInBuf() { return Device().InCount(); }

void TMSerialPort::PurgeInputBuffer() { Device().PurgeInput(); }

void TMSerialPort::SetDTRHigh() { Device().SetDTR(true); }
void TMSerialPort::SetDTRLow() { Device().SetDTR(false); }
void TMSerialPort::SetRTSHigh() { Device().SetRTS(true); }
void TMSerialPort::SetRTSLow() { Device().SetRTS(false); }
bool TMSerialPort::IsDCDHigh() { return Device().DCD(); }
