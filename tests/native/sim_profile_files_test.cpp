// The profile-file rules of tests/common/profile_table.h, against the simulated
// platform.
#include "../common/profile_table.h"

#include <gtest/gtest.h>

#include "sim/platform.h"

namespace {

using profiletable::Case;
using profiletable::Op;
using profiletable::Step;

constexpr char FILE_PATH[] = "C:\\profiles\\case.ini";

// What the buffer must hold: the expected bytes, then the fill nobody should touch.
std::string expectedBuffer(const Step& step) {
    std::string out = step.buffer;
    if (out.size() < step.size) out.append(step.size - out.size(), '#');
    return out;
}

std::string describe(const Step& step) {
    std::string what = step.op == Op::ReadInt ? "GetPrivateProfileIntA"
                       : step.op == Op::ReadString ? "GetPrivateProfileStringA"
                       : step.op == Op::ReadSection ? "GetPrivateProfileSectionA"
                                                    : "WritePrivateProfileStringA";
    what += "(" + std::string(step.section ? step.section : "NULL") + ", " + (step.key ? step.key : "NULL") + ", " +
            (step.text ? step.text : "NULL") + ", size " + std::to_string(step.size) + ")";
    return what;
}

}  // namespace

namespace profiletable {
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }
}  // namespace profiletable

namespace {

class ProfileRules : public ::testing::TestWithParam<Case> {};

TEST_P(ProfileRules, AnswerAsTheReferenceDoes) {
    const Case& c = GetParam();
    sim::reset(::testing::TempDir() + "loudmark-profile-rules");
    sim::readProfileEncodingsAsWine(true);  // the table is Wine's answers
    sim::writeFile("C:\\profiles\\keep.txt", "");  // the folder exists
    DeleteFileA(FILE_PATH);
    if (c.before) sim::writeFile(FILE_PATH, *c.before);

    for (const Step& step : c.steps) {
        SCOPED_TRACE(describe(step));
        char buffer[128];
        memset(buffer, '#', sizeof buffer);
        switch (step.op) {
            case Op::ReadInt:
                EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA(step.section, step.key, step.number, FILE_PATH)),
                          step.result);
                break;
            case Op::ReadString:
                EXPECT_EQ(GetPrivateProfileStringA(step.section, step.key, step.text, buffer, step.size, FILE_PATH),
                          step.result);
                EXPECT_EQ(std::string(buffer, step.size), expectedBuffer(step));
                break;
            case Op::ReadSection:
                EXPECT_EQ(GetPrivateProfileSectionA(step.section, buffer, step.size, FILE_PATH), step.result);
                EXPECT_EQ(std::string(buffer, step.size), expectedBuffer(step));
                break;
            case Op::Write:
                EXPECT_EQ(WritePrivateProfileStringA(step.section, step.key, step.text, FILE_PATH), step.result);
                break;
        }
    }
    if (c.after) {
        EXPECT_TRUE(sim::fileExists(FILE_PATH));
        EXPECT_EQ(sim::readFile(FILE_PATH), *c.after);
    } else if (!c.before) {
        EXPECT_FALSE(sim::fileExists(FILE_PATH));
    } else {
        EXPECT_EQ(sim::readFile(FILE_PATH), *c.before) << "reads alone never change the file";
    }
}

// Where Windows and Wine part: a byte-order mark. On Windows a UTF-8 mark and the first
// header share a line, so that section is never found and a write adds another; a
// UTF-16LE file is read and written as UTF-16 from Windows 2000 on, but not by NT 4.
TEST(ProfileEncodings, AsWindowsReadsThem) {
    using namespace std::string_literals;
    sim::reset(::testing::TempDir() + "loudmark-profile-encodings");
    const char* path = "C:\\profiles\\marked.ini";
    sim::writeFile(path, "\xEF\xBB\xBF[s]\r\nk=1\r\n");
    EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("s", "k", -1, path)), -1);
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "2", path));
    EXPECT_EQ(sim::readFile(path), "\xEF\xBB\xBF[s]\r\nk=1\r\n[s]\r\nk=2\r\n");

    const std::string utf16 = "\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0\xE9\0\r\0\n\0"s;
    sim::writeFile(path, utf16);
    char value[8] = "";
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", value, sizeof value, path), 1u);
    EXPECT_EQ(std::string(value), "\xE9");
    EXPECT_TRUE(WritePrivateProfileStringA("s", "n", "2", path));
    EXPECT_EQ(sim::readFile(path), utf16 + "n\0=\0" "2\0\r\0\n\0"s);

    sim::runAsWindowsNT4(true);
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", value, sizeof value, path), 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, ProfileRules, ::testing::ValuesIn(profiletable::cases()),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace

