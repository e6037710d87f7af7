// The fast pass and the step-by-step pass must both leave the file an independent
// reading of the rules gives (maintenance_oracle.h), byte for byte, whatever the
// database holds; and whatever they leave keeps only playlist songs' records, unchanged.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "adapters/bounded_text.h"
#include "adapters/host_link.h"
#include "plugin/plugin_record.h"
#include "adapters/settings_store.h"
#include "maintenance_oracle.h"
#include "memory/database_maintenance.h"
#include "memory/database_maintenance_literal.h"
#include "memory/song_paths.h"
#include "player/simulated_player.h"
#include "sim/platform.h"

namespace {

constexpr char DATABASE[] = "C:\\Plugins\\volume.ini";
constexpr char REBUILD[] = "C:\\Plugins\\volume.ini.new";

struct Outcome {
    std::optional<std::string> database;
    bool leftover;
};

bool operator==(const Outcome& a, const Outcome& b) { return a.database == b.database && a.leftover == b.leftover; }

std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    out << (o.database ? "\"" + *o.database + "\"" : std::string("<no database>"));
    return out << (o.leftover ? " with a rebuild file left" : "");
}

using maintenanceoracle::Song;

// Songs on the drive with the sizes SetUp gives them (a missing file, a folder and a path
// beyond the platform's limit have none; a link has its target's).
const Song A{"C:\\Music\\a.mp3", 10};
const Song B{"C:\\Music\\b.mp3", 20};
const Song A_ELSEWHERE{"C:\\Other\\a.mp3", 10};
const Song A_UPPER{"C:\\Pop\\A.MP3", 10};
const Song A_UMLAUT{"C:\\Music\\\xC4.mp3", 5};
const Song FOLDER{"C:\\Music\\folder.mp3", -1};
const Song LINK{"C:\\Music\\link.mp3", 10};
const Song GONE{"C:\\Music\\gone.mp3", -1};
const Song EQUALS{"C:\\Music\\a=b.mp3", 2};  // no key: '=' cannot stand in one
const Song SLASHED{"C:/Music/b.mp3", 20};      // named by the whole path: no backslash

Song longPath() { return {"C:\\" + std::string(200, 'd') + "\\" + std::string(200, 'e') + "\\long.mp3", -1}; }
Song tooLongPath() { return {"C:\\" + std::string(600, 'z') + "\\x.mp3", -1}; }

class MaintenanceParity : public ::testing::Test {
protected:
    void SetUp() override {
        std::string folder = ::testing::TempDir() + "loudmark-parity-" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(system(("rm -rf '" + folder + "'").c_str()), 0);
        sim::reset(folder);
        // A database saved with a byte-order mark: the pass writes it back as plain text
        // first, which keeps what Wine reads in it, so that is the reference's reading.
        sim::readProfileEncodingsAsWine(true);
        pluginRecord.hwndParent = sim::player::start();
        HostLink::attach(pluginRecord.hwndParent);
        BoundedText::copy(SettingsStore::databasePath, MAX_PATH, DATABASE);
        settings = DEFAULT_SETTINGS;

        for (const Song& song : {A, B, A_ELSEWHERE, A_UPPER, A_UMLAUT, EQUALS}) {
            sim::writeFile(song.path, std::string(static_cast<size_t>(song.size), 'x'));
        }
        sim::writeFile("C:\\Plugins\\gen_loudmark.dll", "MZ");
        mkdir(sim::linuxPath(FOLDER.path).c_str(), 0755);
        ASSERT_EQ(symlink("a.mp3", sim::linuxPath(LINK.path).c_str()), 0);
    }

    void playlist(const std::vector<Song>& list) {
        songs = list;
        std::vector<sim::player::Entry> entries;
        for (const Song& song : list) entries.push_back({song.path, 200});
        sim::player::setPlaylist(entries);
    }

    static Outcome run(void (*pass)(bool), const std::optional<std::string>& database, bool forceTrim) {
        DeleteFileA(DATABASE);
        DeleteFileA(REBUILD);
        if (database) sim::writeFile(DATABASE, *database);
        pass(forceTrim);
        Outcome out{std::nullopt, sim::fileExists(REBUILD)};
        if (sim::fileExists(DATABASE)) out.database = sim::readFile(DATABASE);
        return out;
    }

    // Runs both passes over the same database; each must leave what the oracle works
    // out, and nothing but unchanged records of playlist songs. Returns the expected file.
    Outcome expectSameResult(const std::optional<std::string>& database, bool forceTrim) {
        const Outcome expected{maintenanceoracle::expectedDatabase(database, songs, forceTrim || settings.trim != 0,
                                                                   settings.trimTo),
                               false};
        Outcome reference = run(DatabaseMaintenance::rebuildLiteral, database, forceTrim);
        Outcome fast = run([](bool trim) { DatabaseMaintenance::rebuild(trim); }, database, forceTrim);
        std::ostringstream when;
        when << "database before: " << (database ? *database : "<none>") << "\ntrim " << settings.trim << ", trimTo "
             << settings.trimTo << ", forced " << forceTrim;
        EXPECT_EQ(reference, expected) << "the per-key pass; " << when.str();
        EXPECT_EQ(fast, expected) << "the fast pass; " << when.str();
        EXPECT_EQ(maintenanceoracle::brokenInvariant(database, fast.database, songs), "") << when.str();
        EXPECT_EQ(maintenanceoracle::brokenInvariant(database, reference.database, songs), "") << when.str();
        return expected;
    }

    std::vector<Song> songs;
};

const std::vector<Song> EVERY_KIND = {A,    B,      A_ELSEWHERE, A_UPPER, A_UMLAUT,   FOLDER,       LINK,
                                      GONE, EQUALS, SLASHED,     A,       longPath(), tooLongPath()};

// Records for every key the playlist gives, with values around and inside the bands.
const std::string PLAIN =
    "[Tamsel Loudmark]\r\n\"a.mp3[10]\"=300\r\n\"b.mp3[20]\"=100\r\n\"\xC4.mp3[5]\"=130\r\n"
    "\"folder.mp3[-1]\"=400\r\n\"link.mp3[10]\"=98\r\n\"gone.mp3[-1]\"=162\r\n\"C:/Music/b.mp3[20]\"=70\r\n"
    "\"long.mp3[-1]\"=190\r\n\"x.mp3[-1]\"=5\r\n\"other.mp3[1]\"=300\r\n";

const std::vector<std::optional<std::string>> ODD_DATABASES = {
    std::nullopt,
    std::string(),
    PLAIN,
    // letter case, blanks, and the first of equal keys
    "[Tamsel Loudmark]\r\n  \"A.MP3[10]\"   =   250  \r\n\"a.mp3[10]\"=300\r\n\"B.mp3[20]\"=\t99\t\r\n"
    "\"\xE4.mp3[5]\"=301\r\n\"\xC4.MP3[5]\"=302\r\n",
    // lines without '=', comments, nameless lines, a later section of the same name
    "[Tamsel Loudmark]\r\n\"a.mp3[10]\"\r\n\"a.mp3[10]\"=300\r\n;\"b.mp3[20]\"=5\r\n=1\r\n=2\r\n"
    "\"link.mp3[10]\"=260\r\n[Other]\r\n\"b.mp3[20]\"=200\r\n[TAMSEL LOUDMARK]\r\n\"gone.mp3[-1]\"=222\r\n",
    // values the platform reads its own way
    "[Tamsel Loudmark]\r\n\"a.mp3[10]\"=0x12C\r\n\"b.mp3[20]\"=\"400\"\r\n\"\xC4.mp3[5]\"='140'\r\n"
    "\"folder.mp3[-1]\"=300abc\r\n\"link.mp3[10]\"=12.7\r\n\"gone.mp3[-1]\"=\r\n\"C:/Music/b.mp3[20]\"=abc\r\n"
    "\"long.mp3[-1]\"=0000000000000000000000000000300\r\n",
    "[Tamsel Loudmark]\r\n\"a.mp3[10]\"=-1\r\n\"b.mp3[20]\"=4294967295\r\n\"\xC4.mp3[5]\"=99999999999\r\n"
    "\"folder.mp3[-1]\"=-0x10\r\n\"link.mp3[10]\"=+7\r\n\"gone.mp3[-1]\"=0b10000000\r\n\"C:/Music/b.mp3[20]\"=0X1f\r\n"
    "\"long.mp3[-1]\"=\"\"\r\n",
    // other line ends, no final line end, keys before any header, a header with blanks
    "\"a.mp3[10]\"=1\n[ tamsel loudmark ]  junk\n\"a.mp3[10]\"=300\n\"b.mp3[20]\"=260",
    "[Tamsel Loudmark]\r\"a.mp3[10]\"=300\r\"b.mp3[20]\"=260\r",
    // a byte-order mark makes the file UTF-8
    "\xEF\xBB\xBF[Tamsel Loudmark]\r\n\"\xC3\x84.mp3[5]\"=300\r\n\"a.mp3[10]\"=\xC3\xA4\r\n\"b.mp3[20]\"=210\r\n",
    // only other sections
    "[Other]\r\n\"a.mp3[10]\"=300\r\n",
};

TEST_F(MaintenanceParity, OddDatabasesGiveTheSameFileEitherWay) {
    playlist(EVERY_KIND);
    int nonEmpty = 0;
    for (const std::optional<std::string>& database : ODD_DATABASES) {
        for (int trimTo : {-1, 2, 3}) {
            for (int alwaysTrim : {0, 1}) {
                settings.trimTo = trimTo;
                settings.trim = alwaysTrim;
                for (bool forceTrim : {false, true}) {
                    Outcome reference = expectSameResult(database, forceTrim);
                    if (reference.database) ++nonEmpty;
                }
            }
        }
    }
    EXPECT_GT(nonEmpty, 50) << "most runs should keep something to compare";
}

TEST_F(MaintenanceParity, PlaylistsThatKeepNothingGiveNoDatabaseEitherWay) {
    for (const std::vector<Song>& list : {std::vector<Song>{}, std::vector<Song>{GONE, EQUALS}, std::vector<Song>{tooLongPath()}}) {
        playlist(list);
        Outcome reference = expectSameResult(std::string("[Tamsel Loudmark]\r\n\"a.mp3[10]\"=300\r\n"), false);
        EXPECT_FALSE(reference.database.has_value());
    }
}

TEST_F(MaintenanceParity, AHostReportingMoreEntriesThanItHas) {
    playlist({A, B});
    sim::player::overrideReportedListLength(5);
    Outcome reference = expectSameResult(PLAIN, false);
    EXPECT_EQ(reference.database, "[Tamsel Loudmark]\r\n\"a.mp3[10]\"=300\r\n\"b.mp3[20]\"=100\r\n");
}

// A playlist longer than the pass takes in one go: a song met again across the seam, in
// other letters, is kept once; one trimmed before the seam stays trimmed after it; and the
// songs right at the seam keep their own records.
TEST_F(MaintenanceParity, APlaylistLongerThanOneChunkGivesTheSameFileEitherWay) {
    std::vector<Song> list(SongPaths::CHUNK + 3, GONE);
    list[0] = B;
    list[SongPaths::CHUNK - 1] = A;
    list[SongPaths::CHUNK] = A_UPPER;
    list[SongPaths::CHUNK + 1] = B;
    list[SongPaths::CHUNK + 2] = A_UMLAUT;
    playlist(list);
    const std::string database = "[Tamsel Loudmark]\r\n\"gone.mp3[-1]\"=120\r\n\"\xC4.mp3[5]\"=301\r\n"
                                 "\"A.MP3[10]\"=300\r\n\"b.mp3[20]\"=250\r\n";
    settings.trimTo = 1;
    Outcome trimmed = expectSameResult(database, true);
    EXPECT_EQ(trimmed.database, "[Tamsel Loudmark]\r\n\"b.mp3[20]\"=250\r\n\"a.mp3[10]\"=300\r\n"
                                "\"\xC4.mp3[5]\"=301\r\n");
}

// Random databases built from the keys the playlist gives, spelled and valued in every
// odd way, against random playlists.
TEST_F(MaintenanceParity, RandomDatabasesGiveTheSameFileEitherWay) {
    const std::vector<std::string> keys = {"\"a.mp3[10]\"", "\"b.mp3[20]\"",      "\"\xC4.mp3[5]\"", "\"folder.mp3[-1]\"",
                                           "\"link.mp3[10]\"", "\"gone.mp3[-1]\"", "\"A.MP3[10]\"",   "\"a.mp3[11]\""};
    const std::vector<std::string> values = {"300", "130", "98",  "99",   "161", "162",   "255",   "-1",   "0x100",
                                             "'200'", "\"7\"", "",  "abc", "12x", "-0x10", "0b111", " 140 ", "+260"};
    const std::vector<std::string> headers = {"[Tamsel Loudmark]", "[tamsel LOUDMARK]", "[Other]", "  [ Tamsel Loudmark ]"};
    std::mt19937 random(20261208);
    auto pick = [&random](size_t count) { return static_cast<size_t>(random() % count); };

    for (int round = 0; round < 150; ++round) {
        std::string database = headers[pick(2)] + "\r\n";
        size_t lines = 1 + pick(14);
        for (size_t i = 0; i < lines; ++i) {
            switch (pick(10)) {
                case 0: database += headers[pick(headers.size())] + "\r\n"; break;
                case 1: database += ";" + keys[pick(keys.size())] + "=1\r\n"; break;
                case 2: database += keys[pick(keys.size())] + "\r\n"; break;
                case 3: database += "  " + keys[pick(keys.size())] + " = " + values[pick(values.size())] + "\n"; break;
                default: database += keys[pick(keys.size())] + "=" + values[pick(values.size())] + "\r\n"; break;
            }
        }
        std::vector<Song> list;
        size_t entries = pick(9);
        for (size_t i = 0; i < entries; ++i) list.push_back(EVERY_KIND[pick(EVERY_KIND.size())]);
        playlist(list);
        settings.trim = static_cast<int>(pick(2));
        settings.trimTo = static_cast<int>(pick(5)) - 1;
        expectSameResult(database, pick(2) == 1);
        if (HasFailure()) break;  // one counterexample is enough to read
    }
}

}  // namespace
