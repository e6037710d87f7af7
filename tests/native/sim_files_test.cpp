// The simulated file functions answer as the platform does, and the injected faults do
// what the tests rely on. The Wine stage runs the same cases of opening, deleting,
// renaming, held files and path lengths against the real functions under wine64
// (tests/wine/probes/file_functions_probe.cpp); the rest follow the functions'
// documentation.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "sim/platform.h"

namespace {

constexpr DWORD ERROR_PATH_NOT_FOUND_CODE = 3;
constexpr DWORD ERROR_SHARING_VIOLATION_CODE = 32;
constexpr DWORD ERROR_FILE_EXISTS_CODE = 80;
constexpr DWORD ERROR_INVALID_NAME_CODE = 123;
constexpr DWORD ERROR_FILENAME_EXCED_RANGE_CODE = 206;

class SimFiles : public ::testing::Test {
protected:
    void SetUp() override {
        root = ::testing::TempDir() + "loudmark-sim-files";
        std::string command = "rm -rf '" + root + "'";
        ASSERT_EQ(system(command.c_str()), 0);
        sim::reset(root);
        sim::writeFile("C:\\Music\\five.mp3", "12345");
        mkdir(sim::linuxPath("C:\\Music\\Folder.mp3").c_str(), 0755);
    }

    // Opens for existence only, as the song key does: the size, or -1 with the error.
    long long openSize(const char* path, DWORD* error = nullptr) {
        SetLastError(0);
        HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (error != nullptr) *error = GetLastError();
        if (file == INVALID_HANDLE_VALUE) return -1;
        DWORD size = GetFileSize(file, nullptr);
        CloseHandle(file);
        return size;
    }

    std::string root;
};

TEST_F(SimFiles, WindowsPathsLiveUnderTheDriveFolder) {
    EXPECT_EQ(sim::linuxPath("C:\\Music\\a.mp3"), root + "/C/Music/a.mp3");
    EXPECT_EQ(sim::linuxPath("c:/Music//a.mp3"), root + "/C/Music/a.mp3");
    EXPECT_EQ(sim::linuxPath("D:\\x\\..\\y\\.\\z"), root + "/D/y/z");
    EXPECT_EQ(sim::linuxPath("a.mp3"), root + "/cwd/a.mp3");
    EXPECT_EQ(openSize("C:/Music/five.mp3"), 5);
    EXPECT_EQ(openSize("C:\\Music\\five.mp3."), 5) << "trailing dots and blanks are dropped";
}

TEST_F(SimFiles, OpeningForExistenceTellsSizeOrWhyNot) {
    DWORD error = 0;
    EXPECT_EQ(openSize("C:\\Music\\five.mp3", &error), 5);
    EXPECT_EQ(openSize("C:\\Music\\missing.mp3", &error), -1);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(openSize("C:\\Nowhere\\a.mp3", &error), -1);
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND_CODE);
    EXPECT_EQ(openSize("C:\\Music\\five.mp3\\a", &error), -1);
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND_CODE) << "a file on the way is no folder";
    EXPECT_EQ(openSize("C:\\Music\\Folder.mp3", &error), -1);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "a folder is not a file";
    EXPECT_EQ(openSize("C:\\Music\\five.mp3\\", &error), -1);
    EXPECT_EQ(error, ERROR_INVALID_NAME_CODE);
    EXPECT_EQ(openSize("C:\\Music\\a*.mp3", &error), -1);
    EXPECT_EQ(error, ERROR_INVALID_NAME_CODE);
    EXPECT_EQ(openSize("http://radio/stream.mp3", &error), -1);
    EXPECT_EQ(error, ERROR_PATH_NOT_FOUND_CODE);
}

TEST_F(SimFiles, DispositionsCreateTruncateAndSaySoWhenTheFileWasThere) {
    DWORD written = 0;
    SetLastError(0);
    HANDLE file = CreateFileA("C:\\Music\\new.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(WriteFile(file, "abc", 3, &written, nullptr));
    EXPECT_EQ(written, 3u);
    EXPECT_TRUE(FlushFileBuffers(file));
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(CloseHandle(file)) << "a handle closes once";

    file = CreateFileA("C:\\Music\\new.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    EXPECT_EQ(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS_CODE);

    file = CreateFileA("C:\\Music\\new.txt", GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    char buffer[8] = {};
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(std::string(buffer, got), "abc");
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr)) << "the end of a file is no error";
    EXPECT_EQ(got, 0u);
    EXPECT_FALSE(WriteFile(file, "z", 1, &written, nullptr)) << "opened for reading only";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(file);

    file = CreateFileA("C:\\Music\\new.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(file);
    EXPECT_EQ(sim::readFile("C:\\Music\\new.txt"), "") << "CREATE_ALWAYS truncates";
}

TEST_F(SimFiles, SizesAboveFourGigabytesComeInTwoHalves) {
    std::string path = sim::linuxPath("C:\\Music\\huge.wav");
    int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 0x100000007ll), 0);  // sparse
    close(fd);
    HANDLE file = CreateFileA("C:\\Music\\huge.wav", 0, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD high = 0;
    EXPECT_EQ(GetFileSize(file, &high), 7u);
    EXPECT_EQ(high, 1u);
    CloseHandle(file);
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA("C:\\Music\\huge.wav", GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 7u);
    EXPECT_EQ(data.nFileSizeHigh, 1u);
}

TEST_F(SimFiles, AttributesTellFilesFoldersAndLinks) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    ASSERT_TRUE(GetFileAttributesExA("C:\\Music\\five.mp3", GetFileExInfoStandard, &data));
    EXPECT_EQ(data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT), 0u);
    EXPECT_EQ(data.nFileSizeLow, 5u);
    EXPECT_EQ(GetFileAttributesA("C:\\Music\\Folder.mp3"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA("C:\\Music\\missing.mp3"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(GetFileAttributesExA("C:\\Nowhere\\a.mp3", GetFileExInfoStandard, &data));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND_CODE);

    // A link is a reparse point with its own size; an open goes through to the target.
    ASSERT_EQ(symlink("five.mp3", sim::linuxPath("C:\\Music\\link.mp3").c_str()), 0);
    ASSERT_TRUE(GetFileAttributesExA("C:\\Music\\link.mp3", GetFileExInfoStandard, &data));
    EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_FALSE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(data.nFileSizeLow, 8u) << "the length of the link's own text";
    EXPECT_EQ(openSize("C:\\Music\\link.mp3"), 5);

    ASSERT_EQ(symlink("Folder.mp3", sim::linuxPath("C:\\Music\\dirlink.mp3").c_str()), 0);
    EXPECT_EQ(GetFileAttributesA("C:\\Music\\dirlink.mp3"),
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
    EXPECT_EQ(openSize("C:\\Music\\dirlink.mp3"), -1);

    ASSERT_EQ(symlink("nothing.mp3", sim::linuxPath("C:\\Music\\dangling.mp3").c_str()), 0);
    EXPECT_TRUE(GetFileAttributesA("C:\\Music\\dangling.mp3") & FILE_ATTRIBUTE_REPARSE_POINT);
    DWORD error = 0;
    EXPECT_EQ(openSize("C:\\Music\\dangling.mp3", &error), -1);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    EXPECT_TRUE(DeleteFileA("C:\\Music\\link.mp3"));
    EXPECT_TRUE(sim::fileExists("C:\\Music\\five.mp3")) << "deleting a link leaves its target";
}

TEST_F(SimFiles, DeletingAndRenamingFollowThePlatformsRules) {
    sim::writeFile("C:\\Data\\a.txt", "aa");
    sim::writeFile("C:\\Data\\b.txt", "bbb");

    EXPECT_FALSE(MoveFileA("C:\\Data\\a.txt", "C:\\Data\\b.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(sim::readFile("C:\\Data\\b.txt"), "bbb") << "MoveFileA never replaces";
    EXPECT_FALSE(MoveFileExA("C:\\Data\\a.txt", "C:\\Data\\b.txt", 0));
    EXPECT_TRUE(MoveFileExA("C:\\Data\\a.txt", "C:\\Data\\b.txt", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(sim::readFile("C:\\Data\\b.txt"), "aa");
    EXPECT_FALSE(sim::fileExists("C:\\Data\\a.txt"));

    EXPECT_FALSE(MoveFileA("C:\\Data\\a.txt", "C:\\Data\\c.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(MoveFileA("C:\\Data\\b.txt", "C:\\Nowhere\\c.txt"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND_CODE);
    EXPECT_FALSE(MoveFileExA("C:\\Data\\b.txt", "C:\\Music\\Folder.mp3", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    EXPECT_FALSE(DeleteFileA("C:\\Data\\a.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(DeleteFileA("C:\\Music\\Folder.mp3"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(DeleteFileA("C:\\Data\\b.txt"));
    EXPECT_FALSE(sim::fileExists("C:\\Data\\b.txt"));
}

TEST_F(SimFiles, OpenHandlesHoldTheirFilesAsOnThePlatform) {
    sim::writeFile("C:\\Data\\held.txt", "x");
    sim::writeFile("C:\\Data\\new.txt", "y");
    HANDLE reader = CreateFileA("C:\\Data\\held.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFileA("C:\\Data\\held.txt"));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION_CODE);
    EXPECT_FALSE(MoveFileExA("C:\\Data\\new.txt", "C:\\Data\\held.txt", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(CreateFileA("C:\\Data\\held.txt", GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION_CODE);
    HANDLE second = CreateFileA("C:\\Data\\held.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(second, INVALID_HANDLE_VALUE) << "readers that share reading get along";
    EXPECT_EQ(openSize("C:\\Data\\held.txt"), 1) << "an open without access is never refused";
    CloseHandle(second);
    CloseHandle(reader);
    EXPECT_TRUE(MoveFileExA("C:\\Data\\new.txt", "C:\\Data\\held.txt", MOVEFILE_REPLACE_EXISTING));
}

TEST_F(SimFiles, PathsLongerThanTheLimitAreRefused) {
    std::string folder = "C:\\L\\";
    std::string at260 = folder + std::string(260 - folder.size(), 'w');
    std::string at261 = at260 + "w";
    sim::writeFile("C:\\L\\keep", "");
    HANDLE file = CreateFileA(at260.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_EQ(CreateFileA(at261.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE_CODE);
    EXPECT_EQ(GetFileAttributesA(at261.c_str()), INVALID_FILE_ATTRIBUTES);

    // The profile functions stop one character earlier. (wine64 answers TRUE at 260 and
    // writes nothing; the probe compares only what lands.)
    std::string at259 = at260.substr(0, 259);
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "1", at259.c_str()));
    EXPECT_EQ(GetPrivateProfileIntA("s", "k", -1, at259.c_str()), 1u);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "1", at260.c_str()));
    EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("s", "k", -1, at260.c_str())), -1);
}

TEST_F(SimFiles, ProfileWritesNeedTheFolderAndAFile) {
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "1", "C:\\Nowhere\\p.ini"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND_CODE);
    EXPECT_FALSE(WritePrivateProfileStringA("s", "k", "1", "C:\\Music\\Folder.mp3"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("s", "k", -3, "C:\\Music\\Folder.mp3")), -3);
}

TEST_F(SimFiles, ProfileFunctionsOpenTheFileAsAnyProgramWould) {
    struct Holder {
        DWORD access;
        DWORD share;
        int read;    // what GetPrivateProfileIntA answers while the handle is open
        BOOL write;  // whether WritePrivateProfileStringA gets in
    };
    const Holder holders[] = {
        {GENERIC_READ, 0, -1, FALSE},
        {GENERIC_WRITE, FILE_SHARE_READ, 5, FALSE},
        {GENERIC_READ, FILE_SHARE_DELETE, -1, FALSE},
        {GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, 5, TRUE},
        {0, 0, 5, TRUE},
    };
    for (const Holder& holder : holders) {
        sim::writeFile("C:\\Data\\p.ini", "[s]\r\nk=5\r\n");
        HANDLE file = CreateFileA("C:\\Data\\p.ini", holder.access, holder.share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("s", "k", -1, "C:\\Data\\p.ini")), holder.read)
            << holder.access << "/" << holder.share;
        EXPECT_EQ(WritePrivateProfileStringA("s", "k", "6", "C:\\Data\\p.ini"), holder.write)
            << holder.access << "/" << holder.share;
        if (!holder.write) {
            EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION_CODE);
        }
        CloseHandle(file);
    }
}

TEST_F(SimFiles, RefusedDeletesAndRenamesLeaveEverythingInPlace) {
    sim::writeFile("C:\\Data\\a.txt", "a");
    sim::writeFile("C:\\Data\\b.txt", "b");
    sim::refuseDelete("c:/data/A.TXT");
    sim::refuseRename("C:\\DATA\\b.txt");
    EXPECT_FALSE(DeleteFileA("C:\\Data\\a.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(MoveFileExA("C:\\Data\\b.txt", "C:\\Data\\a.txt", MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(MoveFileA("C:\\Data\\b.txt", "C:\\Data\\c.txt"));
    EXPECT_EQ(sim::readFile("C:\\Data\\a.txt"), "a");
    EXPECT_EQ(sim::readFile("C:\\Data\\b.txt"), "b");
    EXPECT_TRUE(MoveFileA("C:\\Data\\a.txt", "C:\\Data\\c.txt")) << "only the named source is refused";

    sim::reset(root);
    EXPECT_TRUE(DeleteFileA("C:\\Data\\c.txt")) << "reset clears the faults";
}

TEST_F(SimFiles, AFailingDiskTakesTheBytesItHasRoomFor) {
    sim::failWritesAfter("C:\\Data\\full.txt", 5);
    sim::writeFile("C:\\Data\\keep", "");
    HANDLE file = CreateFileA("C:\\Data\\full.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, "abc", 3, &written, nullptr));
    EXPECT_FALSE(WriteFile(file, "defg", 4, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(written, 2u);
    EXPECT_FALSE(WriteFile(file, "h", 1, &written, nullptr));
    EXPECT_EQ(written, 0u);
    CloseHandle(file);
    EXPECT_EQ(sim::readFile("C:\\Data\\full.txt"), "abcde");

    // The count is per file and in total, so profile writes run into it too.
    sim::failWritesAfter("C:\\Data\\p.ini", 22);
    EXPECT_TRUE(WritePrivateProfileStringA("s", "a", "1", "C:\\Data\\p.ini"));   // 10 bytes
    EXPECT_FALSE(WritePrivateProfileStringA("s", "b", "2", "C:\\Data\\p.ini"));  // 15 more
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(sim::readFile("C:\\Data\\p.ini"), std::string("[s]\r\na=1\r\nb=2\r\n").substr(0, 12));
}

TEST_F(SimFiles, AWideNameOpensTheFileItsUtf8NameSpellsOnDisk) {
    auto wideSize = [](const std::wstring& path) -> long long {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD size = GetFileSize(file, nullptr);
        CloseHandle(file);
        return file == INVALID_HANDLE_VALUE ? -1 : size;
    };
    sim::writeFile("C:\\Music\\Bj\xC3\xB6rk \xF0\x9F\x8E\xB5.mp3", "1234");
    EXPECT_EQ(wideSize(L"C:\\Music\\Bj\u00F6rk \xD83C\xDFB5.mp3"), 4) << "a surrogate pair is one character";
    // The length limit counts characters, not the bytes they take on the Linux side.
    std::string e80;
    for (int i = 0; i < 80; ++i) e80 += "\xC3\xA9";
    sim::writeFile("C:\\" + e80 + "\\" + e80 + "\\a", "1");
    EXPECT_EQ(wideSize(L"C:\\" + std::wstring(80, L'\u00E9') + L"\\" + std::wstring(80, L'\u00E9') + L"\\a"), 1);
}

TEST_F(SimFiles, AFileOpenedToBeDeletedOnCloseGoesWithItsHandle) {
    for (DWORD flags : {static_cast<DWORD>(FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE),
                        static_cast<DWORD>(FILE_ATTRIBUTE_TEMPORARY)}) {
        HANDLE file = CreateFileA("C:\\Music\\probe.tmp", GENERIC_WRITE, 0, nullptr, CREATE_NEW, flags, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(sim::fileExists("C:\\Music\\probe.tmp"));
        CloseHandle(file);
        EXPECT_EQ(sim::fileExists("C:\\Music\\probe.tmp"), !(flags & FILE_FLAG_DELETE_ON_CLOSE));
    }
}

TEST_F(SimFiles, AFolderTheUserMayNotChangeCanStillBeRead) {
    const std::string plugins = "C:\\Program Files (x86)\\Winamp\\Plugins";
    const std::string ini = plugins + "\\plugin.ini";
    sim::writeFile(ini, "[s]\r\nk=5\r\n");
    sim::writeFile("C:\\Data\\mine.ini", "m");
    sim::writeFile(plugins + "2\\beside.ini", "");
    sim::refuseWritesIn("c:\\program files (x86)\\WINAMP\\plugins");

    EXPECT_EQ(static_cast<int>(GetPrivateProfileIntA("s", "k", -1, ini.c_str())), 5);
    EXPECT_EQ(openSize(ini.c_str()), 10);
    EXPECT_TRUE(CopyFileA(ini.c_str(), "C:\\Data\\copy.ini", FALSE)) << "copying out of it is reading";

    auto denied = [](BOOL ok) { return !ok && GetLastError() == static_cast<DWORD>(ERROR_ACCESS_DENIED); };
    auto opens = [](const std::string& path, DWORD access, DWORD disposition, DWORD flags) {
        HANDLE file = CreateFileA(path.c_str(), access, 0, nullptr, disposition, flags, nullptr);
        CloseHandle(file);
        return file != INVALID_HANDLE_VALUE;
    };
    EXPECT_TRUE(denied(WritePrivateProfileStringA("s", "k", "6", ini.c_str())));
    EXPECT_TRUE(denied(opens(plugins + "\\probe.tmp", GENERIC_WRITE, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE)));
    EXPECT_TRUE(denied(opens(ini, GENERIC_WRITE, OPEN_EXISTING, 0)));
    EXPECT_TRUE(denied(opens(ini, GENERIC_READ, OPEN_ALWAYS, 0)));
    EXPECT_TRUE(denied(DeleteFileA(ini.c_str())));
    EXPECT_TRUE(denied(MoveFileA(ini.c_str(), "C:\\Data\\moved.ini")));
    EXPECT_TRUE(denied(MoveFileA("C:\\Data\\mine.ini", (plugins + "\\mine.ini").c_str())));
    EXPECT_TRUE(denied(CopyFileA("C:\\Data\\mine.ini", (plugins + "\\mine.ini").c_str(), FALSE)));
    EXPECT_TRUE(denied(CreateDirectoryA((plugins + "\\Loudmark").c_str(), nullptr)));
    EXPECT_EQ(sim::readFile(ini), "[s]\r\nk=5\r\n");
    EXPECT_EQ(sim::readFile("C:\\Data\\mine.ini"), "m");

    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "1", (plugins + "2\\beside.ini").c_str()))
        << "a folder whose name merely begins the same is outside";
    sim::reset(root);
    EXPECT_TRUE(WritePrivateProfileStringA("s", "k", "6", ini.c_str())) << "reset clears the fault";
}

}  // namespace
