#pragma once
// A Hayes-compatible modem with the register's modem behind its telephone line, all in one
// process. It is a serial line (TSerialDevice) with DTR, RTS and carrier-detect lines: in
// command mode it answers AT commands; a dialled number ends as configured (CONNECT with a
// speed text, BUSY, NO CARRIER, NO DIALTONE, NO ANSWER, ERROR or silence); once connected
// with the carrier up it carries the driver's bytes to a data path (the register) and the
// register's answer back, until the "+++" escape (with its guard times), a DTR drop or a
// hang-up by the far side.
//
// Time is the platform clock (Sleep, GetTickCount): on a TVirtualClock answers arrive at
// virtual instants and a read that finds nothing advances the clock by its time-out instead
// of blocking. Nothing here ever waits for another thread.
//
// Use:
//     auto modem = std::make_shared<THayesModem>();
//     modem->SetDataPath([&](const AnsiString& bytes) { return registerSim.OnBytes(bytes.data(), bytes.size()); });
//     modem->SetDial("123456", THayesDial::Result(THayesDial::Busy));
//     TMSerialPort::SetDeviceFactory(THayesModem::Factory(modem));
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/SerialPort.h"
#include "platform/Strings.h"

// What a dialled number leads to.
struct THayesDial {
    enum TKind { Connect, Busy, NoCarrier, NoDialtone, NoAnswer, Error, Silence };

    TKind kind = Connect;
    AnsiString connectText = "CONNECT 9600";  // verbal answer on Connect
    int connectCode = 1;                      // numeric answer on Connect
    bool carrierRises = true;                 // false: CONNECT, but carrier detect stays low
    unsigned carrierDelayMs = 0;              // carrier detect rises this long after CONNECT
    unsigned answerDelayMs = 5000;            // from the dial command's CR to the answer

    static THayesDial Connected(const AnsiString& text = "CONNECT 9600", int code = 1);
    static THayesDial Result(TKind kind);
    static THayesDial Silent();          // the modem never answers the dial
    static THayesDial WithoutCarrier();  // CONNECT, then no carrier
    THayesDial& After(unsigned milliseconds) {
        answerDelayMs = milliseconds;
        return *this;
    }
};

class THayesModem : public TSerialDevice {
public:
    // The register behind the far modem: gets the bytes the driver sent, returns its answer.
    using TDataPath = std::function<AnsiString(const AnsiString& fromDriver)>;

    // Hayes result codes (numeric form); the verbal form is ResultText.
    enum TResult {
        rOk = 0,
        rConnect = 1,
        rRing = 2,
        rNoCarrier = 3,
        rError = 4,
        rNoDialtone = 6,
        rBusy = 7,
        rNoAnswer = 8
    };
    static AnsiString ResultText(TResult result);

    THayesModem();
    ~THayesModem() override;

    // A factory for TMSerialPort::SetDeviceFactory: every port opened gets a line to this
    // modem (any port name).
    static TSerialDeviceFactory Factory(std::shared_ptr<THayesModem> modem);

    // --- configuration ---
    void SetDataPath(TDataPath path) { FDataPath = std::move(path); }
    // Outcome of dialling one number (the text after ATDT/ATDP/ATD, blanks trimmed), and of
    // any number without its own outcome.
    void SetDial(const AnsiString& number, const THayesDial& outcome) { FDials[number] = outcome; }
    void SetDefaultDial(const THayesDial& outcome) { FDefaultDial = outcome; }
    // Replies that replace a command line's own handling (the line is then not executed);
    // lines are compared without regard to case, e.g. "ATE0", "ATH".
    void SetReply(const AnsiString& commandLine, TResult result);
    void SetRawReply(const AnsiString& commandLine, const AnsiString& bytes);
    void SetSilent(const AnsiString& commandLine);
    void ClearReplies() { FReplies.clear(); }
    // The settings AT&F and ATZ restore (and that apply from now on, as after power-on):
    // echo and verbal answers are on in a new modem.
    void SetFactoryProfile(bool echo, bool verbose);
    // Delay of command answers after the command's CR, and of the register's answers.
    void SetCommandDelay(unsigned milliseconds) { FCommandDelayMs = milliseconds; }
    // The far side hangs up: carrier drops and "NO CARRIER" is reported.
    void RemoteHangUp();
    // Bytes that appear on the line as if sent by the modem at the present instant.
    void Inject(const AnsiString& bytes, unsigned delayMs = 0);

    // --- state, for tests ---
    bool Echo() const { return FEcho; }
    bool Verbose() const { return FVerbose; }
    int XLevel() const { return FXLevel; }
    bool IsOpen() const { return FOpen; }
    bool DTR() const { return FDTR; }
    bool RTS() const { return FRTS; }
    bool CallUp() const { return FCallUp; }  // a connection stands
    bool Online() const { return FOnline; }  // data mode (not command mode)
    // Command lines received (without CR), and "+++" for every escape that took effect.
    const std::vector<AnsiString>& Commands() const { return FCommands; }
    const AnsiString& Written() const { return FWritten; }  // every byte from the driver
    const AnsiString& LastPortName() const { return FPortName; }
    const TSerialSettings& LastSettings() const { return FSettings; }
    int OpenCount() const { return FOpenCount; }
    uint32_t LastConnectTick() const { return FConnectTick; }

    // --- the serial line ---
    void Open(const TSerialSettings& settings) override;
    void Close() override;
    void SetTimeouts(const TSerialTimeouts& timeouts) override { FTimeouts = timeouts; }
    int Write(const char* data, int count, bool wait) override;
    int Read(char* buffer, int count) override;
    int InCount() override;
    void PurgeInput() override;
    void SetDTR(bool high) override;
    void SetRTS(bool high) override { FRTS = high; }
    bool DCD() override;

    void SetPortName(const AnsiString& name) { FPortName = name; }

private:
    struct TByte {
        uint32_t at;  // tick from which the byte is received
        char value;
    };
    struct TReply {
        enum { Result, Raw, Silence } kind;
        TResult result;
        AnsiString bytes;
    };

    void Update();
    bool Due(uint32_t at) const;
    bool NextEvent(uint32_t& at) const;
    void Enqueue(const AnsiString& bytes, uint32_t at);
    void SendResult(TResult result, uint32_t at, const AnsiString& verbal = "");
    void CommandByte(char c, uint32_t now);
    void Execute(const AnsiString& line, uint32_t now);
    void Dial(const AnsiString& number, uint32_t now);
    void FinishDial();
    void OnlineBytes(const char* data, int count, uint32_t now);
    void CarryData(const AnsiString& bytes, uint32_t now);
    void HangUp();
    void FactoryDefaults();
    unsigned GuardMs() const { return FS12 * 20u; }

    TDataPath FDataPath;
    std::map<AnsiString, THayesDial> FDials;
    THayesDial FDefaultDial;
    std::map<AnsiString, TReply> FReplies;
    unsigned FCommandDelayMs = 20;
    unsigned FDataLatencyMs = 5;

    // modem settings
    bool FFactoryEcho = true;
    bool FFactoryVerbose = true;
    bool FEcho = true;
    bool FVerbose = true;
    int FXLevel = 4;
    unsigned FS12 = 50;  // escape guard time in fiftieths of a second

    // line
    bool FOpen = false;
    bool FDTR = false;
    bool FRTS = false;
    AnsiString FPortName;
    TSerialSettings FSettings;
    TSerialTimeouts FTimeouts;
    int FOpenCount = 0;
    std::deque<TByte> FOut;

    // command mode
    AnsiString FLine;
    // dialling
    bool FDialing = false;
    bool FDialAnswers = false;  // false: the dial never ends by itself
    uint32_t FDialDoneAt = 0;
    THayesDial FDialOutcome;
    // connection
    bool FCallUp = false;
    bool FOnline = false;
    bool FCarrier = false;
    uint32_t FCarrierAt = 0;
    uint32_t FConnectTick = 0;
    uint32_t FLastDataTick = 0;
    int FPluses = 0;         // escape characters held back
    uint32_t FEscapeAt = 0;  // when the third one came

    std::vector<AnsiString> FCommands;
    AnsiString FWritten;
};
