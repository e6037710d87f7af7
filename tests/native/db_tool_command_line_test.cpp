// loudmark-db's command line as the listener meets it: every option a command takes is in
// its help and nothing else is, the help fits a console, and the usual ways of writing
// options work while a mistake is refused, never silently taken.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "plugin_test_support.h"
#include "tool/command_line.h"
#include "tool/exit_codes.h"

#include "../tool/db_tool_runner.h"

using namespace testsupport;

namespace {

struct Named {
    const char* name;
    Command command;
};
const Named COMMANDS[] = {{"list", Command::List},   {"show", Command::Show},   {"set", Command::Set},
                          {"remove", Command::Remove}, {"undo", Command::Undo}, {"clean", Command::Clean},
                          {"trim", Command::Trim},   {"stats", Command::Stats}};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

using ToolCommandLine = PluginScenario;

TEST_F(ToolCommandLine, EveryOptionACommandTakesStandsInItsHelpAndNoOtherDoes) {
    const std::regex option("(^|[^A-Za-z0-9_-])(--[a-z][a-z-]*|-h|/\\?)");
    for (const Named& named : COMMANDS) {
        SCOPED_TRACE(named.name);
        dbtool::Run help = dbtool::run({"help", named.name});
        ASSERT_EQ(help.status, ExitCode::OK);
        EXPECT_EQ(dbtool::run({named.name, "--help"}).out, help.out);
        std::set<std::string> documented;
        for (auto it = std::sregex_iterator(help.out.begin(), help.out.end(), option); it != std::sregex_iterator(); ++it) {
            documented.insert((*it)[2]);
        }
        std::vector<const char*> words = CommandLine::optionsOf(named.command);
        EXPECT_EQ(documented, std::set<std::string>(words.begin(), words.end()));
        for (const std::string& line : linesOf(help.out)) {
            EXPECT_LE(line.size(), 80u) << line;
            // An option's description starts at column 24, after two blanks at least.
            if (line.compare(0, 3, "  -") != 0) continue;
            size_t label = line.find("  ", 2);
            EXPECT_EQ(line.find_first_not_of(' ', label), 24u) << line;
        }
    }
    for (const std::string& line : linesOf(dbtool::run({"help"}).out)) EXPECT_LE(line.size(), 80u) << line;
}

TEST_F(ToolCommandLine, OptionsTakeTheirValuesEitherWayAndARepeatedOneIsRefused) {
    sim::writeFile(DATABASE_PATH, dbtool::database({"\"a.mp3[1]\"=300", "\"b.mp3[1]\"=250", "\"c.mp3[1]\"=200"}));
    dbtool::Run equals = dbtool::run({"list", "--database=C:\\Program Files\\Winamp\\Plugins\\volume.ini", "--format=csv",
                                      "--sort=value"});
    EXPECT_EQ(equals.status, ExitCode::OK) << equals.err;
    EXPECT_EQ(equals.out, "name,size,value,steps,volume,never_matched\nc.mp3,1,200,-55,75,\nb.mp3,1,250,-5,125,\n"
                          "a.mp3,1,300,45,175,\n");
    EXPECT_EQ(dbtool::run({"clean", "/?"}).out, dbtool::run({"help", "clean"}).out);

    dbtool::Run twice = dbtool::run({"list", "--sort", "name", "--sort", "value"});
    EXPECT_EQ(twice.status, ExitCode::USAGE);
    EXPECT_EQ(twice.err, "loudmark-db: --sort is given twice\nTry \"loudmark-db help list\".\n");
    EXPECT_EQ(dbtool::run({"set", "--key", "a.mp3[1]", "--key", "b.mp3[1]", "100"}).status, ExitCode::USAGE);
    // remove takes several.
    dbtool::Run removed = dbtool::run({"remove", "--force", "--database", DATABASE_PATH, "--key", "a.mp3[1]", "--key=b.mp3[1]"});
    EXPECT_EQ(removed.out, "\"a.mp3[1]\": removed\n\"b.mp3[1]\": removed\n") << removed.err;
    EXPECT_EQ(sim::readFile(DATABASE_PATH), dbtool::database({"\"c.mp3[1]\"=200"}));

    // With nothing at all, the usage.
    dbtool::Run nothing = dbtool::run({});
    EXPECT_EQ(nothing.status, ExitCode::USAGE);
    EXPECT_EQ(nothing.out, dbtool::run({"help"}).out);
}

}  // namespace
