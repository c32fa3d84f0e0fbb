#pragma once
// Errors of the register exchange: a rejection of one record that does not end the
// operation, and its subclass, an error the register reported with its one-byte code.
#include "platform/Exceptions.h"
#include "platform/Strings.h"

class TMLgExtTools;

class ENoBreakException : public Exception {
public:
    explicit ENoBreakException(const AnsiString& message);
    // The rejection text (empty for a register error, whose text is its message).
    AnsiString GetErrorMessage() const { return message; }

protected:
    // For subclasses that build their message themselves: message stays empty.
    ENoBreakException(const AnsiString& exceptionMessage, bool);
    AnsiString message;
};

class ENativeException : public ENoBreakException {
public:
    // The message is "0x%02X %s": the code and its text.
    ENativeException(unsigned char code, TMLgExtTools* translation);
    unsigned char GetErrorCode() const { return errorCode; }
    using ENoBreakException::GetErrorMessage;
    // The text for the stored code (without the "0x.." prefix).
    AnsiString GetErrorMessage(TMLgExtTools* translation) const;

    // The text for any code, through the translation service.
    static AnsiString CodeText(unsigned char code, TMLgExtTools* translation);

private:
    unsigned char errorCode;
};
