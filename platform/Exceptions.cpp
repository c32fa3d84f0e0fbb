#include "platform/Exceptions.h"

int EMException::Language = 0;

static AnsiString MessageOf(const std::vector<EMException::Topic>& topics) {
    if (topics.empty()) return AnsiString();
    const EMException::Topic& first = topics.front();
    return first.title.empty() ? first.description : first.title;
}

EMException::EMException(int code, AnsiString title, AnsiString description) : Exception(AnsiString()) {
    Topic topic;
    topic.code = code;
    topic.title = std::move(title);
    topic.description = std::move(description);
    FTopics.push_back(std::move(topic));
    FMessage = MessageOf(FTopics);
}

EMException::EMException(std::vector<Topic> topics) : Exception(MessageOf(topics)), FTopics(std::move(topics)) {}

int EMException::GetCode() const { return FTopics.empty() ? 0 : FTopics.front().code; }

AnsiString EMException::GetTitle() const { return FTopics.empty() ? AnsiString() : FTopics.front().title; }

AnsiString EMException::GetDescription() const { return FTopics.empty() ? AnsiString() : FTopics.front().description; }
