// The Clean and Trim passes against the player's playlist: what survives, in which order,
// and that no fault of the platform ever costs the listener a record.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "adapters/bounded_text.h"
#include "adapters/host_link.h"
#include "plugin/plugin_record.h"
#include "adapters/settings_store.h"
#include "memory/database_maintenance.h"
#include "player/simulated_player.h"
#include "plugin_test_support.h"
#include "sim/platform.h"

namespace {

using testsupport::DATABASE_HEADER;

constexpr char DATABASE[] = "C:\\Program Files\\Winamp\\Plugins\\volume.ini";
constexpr char REBUILD[] = "C:\\Program Files\\Winamp\\Plugins\\volume.ini.new";

class DatabaseMaintenanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string folder = ::testing::TempDir() + "loudmark-maintenance-" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(system(("rm -rf '" + folder + "'").c_str()), 0);
        sim::reset(folder);
        pluginRecord.hwndParent = sim::player::start();
        HostLink::attach(pluginRecord.hwndParent);
        useDatabase(DATABASE);
        settings = DEFAULT_SETTINGS;
    }

    static void useDatabase(const std::string& path) {
        BoundedText::copy(SettingsStore::databasePath, MAX_PATH, path.c_str());
    }

    // A real file of `size` bytes on the simulated drive, as a playlist entry.
    static sim::player::Entry song(const std::string& name, int size, const std::string& folder = "C:\\Music\\") {
        sim::writeFile(folder + name, std::string(static_cast<size_t>(size), 'x'));
        return sim::player::Entry{folder + name, 180};
    }

    static void database(const std::string& records) { sim::writeFile(DATABASE, DATABASE_HEADER + records); }

    static std::string databaseText() { return sim::fileExists(DATABASE) ? sim::readFile(DATABASE) : "<none>"; }
};

TEST_F(DatabaseMaintenanceTest, AnEmptyPlaylistLeavesNoDatabase) {
    database("\"a.mp3[10]\"=300\r\n");
    DatabaseMaintenance::clean();
    EXPECT_EQ(databaseText(), "<none>");

    database("\"a.mp3[10]\"=300\r\n");
    DatabaseMaintenance::trim();
    EXPECT_EQ(databaseText(), "<none>");
    EXPECT_FALSE(sim::fileExists(REBUILD));
}

TEST_F(DatabaseMaintenanceTest, KeepsOnlyRecordsOfSongsOnThePlaylistInPlaylistOrder) {
    sim::player::setPlaylist({song("c.mp3", 30), song("missing-record.mp3", 5), song("a.mp3", 10)});
    database(
        "\"a.mp3[10]\"=300\r\n"
        "\"b.mp3[20]\"=200\r\n"   // not on the playlist
        "\"c.mp3[30]\"=100\r\n"
        "\"c.mp3[31]\"=400\r\n");  // the same name, another size
    DatabaseMaintenance::clean();
    EXPECT_EQ(databaseText(), DATABASE_HEADER + "\"c.mp3[30]\"=100\r\n\"a.mp3[10]\"=300\r\n");
    EXPECT_FALSE(sim::fileExists(REBUILD));
}

TEST_F(DatabaseMaintenanceTest, ASongWhoseSizeChangedLosesItsRecord) {
    sim::player::Entry entry = song("a.mp3", 10);
    database("\"a.mp3[10]\"=300\r\n");
    song("a.mp3", 11);  // re-tagged since
    sim::player::setPlaylist({entry});
    DatabaseMaintenance::clean();
    EXPECT_EQ(databaseText(), "<none>");
}

TEST_F(DatabaseMaintenanceTest, OneFileOrTwoAlikeGiveOneRecordSpelledAsFirstMet) {
    sim::player::setPlaylist({song("a.mp3", 10, "C:\\Rock\\"), song("A.MP3", 10, "C:\\Pop\\"),
                              song("a.mp3", 10, "C:\\Rock\\"), song("b.mp3", 20)});
    database("\"B.MP3[20]\"=260\r\n\"a.mp3[10]\"=300\r\n");
    DatabaseMaintenance::clean();
    EXPECT_EQ(databaseText(), DATABASE_HEADER + "\"a.mp3[10]\"=300\r\n\"b.mp3[20]\"=260\r\n");
}

TEST_F(DatabaseMaintenanceTest, ValuesAreWrittenAgainAsPlainDecimals) {
    sim::player::setPlaylist({song("a.mp3", 1), song("b.mp3", 2), song("c.mp3", 3), song("d.mp3", 4)});
    database(
        "  \"a.mp3[1]\"  =  0x12c  \r\n"
        "\"b.mp3[2]\"=\"400\"\r\n"
        "\"c.mp3[3]\"=-1\r\n"  // reads as no record
        "\"d.mp3[4]\"=-0x10\r\n");
    DatabaseMaintenance::clean();
    EXPECT_EQ(databaseText(), DATABASE_HEADER + "\"a.mp3[1]\"=300\r\n\"b.mp3[2]\"=400\r\n\"d.mp3[4]\"=-16\r\n");
}

TEST_F(DatabaseMaintenanceTest, TheTrimBandIsTestedOnTheStoredValue) {
    sim::player::setPlaylist({song("v98.mp3", 1), song("v99.mp3", 1), song("v130.mp3", 1), song("v161.mp3", 1),
                              song("v162.mp3", 1), song("v255.mp3", 1)});
    const std::string all =
        "\"v98.mp3[1]\"=98\r\n\"v99.mp3[1]\"=99\r\n\"v130.mp3[1]\"=130\r\n\"v161.mp3[1]\"=161\r\n"
        "\"v162.mp3[1]\"=162\r\n\"v255.mp3[1]\"=255\r\n";
    const std::string outsideBand = "\"v98.mp3[1]\"=98\r\n\"v162.mp3[1]\"=162\r\n\"v255.mp3[1]\"=255\r\n";

    settings.trimTo = 1;
    database(all);
    DatabaseMaintenance::clean();
    EXPECT_EQ(databaseText(), DATABASE_HEADER + all) << "Clean keeps 130 while Always trim is off";

    DatabaseMaintenance::trim();
    EXPECT_EQ(databaseText(), DATABASE_HEADER + outsideBand);

    settings.trim = 1;
    database(all);
    DatabaseMaintenance::clean();
    EXPECT_EQ(databaseText(), DATABASE_HEADER + outsideBand) << "with Always trim on, Clean trims as well";
}

TEST_F(DatabaseMaintenanceTest, TrimChoicesOutsideOneToThreeUseTheNarrowestBand) {
    sim::player::setPlaylist({song("v90.mp3", 1), song("v100.mp3", 1), song("v200.mp3", 1)});
    const std::string all = "\"v90.mp3[1]\"=90\r\n\"v100.mp3[1]\"=100\r\n\"v200.mp3[1]\"=200\r\n";
    for (int choice : {7, -1, 0}) {
        settings.trimTo = choice;
        database(all);
        DatabaseMaintenance::trim();
        EXPECT_EQ(databaseText(), DATABASE_HEADER + "\"v90.mp3[1]\"=90\r\n\"v200.mp3[1]\"=200\r\n") << "choice " << choice;
    }
    settings.trimTo = 3;
    database(all);
    DatabaseMaintenance::trim();
    EXPECT_EQ(databaseText(), DATABASE_HEADER + "\"v200.mp3[1]\"=200\r\n");
}

TEST_F(DatabaseMaintenanceTest, ALeftoverRebuildFileContributesNothing) {
    sim::player::setPlaylist({song("a.mp3", 10), song("b.mp3", 20)});
    database("\"a.mp3[10]\"=300\r\n");
    sim::writeFile(REBUILD, DATABASE_HEADER + "\"b.mp3[20]\"=200\r\n");
    DatabaseMaintenance::clean();
    EXPECT_EQ(databaseText(), DATABASE_HEADER + "\"a.mp3[10]\"=300\r\n");
    EXPECT_FALSE(sim::fileExists(REBUILD));
}

TEST_F(DatabaseMaintenanceTest, FoldersAndLinksGetTheKeyTheirOpenGives) {
    mkdir(sim::linuxPath("C:\\Music\\folder.mp3").c_str(), 0755);
    song("target.mp3", 5);
    ASSERT_EQ(symlink("target.mp3", sim::linuxPath("C:\\Music\\link.mp3").c_str()), 0);
    sim::player::setPlaylist({{"C:\\Music\\folder.mp3", 1}, {"C:\\Music\\link.mp3", 1}, {"C:\\Music\\gone.mp3", 1}});
    database("\"folder.mp3[-1]\"=301\r\n\"link.mp3[5]\"=302\r\n\"gone.mp3[-1]\"=303\r\n\"link.mp3[10]\"=304\r\n");
    DatabaseMaintenance::clean();
    EXPECT_EQ(databaseText(), DATABASE_HEADER + "\"folder.mp3[-1]\"=301\r\n\"link.mp3[5]\"=302\r\n\"gone.mp3[-1]\"=303\r\n");
}

// ---- faults: the database is never left with fewer records than it had

class MaintenanceFaults : public DatabaseMaintenanceTest {
protected:
    void SetUp() override {
        DatabaseMaintenanceTest::SetUp();
        sim::player::setPlaylist({song("a.mp3", 10), song("b.mp3", 20)});
        database(before);
    }
    const std::string before = "\"a.mp3[10]\"=300\r\n\"b.mp3[20]\"=140\r\n\"c.mp3[30]\"=200\r\n";
};

TEST_F(MaintenanceFaults, ARebuildFileThatCouldNotBeWrittenWholeReplacesNothing) {
    sim::failWritesAfter(REBUILD, 25);
    DatabaseMaintenance::clean();
    EXPECT_EQ(databaseText(), DATABASE_HEADER + before);
    EXPECT_FALSE(sim::fileExists(REBUILD));
}

TEST_F(MaintenanceFaults, ARefusedRenameLeavesTheOldDatabaseWhole) {
    sim::refuseRename(REBUILD);
    DatabaseMaintenance::clean();
    EXPECT_EQ(databaseText(), DATABASE_HEADER + before);
    EXPECT_FALSE(sim::fileExists(REBUILD));
}

TEST_F(MaintenanceFaults, ADatabaseThatCannotBeRemovedStaysAsItWas) {
    sim::refuseDelete(DATABASE);
    DatabaseMaintenance::clean();
    EXPECT_EQ(databaseText(), DATABASE_HEADER + before) << "it cannot be replaced either";

    sim::player::setPlaylist({});
    DatabaseMaintenance::clean();
    EXPECT_EQ(databaseText(), DATABASE_HEADER + before);
}

TEST_F(MaintenanceFaults, ADatabaseHeldOpenElsewhereStaysAsItWas) {
    HANDLE reader = CreateFileA(DATABASE, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DatabaseMaintenance::clean();
    CloseHandle(reader);
    EXPECT_EQ(databaseText(), DATABASE_HEADER + before);
    EXPECT_FALSE(sim::fileExists(REBUILD));
}

TEST_F(MaintenanceFaults, ADatabaseOthersKeepFromBeingReadIsLeftAlone) {
    // Reading fails while this handle is open, deleting does not: a pass that took the
    // unreadable file for an empty one would delete every record.
    HANDLE holder = CreateFileA(DATABASE, GENERIC_READ, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ASSERT_EQ(static_cast<int>(GetPrivateProfileIntA("Tamsel Loudmark", "\"a.mp3[10]\"", -1, DATABASE)), -1);
    DatabaseMaintenance::clean();
    CloseHandle(holder);
    EXPECT_EQ(databaseText(), DATABASE_HEADER + before);
}

TEST_F(MaintenanceFaults, ALeftoverThatCannotBeDeletedIsOverwritten) {
    sim::writeFile(REBUILD, DATABASE_HEADER + "\"c.mp3[30]\"=200\r\n");
    sim::refuseDelete(REBUILD);
    DatabaseMaintenance::clean();
    EXPECT_EQ(databaseText(), DATABASE_HEADER + "\"a.mp3[10]\"=300\r\n\"b.mp3[20]\"=140\r\n");
}

TEST_F(MaintenanceFaults, ARebuildPathBeyondTheLimitLeavesTheDatabaseAlone) {
    // 256 characters: the database fits, its name with ".new" would not.
    std::string folder = "C:\\" + std::string(120, 'f') + "\\" + std::string(120, 'g') + "\\";
    std::string longDatabase = folder + std::string(256 - folder.size() - 4, 'v') + ".ini";
    ASSERT_EQ(longDatabase.size(), 256u);
    sim::writeFile(longDatabase, DATABASE_HEADER + before);
    useDatabase(longDatabase);
    DatabaseMaintenance::clean();
    EXPECT_EQ(sim::readFile(longDatabase), DATABASE_HEADER + before);

    sim::player::setPlaylist({});
    DatabaseMaintenance::trim();
    EXPECT_EQ(sim::readFile(longDatabase), DATABASE_HEADER + before) << "not even deleted when nothing would survive";
}

}  // namespace

namespace {

// Any list of songs, as the database tool hands the pass the listener's own files.
struct Paths {
    std::vector<std::string> paths;
    static bool pathOf(void* context, int index, char* path, size_t capacity) {
        return BoundedText::copy(path, capacity, static_cast<Paths*>(context)->paths[index].c_str());
    }
    DatabaseMaintenance::SongList list() { return {static_cast<int>(paths.size()), pathOf, nullptr, this}; }
};

struct Dropped {
    std::vector<std::string> lines;
    static void note(void* context, const char* key, size_t length, int value, DatabaseMaintenance::DropReason why) {
        std::string reason = why == DatabaseMaintenance::DropReason::Trimmed ? " trimmed" : " not listed";
        static_cast<Dropped*>(context)->lines.push_back(std::string(key, length) + "=" + std::to_string(value) + reason);
    }
};

TEST_F(DatabaseMaintenanceTest, ADryRunTellsWhatWouldGoAndWhyAndChangesNothing) {
    Paths songs{{song("a.mp3", 10).path, song("b.mp3", 20).path, "C:\\Music\\none.mp3"}};
    const std::string before = DATABASE_HEADER + "\"x.mp3[1]\"=300\r\n\"a.mp3[10]\"=300\r\n\"b.mp3[20]\"=130\r\n";
    sim::writeFile(DATABASE, before);
    sim::writeFile(REBUILD, "left over");
    Dropped dropped;
    DatabaseMaintenance::PassOptions options;
    options.trimming = true;
    options.dryRun = true;
    options.onDropped = Dropped::note;
    options.context = &dropped;

    DatabaseMaintenance::PassReport report = DatabaseMaintenance::rebuild(songs.list(), options, DATABASE);
    EXPECT_TRUE(report.done);
    EXPECT_EQ(report.kept, 1u);
    EXPECT_EQ(report.dropped, 2u);
    EXPECT_EQ(report.trimmed, 1u);
    EXPECT_EQ(dropped.lines, (std::vector<std::string>{"\"x.mp3[1]\"=300 not listed", "\"b.mp3[20]\"=130 trimmed"}));
    EXPECT_EQ(sim::readFile(DATABASE), before);
    EXPECT_EQ(sim::readFile(REBUILD), "left over");
}

TEST_F(DatabaseMaintenanceTest, WithoutASecondThreadThePassGivesTheSameDatabase) {
    Paths songs;
    std::string records;
    for (int i = 0; i < 600; ++i) {  // enough to be shared between two threads
        std::string name = "song" + std::to_string(i) + ".mp3";
        songs.paths.push_back(song(name, 100 + i).path);
        if (i % 3 == 0) records += "\"" + name + "[" + std::to_string(100 + i) + "]\"=" + std::to_string(i) + "\r\n";
    }
    database(records + "\"gone.mp3[1]\"=5\r\n");
    DatabaseMaintenance::PassOptions options;
    ASSERT_TRUE(DatabaseMaintenance::rebuild(songs.list(), options, DATABASE).done);
    std::string withThreads = databaseText();
    EXPECT_EQ(withThreads, DATABASE_HEADER + records);

    database(records + "\"gone.mp3[1]\"=5\r\n");
    sim::refuseThreads(true);
    ASSERT_TRUE(DatabaseMaintenance::rebuild(songs.list(), options, DATABASE).done);
    EXPECT_EQ(databaseText(), withThreads);
}

TEST(DatabaseMaintenanceOptions, FollowTheTrimSettingsAsTheDialogHoldsThem) {
    DatabaseMaintenance::PassOptions clean = DatabaseMaintenance::optionsFor(false, 0, 2, false);
    EXPECT_FALSE(clean.trimming);
    EXPECT_EQ(clean.band.lower, 82u);  // 18%
    EXPECT_EQ(clean.band.upper, 178u);
    EXPECT_FALSE(clean.keepEmptyDatabase);
    EXPECT_FALSE(clean.dryRun);

    DatabaseMaintenance::PassOptions alwaysTrim = DatabaseMaintenance::optionsFor(false, 1, -1, true);
    EXPECT_TRUE(alwaysTrim.trimming);
    EXPECT_EQ(alwaysTrim.band.lower, 98u) << "no choice read is the narrowest band, 12%";
    EXPECT_EQ(alwaysTrim.band.upper, 162u);
    EXPECT_TRUE(alwaysTrim.keepEmptyDatabase);

    DatabaseMaintenance::PassOptions trim = DatabaseMaintenance::optionsFor(true, 0, 3, false);
    EXPECT_TRUE(trim.trimming);
    EXPECT_EQ(trim.band.lower, 66u);  // 24%
    EXPECT_EQ(trim.band.upper, 194u);
}

}  // namespace
