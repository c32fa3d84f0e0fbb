#include <gtest/gtest.h>

#include "platform/Exceptions.h"

TEST(EMException, OneTopic) {
    EMException e(1001, "Tytul", "Opis");
    EXPECT_EQ(e.GetCode(), 1001);
    EXPECT_EQ(e.GetTitle(), "Tytul");
    EXPECT_EQ(e.GetDescription(), "Opis");
    EXPECT_EQ(e.GetTopicCount(), 1);
    EXPECT_EQ(e.Message(), "Tytul");
    EXPECT_STREQ(e.what(), "Tytul");
}

TEST(EMException, FirstTopicAnswers) {
    EMException e({{5, "A", "a"}, {6, "B", "b"}});
    EXPECT_EQ(e.GetCode(), 5);
    EXPECT_EQ(e.GetTitle(), "A");
    EXPECT_EQ(e.GetTopicCount(), 2);
    EXPECT_EQ(e.GetTopics(1).code, 6);
    EXPECT_EQ(e.GetTopics(1).description, "b");
    EXPECT_THROW(e.GetTopics(2), std::out_of_range);
}

TEST(EMException, NoTopics) {
    EMException e(std::vector<EMException::Topic>{});
    EXPECT_EQ(e.GetCode(), 0);
    EXPECT_EQ(e.GetTitle(), "");
    EXPECT_EQ(e.GetDescription(), "");
    EXPECT_EQ(e.Message(), "");
}

TEST(EMException, MessageFallsBackToDescription) {
    EMException e(1, "", "tylko opis");
    EXPECT_EQ(e.Message(), "tylko opis");
}

TEST(EMException, IsAnException) {
    try {
        throw EMException(2, "T", "D");
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "T");
    }
}

TEST(EMException, LanguageIsShared) {
    int saved = EMException::Language;
    EMException::Language = 3;
    EXPECT_EQ(EMException::Language, 3);
    EMException::Language = saved;
}
