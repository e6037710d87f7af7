// Modules, icons from the resource script, and the registry.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <commctrl.h>

#include "sim/platform.h"

namespace {

void someCodeOfThePlugin() {}

class SimModules : public ::testing::Test {
protected:
    void SetUp() override {
        folder = ::testing::TempDir() + "sim_modules";
        sim::reset(folder);
    }
    std::string write(const std::string& name, const std::string& text) {
        std::string path = folder + "/" + name;
        std::ofstream(path) << text;
        return path;
    }
    std::string folder;
};

TEST_F(SimModules, ModuleFileNamesAreCutToTheBufferAsThePlatformDoes) {
    const std::string path = "C:\\Program Files\\Winamp\\Plugins\\gen_loudmark.dll";
    const DWORD n = static_cast<DWORD>(path.size());
    sim::setModulePath(sim::pluginInstance(), path);
    char buffer[64];
    EXPECT_EQ(GetModuleFileNameA(sim::pluginInstance(), buffer, sizeof buffer), n);
    EXPECT_EQ(std::string(buffer), path);

    // Exactly as long as the buffer: no room for the terminator, so it is cut.
    std::memset(buffer, '#', sizeof buffer);
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameA(sim::pluginInstance(), buffer, n), n);
    EXPECT_EQ(std::string(buffer), path.substr(0, n - 1));
    EXPECT_EQ(GetLastError(), 122u);
    EXPECT_EQ(buffer[n], '#');  // nothing written past the buffer

    EXPECT_EQ(GetModuleFileNameA(sim::pluginInstance(), buffer, n + 1), n);
    EXPECT_EQ(std::string(buffer), path);
}

TEST_F(SimModules, PinningIsRecordedForTheModuleAskedFor) {
    sim::setModulePath(sim::pluginInstance(), "C:\\Winamp\\Plugins\\gen_loudmark.dll");
    HMODULE module = nullptr;
    EXPECT_FALSE(sim::modulePinned(sim::pluginInstance()));
    ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                   reinterpret_cast<LPCSTR>(&someCodeOfThePlugin), &module));
    EXPECT_EQ(module, sim::pluginInstance());
    EXPECT_FALSE(sim::modulePinned(sim::pluginInstance()));
    ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN, "GEN_LOUDMARK.DLL", &module));
    EXPECT_EQ(module, sim::pluginInstance());
    EXPECT_TRUE(sim::modulePinned(sim::pluginInstance()));
    EXPECT_FALSE(GetModuleHandleExA(0, "other.dll", &module));
}

TEST_F(SimModules, IconsComeFromTheScriptWithNamesFromItsIncludedHeader) {
    write("ids.h", "#ifndef IDS\n#define IDS\n/* icons */\n#define ICON_LOGO 102\n#define ICON_UP (0x71)\n#endif\n");
    std::string script = write("test.rc",
                               "#include \"ids.h\"\n#include <windows.h>\n"
                               "// 999 ICON \"commented.ico\"\n"
                               "ICON_LOGO ICON \"icons/logo.ico\"\n"
                               "ICON_UP   ICON DISCARDABLE \"icons/up.ico\"\n"
                               "105 ICON \"icons/disc.ico\"\n"
                               "/* 106 ICON \"a.ico\"\n 107 ICON \"b.ico\" */\n"
                               "2 DIALOGEX 0, 0, 100, 100\n");
    sim::loadResourceScript(script);
    HINSTANCE module = sim::pluginInstance();
    HICON logo = LoadIconA(module, MAKEINTRESOURCEA(102));
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(sim::iconResourceNumber(logo), 102);
    EXPECT_EQ(LoadIconA(module, MAKEINTRESOURCEA(102)), logo);  // shared, one handle per icon
    EXPECT_EQ(LoadIconA(module, "#102"), logo);
    EXPECT_EQ(sim::iconResourceNumber(LoadIconA(module, MAKEINTRESOURCEA(0x71))), 0x71);
    EXPECT_EQ(sim::iconResourceNumber(LoadIconA(module, MAKEINTRESOURCEA(105))), 105);
    for (int missing : {999, 106, 107, 2, 103}) {
        EXPECT_EQ(LoadIconA(module, MAKEINTRESOURCEA(missing)), nullptr) << missing;
    }
    // Only the module the script belongs to has these icons.
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(102)), nullptr);
    EXPECT_EQ(sim::iconResourceNumber(nullptr), 0);
    EXPECT_EQ(sim::iconResourceNumber(reinterpret_cast<HICON>(0x1234)), 0);
}

TEST_F(SimModules, TheProjectsOwnScriptDeclaresTheElevenIcons) {
    sim::loadResourceScript(LOUDMARK_RESOURCE_SCRIPT);
    int found = 0;
    for (int number : {102, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114}) {
        found += sim::iconResourceNumber(LoadIconA(sim::pluginInstance(), MAKEINTRESOURCEA(number))) == number;
    }
    EXPECT_EQ(found, 11);
}

TEST_F(SimModules, IconLoadsTakeTheImageOfTheSizeTheDpiNames) {
    sim::loadResourceScript(LOUDMARK_RESOURCE_SCRIPT);
    HINSTANCE module = sim::pluginInstance();
    auto imageOf = [](HANDLE icon) { return sim::iconImage(static_cast<HICON>(icon)); };
    sim::setSystemDpi(144);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), 24);
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), 48);
    HICON small = nullptr;
    ASSERT_EQ(LoadIconMetric(module, MAKEINTRESOURCEW(102), LIM_SMALL, &small), S_OK);
    EXPECT_EQ(imageOf(small).size, 24);
    EXPECT_EQ(imageOf(small).bitsPerPixel, 32);
    EXPECT_EQ(imageOf(LoadIconA(module, MAKEINTRESOURCEA(102))).size, 48);  // the large size
    EXPECT_EQ(imageOf(LoadImageA(module, MAKEINTRESOURCEA(102), IMAGE_ICON, 20, 20, 0)).size, 20);
    EXPECT_EQ(imageOf(LoadImageA(module, MAKEINTRESOURCEA(102), IMAGE_ICON, 28, 28, 0)).size, 32);  // scaled down
    EXPECT_EQ(imageOf(LoadImageA(module, MAKEINTRESOURCEA(102), IMAGE_ICON, 64, 64, 0)).size, 48);

    // Where Windows lacks it, a look-up finds nothing.
    HMODULE controls = LoadLibraryA("comctl32.dll");
    EXPECT_NE(GetProcAddress(controls, "LoadIconMetric"), nullptr);
    sim::hideSystemFunction("LoadIconMetric");
    EXPECT_EQ(GetProcAddress(controls, "LoadIconMetric"), nullptr);
}

TEST_F(SimModules, RegistryKeysOpenWhenPresentRegardlessOfCaseAndMustBeClosed) {
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion", 0,
                            KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    EXPECT_NE(key, nullptr);
    EXPECT_EQ(sim::openRegistryKeys(), 1);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(sim::openRegistryKeys(), 0);
    EXPECT_NE(RegCloseKey(key), ERROR_SUCCESS);

    // A parent of a present key opens; a key under another root does not.
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\MICROSOFT", 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                            KEY_QUERY_VALUE, &key),
              ERROR_FILE_NOT_FOUND);

    // A Windows 95 machine has no such key.
    sim::setRegistryKeyPresent("SOFTWARE\\Microsoft\\Windows NT", false);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                            KEY_QUERY_VALUE, &key),
              ERROR_FILE_NOT_FOUND);
    sim::setRegistryKeyPresent("software\\microsoft\\windows nt\\currentversion", true);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", 0,
                            KEY_QUERY_VALUE, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

}  // namespace
