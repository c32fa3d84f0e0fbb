// The small helpers under the line layers: hexadecimal numbers, deadlines, line failures.
#include <gtest/gtest.h>

#include "platform/Deadline.h"
#include "platform/Hex.h"
#include "platform/LineError.h"

TEST(Hex, LeadingDigitsOfEitherCase) {
    const struct {
        const char* text;
        size_t digits;
        unsigned long long value;
        bool whole;
    } cases[] = {
        {"1A", 2, 0x1A, true},
        {"ff", 2, 0xFF, true},
        {"0131", 4, 0x131, true},
        {"1Z", 1, 1, false},
        {"ZZ", 0, 0, false},
        {"", 0, 0, false},
        {"-1", 0, 0, false},
        {"+1", 0, 0, false},
        {" 1", 0, 0, false},
        {"0x1A", 1, 0, false},
        {"12345678901234567", 0, 0, false},
    };
    for (const auto& c : cases) {
        unsigned long long value = 99;
        EXPECT_EQ(ReadHex(c.text, value), c.digits) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(IsHexNumber(c.text, value), c.whole) << c.text;
    }
}

TEST(Deadline, NeverAndTheSoonerOfTwo) {
    const TDeadline never = TDeadline::Never();
    const TDeadline now(0);
    EXPECT_EQ(never.LeftMs(), -1);
    EXPECT_FALSE(never.Passed());
    EXPECT_TRUE(now.Passed());
    EXPECT_EQ(now.LeftMs(), 0);
    EXPECT_EQ(&Sooner(never, now), &now);
    EXPECT_EQ(&Sooner(now, never), &now);
    EXPECT_GT(TDeadline(~0ULL).LeftMs(), 0);  // an absurd time-out is a long one, not none
}

TEST(LineError, NamesTheFaultThePortAndTheReason) {
    ELineError e(lfPortOpen, "COM7", "Access is denied. (5)");
    EXPECT_STREQ(e.what(), "Cannot open serial port COM7: Access is denied. (5)");
    EXPECT_EQ(e.Worded("Nie można otworzyć portu"), "Nie można otworzyć portu COM7: Access is denied. (5)");
    EXPECT_EQ(ELineError(lfNotOpen, "", "").Worded("Closed"), "Closed");
}
