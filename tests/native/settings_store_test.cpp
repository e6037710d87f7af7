// The settings file: where it is, what a start-up reads from it, and what every save
// writes back.
#include <gtest/gtest.h>

#include <string>

#include "adapters/settings_store.h"
#include "sim/platform.h"

namespace {

constexpr char PLUGIN_PATH[] = "C:\\Program Files\\Winamp\\Plugins\\gen_loudmark.dll";
constexpr char SETTINGS_FILE[] = "C:\\Program Files\\Winamp\\Plugins\\plugin.ini";

const char FIRST_SAVE[] =
    "[Tamsel Loudmark]\r\n"
    "\"Enabled\"=1\r\n"
    "\"Trim\"=0\r\n"
    "\"TrimTo\"=-1\r\n"
    "\"Hotkey\"=1\r\n"
    "\"UpMod\"=3\r\n"
    "\"UpKey\"=38\r\n"
    "\"DownMod\"=3\r\n"
    "\"DownKey\"=40\r\n";

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string folder = ::testing::TempDir() + "loudmark-settings-" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(system(("rm -rf '" + folder + "'").c_str()), 0);
        sim::reset(folder);
        sim::setModulePath(sim::pluginInstance(), PLUGIN_PATH);
        sim::writeFile("C:\\Program Files\\Winamp\\Plugins\\gen_loudmark.dll", "MZ");
        // Something other than the defaults, so that a load that reads nothing shows.
        settings = Settings{7, 7, 7, 7, 7, 7, 7, 7};
        SettingsStore::locateFiles(sim::pluginInstance());
    }

    void startWith(const std::string& fileText) {
        sim::writeFile(SETTINGS_FILE, fileText);
        SettingsStore::load();
    }

    static void expectSettings(const Settings& want) {
        EXPECT_EQ(settings.enabled, want.enabled);
        EXPECT_EQ(settings.trim, want.trim);
        EXPECT_EQ(settings.trimTo, want.trimTo);
        EXPECT_EQ(settings.hotkey, want.hotkey);
        EXPECT_EQ(settings.upMod, want.upMod);
        EXPECT_EQ(settings.upKey, want.upKey);
        EXPECT_EQ(settings.downMod, want.downMod);
        EXPECT_EQ(settings.downKey, want.downKey);
    }
};

TEST_F(SettingsStoreTest, BothFilesLiveBesideTheModule) {
    EXPECT_STREQ(SettingsStore::settingsPath, SETTINGS_FILE);
    EXPECT_STREQ(SettingsStore::databasePath, "C:\\Program Files\\Winamp\\Plugins\\volume.ini");
}

TEST_F(SettingsStoreTest, AModulePathWithoutBackslashGivesBareNames) {
    sim::setModulePath(sim::pluginInstance(), "gen_loudmark.dll");
    SettingsStore::locateFiles(sim::pluginInstance());
    EXPECT_STREQ(SettingsStore::settingsPath, "plugin.ini");
    EXPECT_STREQ(SettingsStore::databasePath, "volume.ini");
}

TEST_F(SettingsStoreTest, AFolderTooLongForTheNamesReadsAndWritesNothing) {
    // 252 characters of folder: the module's name fits after it, "plugin.ini" does not.
    std::string folder = "C:\\" + std::string(124, 'a') + "\\" + std::string(123, 'b') + "\\";
    sim::setModulePath(sim::pluginInstance(), folder + "g.dll");
    SettingsStore::locateFiles(sim::pluginInstance());
    EXPECT_STREQ(SettingsStore::settingsPath, "") << "a cut path would name another file";
    EXPECT_STREQ(SettingsStore::databasePath, "");
    SettingsStore::load();
    expectSettings(DEFAULT_SETTINGS);
    SettingsStore::save();
    EXPECT_FALSE(sim::fileExists(folder + "plugin.ini"));
}

TEST_F(SettingsStoreTest, WithoutAFileEverySettingTakesItsDefault) {
    SettingsStore::load();
    expectSettings(DEFAULT_SETTINGS);
    EXPECT_FALSE(sim::fileExists(SETTINGS_FILE)) << "loading writes nothing";
}

TEST_F(SettingsStoreTest, TheFirstSaveWritesAllEightKeysInOrder) {
    SettingsStore::load();
    SettingsStore::save();
    EXPECT_EQ(sim::readFile(SETTINGS_FILE), FIRST_SAVE);
}

TEST_F(SettingsStoreTest, FlagsLoadByTheirOwnRulesAndSaveAsOneOrZero) {
    startWith(
        "[Tamsel Loudmark]\r\n\"Enabled\"=2\r\n\"Trim\"=2\r\n\"Hotkey\"=-5\r\n"
        "\"UpMod\"=0\r\n\"DownMod\"=-1\r\n\"TrimTo\"=7\r\n");
    EXPECT_EQ(settings.enabled, 1) << "any value but 0 turns Enabled on";
    EXPECT_EQ(settings.trim, 0) << "only 1 turns Trim on";
    EXPECT_EQ(settings.hotkey, 1);
    EXPECT_EQ(settings.upMod, 0) << "no modifier keys is a choice, not an absence";
    EXPECT_EQ(settings.downMod, 3) << "-1 reads as absent";
    EXPECT_EQ(settings.trimTo, 7) << "held as read, no range check";

    SettingsStore::save();
    EXPECT_EQ(sim::readFile(SETTINGS_FILE),
              "[Tamsel Loudmark]\r\n\"Enabled\"=1\r\n\"Trim\"=0\r\n\"Hotkey\"=1\r\n"
              "\"UpMod\"=0\r\n\"DownMod\"=3\r\n\"TrimTo\"=7\r\n\"UpKey\"=38\r\n\"DownKey\"=40\r\n");
}

TEST_F(SettingsStoreTest, StoredMinusOneReadsLikeAnAbsentKey) {
    startWith(
        "[Tamsel Loudmark]\r\n\"Enabled\"=-1\r\n\"Trim\"=-1\r\n\"TrimTo\"=-1\r\n\"Hotkey\"=-1\r\n"
        "\"UpMod\"=-1\r\n\"UpKey\"=-1\r\n\"DownMod\"=-1\r\n\"DownKey\"=-1\r\n");
    expectSettings(DEFAULT_SETTINGS);
}

TEST_F(SettingsStoreTest, KeysAreReadAsThePlatformReadsThem) {
    startWith(
        "[tamsel loudmark]\r\n  \"trim\"  =  1  \r\n\"UPKEY\"=0x21\r\n\"DownKey\"=\"34\"\r\nEnabled=0\r\n"
        "\"Hotkey\"=0abc\r\n");
    EXPECT_EQ(settings.trim, 1);
    EXPECT_EQ(settings.upKey, 33);
    EXPECT_EQ(settings.downKey, 34);
    EXPECT_EQ(settings.enabled, 1) << "an unquoted key is another key";
    EXPECT_EQ(settings.hotkey, 0);
}

TEST_F(SettingsStoreTest, ASaveChangesOnlyItsOwnKeys) {
    startWith(
        "; written by hand\r\n[Other]\r\n\"Enabled\"=0\r\n[Tamsel Loudmark]\r\n\"UpKey\"=33\r\n"
        "Foreign=yes\r\n\"Extra\"=5\r\n[Last]\r\nx=1\r\n");
    settings.trim = 1;
    SettingsStore::save();
    EXPECT_EQ(sim::readFile(SETTINGS_FILE),
              "; written by hand\r\n[Other]\r\n\"Enabled\"=0\r\n[Tamsel Loudmark]\r\n\"UpKey\"=33\r\n"
              "Foreign=yes\r\n\"Extra\"=5\r\n\"Enabled\"=1\r\n\"Trim\"=1\r\n\"TrimTo\"=-1\r\n\"Hotkey\"=1\r\n"
              "\"UpMod\"=3\r\n\"DownMod\"=3\r\n\"DownKey\"=40\r\n[Last]\r\nx=1\r\n");
}

TEST_F(SettingsStoreTest, ASaveWritesWhatIsHeldNotWhatTheFileHasSince) {
    SettingsStore::load();
    SettingsStore::save();
    std::string edited = FIRST_SAVE;
    edited.replace(edited.find("\"UpKey\"=38"), 10, "\"UpKey\"=99");
    sim::writeFile(SETTINGS_FILE, edited);  // the listener edits the file while the host runs
    settings.enabled = 0;  // as after a timer the platform refused
    SettingsStore::save();
    std::string expected = FIRST_SAVE;
    expected.replace(expected.find("\"Enabled\"=1"), 11, "\"Enabled\"=0");
    EXPECT_EQ(sim::readFile(SETTINGS_FILE), expected);

    SettingsStore::load();
    EXPECT_EQ(settings.enabled, 0) << "the next start-up begins disabled";
}

TEST_F(SettingsStoreTest, AnotherSettingsFileReadsByTheSameRules) {
    const char other[] = "C:\\Elsewhere\\plugin.ini";
    sim::writeFile(other, "[Tamsel Loudmark]\r\n\"Trim\"=2\r\n\"TrimTo\"=3\r\n\"UpMod\"=-1\r\n");
    Settings read = SettingsStore::readFrom(other);
    EXPECT_EQ(read.enabled, 1);
    EXPECT_EQ(read.trim, 0) << "only 1 turns Trim on";
    EXPECT_EQ(read.trimTo, 3);
    EXPECT_EQ(read.upMod, DEFAULT_SETTINGS.upMod);
    EXPECT_EQ(settings.trimTo, 7) << "the settings in use stay as they are";

    Settings none = SettingsStore::readFrom("");
    EXPECT_EQ(none.trim, DEFAULT_SETTINGS.trim);
    EXPECT_EQ(none.trimTo, DEFAULT_SETTINGS.trimTo);
}

}  // namespace
