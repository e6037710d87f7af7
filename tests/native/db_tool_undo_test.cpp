// A clean against the wrong folder must be neither silent nor final: one that would drop
// more than half of the records asks first (and without a terminal refuses), and every
// writing command keeps the database as it was, from which undo brings back what the
// command removed or changed while keeping whatever was written since.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin_test_support.h"
#include "tool/exit_codes.h"

#include "../tool/db_tool_runner.h"

using namespace testsupport;
using dbtool::database;

namespace {

const std::string INITIAL = database({"\"a.mp3[1000]\"=225", "\"b.mp3[1000]\"=300", "\"c.mp3[1000]\"=100"});
const std::string UNDO_PATH = std::string(DATABASE_PATH) + ".loudmark-undo";
const std::string WHOLE_PATH = std::string(DATABASE_PATH) + ".loudmark-whole";

class ToolUndo : public PluginScenario {
protected:
    void SetUp() override {
        PluginScenario::SetUp();
        sim::destroyWindow(sim::player::window());  // the player is closed
        for (const char* name : {"a.mp3", "b.mp3"}) song(name, 10, 1000);
        sim::writeFile("C:\\Wrong\\x.mp3", "x");
        sim::writeFile(DATABASE_PATH, INITIAL);
    }

    static dbtool::Run tool(std::vector<std::string> words, const std::vector<std::string>* answers = nullptr) {
        words.insert(words.begin() + 1, {"--database", DATABASE_PATH});
        return dbtool::run(words, answers);
    }

    // A record as the tracker writes it, with the player's own profile function.
    static void pluginWrites(const char* key, const char* value) {
        WritePrivateProfileStringA("Tamsel Loudmark", key, value, DATABASE_PATH);
    }
};

TEST_F(ToolUndo, ACleanThatWouldDropMoreThanHalfOfTheRecordsAsksFirst) {
    const std::string said = "loudmark-db: clean would drop 3 of the 3 records: the sources hold 1 song "
                             "(C:\\Wrong: 1)\n";
    dbtool::Run refused = tool({"clean", "C:\\Wrong"});
    EXPECT_EQ(refused.status, ExitCode::SOURCE_UNREADABLE);
    EXPECT_EQ(refused.err, said + "loudmark-db: nothing changed: more than half of the records would go "
                                  "(see --dry-run; --force cleans all the same)\n");
    EXPECT_EQ(sim::readFile(DATABASE_PATH), INITIAL);

    const std::vector<std::string> no = {"n"};
    dbtool::Run declined = tool({"clean", "C:\\Wrong"}, &no);
    EXPECT_EQ(declined.status, ExitCode::SOURCE_UNREADABLE);
    EXPECT_EQ(declined.err, said + "Drop them? [y/N] loudmark-db: nothing changed\n");
    EXPECT_EQ(sim::readFile(DATABASE_PATH), INITIAL);

    const std::vector<std::string> yes = {"y"};
    dbtool::Run agreed = tool({"clean", "C:\\Wrong"}, &yes);
    EXPECT_EQ(agreed.status, ExitCode::OK) << agreed.err;
    EXPECT_EQ(agreed.out, "1 song: 0 records kept, 3 went\n");
    EXPECT_EQ(sim::readFile(DATABASE_PATH), DATABASE_HEADER);  // a named database is emptied, not deleted

    // Half or less goes without a question; --force never asks.
    sim::writeFile(DATABASE_PATH, INITIAL);
    EXPECT_EQ(tool({"clean", "C:\\Music"}).out, "2 songs: 2 records kept, 1 went\n");
    sim::writeFile(DATABASE_PATH, INITIAL);
    EXPECT_EQ(tool({"trim", "--force", "C:\\Wrong"}).status, ExitCode::OK);
    EXPECT_EQ(sim::readFile(DATABASE_PATH), DATABASE_HEADER);
}

TEST_F(ToolUndo, UndoBringsBackWhatACleanRemovedAndKeepsWhatWasWrittenSince) {
    ASSERT_EQ(tool({"clean", "--force", "C:\\Wrong"}).status, ExitCode::OK);
    EXPECT_EQ(sim::readFile(UNDO_PATH), INITIAL);  // the same copy the dialog's Clean keeps
    pluginWrites("\"A.MP3[1000]\"", "200");         // songs played since
    pluginWrites("\"d.mp3[5]\"", "250");
    dbtool::Run undo = tool({"undo"});
    EXPECT_EQ(undo.status, ExitCode::OK) << undo.err;
    EXPECT_EQ(undo.out, "2 records brought back, 0 edits undone, 2 records written since kept\n");
    EXPECT_EQ(sim::readFile(DATABASE_PATH),
              database({"\"a.mp3[1000]\"=200", "\"b.mp3[1000]\"=300", "\"c.mp3[1000]\"=100", "\"d.mp3[5]\"=250"}));
}

TEST_F(ToolUndo, UndoOfAnEditRestoresWhatItChangedUnlessThePluginWroteTheSongSince) {
    sim::writeFile(WHOLE_PATH, INITIAL);  // our files have settled here: the whole copy follows every edit
    ASSERT_EQ(tool({"set", "C:\\Music\\a.mp3", "150"}).status, ExitCode::OK);
    EXPECT_EQ(sim::readFile(WHOLE_PATH), sim::readFile(DATABASE_PATH));
    ASSERT_EQ(tool({"set", "--key", "new.mp3[7]", "100"}).status, ExitCode::OK);
    pluginWrites("\"e.mp3[9]\"", "260");
    dbtool::Run undo = tool({"undo"});
    EXPECT_EQ(undo.out, "0 records brought back, 1 edit undone, 1 record written since kept\n") << undo.err;
    EXPECT_EQ(sim::readFile(DATABASE_PATH),
              database({"\"a.mp3[1000]\"=275", "\"b.mp3[1000]\"=300", "\"c.mp3[1000]\"=100", "\"e.mp3[9]\"=260"}));

    ASSERT_EQ(tool({"remove", "--key", "b.mp3[1000]"}).status, ExitCode::OK);
    EXPECT_EQ(tool({"undo"}).out, "1 record brought back, 0 edits undone, 0 records written since kept\n");
    ASSERT_EQ(tool({"set", "C:\\Music\\b.mp3", "80"}).status, ExitCode::OK);
    ASSERT_EQ(tool({"undo"}).out, "0 records brought back, 1 edit undone, 0 records written since kept\n");
    EXPECT_EQ(sim::readFile(DATABASE_PATH),
              database({"\"a.mp3[1000]\"=275", "\"b.mp3[1000]\"=300", "\"c.mp3[1000]\"=100", "\"e.mp3[9]\"=260"}));

    // The song set was played since, and the plug-in recorded it anew: that stays.
    ASSERT_EQ(tool({"set", "C:\\Music\\a.mp3", "90"}).status, ExitCode::OK);
    pluginWrites("\"a.mp3[1000]\"", "240");
    EXPECT_EQ(tool({"undo"}).out, "0 records brought back, 0 edits undone, 1 record written since kept\n");
    EXPECT_NE(sim::readFile(DATABASE_PATH).find("\"a.mp3[1000]\"=240\r\n"), std::string::npos);
    EXPECT_EQ(sim::readFile(WHOLE_PATH), sim::readFile(DATABASE_PATH));

    DeleteFileA(UNDO_PATH.c_str());
    dbtool::Run nothing = tool({"undo"});
    EXPECT_EQ(nothing.status, ExitCode::DATABASE_MISSING);
    EXPECT_EQ(dbtool::firstLine(nothing.err), "loudmark-db: nothing to undo: no " + UNDO_PATH);
}

}  // namespace
