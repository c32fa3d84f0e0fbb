#include "ecr/ModemPort.h"

#include <climits>

#include "platform/Exceptions.h"
#include "platform/Os.h"
#include "platform/Translation.h"

namespace {

const char* const kContext = "brevant_ModemCtl";
const char* const kClass = "TModemPort";

// Start mark of Time100, in milliseconds of the tick count; one for every port object.
uint32_t gStartMark = 0;

// Polling step while waiting for the first byte of an answer.
constexpr unsigned kAnswerPollMs = 10;
// Pause before every command, and the settling step of an answer.
constexpr unsigned kCommandPauseMs = 300;
constexpr unsigned kSettleStepMs = 500;
constexpr int kSettleSteps = 50;
// Answer times of the initialisation and hang-up commands, in hundredths of a second.
constexpr int kInitAnswer100 = 2000;
constexpr int kHangUpAnswer100 = 8000;
constexpr uint32_t kCarrierWait100 = 2000;

AnsiString InitError(TMLgExtTools* lg, const char* method, int duplicate, int result) {
    return Tr(lg, kContext, kClass, method, "Exception", u8"Błąd inicjalizacji modemu! (", duplicate) +
           IntToStr(result) + ")";
}

// A dial string is one command line: control bytes (CR above all) would end it early and
// let the rest of the number run as further commands, so they are left out.
AnsiString DialNumber(const AnsiString& phone) {
    AnsiString number;
    for (char c : phone)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) number += c;
    return number;
}

// Whether the received text is nothing but the echo of the command (with its CR) and line
// ends.
bool IsEchoOnly(const AnsiString& received, const AnsiString& commandWithCr) {
    if (received.compare(0, commandWithCr.size(), commandWithCr) != 0) return false;
    for (size_t i = commandWithCr.size(); i < received.size(); ++i)
        if (received[i] != '\r' && received[i] != '\n') return false;
    return true;
}

}  // namespace

TModemPort::TModemPort(TProgressSink* action) : ksaction(action), LgLink(action ? action->GetLgLink() : nullptr) {}

uint32_t TModemPort::Time100(bool elapsed) {
    uint32_t now = GetTickCount();
    if (!elapsed) {
        gStartMark = now;
        return 0;
    }
    // The difference is taken on the wrapping tick count, so a wait that spans the wrap of
    // the system's counter (every 49.7 days) still ends.
    int32_t diff = static_cast<int32_t>(now - gStartMark);
    if (diff < 0) return 0;
    return static_cast<uint32_t>(diff) / 10;
}

void TModemPort::MsgAdd(const AnsiString& text, LPVState state, int max) {
    if (ksaction) ksaction->MsgAdd(text, state, max);
}

void TModemPort::MsgS(LPVState state) {
    if (ksaction) ksaction->MsgS(state);
}

void TModemPort::OpenPort(const AnsiString& portName, TMBaudRate speed, TMByteSize byteSize, TMStopBits stopBits,
                          TMParity parity) {
    if (GetActive()) return;
    MsgAdd(
        Tr(LgLink, kContext, kClass, "OpenPort", "MsgAdd", u8"Otwieranie portu komunikacyjnego ") + portName + " ...",
        LPV_None, 100);
    SetPortName(portName);
    SetBaudRate(speed);
    SetParity(parity);
    SetStopBits(stopBits);
    SetByteSize(byteSize);
    SetBufSize(0, 2048);
    SetBufSize(1, 2048);
    SetTo(0, 50);    // read interval
    SetTo(1, 50);    // read, per byte
    SetTo(2, 5000);  // read, constant
    SetTo(3, 50);    // write, per byte
    SetTo(4, 5000);  // write, constant
    SetActive(true);
    SetRTSHigh();
    SetDTRHigh();
    MsgS(LPV_Ok);
}

AnsiString TModemPort::AnswerLine(const AnsiString& received) {
    // The last complete line counts: whatever precedes it (the echo of the command, earlier
    // answers) and an unfinished tail after the last CR are left aside. A reply without
    // any CR is read as one whole line.
    AnsiString text = received;
    size_t last = text.rfind('\r');
    if (last != AnsiString::npos) text.erase(last);
    size_t previous = text.rfind('\r');
    AnsiString line = previous == AnsiString::npos ? text : text.substr(previous + 1);
    if (!line.empty() && line[0] == '\n') line.erase(0, 1);
    return line;
}

int TModemPort::AnswerResult(const AnsiString& line) {
    if (line.empty()) return mrNoAnswer;
    if (line[0] >= '0' && line[0] <= '9') {
        // Numeric answer: its leading digits; an absurdly long run of digits stays in range.
        long long value = 0;
        for (char c : line) {
            if (c < '0' || c > '9') break;
            value = value * 10 + (c - '0');
            if (value > INT_MAX) return INT_MAX;
        }
        return static_cast<int>(value);
    }
    static const struct {
        const char* prefix;
        int result;
    } answers[] = {
        {"OK", mrOk},
        {"BUSY", mrBusy},
        {"CONNECT 19200", mrConnect},
        {"CONNECT", mrConnect},
        {"RING", mrRing},
        {"NO CARRIER", mrNoCarrier},
        {"ERROR", mrError},
        {"NO DIALTONE", mrNoDialtone},
        {"NO ANSWER", mrNoAnswerRemote},
    };
    for (const auto& answer : answers)
        if (StartsWith(line, answer.prefix)) return answer.result;
    return mrNoAnswer;
}

int TModemPort::TalkAndListen(const char* command, int timeout100) {
    AnsiString text = command ? command : "";
    MsgAdd(text, LPV_None, 100);
    Sleep(kCommandPauseMs);
    // Bytes still waiting (a late answer to an earlier command, the modem's reply to the
    // escape sequence, an unsolicited result) are no answer to this command.
    if (GetBytesInInBuf() > 0) PurgeInputBuffer();
    text += '\r';
    Transmit(text.data(), static_cast<int>(text.size()), false);
    if (timeout100 == 0) return mrOk;
    const uint32_t limit = timeout100 > 0 ? static_cast<uint32_t>(timeout100) : 0;

    Time100(false);
    AnsiString received;
    for (;;) {
        while (GetBytesInInBuf() <= 0) {
            if (Time100(true) > limit) return mrNoAnswer;
            Sleep(kAnswerPollMs);
        }
        // Let the answer settle: stop once half a second passes without a new byte.
        for (int step = 0; step < kSettleSteps; ++step) {
            int before = GetBytesInInBuf();
            Sleep(kSettleStepMs);
            if (GetBytesInInBuf() == before) break;
        }
        int count = GetBytesInInBuf();
        const int room = MaxAnswerBytes - static_cast<int>(received.size());
        if (count > room) count = room;
        if (count > 0) {
            AnsiString part(static_cast<size_t>(count), '\0');
            int got = Receive(&part[0], count);
            part.resize(got > 0 ? static_cast<size_t>(got) : 0);
            received += part;
        }
        // Whatever lies beyond the bytes read belongs to this answer too; left in the
        // buffer it would be taken for the answer to the next command or for register data.
        if (GetBytesInInBuf() > 0) PurgeInputBuffer();
        // A modem that echoes sends the command back at once, and the result of a dial
        // only seconds later: the echo alone is no answer yet.
        if (!IsEchoOnly(received, text)) break;
    }
    return AnswerResult(AnswerLine(received));
}

bool TModemPort::WaitOnDCD(uint32_t timeout100, bool high) {
    Time100(false);
    while (IsDCDHigh() != high) {
        Sleep(0);
        if (Time100(true) > timeout100) return false;
    }
    return true;
}

void TModemPort::ModemConnect(const AnsiString& phone, int timeoutSeconds) {
    if (!GetActive())
        throw Exception(Tr(LgLink, kContext, kClass, "ModemConnect", "Exception", u8"Otwórz port komunikacyjny!"));
    MsgAdd(Tr(LgLink, kContext, kClass, "ModemConnect", "MsgAdd", u8"Nawiązywanie połączenia modemowego ..."), LPV_None,
           100);
    Sleep(3000);

    static const char* const init[] = {"AT&F", "ATE0", "ATX2", "ATV1"};
    for (const char* command : init) {
        int result = TalkAndListen(command, kInitAnswer100);
        if (result == mrOk) {
            MsgS(LPV_Ok);
            continue;
        }
        if (result == mrNoAnswer)
            throw Exception(Tr(LgLink, kContext, kClass, "ModemConnect", "Exception", u8"Brak odpowiedzi modemu!", 1));
        throw Exception(InitError(LgLink, "ModemConnect", 2, result));
    }

    // A dial time of zero would not wait for the dial at all; the catalogue allows 1 to 255
    // seconds, and a larger value must not overflow the hundredths.
    if (timeoutSeconds < 1) timeoutSeconds = 1;
    if (timeoutSeconds > INT_MAX / 100) timeoutSeconds = INT_MAX / 100;
    AnsiString dial = "ATDT" + DialNumber(phone);
    int result = TalkAndListen(dial.c_str(), timeoutSeconds * 100);
    switch (result) {
        case mrConnect:
            MsgS(LPV_Ok);
            if (!WaitOnDCD(kCarrierWait100, true))
                throw Exception(Tr(LgLink, kContext, kClass, "ModemConnect", "Exception", u8"Błąd ! Brak nośnej!", 3));
            ConnectedViaModem = true;
            Sleep(3000);
            return;
        case mrNoCarrier:
            throw Exception(Tr(LgLink, kContext, kClass, "ModemConnect", "Exception",
                               u8"Błąd! Brak nośnej - brak modemu po drugiej stronie?", 4));
        case mrNoDialtone:
            throw Exception(Tr(LgLink, kContext, kClass, "ModemConnect", "Exception",
                               u8"Błąd! Brak sygnału - czy modem podłączony do linii?", 5));
        case mrBusy:
            throw Exception(
                Tr(LgLink, kContext, kClass, "ModemConnect", "Exception", u8"Błąd! Druga strona zajęta.", 6));
        case mrNoAnswerRemote:
            throw Exception(
                Tr(LgLink, kContext, kClass, "ModemConnect", "Exception", u8"Błąd! Modem kasy nie odpowiada.", 7));
        default: MsgS(LPV_Ok); throw Exception(InitError(LgLink, "ModemConnect", 8, result));
    }
}

bool TModemPort::ModemDisconnect() {
    if (!GetActive()) return false;
    MsgAdd(Tr(LgLink, kContext, kClass, "ModemDisconnect", "MsgAdd", u8"Zamykanie połączenia modemowego ..."), LPV_None,
           100);
    if (IsDCDHigh()) {
        // Back to command mode: a second of silence on either side of the escape sequence.
        SetRTSLow();
        Sleep(3000);
        Sleep(1500);
        Transmit("+++", 3, false);
        Sleep(1500);
    }
    int result = TalkAndListen("ATH", kHangUpAnswer100);
    if (result == mrOk) {
        MsgS(LPV_Ok);
        ConnectedViaModem = false;
        return true;
    }
    if (result == mrNoAnswer)
        throw Exception(Tr(LgLink, kContext, kClass, "ModemDisconnect", "Exception", u8"Brak odpowiedzi modemu!"));
    throw Exception(Tr(LgLink, kContext, kClass, "ModemDisconnect", "Exception",
                       u8"Problem z rozłączeniem połączenia telefonicznego. Spróbuj ręcznie!!!", 1));
}
