// The listener opened plugin.ini and volume.ini in an editor and saved them as "UTF-8"
// or "Unicode": Windows' profile functions cannot read our section under a UTF-8 mark,
// and NT 4 and 9x cannot read UTF-16 at all. Every setting and record must survive.
#include <gtest/gtest.h>

#include <string>

#include "adapters/settings_store.h"
#include "controls/resource_ids.h"
#include "plugin/plugin_lifecycle.h"
#include "plugin_test_support.h"
#include "sim/dialogs.h"

using namespace testsupport;
namespace player = sim::player;

namespace {

using namespace std::string_literals;

const std::string UTF8_MARK = "\xEF\xBB\xBF";
const std::string SETTINGS = "[Tamsel Loudmark]\r\n\"Enabled\"=1\r\n\"Trim\"=1\r\n\"TrimTo\"=3\r\n\"Hotkey\"=0\r\n";
// "Café.mp3" as the tracker wrote it (ANSI), and as an editor saved it (UTF-8).
const std::string RECORDS_ANSI = "[Tamsel Loudmark]\r\n\"Caf\xE9.mp3[1000]\"=225\r\n\"b.mp3[1000]\"=300\r\n";
const std::string RECORDS_UTF8 = "[Tamsel Loudmark]\r\n\"Caf\xC3\xA9.mp3[1000]\"=225\r\n\"b.mp3[1000]\"=300\r\n";

std::string utf16(const std::string& ansi) {
    std::string out = "\xFF\xFE";
    for (unsigned char c : ansi) out += std::string(1, static_cast<char>(c)) + '\0';
    return out;
}

class UnicodeSavedFiles : public PluginScenario {
protected:
    void SetUp() override {
        PluginScenario::SetUp();
        sim::loadResourceScript(LOUDMARK_RESOURCE_SCRIPT);
        player::setVolume(130);
        player::setPlaylist({song("Caf\xE9.mp3", 10), song("b.mp3", 10), song("end.mp3", 10)});
    }
    void TearDown() override { PluginLifecycle::quit(); }

    static int warnings() {
        int n = 0;
        for (const auto& box : sim::messageBoxes()) n += box.caption == "Warning";
        return n;
    }
};

}  // namespace

TEST_F(UnicodeSavedFiles, UnderAUtf8MarkEverySettingAndRecordIsKeptAndTheListenerIsToldOnce) {
    sim::writeFile(SETTINGS_PATH, UTF8_MARK + SETTINGS);
    sim::writeFile(DATABASE_PATH, UTF8_MARK + RECORDS_UTF8);
    PluginLifecycle::init();
    EXPECT_EQ(settings.trim, 1);
    EXPECT_EQ(settings.trimTo, 3);
    EXPECT_EQ(settings.hotkey, 0);
    EXPECT_EQ(sim::readFile(DATABASE_PATH), RECORDS_ANSI);
    EXPECT_EQ(warnings(), 2);

    player::play();
    sim::advance(11000);
    EXPECT_EQ(player::volumesSet(), (std::vector<int>{100, 175})) << "both songs at their own volume";
    PluginLifecycle::quit();
    PluginLifecycle::init();
    EXPECT_EQ(warnings(), 2) << "a second start has nothing to say";
}

TEST_F(UnicodeSavedFiles, AUtf16DatabaseIsWrittenBackAsAnsiForEveryWindows) {
    sim::runAsWindowsNT4(true);
    sim::writeFile(DATABASE_PATH, utf16(RECORDS_ANSI));
    PluginLifecycle::init();
    EXPECT_EQ(sim::readFile(DATABASE_PATH), RECORDS_ANSI);
    player::play();
    sim::advance(1000);
    EXPECT_EQ(player::volumesSet(), std::vector<int>{100});
}

TEST_F(UnicodeSavedFiles, CleanAfterAnEditorAddedTheMarkKeepsEveryRecordOfThePlaylist) {
    PluginLifecycle::init();
    sim::writeFile(DATABASE_PATH, UTF8_MARK + RECORDS_UTF8 + "\"gone.mp3[5]\"=200\r\n");
    cleanInTheDialog();
    EXPECT_EQ(sim::readFile(DATABASE_PATH), RECORDS_ANSI);
}
