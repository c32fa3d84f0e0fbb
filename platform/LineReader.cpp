#include "platform/LineReader.h"

#include <cstring>

bool TLineReader::NextFromMore(std::string_view& line) {
    for (;;) {
        // A CR LF among the bytes read.
        while (FScan < FEnd) {
            const void* cr = std::memchr(FBuffer.data() + FScan, '\r', FEnd - FScan);
            if (cr == nullptr) {
                FScan = FEnd;
                break;
            }
            const size_t at = static_cast<size_t>(static_cast<const char*>(cr) - FBuffer.data());
            if (at + 1 == FEnd) {
                FScan = at;  // what follows the CR is still to come
                break;
            }
            if (FBuffer[at + 1] != '\n') {
                FScan = at + 1;
                continue;
            }
            line = std::string_view(FBuffer.data() + FBegin, at - FBegin);
            FBegin = FScan = at + 2;
            return true;
        }
        if (FEof) {
            if (!FUnendedLastLine || FBegin == FEnd) return false;
            line = std::string_view(FBuffer.data() + FBegin, FEnd - FBegin);
            FBegin = FScan = FEnd;
            return true;
        }
        // More bytes: the unfinished line moves to the front, the buffer grows when it is full.
        if (FBegin > 0) {
            std::memmove(FBuffer.data(), FBuffer.data() + FBegin, FEnd - FBegin);
            FBase += static_cast<long long>(FBegin);
            FEnd -= FBegin;
            FScan -= FBegin;
            FBegin = 0;
        }
        if (FEnd == FBuffer.size()) FBuffer.resize(FBuffer.size() * 2);
        const size_t n = FFile.Read(FBuffer.data() + FEnd, FBuffer.size() - FEnd);
        FEof = n == 0;
        FEnd += n;
    }
}

bool TLineReader::Next(AnsiString& line) {
    std::string_view view;
    if (!Next(view)) return false;
    line.assign(view);
    return true;
}
