// CreateDirectoryA makes one folder at a time; CopyFileA respects an existing target,
// open handles and a failing disk.
#include <gtest/gtest.h>

#include <string>

#include "sim/platform.h"

namespace {

bool failsWith(BOOL ok, DWORD error) { return !ok && GetLastError() == error; }

TEST(SimFoldersAndCopies, FoldersAndCopiesFollowThePlatformsRules) {
    std::string root = ::testing::TempDir() + "sim_folders_and_copies";
    ASSERT_EQ(system(("rm -rf '" + root + "'").c_str()), 0);
    sim::reset(root);
    sim::writeFile("C:\\Data\\a.txt", "alpha");
    sim::writeFile("C:\\Data\\b.txt", "beta");

    EXPECT_TRUE(CreateDirectoryA("C:\\Data\\New", nullptr));
    EXPECT_TRUE(failsWith(CreateDirectoryA("C:\\Data\\New", nullptr), ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(failsWith(CreateDirectoryA("C:\\Data\\Gap\\Deeper", nullptr), ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(sim::fileExists("C:\\Data\\Gap"));

    EXPECT_TRUE(failsWith(CopyFileA("C:\\Data\\a.txt", "C:\\Data\\b.txt", TRUE), ERROR_FILE_EXISTS));
    EXPECT_EQ(sim::readFile("C:\\Data\\b.txt"), "beta");
    EXPECT_TRUE(CopyFileA("C:\\Data\\a.txt", "C:\\Data\\b.txt", FALSE));
    EXPECT_EQ(sim::readFile("C:\\Data\\b.txt"), "alpha");
    EXPECT_TRUE(failsWith(CopyFileA("C:\\Data\\none.txt", "C:\\Data\\c.txt", FALSE), ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(failsWith(CopyFileA("C:\\Data\\a.txt", "C:\\Gap\\c.txt", FALSE), ERROR_PATH_NOT_FOUND));
    HANDLE held = CreateFileA("C:\\Data\\a.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(failsWith(CopyFileA("C:\\Data\\a.txt", "C:\\Data\\c.txt", FALSE), ERROR_SHARING_VIOLATION));
    CloseHandle(held);
    sim::failWritesAfter("C:\\Data\\c.txt", 2);
    EXPECT_TRUE(failsWith(CopyFileA("C:\\Data\\a.txt", "C:\\Data\\c.txt", FALSE), ERROR_DISK_FULL));
}

}  // namespace
