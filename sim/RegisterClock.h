#pragma once
// The register's sense of time. A register does not wait for ever: while it expects the
// computer's next byte (an acknowledgement, the next packet) it waits about 2 s, then gives
// up. While it works on an answer it cannot give within that time it asks the computer to
// wait with WACK, the first about 2 s after the computer's byte and then every 1.5 s, never
// inside a packet; a byte from the computer interrupts it. Busy spells make chosen answers
// slow. The clock reads the time through now, so that tests can run it on a virtual clock.
#include <chrono>
#include <functional>
#include <vector>

#include "platform/Strings.h"

// Where a busy spell falls in a transfer: the answer to its start packet, a data frame (a
// record the register sends, or its answer to one it receives), or its end.
enum TBusyPoint { bpAny, bpStart, bpFrame, bpEnd };

struct TBusySpell {
    int ms = 0;
    AnsiString file;  // the transfer's file identifier; empty: any
    TBusyPoint at = bpAny;
    int frame = 0;  // for bpFrame: 1-based number of the frame; 0: any
    int count = 1;  // how many times it falls; 0: every time
    int fired = 0;

    // "MS[,file=ID][,at=start|frame|end|any][,frame=N][,count=N]"; raises Exception on a bad
    // text.
    static TBusySpell Parse(const AnsiString& text);
};

class TRegisterClock {
public:
    using TTime = std::chrono::steady_clock::time_point;

    std::function<TTime()> now = [] { return std::chrono::steady_clock::now(); };
    // How long the register waits for the computer's next byte; 0: for ever.
    int waitMs = 2000;
    // The EOT of a wait that ran out comes late: as the first byte of the register's next
    // answer instead of at once.
    bool lateEot = false;
    int firstWackMs = 2000;
    int wackEveryMs = 1500;
    std::vector<TBusySpell> spells;

    // The busy spell for an answer at this point (the first that applies, which is counted),
    // in milliseconds; 0 when none.
    int BusyFor(const AnsiString& file, TBusyPoint at, int frame);

    // A byte came from the computer, or the register sent its answer: the wait starts anew.
    void Restart();
    // Holds an answer for ms, asking the computer to wait meanwhile.
    void Hold(const AnsiString& answer, int ms);
    bool Holding() const { return FHolding; }
    // Drops the held answer: the computer interrupted the wait.
    void Interrupt() { FHolding = false; }
    // What is due now while an answer is held: the WACKs whose time has come and, once the
    // spell is over, the answer.
    AnsiString TakeDue();
    // The wait for the computer has run out.
    bool WaitOver() const;
    // Milliseconds until something is due (a WACK, a held answer, the end of the wait when
    // waiting), at most limitMs.
    int MsToNext(bool waiting, int limitMs) const;

private:
    TTime FFrom{};
    bool FHolding = false;
    AnsiString FHeld;
    TTime FRelease{};
    TTime FNextWack{};
};
