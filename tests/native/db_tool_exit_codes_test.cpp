// loudmark-db's exit statuses, each for its own trouble, and the promise behind the ones
// about writing: whatever fails, the listener's records are all still there.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "plugin_test_support.h"
#include "tool/exit_codes.h"

#include "../tool/db_tool_runner.h"

using namespace testsupport;

namespace {

const std::string RECORDS = DATABASE_HEADER + "\"a.mp3[1000]\"=225\r\n\"b.mp3[1000]\"=300\r\n";
constexpr char REBUILD_PATH[] = "C:\\Program Files\\Winamp\\Plugins\\volume.ini.new";

class ToolExitStatus : public PluginScenario {
protected:
    void SetUp() override {
        PluginScenario::SetUp();
        song("a.mp3", 10);
        sim::writeFile(DATABASE_PATH, RECORDS);
    }

    static dbtool::Run tool(std::vector<std::string> words) {
        words.insert(words.begin() + 1, {"--database", DATABASE_PATH});
        return dbtool::run(words);
    }
};

// Each trouble its own status, and the first line of standard error says which; a
// refusal of the command line ends with where to read what the command takes.
TEST_F(ToolExitStatus, AWrongCommandLineAMissingDatabaseAndUnreadableLinesEachHaveTheirOwn) {
    sim::writeFile("C:\\Music\\Artist A\\x.mp3", "x");
    struct Case {
        std::vector<std::string> words;  // after the command, --database DATABASE_PATH is added
        int status;
        std::string firstError;
    };
    const Case cases[] = {
        {{"list", "--sort", "size"}, ExitCode::USAGE, "loudmark-db: --sort takes name, value or distance, not \"size\""},
        {{"show", "--band", "12", "C:\\Music\\a.mp3"}, ExitCode::USAGE, "loudmark-db: --band does not apply to show"},
        {{"frobnicate"}, ExitCode::USAGE, "loudmark-db: unknown command \"frobnicate\""},
        {{"clean"}, ExitCode::USAGE, "loudmark-db: clean needs the folders and playlists that hold your songs"},
        {{"set", "C:\\Music\\a.mp3", "256"}, ExitCode::USAGE, "loudmark-db: the volume is a number from 0 to 255, not \"256\""},
        {{"set", "C:\\Music\\a.mp3", "-5"}, ExitCode::USAGE, "loudmark-db: the volume is a number from 0 to 255, not \"-5\""},
        {{"undo", "C:\\Music"}, ExitCode::USAGE, "loudmark-db: undo takes no operands"},
        {{"help", "trim"}, ExitCode::OK, ""},
        {{"show", "C:\\Music\\a.mp3"}, ExitCode::OK, ""},
        {{"show", "C:\\Music\\Artist A"}, ExitCode::SOURCE_UNREADABLE, "loudmark-db: C:\\Music\\Artist A: a folder, not a song file"},
        {{"show", "C:\\Music\\gone.mp3"}, ExitCode::SOURCE_UNREADABLE,
         "loudmark-db: C:\\Music\\gone.mp3: cannot be opened, so the plug-in keys it with the size -1"},
        {{"set", "--force", "C:\\Music\\gone.mp3", "9"}, ExitCode::SOURCE_UNREADABLE,
         "loudmark-db: C:\\Music\\gone.mp3: cannot be opened, so its size is unknown (name the record with --key)"},
    };
    for (const Case& c : cases) {
        dbtool::Run run = tool(c.words);
        EXPECT_EQ(run.status, c.status) << c.words[0] << " " << c.words.back() << "\n" << run.err;
        EXPECT_EQ(dbtool::firstLine(run.err), c.firstError) << c.words[0];
        if (c.status == ExitCode::USAGE && c.words[0] != "frobnicate") {
            EXPECT_NE(run.err.find("\nTry \"loudmark-db help " + c.words[0] + "\".\n"), std::string::npos) << run.err;
        }
    }
    const struct {
        const char* database;
        const char* firstError;
    } missing[] = {{"C:\\Nowhere\\volume.ini", "loudmark-db: no volume database at C:\\Nowhere\\volume.ini"},
                   {"C:\\Music", "loudmark-db: C:\\Music is a folder: name the database file itself (volume.ini in it)"}};
    for (const auto& m : missing) {
        dbtool::Run run = dbtool::run({"list", "--database", m.database});
        EXPECT_EQ(run.status, ExitCode::DATABASE_MISSING);
        EXPECT_EQ(run.err, std::string(m.firstError) + "\n");
    }

    // Every line the plug-in cannot read, in line order; the values read all the same, in
    // columns as wide as the widest, a value no record of the plug-in's holds marked.
    sim::writeFile(DATABASE_PATH, "; kept\r\n" + DATABASE_HEADER + "\"a.mp3[1000]\"=225\r\n\"A.MP3[1000]\"=7\r\nstray line\r\n"
                                  "\"b.mp3[1000]\"=\r\n\"c.mp3[5]\"=+0x10\r\ngarbage=4\r\n\"big.mp3[1]\"=2000000000\r\n"
                                  "[tamsel loudmark]\r\n\"d.mp3[1]\"=300\r\n");
    dbtool::Run lines = tool({"list"});
    EXPECT_EQ(lines.status, ExitCode::DATABASE_LINES);
    EXPECT_EQ(lines.err,
              "C:\\Program Files\\Winamp\\Plugins\\volume.ini:4: the same key as line 3: never read\n"
              "C:\\Program Files\\Winamp\\Plugins\\volume.ini:5: no '=': not a record\n"
              "C:\\Program Files\\Winamp\\Plugins\\volume.ini:6: no value: not a record\n"
              "C:\\Program Files\\Winamp\\Plugins\\volume.ini:7: the value \"+0x10\" is not a whole number; "
              "the plug-in reads it as 16\n"
              "C:\\Program Files\\Winamp\\Plugins\\volume.ini:8: not a song key (\"name[size]\" in quotes): "
              "the plug-in never reads it\n"
              "C:\\Program Files\\Winamp\\Plugins\\volume.ini:10: a second [Tamsel Loudmark] section: "
              "the plug-in never reads its records\n"
              "loudmark-db: 6 lines of C:\\Program Files\\Winamp\\Plugins\\volume.ini the plug-in cannot read as records\n");
    EXPECT_EQ(lines.out.substr(0, lines.out.find("c.mp3")),
              "     value       steps  volume  song\n"
              "       225         -30     100  a.mp3[1000]\n"
              "        16        -239       0  ");
    EXPECT_NE(lines.out.find("\n         4        -251       0  garbage   <- never matched: not a song key\n"
                             "2000000000 +1999999745     255  big.mp3[1]   <- outside 0..510: the plug-in never writes it\n"),
              std::string::npos)
        << lines.out;
}

TEST_F(ToolExitStatus, ASourceThatCannotBeReadStopsCleanUnlessForced) {
    sim::writeFile("C:\\Music\\Locked\\b.mp3", std::string(1000, 'x'));
    sim::refuseListing("C:\\Music\\Locked");
    dbtool::Run refused = tool({"clean", "C:\\Music\\Nothing.m3u"});
    EXPECT_EQ(refused.status, ExitCode::SOURCE_UNREADABLE);
    EXPECT_EQ(sim::readFile(DATABASE_PATH), RECORDS);

    sim::writeFile("C:\\Empty\\Sub\\nothing.m3u", "#EXTM3U\r\n");
    dbtool::Run empty = tool({"trim", "C:\\Empty\\Sub\\nothing.m3u"});
    EXPECT_EQ(empty.status, ExitCode::SOURCE_UNREADABLE);
    EXPECT_EQ(empty.err.rfind("loudmark-db: no songs in the sources\n", 0), 0u) << empty.err;
    EXPECT_EQ(sim::readFile(DATABASE_PATH), RECORDS);

    dbtool::Run locked = tool({"clean", "C:\\Music"});
    EXPECT_EQ(locked.status, ExitCode::SOURCE_UNREADABLE);
    EXPECT_NE(locked.err.find("C:\\Music\\Locked\\: cannot be read"), std::string::npos) << locked.err;
    EXPECT_EQ(sim::readFile(DATABASE_PATH), RECORDS);

    dbtool::Run dry = tool({"clean", "--dry-run", "C:\\Music"});
    EXPECT_EQ(dry.status, ExitCode::SOURCE_UNREADABLE);
    EXPECT_NE(dry.out.find("would go: \"b.mp3[1000]\"=300 (not among the songs)\n"), std::string::npos) << dry.out;
    EXPECT_EQ(sim::readFile(DATABASE_PATH), RECORDS);

    dbtool::Run forced = tool({"clean", "--force", "C:\\Music"});
    EXPECT_EQ(forced.status, ExitCode::SOURCE_UNREADABLE);
    EXPECT_EQ(sim::readFile(DATABASE_PATH), DATABASE_HEADER + "\"a.mp3[1000]\"=225\r\n");
}

// The database's lines are checked beside the walk, yet said first, as they are found
// first; with no second thread to be had, the same words in the same order.
TEST_F(ToolExitStatus, TheDatabasesOwnLinesComeBeforeTheSourcesTroubles) {
    sim::writeFile(DATABASE_PATH, RECORDS + "stray line\r\n");
    sim::writeFile("C:\\Music\\Locked\\b.mp3", std::string(1000, 'x'));
    sim::refuseListing("C:\\Music\\Locked");
    dbtool::Run beside = tool({"clean", "--dry-run", "C:\\Music"});
    EXPECT_EQ(beside.status, ExitCode::SOURCE_UNREADABLE);
    EXPECT_EQ(beside.err,
              "C:\\Program Files\\Winamp\\Plugins\\volume.ini:4: no '=': not a record\n"
              "loudmark-db: C:\\Music\\Locked\\: cannot be read\n"
              "loudmark-db: 1 line of C:\\Program Files\\Winamp\\Plugins\\volume.ini the plug-in cannot read as "
              "records: a clean drops them\n");
    EXPECT_EQ(beside.out,
              "would go: \"b.mp3[1000]\"=300 (not among the songs)\n"
              "1 song: 1 record would stay, 1 would go; nothing changed\n");
    sim::refuseThreads(true);
    dbtool::Run alone = tool({"clean", "--dry-run", "C:\\Music"});
    EXPECT_EQ(alone.err, beside.err);
    EXPECT_EQ(alone.out, beside.out);
}

TEST_F(ToolExitStatus, AFailedWriteLeavesEveryRecordWhereItWas) {
    sim::failWritesAfter(REBUILD_PATH, 10);
    dbtool::Run clean = tool({"clean", "--force", "C:\\Music"});
    EXPECT_EQ(clean.status, ExitCode::WRITE_FAILED);
    EXPECT_EQ(sim::readFile(DATABASE_PATH), RECORDS);
    EXPECT_FALSE(sim::fileExists(REBUILD_PATH));

    for (auto words : {std::vector<std::string>{"set", "--force", "C:\\Music\\a.mp3", "40"},
                       std::vector<std::string>{"set", "--force", "--key", "new.mp3[5]", "40"},
                       std::vector<std::string>{"remove", "--force", "--key", "b.mp3[1000]"}}) {
        sim::failWritesAfter(REBUILD_PATH, 30);
        EXPECT_EQ(tool(words).status, ExitCode::WRITE_FAILED) << words[1];
        EXPECT_EQ(sim::readFile(DATABASE_PATH), RECORDS);
        EXPECT_FALSE(sim::fileExists(REBUILD_PATH));
    }
    // The swap refused: the database stays the old one, whole.
    sim::failWritesAfter(REBUILD_PATH, UINT64_MAX);
    sim::refuseRename(REBUILD_PATH);
    EXPECT_EQ(tool({"remove", "--force", "C:\\Music\\a.mp3"}).status, ExitCode::WRITE_FAILED);
    EXPECT_EQ(sim::readFile(DATABASE_PATH), RECORDS);
}

TEST_F(ToolExitStatus, NothingIsWrittenWhileThePlayerRunsUnlessForced) {
    // The simulated player's window is of the player's class.
    for (auto words : {std::vector<std::string>{"set", "C:\\Music\\a.mp3", "40"},
                       std::vector<std::string>{"remove", "C:\\Music\\a.mp3"},
                       std::vector<std::string>{"trim", "C:\\Music"}}) {
        dbtool::Run run = tool(words);
        EXPECT_EQ(run.status, ExitCode::PLAYER_RUNNING) << words[0];
        EXPECT_EQ(sim::readFile(DATABASE_PATH), RECORDS);
    }
    EXPECT_EQ(tool({"trim", "--dry-run", "C:\\Music"}).status, ExitCode::OK);
    dbtool::Run forced = tool({"set", "--force", "C:\\Music\\a.mp3", "40"});
    EXPECT_EQ(forced.status, ExitCode::OK);
    EXPECT_EQ(forced.out, "\"a.mp3[1000]\"=165: starts at 40 with the reference at 130\n");
}

// Every file and folder on the simulated drive C:.
std::set<std::string> everythingOnC() {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(sim::linuxPath("C:\\"))) {
        names.insert(entry.path().string());
    }
    return names;
}

// With no player installed: read-only commands and dry runs leave the disk as they found
// it, set writes into no database it was not told of, and a database named by hand is
// made only where its folder is, with a word saying so.
TEST_F(ToolExitStatus, NothingIsCreatedThatTheListenerDidNotAskFor) {
    std::filesystem::remove_all(sim::linuxPath("C:\\Program Files"));
    sim::writeFile("C:\\Lists\\all.m3u", "C:\\Music\\a.mp3\r\n");
    const std::set<std::string> before = everythingOnC();
    for (auto words : {std::vector<std::string>{"list"}, std::vector<std::string>{"stats", "C:\\Music"},
                       std::vector<std::string>{"show", "C:\\Music\\a.mp3"},
                       std::vector<std::string>{"clean", "--dry-run", "C:\\Lists\\all.m3u"},
                       std::vector<std::string>{"trim", "--dry-run", "C:\\Music"},
                       std::vector<std::string>{"set", "--force", "C:\\Music\\a.mp3", "100"},
                       std::vector<std::string>{"remove", "--force", "--key", "a.mp3[1000]"}}) {
        dbtool::Run run = dbtool::run(words);
        EXPECT_EQ(run.status, ExitCode::DATABASE_MISSING) << words[0] << run.err;
        EXPECT_EQ(run.err.rfind("loudmark-db: no volume database at C:\\Users\\listener\\AppData\\Roaming\\Loudmark\\volume.ini\n", 0), 0u)
            << words[0] << run.err;
        EXPECT_EQ(everythingOnC(), before) << words[0];
    }
    dbtool::Run mistyped = dbtool::run({"set", "--force", "--database", "C:\\Nowhere\\volume.ini", "--key", "a.mp3[1]", "9"});
    EXPECT_EQ(mistyped.status, ExitCode::DATABASE_MISSING);
    EXPECT_EQ(everythingOnC(), before);
    dbtool::Run named = dbtool::run({"set", "--force", "--database", "C:\\Lists\\volum.ini", "--key", "a.mp3[1]", "9"});
    EXPECT_EQ(named.status, ExitCode::OK) << named.err;
    EXPECT_EQ(named.out, "A new database: C:\\Lists\\volum.ini\n\"a.mp3[1]\"=134: starts at 9 with the reference at 130\n");
    EXPECT_EQ(sim::readFile("C:\\Lists\\volum.ini"), DATABASE_HEADER + "\"a.mp3[1]\"=134\r\n");
}

// A database the listener made read-only keeps its attribute (the tool refuses it), and a
// folder that cannot be written is named with the system's reason; neither leaves a file.
TEST_F(ToolExitStatus, ADatabaseOrFolderThatCannotBeWrittenIsNamedWithTheSystemsReason) {
    ASSERT_TRUE(SetFileAttributesA(DATABASE_PATH, FILE_ATTRIBUTE_READONLY));
    dbtool::Run readOnly = tool({"set", "--force", "C:\\Music\\a.mp3", "40"});
    EXPECT_EQ(readOnly.status, ExitCode::WRITE_FAILED);
    EXPECT_EQ(readOnly.err, std::string("loudmark-db: ") + DATABASE_PATH +
                                " is read-only: it is left as it is (clear its read-only attribute to let it be changed)\n");
    EXPECT_EQ(sim::readFile(DATABASE_PATH), RECORDS);
    EXPECT_TRUE(GetFileAttributesA(DATABASE_PATH) & FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(SetFileAttributesA(DATABASE_PATH, FILE_ATTRIBUTE_NORMAL));

    sim::refuseWritesIn("C:\\Program Files\\Winamp\\Plugins");
    for (auto words : {std::vector<std::string>{"remove", "--force", "--key", "b.mp3[1000]"},
                       std::vector<std::string>{"clean", "--force", "C:\\Music"}}) {
        dbtool::Run folder = tool(words);
        EXPECT_EQ(folder.status, ExitCode::WRITE_FAILED) << words[0];
        EXPECT_NE(folder.err.find(std::string("loudmark-db: ") + REBUILD_PATH +
                                  " cannot be made (Access is denied): the folder cannot be written, and the "
                                  "database is changed through a new copy made beside it\n"),
                  std::string::npos)
            << folder.err;
        EXPECT_EQ(sim::readFile(DATABASE_PATH), RECORDS);
        EXPECT_FALSE(sim::fileExists(REBUILD_PATH));
    }
}

// Without --database the tool finds the player as the installer does, and the database
// where the plug-in would keep it.
TEST_F(ToolExitStatus, TheDefaultDatabaseIsThePluginsFoundThroughTheRegistry) {
    sim::writeFile("D:\\Players\\Winamp\\winamp.exe", "MZ");
    sim::writeFile("D:\\Players\\Winamp\\winamp.ini", "");  // it keeps its settings beside itself
    sim::writeFile("D:\\Players\\Winamp\\Plugins\\volume.ini", RECORDS);
    sim::setRegistryString(HKEY_CURRENT_USER, "Software\\Winamp", "", "C:\\Stale\\Winamp");
    sim::setRegistryString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Winamp",
                           "UninstallString", "\"D:\\Players\\Winamp\\UninstWA.exe\" /S");
    dbtool::Run found = dbtool::run({"stats"});
    EXPECT_EQ(found.status, ExitCode::OK) << found.err;
    EXPECT_NE(found.out.find("Database: D:\\Players\\Winamp\\Plugins\\volume.ini\n"), std::string::npos) << found.out;

    // A Program Files install a standard user cannot write: the player's settings folder.
    sim::setEnvironmentVariable("ProgramFiles(x86)", "C:\\Program Files (x86)");
    sim::writeFile("C:\\Program Files (x86)\\Winamp\\winamp.exe", "MZ");
    // Its settings folder is the one its paths.ini names, as the 5.x installer writes it.
    sim::writeFile("C:\\Program Files (x86)\\Winamp\\paths.ini", "[Winamp]\r\ninidir={26}\\Winamp\r\n");
    sim::writeFile("C:\\Users\\listener\\AppData\\Roaming\\Winamp\\winamp.ini", "");
    sim::refuseWritesIn("C:\\Program Files (x86)\\Winamp");
    sim::setRegistryString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Winamp",
                           "UninstallString", "C:\\Gone\\UninstWA.exe");
    dbtool::Run fallback = dbtool::run({"list"});
    EXPECT_EQ(fallback.status, ExitCode::DATABASE_MISSING);
    EXPECT_EQ(fallback.err,
              "loudmark-db: no volume database at C:\\Users\\listener\\AppData\\Roaming\\Winamp\\Plugins\\volume.ini\n");
}

// A 2.x player has no manifest: run from Program Files on Vista or later by a standard
// user, it is virtualized, and so is the plug-in in it. Its files live in the listener's
// VirtualStore, where the tool, never virtualized itself, finds them. A 5.x player asks
// for asInvoker and never reads that copy (one an old, virtualized tool may have left).
TEST_F(ToolExitStatus, AVirtualized2xPlayersDatabaseIsFoundInTheVirtualStore) {
    const std::string player = "C:\\Program Files (x86)\\Winamp";
    const std::string virtualCopy = sim::virtualStoreFor(player + "\\Plugins\\volume.ini");
    EXPECT_EQ(virtualCopy, "C:\\Users\\listener\\AppData\\Local\\VirtualStore\\Program Files (x86)\\Winamp\\Plugins\\volume.ini");
    sim::setEnvironmentVariable("ProgramFiles(x86)", "C:\\Program Files (x86)");
    sim::writeFile(player + "\\Plugins\\gen_loudmark.dll", "MZ");
    sim::writeFile(player + "\\winamp.exe", "MZ");
    sim::writeFile(virtualCopy, RECORDS);
    sim::refuseWritesIn(player);
    dbtool::Run old = dbtool::run({"stats"});
    EXPECT_EQ(old.status, ExitCode::OK) << old.err;
    EXPECT_EQ(old.out.rfind("Database: " + virtualCopy + "\n", 0), 0u) << old.out;

    sim::writeFile(player + "\\winamp.exe", "MZ <requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>");
    sim::writeFile(player + "\\paths.ini", "[Winamp]\r\ninidir={26}\\Winamp\r\n");
    sim::writeFile("C:\\Users\\listener\\AppData\\Roaming\\Winamp\\Plugins\\volume.ini", RECORDS);
    dbtool::Run modern = dbtool::run({"stats"});
    EXPECT_EQ(modern.out.rfind("Database: C:\\Users\\listener\\AppData\\Roaming\\Winamp\\Plugins\\volume.ini\n", 0), 0u)
        << modern.out;
}

}  // namespace
