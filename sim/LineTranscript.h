#pragma once
// What crossed the simulator's line while recording: the driver's bytes and the register's
// answers in turns (consecutive bytes of one side make one turn). A client that replays the
// driver's turns and waits for each answer holds the same conversation with the same
// register, byte for byte and round trip for round trip, with nothing of the driver around it.
#include <mutex>
#include <vector>

#include "platform/Strings.h"

class TLineTranscript {
public:
    struct TTurn {
        bool fromDriver;
        AnsiString bytes;
    };

    // Recording on (earlier turns forgotten) or off.
    void Start();
    void Stop();
    // Called by the transport for the bytes of one side, whether recording or not.
    void Record(bool fromDriver, const char* data, size_t length);
    std::vector<TTurn> Turns();

private:
    std::mutex FMutex;
    bool FRecording = false;
    std::vector<TTurn> FTurns;
};
