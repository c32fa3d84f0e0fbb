#pragma once
// The byte channel to the register: a serial line (directly or through a dial-up modem), a
// TCP/IP connection, or no line at all when a file stands in for the register. It opens and
// closes the line, sends bytes, receives single bytes and short runs with time-outs, and
// writes every byte that crosses the line into the communication log. The line itself is a
// transport (ecr/EcrTransport.h) chosen for the medium when the channel opens.
#include <cstdint>
#include <memory>

#include "platform/LinkBytes.h"
#include "platform/ProgressSink.h"
#include "platform/SerialPort.h"
#include "platform/Strings.h"

class TLTools;
class TMLgExtTools;
class TEcrTransport;
class ELineError;

enum e_Medium { md_file = 0, md_rs232 = 1, md_tcpip = 2 };

// What the driver action reads from its parameters before OpenPort.
struct TEcrChannelConfig {
    e_Medium cfgMedium = md_file;
    AnsiString portName;     // "NovitusECRPort" (the serial port's name for md_rs232)
    int speed = 3;           // "NovitusECRSpeed", see Speed()
    AnsiString modemPhone;   // "NovitusECRModemPhone"; not empty: the line goes through a modem
    int modemTimeout = 0;    // "NovitusECRModemTimeout", seconds
    AnsiString ipAddress;    // "NovitusECRIpAddress"
    int ipPort = 0;          // "NovitusECRIpPort"
    int cfgIpTimeoutMs = 0;  // "NovitusECRIpTimeout" * 1000
    bool cfgUseLog = false;  // "NovitusECRDedbug" != 0

    // The serial line's time-outs for a direct cable (read interval, read per byte, read
    // constant, write per byte, write constant): a one-byte read gives up after 5050 ms.
    TSerialTimeouts serialTimeouts{3000, 50, 5000, 50, 5000};
    // The TCP stream's time-out for writes and reads.
    unsigned streamTimeoutMs = 15000;
    // Bounds of every wait, so that a register that keeps the line busy without delivering
    // cannot hold an operation for hours:
    // - a byte must come within the medium's time-out (ReadTimeoutMs), and every WACK grants
    //   the register that time-out once more, as the protocol says;
    // - WACK bytes are counted per wait (per packet while a packet is awaited); more than
    //   maxWack count as a time-out;
    // - the time WACKs add to a wait is at most busyAllowanceMs: a register that is honestly
    //   busy (a long report, a full memory being written) asks for seconds, not for hours;
    // - a packet as a whole must arrive within the time-out plus twice the wire time of the
    //   longest frame the driver takes (800 bytes and the 4 check characters) at slowestBaud,
    //   the slowest line speed the driver can be set to (a TCP register may sit behind such a
    //   line), plus what WACKs added. A register that sends an honest frame starts it within
    //   the time-out and sends it at line speed (twice: even with a pause of a byte's time
    //   after every byte), so it always fits; one that drips a byte every second does not.
    int maxWack = 1000;
    unsigned busyAllowanceMs = 60000;
    int slowestBaud = 1200;
    // While a wait lasts, the host is asked about the user's abort this often.
    unsigned abortPollMs = 1000;

    // The time one byte may take to come: the TCP time-out, or the serial line's total read
    // time-out for one byte.
    unsigned ReadTimeoutMs() const;
};

class TEcrChannel {
public:
    // sink receives progress lines (may be null); tools writes the communication log.
    TEcrChannel(TProgressSink* sink, TLTools& tools);
    ~TEcrChannel();
    TEcrChannel(const TEcrChannel&) = delete;
    TEcrChannel& operator=(const TEcrChannel&) = delete;

    TEcrChannelConfig cfg;

    // Opens the line of cfg.cfgMedium; nothing when it is open. A failure leaves the line
    // closed and the last progress line marked LPV_Error. Failures of the serial port and
    // the socket are raised in the user's words, with the system's reason.
    void OpenPort();
    // Closes the line; nothing when it is closed.
    void ClosePort();
    bool IsOpen() const;
    // The serial speed for the "NovitusECRSpeed" value in cfg.speed.
    TMBaudRate Speed() const;

    // Logs the bytes with "->" and writes them all to the line (nothing for md_file).
    void SendData(const AnsiString& bytes);
    // One byte: 1 and the byte, or 0 when the wait ended without one (see the bounds in
    // TEcrChannelConfig). Bytes come from the line in runs of what has arrived and are handed
    // out one by one. WACK bytes are logged (a run as one line) and restart the wait. While it
    // waits the host is asked about an abort every cfg.abortPollMs; an abort raises
    // "Operacja przerwana przez użytkownika".
    int ReadByte(char& ch) {
        if (FInPos < FInLen && FIn[FInPos] != EcrByte::WACK) {
            FNoByteText = "<timeout>";
            ch = FIn[FInPos++];
            return 1;
        }
        return WaitByte(ch);
    }
    // What the last ReadByte that returned 0 met, as the log shows it: "<timeout>",
    // "<too many WACK>" when the register did nothing but ask to wait, "<busy too long>" when
    // its waits took longer than allowed, "<packet too slow>" when a packet missed its deadline.
    const char* NoByteText() const { return FNoByteText; }
    // A packet is awaited from the first ReadByte after BeginPacket until EndPacket: its bytes
    // share one deadline and one WACK count.
    void BeginPacket();
    void EndPacket() { FInPacket = false; }
    // Up to len bytes; the number that arrived before a time-out. The register's EOT is
    // answered with EOT and raises "Kasa zerwała komunikację (EOT)".
    int ReadData(char* buf, int len);
    // Takes what arrived while nothing was asked (a register's late EOT, its answer to a byte
    // it did not expect, line noise), and what arrives within quietMs, off the line and logs
    // it, so that it is not taken for the answer to what is sent next.
    void ClearStaleInput(unsigned quietMs = 0);

    // One line of the communication log (only with cfg.cfgUseLog); control bytes are shown
    // by name.
    void Log(const AnsiString& direction, const AnsiString& data);
    void Log(const AnsiString& direction, char byte);
    // The same for fixed texts: without a log nothing is made of them.
    void Log(const char* direction, const char* data) {
        if (cfg.cfgUseLog) Log(AnsiString(direction), AnsiString(data));
    }
    void Log(const char* direction, char byte) {
        if (cfg.cfgUseLog) Log(AnsiString(direction), byte);
    }
    // Whether Log writes: a caller builds a text for the log only then.
    bool Logging() const { return cfg.cfgUseLog; }
    // A line that may repeat many times in a row (a WACK, a stray byte): a run is one line.
    void LogRun(const AnsiString& direction, const AnsiString& data);

    TProgressSink* Sink() const { return FSink; }
    TMLgExtTools* LgLink() const;

    // Progress lines and translated texts, for the transports.
    void MsgAdd(const AnsiString& text, LPVState state, int max);
    void MsgS(LPVState state);
    AnsiString Text(const char* method, const char* piece, const char* defaultUtf8, int duplicate = 0) const;

private:
    // The line of the configured medium, made (closed) when there is none yet.
    TEcrTransport& Line();
    // ReadByte when no byte is waiting in FIn, or a WACK is.
    int WaitByte(char& ch);
    // Rethrows the exception being handled; a line failure in the user's words.
    [[noreturn]] void RethrowWorded() const;
    AnsiString LineErrorText(const ELineError& e) const;
    // Asks the host whether the user wants to stop; raises the abort error if so.
    void PollAbort();

    // One wait's bounds: a single ReadByte, or every ReadByte of a packet.
    struct TWaitWindow {
        uint32_t start = 0;
        uint32_t end = 0;      // the deadline as it stands (WACKs move it)
        uint32_t hardEnd = 0;  // what WACKs can move it to at most
        uint32_t lastPoll = 0;
        unsigned frameMs = 0;  // the wire time the window grants after the time-out
        int wacks = 0;
    };
    void OpenWindow(TWaitWindow& w, unsigned frameMs) const;

    TProgressSink* FSink;
    TLTools& FTools;
    std::unique_ptr<TEcrTransport> FLine;
    const char* FNoByteText = "<timeout>";
    // Bytes taken from the line and not yet read: FInPos .. FInLen.
    char FIn[1024];
    int FInPos = 0;
    int FInLen = 0;
    TWaitWindow FPacket;
    bool FInPacket = false;
};
