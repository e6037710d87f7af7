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

TEST(BoundedText, JoinsTwoPartsOrLeavesNothing) {
    char buffer[9];
    EXPECT_TRUE(BoundedText::join(buffer, sizeof buffer, "C:\\", "a.ini"));
    EXPECT_STREQ(buffer, "C:\\a.ini");
    EXPECT_FALSE(BoundedText::join(buffer, sizeof buffer, "C:\\", "ab.ini"));
    EXPECT_STREQ(buffer, "") << "a cut path would name another file";
}

TEST(BoundedText, FoldsAsciiLettersOnly) {
    EXPECT_EQ(BoundedText::folded('A'), 'a');
    EXPECT_EQ(BoundedText::folded('z'), 'z');
    EXPECT_EQ(BoundedText::folded('['), '[');
    EXPECT_EQ(BoundedText::folded('\xC4'), 0xC4) << "letters beyond ASCII keep their case";
    EXPECT_TRUE(BoundedText::sameFolded("C:\\Music\\", "c:\\MUSIC\\"));
    EXPECT_FALSE(BoundedText::sameFolded("C:\\Music", "C:\\Musi"));
    EXPECT_FALSE(BoundedText::sameFolded("\xC4.mp3", "\xE4.mp3"));
}
