#include <gtest/gtest.h>

#include <string>

#include "memory/song_key.h"
#include "plugin_test_support.h"

using testsupport::PluginScenario;

class SongKeys : public PluginScenario {};

TEST_F(SongKeys, AreTheQuotedFileNameAndSize) {
    sim::writeFile("C:\\Music\\Rock\\a.mp3", std::string(4321, 'x'));
    SongKey key = SongKey::fromPath("C:\\Music\\Rock\\a.mp3");
    EXPECT_TRUE(key.storable);
    EXPECT_STREQ(key.text, "\"a.mp3[4321]\"");
}

TEST_F(SongKeys, IgnoreTheFolder) {
    sim::writeFile("C:\\Music\\a.mp3", std::string(10, 'x'));
    sim::writeFile("D:\\Elsewhere\\a.mp3", std::string(10, 'y'));
    EXPECT_STREQ(SongKey::fromPath("C:\\Music\\a.mp3").text, SongKey::fromPath("D:\\Elsewhere\\a.mp3").text);
}

TEST_F(SongKeys, OfMissingFilesCarryMinusOne) {
    EXPECT_STREQ(SongKey::fromPath("C:\\Music\\gone.mp3").text, "\"gone.mp3[-1]\"");
}

TEST_F(SongKeys, OfAFolderCarryMinusOne) {
    sim::writeFile("C:\\Music\\Album\\track.mp3", "x");
    EXPECT_STREQ(SongKey::fromPath("C:\\Music\\Album").text, "\"Album[-1]\"");
}

TEST_F(SongKeys, TakeAPathWithoutBackslashesWhole) {
    EXPECT_STREQ(SongKey::fromPath("http://radio.example/live").text, "\"http://radio.example/live[-1]\"");
    EXPECT_STREQ(SongKey::fromPath("song.mp3").text, "\"song.mp3[-1]\"");
}

TEST_F(SongKeys, WriteLargeSizesAsSigned32BitNumbers) {
    EXPECT_STREQ(SongKey::fromNameAndSize("big.wav", static_cast<int>(3000000000u)).text, "\"big.wav[-1294967296]\"");
}

TEST_F(SongKeys, ThatTheProfileFormatCannotHoldAreNotStorable) {
    EXPECT_FALSE(SongKey::fromNameAndSize("a=b.mp3", 5).storable);
    EXPECT_FALSE(SongKey::fromNameAndSize("line\nbreak.mp3", 5).storable);
    EXPECT_FALSE(SongKey::fromPath(nullptr).storable);
    // Brackets, quotes and semicolons inside the quotes read back fine.
    EXPECT_TRUE(SongKey::fromNameAndSize("[live]; \"best\".mp3", 5).storable);
}

TEST_F(SongKeys, NeverOverflowOnNamesLongerThanTheBuffer) {
    std::string longName(600, 'n');
    SongKey key = SongKey::fromPath(("C:\\Music\\" + longName).c_str());
    EXPECT_FALSE(key.storable);
    EXPECT_STREQ(key.text, "");
    std::string fits(SONG_KEY_CAPACITY - 7, 'n');  // quotes, brackets, "-1" and the zero
    EXPECT_TRUE(SongKey::fromNameAndSize(fits.c_str(), -1).storable);
    EXPECT_FALSE(SongKey::fromNameAndSize((fits + "n").c_str(), -1).storable);
}

// Every key fromNameAndSize builds reads back as its name and size, and nothing else
// does: a size "%d" would never write is no size.
TEST_F(SongKeys, ReadBackExactlyTheTextsTheyAreBuiltAs) {
    for (int size : {0, -1, 7, 2147483647, -2147483647 - 1}) {
        for (const char* name : {"", "Bracket [live] [2].mp3", "a=b.mp3"}) {
            std::string text = std::string("\"") + name + "[" + std::to_string(size) + "]\"";
            SongKeyParts parts{};
            ASSERT_TRUE(SongKey::parse(text.c_str(), text.size(), &parts)) << text;
            EXPECT_EQ(std::string(parts.name, parts.nameLength), name);
            EXPECT_EQ(parts.size, size);
        }
    }
    for (const char* text : {"\"a[+1]\"", "\"a[01]\"", "\"a[-0]\"", "\"a[]\"", "\"a[-]\"", "\"a[2147483648]\"",
                             "\"a[-2147483649]\"", "\"a[1 ]\"", "\"a[x1]\"", "a[1]", "\"a[1]", "\"a1]\"", "\"a[1]\" "}) {
        SongKeyParts parts{};
        EXPECT_FALSE(SongKey::parse(text, std::string(text).size(), &parts)) << text;
    }
    std::string longest = "\"" + std::string(SONG_KEY_CAPACITY - 6, 'n') + "[1]\"";  // with its zero, the buffer
    SongKeyParts parts{};
    EXPECT_TRUE(SongKey::parse(longest.c_str(), longest.size(), &parts));
    longest.insert(1, "n");
    EXPECT_FALSE(SongKey::parse(longest.c_str(), longest.size(), &parts));
}
