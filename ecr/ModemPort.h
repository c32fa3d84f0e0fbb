#pragma once
// The serial port with Hayes modem control: opens the local modem's port, initialises the
// modem, dials the register's modem, waits for the carrier and hangs up at the end. Once the
// connection stands, the link protocol runs over the port exactly as over a direct cable.
#include <cstdint>

#include "platform/ProgressSink.h"
#include "platform/SerialPort.h"
#include "platform/Strings.h"

class TMLgExtTools;

// Hayes result codes as TalkAndListen reports them; a numeric answer gives its own number.
enum TModemResult {
    mrNoAnswer = -1,  // nothing in time, or an answer line not recognised
    mrOk = 0,
    mrConnect = 1,
    mrRing = 2,
    mrNoCarrier = 3,
    mrError = 4,
    mrNoDialtone = 6,
    mrBusy = 7,
    mrNoAnswerRemote = 8
};

class TModemPort : public TMSerialPort {
public:
    // Remembers the operation (receiver of progress lines, may be null) and its translation
    // service.
    explicit TModemPort(TProgressSink* action);
    ~TModemPort() override = default;

    TModemPort(const TModemPort&) = delete;
    TModemPort& operator=(const TModemPort&) = delete;

    TProgressSink* ksaction;
    TMLgExtTools* LgLink;
    bool ConnectedViaModem = false;

    // Opens the port for modem use; nothing when it is already active.
    void OpenPort(const AnsiString& portName, TMBaudRate speed, TMByteSize byteSize, TMStopBits stopBits,
                  TMParity parity);
    // Initialises the modem and dials; raises Exception on any failure.
    void ModemConnect(const AnsiString& phone, int timeoutSeconds);
    // Hangs up; false when the port is not open, raises when the modem does not hang up.
    bool ModemDisconnect();
    // Sends one command (CR appended) and reads the modem's answer; see TModemResult.
    // timeout100 0 sends without waiting and returns 0.
    int TalkAndListen(const char* command, int timeout100);
    // Waits for the carrier-detect line to become high (high true) or low.
    bool WaitOnDCD(uint32_t timeout100, bool high);

    // Hundredths of a second on the system tick count. false sets the start mark (shared by
    // every port object) and returns 0; true returns the time since the mark, 0 when the
    // clock reads earlier than the mark.
    static uint32_t Time100(bool elapsed);

    // Progress lines go to the operation when there is one.
    void MsgAdd(const AnsiString& text, LPVState state, int max);
    void MsgS(LPVState state);

    // The answer line of a modem's reply and its result (parts of TalkAndListen).
    static AnsiString AnswerLine(const AnsiString& received);
    static int AnswerResult(const AnsiString& line);

    // At most this many received bytes are read as one answer.
    static constexpr int MaxAnswerBytes = 300;
};
