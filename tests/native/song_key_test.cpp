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
