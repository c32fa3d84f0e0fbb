#pragma once
// How the command-line host shows the driver's message lines to a person: UTF-8, the value
// column after the 0x01 byte aligned, progress lines rewritten in place on a terminal,
// warnings and errors marked.
#include <cstdio>

#include "host/DriverHost.h"

class TMessageView {
public:
    TMessageView(std::FILE* out, bool terminal) : FOut(out), FTerminal(terminal) {}
    void Show(const THostMessage& message, bool changed);
    void Finish();
    // The line as shown, without terminal control sequences.
    static AnsiString Render(const THostMessage& message);

private:
    std::FILE* FOut;
    bool FTerminal;
    bool FOpenLine = false;  // the last line may still be rewritten
    AnsiString FPending;     // without a terminal: the latest state of the last line
};
