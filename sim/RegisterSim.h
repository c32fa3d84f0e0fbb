#pragma once
// The register's side of the link, as a byte engine independent of any transport: bytes
// from the driver go in, the register's answer comes out. It grants the line (ENQ -> ACK),
// takes start packets, runs read transfers (EOT -> ENQ, the driver's ACK, data frames, final
// EOT), write transfers (ACK for every frame, records stored), reset transfers (ENQ, then
// EOT) and error reports (RVI; after the driver's EOT: ENQ, the error frame with the code at
// data positions 4-5 in hexadecimal, EOT). Faults can be injected at chosen points.
//
// It keeps time as a register does (sim/RegisterClock.h): a wait for the driver that runs out
// ends the exchange with EOT, busy spells delay chosen answers behind WACKs. Transports call
// OnTick when MsToNextTick says something is due. It is strict as a register is: NAK to any
// byte but ENQ while idle, a limit on frames repeated after NAK, unknown files refused.
//
// All public methods are safe to call from another thread than the one feeding bytes.
#include <memory>
#include <mutex>
#include <vector>

#include "platform/Strings.h"
#include "sim/RegisterClock.h"
#include "sim/RegisterState.h"

enum TSimFaultKind {
    sfNak,         // NAK instead of the answer
    sfSilence,     // no answer at all
    sfEot,         // EOT instead of the answer (the register ends the conversation)
    sfDrop,        // the connection is dropped instead of the answer
    sfError,       // RVI instead of the answer, then an error report with code value
    sfShortError,  // like sfError, but the error frame is too short to carry a code
    sfByte,        // the byte value instead of the answer
    sfWack,        // value WACK bytes (default 1) before the answer
    sfGarbage,     // value stray bytes (default 1, NUL and others) before the answer
    sfBadCheck,    // a frame the register sends carries a wrong block check
    sfLowerHex,    // a frame's block check in lower-case hexadecimal
    sfEtb,         // a frame ended by ETB instead of ETX
    sfNul,         // a NUL byte in the middle of a frame's data
    sfOversize,    // a frame of value data bytes (default 900) instead of the record
    // A slow register, for the time bounds of the driver's waits (value: milliseconds).
    sfSlowBytes,   // the answer goes out one byte every value ms (default 900)
    sfWackStream,  // instead of the answer a WACK every value ms until the driver speaks again
    sfStrayStream  // instead of the answer a stray byte every value ms until the driver speaks
};

enum TSimFaultPoint {
    spAny,    // every point
    spEnq,    // the answer to the line request
    spStart,  // the answer to the start packet
    spTurn,   // the register's ENQ taking the line (read, reset, error report)
    spFrame,  // data frame n: a record the register sends, or the answer to one it receives
    spEnd,    // the register's final EOT (read, reset) or its answer to the closing EOT (write)
    spReport  // the error frame of an error report
};

// How the answer to the last bytes must be timed: its bytes one every gapMs, and after them,
// with repeat, that byte every gapMs until the driver sends again.
struct TSimPace {
    unsigned gapMs = 0;
    bool repeat = false;
    char byte = 0;
};

struct TSimFault {
    TSimFaultKind kind = sfNak;
    TSimFaultPoint at = spAny;
    AnsiString file;  // the transfer's file identifier; empty: any
    int frame = 0;    // for spFrame: 1-based number of the frame in the transfer; 0: any
    int count = 1;    // how many times it fires; 0: every time
    int value = 0;    // error code, number of bytes, frame length, byte
    int fired = 0;

    // "kind[,key=value]...": kinds nak silence eot drop error shorterror byte wack garbage
    // badcheck lowerhex etb nul oversize slowbytes wackstream straystream; keys at=enq|start|turn|frame|end|report|any,
    // file=ID, frame=N (implies at=frame), count=N (0: always), code=HH (hexadecimal),
    // value=N (decimal or 0x..). Raises Exception on a bad text.
    static TSimFault Parse(const AnsiString& text);
};

// Where a register is stricter than the bare protocol needs.
struct TRegisterStrictness {
    bool nakWhenIdle = true;    // any byte but ENQ while waiting for ENQ is answered with NAK
    int repeats = 3;            // frames repeated after NAK, either way, before it gives up; 0: no limit
    bool refuseUnknown = true;  // start packets naming a file it does not have are refused
    int unknownCode = 0x13;     // ... with this code ("błędny typ zadania")
};

class TRegisterSim {
public:
    // The state is shared with the caller when given, else the simulator makes its own.
    explicit TRegisterSim(std::shared_ptr<TRegisterState> state = nullptr);

    // Bytes from the driver; returns the register's answer (possibly empty).
    AnsiString OnBytes(const char* data, size_t length);
    // What time brings: WACKs and a held answer once due, the EOT of a wait that ran out.
    AnsiString OnTick();
    // Milliseconds until OnTick has something to do, at most limitMs.
    int MsToNextTick(int limitMs);
    // A new connection: the protocol starts over (the data stays).
    void OnConnect();
    // True once after a fault asked for the connection to be dropped.
    bool TakeDrop();
    // The timing a slow-register fault asked for the last answer (cleared when taken).
    TSimPace TakePace();

    void AddFault(const TSimFault& fault);
    void AddFault(const AnsiString& text) { AddFault(TSimFault::Parse(text)); }
    void ClearFaults();
    // How often each fault fired, in the order they were added.
    std::vector<int> FaultsFired() const;

    // The data; lock with Lock() while a transport may be feeding bytes.
    TRegisterState& State() { return *FState; }
    std::unique_lock<std::mutex> Lock() { return std::unique_lock<std::mutex>(FMutex); }
    // Copies under the lock.
    std::vector<AnsiString> Records(const AnsiString& id);
    std::vector<AnsiString> Written(const AnsiString& id);

    // What the simulator saw, for tests: the data of every start packet received with a
    // good check, the frames of the driver it refused with NAK, transfers completed.
    std::vector<AnsiString> StartPackets();
    int NaksSent();
    int TransfersCompleted();
    void ResetCounters();

    // The register's clock and strictness; set them before the simulator serves.
    TRegisterClock clock;
    TRegisterStrictness strict;
    // The register of old: no clock, lenient.
    void SetTimeless();
    // Waits for the driver that ran out.
    int WaitsRunOut();

    // Replaces the data of every error frame (empty: "ER:" and the code), to send reports
    // the driver cannot read.
    void SetErrorFrame(const AnsiString& data);

    // Error frame data for a code: "ER:" and the code as two hexadecimal digits.
    static AnsiString ErrorFrameData(int code);
    // A frame as the register sends it: STX, data, terminator, the check as "%04X".
    static AnsiString Frame(const AnsiString& data, char terminator = 0x03);
    static unsigned short BlockCheck(const char* data, size_t length);

    // Largest frame taken from the driver; longer ones are dropped.
    static constexpr size_t MaxInboundFrame = 4096;

private:
    enum TState {
        stIdle,
        stLine,
        stReadTurn,
        stReadEnq,
        stReadFrame,
        stWrite,
        stResetTurn,
        stResetEnq,
        stErrTurn,
        stErrEnq,
        stErrFrame,
        stEcho
    };
    enum TTransfer { trNone, trRead, trWrite, trReset };

    struct THit {
        AnsiString prefix;
        TSimFault* replace = nullptr;
    };

    void OnControl(char byte, AnsiString& out);
    void OnFrame(const AnsiString& data, bool checkOk, AnsiString& out);
    void OnStartPacket(const AnsiString& data, AnsiString& out);

    THit Match(TSimFaultPoint point);
    bool Applies(const TSimFault& f, TSimFaultPoint point) const;
    // Applies a replacing fault; true when it took the place of the normal answer.
    bool Replace(const THit& hit, AnsiString& out);
    AnsiString BuildFrame(TSimFaultPoint point, const AnsiString& data);
    void SendRecord(AnsiString& out);
    void StartError(int code, bool shortFrame, AnsiString& out);
    AnsiString ErrorFrame() const;
    void Abort();
    // True while the register expects a byte from the driver.
    bool Waiting() const { return FStateNo != stIdle || FInFrame; }
    // A busy spell for the answer being made.
    void Busy(TBusyPoint at, int frame);
    // A frame refused with NAK (refused) or repeated after the driver's NAK: true when that was
    // one repetition too many and the register gave up with EOT.
    bool TooManyRepeats(AnsiString& out);
    // The answer as it leaves: after a late EOT, or held for a busy spell.
    AnsiString Answer(AnsiString out);
    // Clears what the last resetting read served: called when the driver has answered the
    // register's final EOT, that is once the transfer has really ended.
    void ConsumePending();

    std::shared_ptr<TRegisterState> FState;
    std::mutex FMutex;
    std::vector<TSimFault> FFaults;

    // Protocol state.
    TState FStateNo = stIdle;
    TTransfer FTransfer = trNone;
    AnsiString FFileId;
    AnsiString FStartData;
    bool FResetting = false;
    long FBeg = -1;
    long FEnd = -1;
    std::vector<TSimRecord> FServe;
    // What a resetting read served, cleared once the driver answers its end of transfer.
    AnsiString FPendingId;
    std::vector<TSimRecord> FPending;
    int FFrameNo = 0;  // frame being sent (read) or awaited (write), from 1
    int FErrorCode = 0;
    bool FShortError = false;
    bool FDrop = false;
    TSimPace FPace;
    AnsiString FErrorFrame;

    // Frame assembly.
    bool FInFrame = false;
    int FCheckLeft = -1;  // check characters still to come, -1 before the terminator
    AnsiString FFrame;
    AnsiString FCheck;
    bool FFrameTooLong = false;

    int FBusyMs = 0;
    bool FLateEot = false;
    int FRepeats = 0;  // NAKs in a row for the current frame

    std::vector<AnsiString> FStartPackets;
    int FWaitsRunOut = 0;
    int FNaks = 0;
    int FCompleted = 0;
};
