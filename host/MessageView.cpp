#include "host/MessageView.h"

#include "platform/Translation.h"

namespace {
const size_t kValueColumn = 56;

// Display width of a UTF-8 text: every character counts one column.
size_t Width(const AnsiString& utf8) {
    size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}
}  // namespace

AnsiString TMessageView::Render(const THostMessage& message) {
    AnsiString label = message.text, value;
    const size_t mark = message.text.find('\x01');
    if (mark != AnsiString::npos) {
        label = message.text.substr(0, mark);
        value = message.text.substr(mark + 1);
    }
    AnsiString line = message.kind == 2 ? "[BŁĄD] " : message.kind == 1 ? "[UWAGA] " : "";
    line += Cp1250ToUtf8(label);
    if (mark != AnsiString::npos) {
        const size_t width = Width(line);
        line += AnsiString(width < kValueColumn ? kValueColumn - width : 1, ' ');
        line += Cp1250ToUtf8(value);
    }
    return line;
}

void TMessageView::Show(const THostMessage& message, bool changed) {
    const AnsiString line = Render(message);
    if (!FTerminal) {
        // Lines go out once, in their final state, so that logs stay readable.
        if (!changed && FOpenLine) {
            std::fprintf(FOut, "%s\n", FPending.c_str());
            std::fflush(FOut);  // a log read while the host runs, or after it was killed
        }
        FPending = line;
        FOpenLine = true;
        return;
    }
    if (changed && FOpenLine)
        std::fprintf(FOut, "\r\x1b[2K%s", line.c_str());
    else
        std::fprintf(FOut, "%s%s", FOpenLine ? "\n" : "", line.c_str());
    FOpenLine = true;
    std::fflush(FOut);
}

void TMessageView::Finish() {
    if (!FOpenLine) return;
    if (FTerminal)
        std::fprintf(FOut, "\n");
    else
        std::fprintf(FOut, "%s\n", FPending.c_str());
    FOpenLine = false;
    std::fflush(FOut);
}
