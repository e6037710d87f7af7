// What list, stats and remove make of a database: every record as the plug-in reads it,
// in the order asked for, in formats a spreadsheet or a script reads back, and the odd
// lines (a name with '=', a key that is no song key) removable by the key list shows.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "plugin_test_support.h"

#include "../tool/db_tool_runner.h"

using namespace testsupport;

namespace {


class ToolListing : public PluginScenario {
protected:
    void SetUp() override {
        PluginScenario::SetUp();
        sim::writeFile(DATABASE_PATH, DATABASE_HEADER +
                                          "\"b, live.mp3[20]\"=300\r\n"
                                          "\"a=b.mp3[7]\"=200\r\n"
                                          "\"Caf\xE9.mp3[30]\"=100\r\n"
                                          "\"A.mp3[10]\"=600\r\n"
                                          "stray=250\r\n");
        song("A.mp3", 10, 10);
        song("b.mp3", 10, 20);
    }

    static dbtool::Run tool(std::vector<std::string> words) {
        words.insert(words.begin() + 1, {"--database", DATABASE_PATH});
        return dbtool::run(words);
    }
};

TEST_F(ToolListing, ListSortsAndWritesCsvAndJsonThatReadBack) {
    dbtool::Run byName = tool({"list", "--sort", "name", "--format", "csv"});
    EXPECT_EQ(byName.out,
              "name,size,value,steps,volume,never_matched\n"
              "A.mp3,10,600,345,255,\n"
              "a=b.mp3,7,200,-55,75,'=' in the name\n"
              "\"b, live.mp3\",20,300,45,175,\n"
              "Caf\xE9.mp3,30,100,-155,0,\n"
              "stray,,250,-5,125,not a song key\n");
    dbtool::Run json = tool({"list", "--sort", "distance", "--format", "json", "--reference", "200"});
    EXPECT_EQ(json.out,
              "{\"database\":\"C:\\\\Program Files\\\\Winamp\\\\Plugins\\\\volume.ini\",\"reference\":200,\"records\":[\n"
              "{\"name\":\"A.mp3\",\"size\":10,\"value\":600,\"steps\":345,\"volume\":255,\"never_matched\":null},\n"
              "{\"name\":\"Caf\\u00e9.mp3\",\"size\":30,\"value\":100,\"steps\":-155,\"volume\":45,\"never_matched\":null},\n"
              "{\"name\":\"a=b.mp3\",\"size\":7,\"value\":200,\"steps\":-55,\"volume\":145,\"never_matched\":\"'=' in the name\"},\n"
              "{\"name\":\"b, live.mp3\",\"size\":20,\"value\":300,\"steps\":45,\"volume\":245,\"never_matched\":null},\n"
              "{\"name\":\"stray\",\"size\":null,\"value\":250,\"steps\":-5,\"volume\":195,"
              "\"never_matched\":\"not a song key\"}\n]}\n");
}

TEST_F(ToolListing, StatsCountsWhatTheSongsMatchAndHowTheValuesSpread) {
    dbtool::Run stats = tool({"stats", "C:\\Music"});
    EXPECT_EQ(stats.status, 3);  // the stray line
    EXPECT_EQ(stats.out,
              "Database: C:\\Program Files\\Winamp\\Plugins\\volume.ini\n"
              "  named with --database\n"
              "Records: 5 (2 never matched)\n"
              "The 2 songs in the sources match 1 record; 4 records match no song.\n"
              "Stored values: lowest 100, median 250, highest 600\n"
              "Steps from the reference (stored value - 255):\n"
              "    -160 ..   -129          1  ########################################\n"
              "     -64 ..    -33          1  ########################################\n"
              "     -32 ..     -1          1  ########################################\n"
              "     +32 ..    +63          1  ########################################\n"
              "    +224 ..    ...          1  ########################################\n"
              "Inside the trim bands: 12% 1, 18% 1, 24% 1\n");
}

TEST_F(ToolListing, RemoveTakesTheKeysAsListShowsThem) {
    EXPECT_EQ(tool({"remove", "--force", "--key", "a=b.mp3[7]"}).out, "\"a: removed\n");
    dbtool::Run stray = tool({"remove", "--force", "--key", "stray"});
    EXPECT_EQ(stray.out, "stray: removed\n");
    EXPECT_EQ(tool({"remove", "--force", "--key", "\"b, live.mp3[20]\"", }).out, "\"b, live.mp3[20]\": removed\n");
    EXPECT_EQ(tool({"remove", "--force", "--key", "nothing.mp3[1]"}).out, "\"nothing.mp3[1]\": no record\n");
    EXPECT_EQ(sim::readFile(DATABASE_PATH), DATABASE_HEADER + "\"Caf\xE9.mp3[30]\"=100\r\n\"A.mp3[10]\"=600\r\n");
}

// One line of each kind, and what every command makes of it: list marks it (or not), the
// line check reports it (or not), clean keeps it (or not) with every song it could be
// present, and stats counts as list marks and as clean keeps.
TEST_F(ToolListing, ListTheLineCheckStatsAndCleanAgreeOnEveryLine) {
    struct Line {
        const char* text;
        int value;          // unique: finds the line in list's table
        const char* mark;   // list's "never matched" reason, "" for none
        bool reported;      // by the line check, as "not a song key"
        bool kept;          // by clean, with every song present
    };
    const Line lines[] = {
        {"\"A.mp3[10]\"=300", 300, "", false, true},
        {"\"missing.mp3[-1]\"=250", 250, "", false, true},  // its file is missing: keyed with -1
        {"\"x[abc]\"=5", 5, "not a song key", true, false},
        {"\"a=b.mp3[7]\"=200", 200, "'=' in the name", false, false},
        {"\"b.mp3[+20]\"=3", 3, "not a song key", true, false},
        {"\"b.mp3[020]\"=4", 4, "not a song key", true, false},
        {"stray=1", 1, "not a song key", true, false},
        {"\"b.mp3[20]\"=6", 6, "", false, true},
    };
    std::string database = DATABASE_HEADER;
    for (const Line& line : lines) database += std::string(line.text) + "\r\n";
    sim::writeFile(DATABASE_PATH, database);
    sim::writeFile("C:\\Music\\all.m3u", "A.mp3\r\nb.mp3\r\nmissing.mp3\r\n");

    dbtool::Run list = tool({"list"});
    dbtool::Run stats = tool({"stats", "C:\\Music\\all.m3u"});
    dbtool::Run clean = tool({"clean", "--force", "C:\\Music\\all.m3u"});
    const std::string cleaned = sim::readFile(DATABASE_PATH);
    size_t marked = 0;
    size_t kept = 0;
    for (size_t i = 0; i < sizeof lines / sizeof lines[0]; ++i) {
        const Line& line = lines[i];
        SCOPED_TRACE(line.text);
        std::smatch row;
        std::regex rowOf("\\n +" + std::to_string(line.value) + " [^\\n]*?(   <- never matched: ([^\\n]*))?\\n");
        ASSERT_TRUE(std::regex_search(list.out, row, rowOf)) << list.out;
        EXPECT_EQ(row[2].str(), line.mark);
        std::string report = "volume.ini:" + std::to_string(i + 2) + ": not a song key";
        EXPECT_EQ(list.err.find(report) != std::string::npos, line.reported) << list.err;
        EXPECT_EQ(cleaned.find(std::string(line.text) + "\r\n") != std::string::npos, line.kept) << cleaned;
        marked += line.mark[0] != '\0' ? 1 : 0;
        kept += line.kept ? 1 : 0;
    }
    EXPECT_NE(stats.out.find("Records: 8 (" + std::to_string(marked) + " never matched)\n"), std::string::npos) << stats.out;
    EXPECT_NE(stats.out.find(" match " + std::to_string(kept) + " records; " + std::to_string(8 - kept) +
                             " records match no song.\n"),
              std::string::npos)
        << stats.out;
    // The lines clean dropped are said to be dropped, and leave no trouble behind.
    EXPECT_EQ(clean.status, 0) << clean.err;
    EXPECT_NE(clean.err.find("loudmark-db: dropped 4 lines of "), std::string::npos) << clean.err;
}

// The platform compares keys regardless of the case of ASCII letters, and reads the first
// of equal keys: a later line in another case becomes the record once the first goes. So
// set and remove take every such line together, and say how many there were.
TEST_F(ToolListing, SetAndRemoveTakeEveryLineThePluginCouldReadAsTheSongsRecord) {
    song("track3.ogg", 10, 6000);
    const std::string twice = DATABASE_HEADER + "\"track3.ogg[6000]\"=100\r\n\"A.mp3[10]\"=600\r\n\"TRACK3.OGG[6000]\"=50\r\n";
    sim::writeFile(DATABASE_PATH, twice);
    dbtool::Run atReference = tool({"set", "--force", "C:\\Music\\track3.ogg", "130"});
    EXPECT_EQ(atReference.out, "\"track3.ogg[6000]\": at the reference volume, so no record (it starts at the reference); "
                               "2 lines removed\n");
    EXPECT_EQ(sim::readFile(DATABASE_PATH), DATABASE_HEADER + "\"A.mp3[10]\"=600\r\n");

    sim::writeFile(DATABASE_PATH, twice);
    EXPECT_EQ(tool({"set", "--force", "C:\\Music\\track3.ogg", "100"}).out,
              "\"track3.ogg[6000]\"=225: starts at 100 with the reference at 130 (it stood on 2 lines, now on one)\n");
    EXPECT_EQ(sim::readFile(DATABASE_PATH), DATABASE_HEADER + "\"A.mp3[10]\"=600\r\n\"track3.ogg[6000]\"=225\r\n");
    EXPECT_NE(tool({"show", "C:\\Music\\track3.ogg"}).out.find("  volume:    100 at reference 130\n"), std::string::npos);

    sim::writeFile(DATABASE_PATH, twice);
    EXPECT_EQ(tool({"remove", "--force", "--key", "Track3.ogg[6000]"}).out, "\"Track3.ogg[6000]\": removed (2 lines)\n");
    EXPECT_EQ(sim::readFile(DATABASE_PATH), DATABASE_HEADER + "\"A.mp3[10]\"=600\r\n");
}

// A volume.ini an editor saved as Unicode text, which Windows' profile functions cannot
// read: a reading command reads it as the plug-in will once it is plain text again, and
// leaves it as it is; a writing command first writes it back as plain text, and says so.
TEST_F(ToolListing, ADatabaseSavedAsUnicodeTextIsReadAsThePluginWillReadItAndMadePlainBeforeAWrite) {
    const std::string utf8 = "\xEF\xBB\xBF" + dbtool::database({"\"Caf\xC3\xA9.mp3[30]\"=100", "\"A.mp3[10]\"=600"});
    std::string utf16 = "\xFF\xFE";
    for (char c : dbtool::database({"\"Caf\xE9.mp3[30]\"=100", "\"A.mp3[10]\"=600"})) utf16 += std::string{c, '\0'};
    const std::string readAs = std::string("loudmark-db: ") + DATABASE_PATH +
                               " was saved as Unicode text (it begins with a byte-order mark): read as the plug-in "
                               "will read it once it is plain text again, and left as it is\n";
    for (const std::string& unicode : {utf8, utf16}) {
        sim::writeFile(DATABASE_PATH, unicode);
        dbtool::Run list = tool({"list", "--format", "csv"});
        EXPECT_EQ(list.status, 0) << list.err;
        EXPECT_EQ(list.out, "name,size,value,steps,volume,never_matched\nCaf\xE9.mp3,30,100,-155,0,\nA.mp3,10,600,345,255,\n");
        EXPECT_EQ(list.err, readAs);
        dbtool::Run show = tool({"show", "C:\\Music\\A.mp3"});
        EXPECT_NE(show.out.find("  record:    600 (345 steps above the reference)\n"), std::string::npos) << show.out;
        dbtool::Run dry = tool({"clean", "--dry-run", "C:\\Music"});
        EXPECT_EQ(dry.status, 2);
        EXPECT_NE(dry.err.find(" was saved as Unicode text (it begins with a byte-order mark): the plug-in's pass reads "
                               "only plain text, and a dry run leaves the file as it is\n"),
                  std::string::npos)
            << dry.err;
        EXPECT_EQ(sim::readFile(DATABASE_PATH), unicode);
    }
    dbtool::Run set = tool({"set", "--force", "C:\\Music\\A.mp3", "100"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(set.err, std::string("loudmark-db: ") + DATABASE_PATH +
                           " was saved as Unicode text (it begins with a byte-order mark), which Windows' profile "
                           "functions cannot read: written back as plain text, every line kept\n");
    EXPECT_EQ(sim::readFile(DATABASE_PATH), dbtool::database({"\"Caf\xE9.mp3[30]\"=100", "\"A.mp3[10]\"=225"}));
}

}  // namespace
