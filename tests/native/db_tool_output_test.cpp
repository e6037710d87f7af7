// What loudmark-db shows and how: on a console, the text as the console shows it; to a
// file, the ANSI bytes; questions only where someone can answer them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin_test_support.h"
#include "tool/exit_codes.h"

#include "../tool/db_tool_runner.h"

using namespace testsupport;

namespace {

std::string redirected[2];
std::string bothInOrder;  // standard output and error as one screen shows them
int writesOut = 0;

void redirect(Console::Stream stream, const char* text, size_t length) {
    redirected[stream == Console::Stream::Out ? 0 : 1].append(text, length);
    bothInOrder.append(text, length);
    writesOut += stream == Console::Stream::Out;
}

// The tool as main() runs it, on the process's standard streams.
int runOnStandardStreams(const std::vector<std::wstring>& words) {
    redirected[0].clear();
    redirected[1].clear();
    bothInOrder.clear();
    writesOut = 0;
    Console::attachStandardStreams(redirect);
    int status = dbtool::runWide(words);
    dbtool::detach();
    return status;
}

using ToolOutput = PluginScenario;

TEST_F(ToolOutput, OnAConsoleTextIsShownAsTheConsoleShowsItAndRedirectedItIsTheAnsiBytes) {
    sim::writeFile(DATABASE_PATH, dbtool::database({"\"Caf\xE9.mp3[4]\"=300"}));
    sim::writeFile("C:\\Music\\Caf\xC3\xA9.mp3", "1234");
    const std::vector<std::wstring> show = {L"show", L"--database", L"C:\\Program Files\\Winamp\\Plugins\\volume.ini",
                                            L"C:\\Music\\Caf\u00E9.mp3"};
    EXPECT_EQ(runOnStandardStreams(show), ExitCode::OK);
    EXPECT_EQ(redirected[0].substr(0, redirected[0].find('\n')), "C:\\Music\\Caf\xE9.mp3");

    sim::useConsole(STD_OUTPUT_HANDLE, true);
    EXPECT_EQ(runOnStandardStreams(show), ExitCode::OK);
    EXPECT_EQ(redirected[0], "");
    std::wstring shown = sim::consoleText(STD_OUTPUT_HANDLE);
    EXPECT_EQ(shown.substr(0, shown.find(L'\n')), L"C:\\Music\\Caf\u00E9.mp3");
    EXPECT_NE(shown.find(L"  song key:  \"Caf\u00E9.mp3[4]\"\n"), std::wstring::npos);
}

TEST_F(ToolOutput, AQuestionIsAskedOnlyWhereTheListenerCanAnswerIt) {
    sim::destroyWindow(sim::player::window());
    const std::string records = dbtool::database({"\"a.mp3[1]\"=300", "\"b.mp3[1]\"=300"});
    sim::writeFile(DATABASE_PATH, records);
    sim::writeFile("C:\\Wrong\\x.mp3", "x");
    const std::vector<std::wstring> clean = {L"clean", L"--database", L"C:\\Program Files\\Winamp\\Plugins\\volume.ini",
                                             L"C:\\Wrong"};
    sim::useConsole(STD_INPUT_HANDLE, true);
    sim::useConsole(STD_ERROR_HANDLE, true);
    sim::typeIntoConsole(L"n\r\n");
    EXPECT_EQ(runOnStandardStreams(clean), ExitCode::SOURCE_UNREADABLE);
    EXPECT_NE(sim::consoleText(STD_ERROR_HANDLE).find(L"Drop them? [y/N] "), std::wstring::npos);
    EXPECT_EQ(sim::readFile(DATABASE_PATH), records);
    sim::typeIntoConsole(L"y\r\n");
    EXPECT_EQ(runOnStandardStreams(clean), ExitCode::OK);
    EXPECT_EQ(sim::readFile(DATABASE_PATH), DATABASE_HEADER);
}

// A database of thousands of records is listed in a few large writes, not some four
// for each record (each one a call into the system); the note on standard error about a
// line that is no record still comes before the list, where it was written.
TEST_F(ToolOutput, ALongListGoesOutInLargeWritesAndStaysInOrderWithTheErrors) {
    std::string text = DATABASE_HEADER;
    for (int i = 0; i < 2000; ++i) text += "\"song " + std::to_string(i) + ".mp3[4]\"=300\r\n";
    sim::writeFile(DATABASE_PATH, text + "not a record\r\n");
    EXPECT_EQ(runOnStandardStreams({L"list", L"--database", L"C:\\Program Files\\Winamp\\Plugins\\volume.ini"}),
              ExitCode::DATABASE_LINES);
    EXPECT_NE(redirected[0].find("song 1999.mp3[4]\n2,000 records"), std::string::npos);
    EXPECT_LT(writesOut, 20);
    EXPECT_NE(redirected[1].find("not a record"), std::string::npos);
    EXPECT_TRUE(bothInOrder == redirected[1] + redirected[0]) << "the note comes before the list";
}

}  // namespace
