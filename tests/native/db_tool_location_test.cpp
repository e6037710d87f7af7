// Which volume.ini loudmark-db takes without --database, and why it says it took it: the
// player found as the installer finds it, its settings folder as the player itself
// finds it (beside itself, or where a paths.ini names it), and from there the plug-in's
// own rule for its folder.
#include <gtest/gtest.h>

#include <string>

#include "plugin_test_support.h"
#include "tool/exit_codes.h"

#include "../tool/db_tool_runner.h"

using namespace testsupport;

namespace {

const std::string PLAYER = "C:\\Program Files (x86)\\Winamp";
const std::string ROAMING = "C:\\Users\\listener\\AppData\\Roaming";
const std::string RECORDS = dbtool::database({"\"a.mp3[1000]\"=225"});

class ToolLocation : public PluginScenario {
protected:
    void SetUp() override {
        PluginScenario::SetUp();
        // A player in Program Files, which a standard user cannot write.
        sim::setEnvironmentVariable("ProgramFiles(x86)", "C:\\Program Files (x86)");
        sim::writeFile(PLAYER + "\\winamp.exe", "MZ <requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>");
        sim::refuseWritesIn(PLAYER);
    }
};

// What stats says of the database it took, and why: its lines before the records'.
std::string whichDatabase(const dbtool::Run& stats) { return stats.out.substr(0, stats.out.find("Records:")); }

TEST_F(ToolLocation, APathsIniBesideThePlayerNamesItsSettingsFolder) {
    // As the 5.x installer leaves it: {26} is the user's application data folder.
    sim::writeFile(PLAYER + "\\paths.ini", "[Winamp]\r\ninidir={26}\\Winamp\r\n");
    sim::writeFile(ROAMING + "\\Winamp\\Plugins\\volume.ini", RECORDS);
    dbtool::Run stats = dbtool::run({"stats"});
    EXPECT_EQ(stats.status, ExitCode::OK) << stats.err;
    EXPECT_EQ(whichDatabase(stats),
              "Database: " + ROAMING + "\\Winamp\\Plugins\\volume.ini\n"
              "  the player: " + PLAYER + " (the 32-bit Program Files folder + \\Winamp)\n"
              "  its settings folder: " + ROAMING + "\\Winamp (inidir in its paths.ini)\n"
              "  the plug-in's folder: Plugins\\ in the settings folder, which can be written\n");

    // An environment variable, and the same lines on standard error for any command.
    sim::setEnvironmentVariable("TUNES", "D:\\Tunes");
    sim::writeFile(PLAYER + "\\paths.ini", "[Winamp]\r\ninidir=%TUNES%\\Settings\r\n");
    sim::writeFile("D:\\Tunes\\Settings\\Plugins\\volume.ini", RECORDS);
    dbtool::Run list = dbtool::run({"list", "--verbose", "--format", "csv"});
    EXPECT_EQ(list.status, ExitCode::OK) << list.err;
    EXPECT_EQ(dbtool::firstLine(list.err), "Database: D:\\Tunes\\Settings\\Plugins\\volume.ini");
    EXPECT_NE(list.err.find("  its settings folder: D:\\Tunes\\Settings (inidir in its paths.ini)\n"), std::string::npos);
    EXPECT_EQ(list.out, "name,size,value,steps,volume,never_matched\na.mp3,1000,225,-30,100,\n");
}

// Without a paths.ini the player keeps its settings beside itself. A 2.x plug-in that may
// not write there falls back to %APPDATA%\Loudmark, whatever another player keeps in
// %APPDATA%\Winamp.
TEST_F(ToolLocation, APlayerThatKeepsItsSettingsBesideItselfButCannotWriteThereHasOurFilesInApplicationData) {
    sim::writeFile(ROAMING + "\\Winamp\\Plugins\\volume.ini", dbtool::database({"\"other.mp3[1]\"=300"}));
    sim::writeFile(ROAMING + "\\Loudmark\\volume.ini", RECORDS);
    dbtool::Run stats = dbtool::run({"stats"});
    EXPECT_EQ(stats.status, ExitCode::OK) << stats.err;
    EXPECT_EQ(whichDatabase(stats),
              "Database: " + ROAMING + "\\Loudmark\\volume.ini\n"
              "  the player: " + PLAYER + " (the 32-bit Program Files folder + \\Winamp)\n"
              "  its settings folder: " + PLAYER + " (beside itself: no paths.ini names another)\n"
              "  the plug-in's folder: %APPDATA%\\Loudmark\\, as Plugins\\ in the settings folder cannot be "
              "written\n");
}

TEST_F(ToolLocation, ANamedDatabaseIsSaidToBeNamed) {
    sim::writeFile("D:\\Elsewhere\\volume.ini", RECORDS);
    song("a.mp3", 10, 1000);
    dbtool::Run show = dbtool::run({"show", "--verbose", "--database", "D:\\Elsewhere\\volume.ini", "C:\\Music\\a.mp3"});
    EXPECT_EQ(show.err, "Database: D:\\Elsewhere\\volume.ini\n  named with --database\n");
}

}  // namespace
