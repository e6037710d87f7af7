// The parts of the simulated platform loudmark-db stands on, held to what the platform
// answers: folder listings, the two code-page conversions, registry string values, and
// finding the player's window by its class.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

#include "plugin_test_support.h"

using namespace testsupport;

namespace {

using SimForTheTool = PluginScenario;

std::vector<std::wstring> listing(const wchar_t* pattern, DWORD* error) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(pattern, &data);
    if (find == INVALID_HANDLE_VALUE) {
        *error = GetLastError();
        return names;
    }
    do {
        names.push_back(std::wstring(data.cFileName) + ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? L"\\" : L"") +
                        ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? L"@" : L""));
    } while (FindNextFileW(find, &data));
    *error = GetLastError();
    EXPECT_TRUE(FindClose(find));
    EXPECT_FALSE(FindClose(find));
    return names;
}

TEST_F(SimForTheTool, AFolderListsDotsFirstThenItsEntriesByNameWithLinksAsReparsePoints) {
    sim::writeFile("C:\\Lib\\b.mp3", "12345");
    sim::writeFile("C:\\Lib\\A\\x.mp3", "");
    sim::writeFile("C:\\Lib\\C.MP3", "");
    ASSERT_EQ(symlink(sim::linuxPath("C:\\Lib\\A").c_str(), sim::linuxPath("C:\\Lib\\d").c_str()), 0);
    DWORD error = 0;
    EXPECT_EQ(listing(L"C:\\Lib\\*", &error), (std::vector<std::wstring>{L".\\", L"..\\", L"A\\", L"b.mp3", L"C.MP3", L"d\\@"}));
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_EQ(listing(L"C:\\Lib\\*.mp3", &error), (std::vector<std::wstring>{L"b.mp3", L"C.MP3"}));
    EXPECT_TRUE(listing(L"C:\\Lib\\*.ogg", &error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(listing(L"C:\\Nowhere\\*", &error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(listing(L"C:\\*", &error).front(), L"Lib\\");  // a drive's root has no dots
    sim::refuseListing("C:\\Lib");
    EXPECT_TRUE(listing(L"C:\\Lib\\A\\*", &error).empty());
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(SimForTheTool, CodePageConversionsCountAsThePlatformCounts) {
    WCHAR wide[8];
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xC3\xA9", -1, nullptr, 0), 3);  // with the zero
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xC3\xA9", 3, wide, 8), 2);      // without
    EXPECT_EQ(wide[1], 0xE9);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, wide, 3), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "a\xC3(", -1, wide, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xC3(", -1, wide, 8), 4);  // U+FFFD in its place

    // The ANSI code page is Windows-1252, for the conversions and the profile functions alike.
    char ansi[8];
    BOOL usedDefault = TRUE;
    const WCHAR cafe[] = {'C', 'a', 'f', 0xE9, 0};
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, cafe, -1, ansi, 8, nullptr, &usedDefault), 5);
    EXPECT_STREQ(ansi, "Caf\xE9");
    EXPECT_FALSE(usedDefault);
    const WCHAR beyond[] = {0x20AC, 0x0436, 0xD83C, 0xDFB5, 0};  // the euro sign, a Cyrillic letter, one emoji
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, beyond, -1, ansi, 8, nullptr, &usedDefault), 4);
    EXPECT_STREQ(ansi, "\x80??");
    EXPECT_TRUE(usedDefault);
    const WCHAR lone[] = {0xD83C, 'A', 0};  // a high surrogate with no low one after it
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, lone, -1, ansi, 8, nullptr, &usedDefault), 3);
    EXPECT_STREQ(ansi, "?A");
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "\x80\xE9\x9F", -1, wide, 8), 4);
    EXPECT_EQ(std::wstring(wide), std::wstring({0x20AC, 0xE9, 0x178}));
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, cafe, -1, ansi, 8, nullptr, nullptr), 6);
    EXPECT_STREQ(ansi, "Caf\xC3\xA9");
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, cafe, -1, ansi, 8, nullptr, &usedDefault), 0);  // not for UTF-8
    sim::readProfileEncodingsAsWine(true);  // Windows would not find [s] behind the mark
    sim::writeFile("C:\\utf8.ini", "\xEF\xBB\xBF[s]\r\n");
    WritePrivateProfileStringA("s", "\x80\xE9", "1", "C:\\utf8.ini");
    EXPECT_EQ(sim::readFile("C:\\utf8.ini"), "\xEF\xBB\xBF[s]\r\n\xE2\x82\xAC\xC3\xA9=1\r\n");
}

// GetShortPathNameW's reference: the short form of every part of a path that has one, the
// length without the zero, or the room needed with it; 0 for a path that is not there.
// Names are made as NTFS makes them ("Naming Files, Paths, and Namespaces", short names):
// the first six letters that may stand in a short name, '_' for any other, "~N", and the
// first three of the extension, upper case; a name that is a short name already has none.
TEST_F(SimForTheTool, ShortNamesAreMadeForTheNamesThatNeedThem) {
    for (const char* name : {"\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD1\x8F.mp3", "Long Song Name.mp3",
                             "Long Song Names.mp3", "SHORT.MP3", "\xD0\x9F\xD0\xB5\xD1\x81\xD0\xBD\xD0\xB8\\Song.mp3"}) {
        sim::writeFile(std::string("C:\\Music\\") + name, "x");
    }
    WCHAR path[MAX_PATH];
    auto shortOf = [&path](const wchar_t* longPath) {
        DWORD length = GetShortPathNameW(longPath, path, MAX_PATH);
        return length == 0 ? std::wstring(L"<none>") : std::wstring(path, length);
    };
    EXPECT_EQ(shortOf(L"C:\\Music\\\u041F\u0435\u0441\u043D\u044F.mp3"), L"C:\\Music\\_____~1.MP3");
    EXPECT_EQ(shortOf(L"C:\\Music\\Long Song Name.mp3"), L"C:\\Music\\LONGSO~1.MP3");
    EXPECT_EQ(shortOf(L"C:\\Music\\Long Song Names.mp3"), L"C:\\Music\\LONGSO~2.MP3");
    EXPECT_EQ(shortOf(L"C:\\Music\\SHORT.MP3"), L"C:\\Music\\SHORT.MP3");
    EXPECT_EQ(shortOf(L"C:\\Music\\\u041F\u0435\u0441\u043D\u0438\\Song.mp3"), L"C:\\Music\\_____~1\\Song.mp3");
    EXPECT_EQ(shortOf(L"C:\\Music\\gone.mp3"), L"<none>");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetShortPathNameW(L"C:\\Music\\Long Song Name.mp3", path, 5), 22u);  // the room it needs
    EXPECT_EQ(GetFileAttributesW(L"C:\\Music\\\u041F\u0435\u0441\u043D\u0438"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}

TEST_F(SimForTheTool, RegistryStringsAndThePlayersWindowAreFoundAsThePlatformFindsThem) {
    sim::setRegistryString(HKEY_CURRENT_USER, "Software\\Winamp", "", "C:\\Winamp");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\WINAMP", 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    char text[16];
    DWORD size = 4;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "", nullptr, &type, reinterpret_cast<LPBYTE>(text), &size), ERROR_MORE_DATA);
    EXPECT_EQ(size, 10u);  // what it needs, with the zero
    size = sizeof text;
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(text), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::string(text), "C:\\Winamp");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(RegQueryValueExA(key, "UninstallString", nullptr, &type, reinterpret_cast<LPBYTE>(text), &size),
              ERROR_FILE_NOT_FOUND);
    RegCloseKey(key);
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Winamp", 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);

    EXPECT_EQ(FindWindowA("winamp v1.X", nullptr), sim::player::window());
    EXPECT_EQ(FindWindowA("Winamp v2.x", nullptr), nullptr);
    sim::destroyWindow(sim::player::window());
    EXPECT_EQ(FindWindowA("Winamp v1.x", nullptr), nullptr);
}

}  // namespace
