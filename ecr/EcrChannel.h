#pragma once
// The byte channel to the register: a serial line (directly or through a dial-up modem), a
// TCP/IP connection, or no line at all when a file stands in for the register. It opens and
// closes the line, sends bytes, receives single bytes and short runs with time-outs, and
// writes every byte that crosses the line into the communication log.
#include <memory>

#include "platform/ProgressSink.h"
#include "platform/SerialPort.h"
#include "platform/Strings.h"

class TLTools;
class TModemPort;
class TClientSocket;
class TWinSocketStream;
class TMLgExtTools;

enum e_Medium { md_file = 0, md_rs232 = 1, md_tcpip = 2 };

// Control bytes of the link protocol.
namespace EcrByte {
constexpr char STX = 0x02;
constexpr char ETX = 0x03;
constexpr char EOT = 0x04;
constexpr char ENQ = 0x05;
constexpr char ACK = 0x06;
constexpr char WACK = 0x09;
constexpr char NAK = 0x15;
constexpr char ETB = 0x17;
constexpr char RVI = 0x40;
}  // namespace EcrByte

// What the driver action reads from its parameters before OpenPort.
struct TEcrChannelConfig {
    e_Medium cfgMedium = md_file;
    AnsiString portName;         // "NovitusECRPort" (the serial port's name for md_rs232)
    int speed = 3;               // "NovitusECRSpeed", see Speed()
    AnsiString modemPhone;       // "NovitusECRModemPhone"; not empty: the line goes through a modem
    int modemTimeout = 0;        // "NovitusECRModemTimeout", seconds
    AnsiString ipAddress;        // "NovitusECRIpAddress"
    int ipPort = 0;              // "NovitusECRIpPort"
    int cfgIpTimeoutMs = 0;      // "NovitusECRIpTimeout" * 1000
    bool cfgUseLog = false;      // "NovitusECRDedbug" != 0

    // The serial line's time-outs for a direct cable (read interval, read per byte, read
    // constant, write per byte, write constant): a one-byte read gives up after 5050 ms.
    TSerialTimeouts serialTimeouts{3000, 50, 5000, 50, 5000};
    // The TCP stream's time-out for writes and reads.
    unsigned streamTimeoutMs = 15000;
    // WACK bytes in a row after which a read counts as a time-out.
    int maxWackInRow = 1000;
};

class TEcrChannel {
public:
    // sink receives progress lines (may be null); tools writes the communication log.
    TEcrChannel(TProgressSink* sink, TLTools& tools);
    ~TEcrChannel();
    TEcrChannel(const TEcrChannel&) = delete;
    TEcrChannel& operator=(const TEcrChannel&) = delete;

    TEcrChannelConfig cfg;

    void OpenPort();
    void ClosePort();
    // The serial speed for the "NovitusECRSpeed" value in cfg.speed.
    TMBaudRate Speed() const;

    // Logs the bytes with "->" and writes them all to the line (nothing for md_file).
    void SendData(const AnsiString& bytes);
    // One byte: 1 and the byte, or 0 when the time-out expired. WACK bytes are logged and
    // restart the wait; more than cfg.maxWackInRow of them count as a time-out.
    int ReadByte(char& ch);
    // Up to len bytes; the number that arrived before a time-out. The register's EOT is
    // answered with EOT and raises "Kasa zerwała komunikację (EOT)".
    int ReadData(char* buf, int len);

    // One line of the communication log (only with cfg.cfgUseLog); control bytes are shown
    // by name.
    void Log(const AnsiString& direction, const AnsiString& data);
    void Log(const AnsiString& direction, char byte);
    // The log text for data: every control byte replaced by its name.
    static AnsiString LogText(const AnsiString& data);

    void OpenRS232Port();
    void CloseRS232Port();
    void OpenTCPIPPort();
    void CloseTCPIPPort();

    bool IsOpen() const;

    TProgressSink* Sink() const { return FSink; }
    TMLgExtTools* LgLink() const;
    TLTools& Tools() const { return FTools; }

    // The channel objects, for callers that need them (null when closed).
    TModemPort* FPort() const { return FPortObj.get(); }
    TClientSocket* pSocket() const { return FSocket.get(); }
    TWinSocketStream* pStream() const { return FStream.get(); }

private:
    void MsgAdd(const AnsiString& text, LPVState state, int max);
    void MsgS(LPVState state);
    AnsiString Text(const char* method, const char* piece, const char* defaultUtf8, int duplicate = 0) const;

    TProgressSink* FSink;
    TLTools& FTools;
    std::unique_ptr<TModemPort> FPortObj;
    std::unique_ptr<TClientSocket> FSocket;
    std::unique_ptr<TWinSocketStream> FStream;
};
