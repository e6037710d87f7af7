#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "adapters/bounded_text.h"

TEST(BoundedText, CopiesThatFitAreWhole) {
    char buffer[8];
    EXPECT_TRUE(BoundedText::copy(buffer, sizeof buffer, "1234567"));
    EXPECT_STREQ(buffer, "1234567");
}

TEST(BoundedText, CutsAtTheCapacityAndSaysSo) {
    char buffer[8];
    memset(buffer, '#', sizeof buffer);
    EXPECT_FALSE(BoundedText::copy(buffer, sizeof buffer, "123456789"));
    EXPECT_STREQ(buffer, "1234567");
    EXPECT_FALSE(BoundedText::append(buffer, sizeof buffer, "x"));
    EXPECT_STREQ(buffer, "1234567");
}

TEST(BoundedText, AppendsNumbersOfEverySign) {
    char buffer[64] = "";
    BoundedText::appendInt(buffer, sizeof buffer, 0);
    BoundedText::append(buffer, sizeof buffer, " ");
    BoundedText::appendInt(buffer, sizeof buffer, -1);
    BoundedText::append(buffer, sizeof buffer, " ");
    BoundedText::appendInt(buffer, sizeof buffer, INT_MIN);
    BoundedText::append(buffer, sizeof buffer, " ");
    BoundedText::appendInt(buffer, sizeof buffer, INT_MAX);
    EXPECT_STREQ(buffer, "0 -1 -2147483648 2147483647");
}

TEST(BoundedText, FindsTheNameAfterTheLastBackslashOnly) {
    EXPECT_STREQ(BoundedText::afterLastBackslash("C:\\Music\\Rock\\a.mp3"), "a.mp3");
    EXPECT_STREQ(BoundedText::afterLastBackslash("a.mp3"), "a.mp3");
    EXPECT_STREQ(BoundedText::afterLastBackslash("http://radio/stream.mp3"), "http://radio/stream.mp3");
    EXPECT_STREQ(BoundedText::afterLastBackslash("C:\\Music\\"), "");
}
