#pragma once
// Exception classes of the framework: the runtime's general exception, the silent abort,
// conversion errors and the framework's own EMException with its topics.
#include <exception>
#include <vector>

#include "platform/Strings.h"

class Exception : public std::exception {
public:
    explicit Exception(AnsiString message) : FMessage(std::move(message)) {}
    const AnsiString& Message() const { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

protected:
    AnsiString FMessage;
};

// The runtime's silent abort; reported by the final error capture as an interruption.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// The framework's exception: a list of topics, each with code, title and description.
// GetCode, GetTitle and GetDescription answer those of the first topic (0 and "" without
// topics); the message is the first topic's title, or its description when the title is empty.
class EMException : public Exception {
public:
    struct Topic {
        int code = 0;
        AnsiString title;
        AnsiString description;
    };

    EMException(int code, AnsiString title, AnsiString description);
    explicit EMException(std::vector<Topic> topics);

    int GetCode() const;
    AnsiString GetTitle() const;
    AnsiString GetDescription() const;
    int GetTopicCount() const { return static_cast<int>(FTopics.size()); }
    const Topic& GetTopics(int index) const { return FTopics.at(static_cast<size_t>(index)); }

    // Language of the framework's own texts, set by the host through the library.
    static int Language;

private:
    std::vector<Topic> FTopics;
};

// Framework file errors (open, read, write) are EMExceptions with this code.
constexpr int EM_FILE_ERROR = 1001;
// Dataset errors (unknown field, no current record, position out of range).
constexpr int EM_DATASET_ERROR = 1002;
