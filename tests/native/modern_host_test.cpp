// Loudmark on the players listeners run today: Winamp 5.9 installed in Program Files,
// run by a standard user, beside the 2.x player it was first written for. The listener's
// stories, and what the player, the files and the message boxes must show.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/resource_ids.h"
#include "plugin/plugin_lifecycle.h"
#include "adapters/host_link.h"
#include "plugin/plugin_record.h"
#include "adapters/settings_store.h"
#include "memory/song_tracker.h"
#include "plugin_test_support.h"
#include "sim/dialogs.h"

using namespace testsupport;
namespace player = sim::player;

namespace {

const std::string PLUGINS = "C:\\Program Files (x86)\\Winamp\\Plugins\\";
const std::string HOST_PLUGINS = std::string(player::MODERN_INI_DIRECTORY) + "\\Plugins\\";
const std::string APPDATA_LOUDMARK = "C:\\Users\\listener\\AppData\\Roaming\\Loudmark\\";
constexpr char SECTION[] = "[Tamsel Loudmark]\r\n";
constexpr LPARAM IPC_SETVOLUME = 122;

enum class Host { Winamp2, Winamp59 };

class TodaysPlayers : public PluginScenario {
protected:
    // The player starts with the plug-in in its Plugins folder, which a standard user may
    // read but not change when `locked`.
    void startPlayer(Host kind, bool locked) {
        sim::setModulePath(sim::pluginInstance(), PLUGINS + "gen_loudmark.dll");
        sim::writeFile(PLUGINS + "gen_loudmark.dll", "MZ");
        host = kind == Host::Winamp59 ? player::startModern() : player::start();
        pluginRecord.hwndParent = host;
        HostLink::attach(pluginRecord.hwndParent);
        pluginRecord.hDllInstance = sim::pluginInstance();
        sim::loadResourceScript(LOUDMARK_RESOURCE_SCRIPT);
        if (locked) sim::refuseWritesIn(PLUGINS);
        player::setVolume(130);
    }

    void load() {
        PluginLifecycle::init();
        loaded = true;
    }

    void TearDown() override {
        if (loaded) PluginLifecycle::quit();
    }

    static void wait(double seconds) { sim::advance(static_cast<uint32_t>(seconds * 1000)); }

    // Plays the playlist from its start, the listener leaving each song at the volume
    // given for it (set 2 s in); every song lasts 10 s.
    void playAtVolumes(const std::vector<int>& volumes) {
        player::jumpTo(0);
        if (!loaded) load();
        for (int volume : volumes) {
            wait(2);
            player::setVolume(volume);
            wait(8);
        }
    }

    // The moments at which the plug-in set a volume.
    static std::vector<uint32_t> volumeSetMoments() {
        std::vector<uint32_t> moments;
        for (const auto& r : player::requests()) {
            if (r.message == WM_USER && r.lParam == IPC_SETVOLUME && static_cast<INT_PTR>(r.wParam) != -666) {
                moments.push_back(r.atMs);
            }
        }
        return moments;
    }

    static int lastVolumeSet() {
        auto volumes = player::volumesSet();
        return volumes.empty() ? -1 : volumes.back();
    }

    static int requestsFor(LPARAM code, WPARAM wParam) {
        int n = 0;
        for (const auto& r : player::requests()) n += r.message == WM_USER && r.lParam == code && r.wParam == wParam;
        return n;
    }

    HWND host = nullptr;
    bool loaded = false;
};

std::vector<sim::player::Entry> fourSongs() {
    return {song("a.mp3", 10, 1000), song("b.mp3", 10, 2000), song("c.mp3", 10, 3000), song("end.mp3", 10)};
}

std::vector<int> firstOf(std::vector<int> values, size_t count) {
    if (values.size() > count) values.resize(count);
    return values;
}

// ---------------------------------------------------------------------------
// Where the files live

TEST_F(TodaysPlayers, OnFiveNineTheVolumesAreKeptInTheHostsSettingsFolderAndComeBack) {
    startPlayer(Host::Winamp59, true);
    player::setPlaylist(fourSongs());
    playAtVolumes({100, 130, 170});
    player::stop();
    PluginLifecycle::quit();
    loaded = false;

    EXPECT_EQ(sim::readFile(HOST_PLUGINS + "volume.ini"),
              std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n\"c.mp3[3000]\"=295\r\n");
    EXPECT_NE(sim::readFile(HOST_PLUGINS + "plugin.ini").find("\"Enabled\"=1"), std::string::npos);
    EXPECT_FALSE(sim::fileExists(PLUGINS + "volume.ini"));
    EXPECT_FALSE(sim::fileExists(PLUGINS + "plugin.ini"));
    EXPECT_FALSE(sim::fileExists(HOST_PLUGINS + "loudmark-probe.tmp")) << "the probe leaves nothing behind";

    // The next evening: the same playlist, the volumes come back.
    player::clearLog();
    load();
    playAtVolumes({100, 130, 170});
    EXPECT_EQ(firstOf(player::volumesSet(), 3), (std::vector<int>{100, 130, 170}));
}

TEST_F(TodaysPlayers, FilesBesideTheModuleComeAlongOnceAndStayAsTheyWere) {
    const std::string original = std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n";
    sim::writeFile(PLUGINS + "volume.ini", original);
    sim::writeFile(PLUGINS + "plugin.ini", std::string(SECTION) + "\"UpKey\"=33\r\n");
    sim::writeFile(HOST_PLUGINS + "plugin.ini", std::string(SECTION) + "\"UpKey\"=36\r\n");  // already moved
    startPlayer(Host::Winamp59, true);
    player::setPlaylist(fourSongs());
    playAtVolumes({110});

    EXPECT_EQ(player::volumesSet().front(), 100) << "a.mp3's record came along";
    EXPECT_EQ(settings.upKey, 36) << "a file the new folder has is never replaced";
    EXPECT_EQ(sim::readFile(PLUGINS + "volume.ini"), original);
    EXPECT_NE(sim::readFile(HOST_PLUGINS + "volume.ini").find("\"a.mp3[1000]\"=235"), std::string::npos);
}

TEST_F(TodaysPlayers, AnOldHostWithALockedFolderKeepsTheFilesInApplicationData) {
    startPlayer(Host::Winamp2, true);
    player::setPlaylist(fourSongs());
    playAtVolumes({100, 130});
    EXPECT_EQ(sim::readFile(APPDATA_LOUDMARK + "volume.ini"), std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n");
    EXPECT_EQ(requestsFor(335, 0), 0) << "a host before 2.90 does not know the request";
}

TEST_F(TodaysPlayers, WithNoFolderToWriteTheListenerIsToldOnceAndTheRecordsStillApply) {
    sim::writeFile(PLUGINS + "volume.ini", std::string(SECTION) + "\"b.mp3[2000]\"=275\r\n");
    startPlayer(Host::Winamp59, true);
    sim::refuseWritesIn(player::MODERN_INI_DIRECTORY);
    sim::refuseWritesIn("C:\\Users\\listener\\AppData\\Roaming");
    player::setPlaylist(fourSongs());
    playAtVolumes({100, 140});
    PluginLifecycle::quit();
    loaded = false;

    ASSERT_EQ(sim::messageBoxes().size(), 1u) << "and no second box at quit for the records it could not save";
    EXPECT_EQ(sim::messageBoxes()[0].owner, host);
    EXPECT_EQ(sim::messageBoxes()[0].caption, "Warning");
    EXPECT_EQ(sim::messageBoxes()[0].text.rfind("Loudmark cannot write", 0), 0u);
    EXPECT_EQ(firstOf(player::volumesSet(), 2), (std::vector<int>{130, 150}));
}

TEST_F(TodaysPlayers, AnOldHostKeepsAWritableModuleFolderAndFiveNineItsSettingsFolder) {
    for (Host kind : {Host::Winamp2, Host::Winamp59}) {
        startPlayer(kind, false);
        player::setPlaylist(fourSongs());
        playAtVolumes({100, 130});
        PluginLifecycle::quit();
        loaded = false;
        const std::string home = kind == Host::Winamp2 ? PLUGINS : HOST_PLUGINS;
        const std::string elsewhere = kind == Host::Winamp2 ? HOST_PLUGINS : PLUGINS;
        EXPECT_EQ(sim::readFile(home + "volume.ini"), std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n");
        EXPECT_FALSE(sim::fileExists(elsewhere + "volume.ini"));
        DeleteFileA((home + "volume.ini").c_str());
    }
}

// Run once as administrator (or by an installer that has just finished), the player may
// write into Program Files; its files stay where its standard user's sessions keep them.
TEST_F(TodaysPlayers, AnElevatedStartOfFiveNineUsesTheSameFolderAndNoStaleCopy) {
    sim::writeFile(PLUGINS + "volume.ini", std::string(SECTION) + "\"a.mp3[1000]\"=300\r\n");  // years old
    startPlayer(Host::Winamp59, true);
    player::setPlaylist(fourSongs());
    playAtVolumes({100});
    PluginLifecycle::quit();
    loaded = false;

    sim::allowWritesIn(PLUGINS);  // elevated
    player::clearLog();
    playAtVolumes({120, 130});
    EXPECT_EQ(player::volumesSet()[0], 100) << "the record of the standard user's session";
    EXPECT_EQ(sim::readFile(PLUGINS + "volume.ini"), std::string(SECTION) + "\"a.mp3[1000]\"=300\r\n");
    EXPECT_EQ(sim::readFile(HOST_PLUGINS + "volume.ini"), std::string(SECTION) + "\"a.mp3[1000]\"=245\r\n");
}

TEST_F(TodaysPlayers, TheNewestEarlierCopyIsCarriedOverAndAFailedOneIsTriedAgain) {
    const std::string stale = std::string(SECTION) + "\"a.mp3[1000]\"=300\r\n\"c.mp3[3000]\"=300\r\n";
    const std::string newer = std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n\"c.mp3[3000]\"=295\r\n";
    sim::writeFile(PLUGINS + "volume.ini", stale);
    sim::writeFile(APPDATA_LOUDMARK + "volume.ini", newer);
    // loudmark-db set before the first start: the new folder has a record of its own.
    sim::writeFile(HOST_PLUGINS + "volume.ini", std::string(SECTION) + "\"b.mp3[2000]\"=200\r\n");
    startPlayer(Host::Winamp59, true);
    // The first start finds the newer copy held open by a sync client.
    HANDLE sync = CreateFileA((APPDATA_LOUDMARK + "volume.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    load();
    PluginLifecycle::quit();
    loaded = false;
    EXPECT_EQ(sim::readFile(HOST_PLUGINS + "volume.ini"), std::string(SECTION) + "\"b.mp3[2000]\"=200\r\n");
    CloseHandle(sync);

    player::setPlaylist(fourSongs());
    playAtVolumes({110, 130, 130});
    EXPECT_EQ(firstOf(player::volumesSet(), 3), (std::vector<int>{100, 75, 170}))
        << "the newer copy's a.mp3 and c.mp3, and the folder's own b.mp3";
    EXPECT_EQ(sim::readFile(APPDATA_LOUDMARK + "volume.ini"), newer) << "the originals stay as they were";
    EXPECT_EQ(sim::readFile(PLUGINS + "volume.ini"), stale);
    PluginLifecycle::quit();
    loaded = false;

    // Once settled, nothing is carried over again.
    sim::writeFile(APPDATA_LOUDMARK + "volume.ini", std::string(SECTION) + "\"d.mp3[1000]\"=100\r\n");
    load();
    EXPECT_EQ(sim::readFile(HOST_PLUGINS + "volume.ini").find("d.mp3"), std::string::npos);
}

// ---------------------------------------------------------------------------
// The song change

TEST_F(TodaysPlayers, OnFiveNineTheVolumeIsSetAsTheSongStartsAndAJumpRecordsTheOldSong) {
    sim::writeFile(HOST_PLUGINS + "volume.ini", std::string(SECTION) + "\"c.mp3[3000]\"=295\r\n");
    startPlayer(Host::Winamp59, true);
    player::setPlaylist(fourSongs());
    player::jumpTo(0);
    load();
    wait(3);
    player::setVolume(90);
    player::clearLog();
    wait(1);
    uint32_t jumpedAt = sim::now();
    player::jumpTo(2);  // in mid-song
    sim::pump();

    ASSERT_EQ(volumeSetMoments(), std::vector<uint32_t>{jumpedAt}) << "not at a.mp3's scheduled end";
    EXPECT_EQ(lastVolumeSet(), 170);
    EXPECT_EQ(sim::readFile(HOST_PLUGINS + "volume.ini"),
              std::string(SECTION) + "\"c.mp3[3000]\"=295\r\n\"a.mp3[1000]\"=215\r\n");
    EXPECT_GE(requestsFor(IPC_SETVOLUME, static_cast<WPARAM>(-666)), 1) << "the slider, not the wave-out volume";
}

TEST_F(TodaysPlayers, TheDatabaseIsReadAtStartUpSoTheFirstSongFindsItsRecordAtOnce) {
    sim::writeFile(HOST_PLUGINS + "volume.ini", std::string(SECTION) + "\"c.mp3[3000]\"=295\r\n");
    startPlayer(Host::Winamp59, true);
    player::setPlaylist(fourSongs());
    load();
    // A virus scanner opens the database right after the player started, and holds it
    // while the first song starts.
    HANDLE scanner = CreateFileA((HOST_PLUGINS + "volume.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(scanner, INVALID_HANDLE_VALUE);
    player::jumpTo(2);
    sim::pump();
    CloseHandle(scanner);

    EXPECT_EQ(lastVolumeSet(), 170) << "c.mp3's record, read before the scanner came";
}

// On Vista and later the Volume Mixer's slider for an old player sets the device's
// volume itself: at 50% that is 0x7FFF, whose low byte would read as full volume.
TEST_F(TodaysPlayers, AnOldHostTurnedDownInTheVolumeMixerIsRecordedAtThatVolume) {
    startPlayer(Host::Winamp2, true);
    player::setPlaylist(fourSongs());
    player::jumpTo(0);
    load();
    wait(3);
    player::setMixerVolume(0.5);
    wait(8);
    EXPECT_EQ(sim::readFile(APPDATA_LOUDMARK + "volume.ini"), std::string(SECTION) + "\"a.mp3[1000]\"=252\r\n");
}

TEST_F(TodaysPlayers, AnOldHostIsNeverSentTheSliderQuestionAndNoticesAtTheScheduledTick) {
    startPlayer(Host::Winamp2, false);
    player::setPlaylist(fourSongs());
    player::jumpTo(0);
    load();
    wait(3);
    player::setVolume(90);
    player::jumpTo(2);
    wait(5);
    EXPECT_EQ(player::volumesSet(), std::vector<int>{130}) << "a 2.x host is told nothing of the jump";
    wait(4);
    EXPECT_EQ(player::volumesSet(), (std::vector<int>{130, 130}));
    EXPECT_EQ(requestsFor(IPC_SETVOLUME, static_cast<WPARAM>(-666)), 0) << "-666 would set its volume to 102";
}

TEST_F(TodaysPlayers, ARestartOfTheSameSongRecordsNothingAndMovesItsEndOfSongTick) {
    startPlayer(Host::Winamp59, true);
    player::setPlaylist(fourSongs());
    player::jumpTo(0);
    load();
    wait(8);
    player::setVolume(100);
    player::clearLog();
    player::play();  // Play pressed again: a.mp3 from its start
    wait(9.5);
    EXPECT_FALSE(sim::fileExists(HOST_PLUGINS + "volume.ini"));
    EXPECT_TRUE(player::volumesSet().empty());
    for (const auto& r : player::requests()) {
        EXPECT_FALSE(r.message == WM_TIMER && r.wParam == SongTracker::FIRST_TIMER_ID)
            << "a tick at " << r.atMs << " ms, where a.mp3's first run would have ended";
    }
    wait(1);
    EXPECT_EQ(player::volumesSet(), std::vector<int>{130}) << "b.mp3, at its start";
    EXPECT_EQ(sim::readFile(HOST_PLUGINS + "volume.ini"), std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n");
}

TEST_F(TodaysPlayers, WakeUpsPerSongDoNotGrowOnAHostThatAnnounces) {
    auto wakeUpsFor = [this](Host kind) {
        startPlayer(kind, false);
        player::setPlaylist({song("a.mp3", 10), song("b.mp3", 10), song("c.mp3", 10), song("d.mp3", 10)});
        player::jumpTo(0);
        load();
        player::clearLog();
        wait(40);
        int wakeUps = 0;
        for (const auto& r : player::requests()) {
            wakeUps += (r.message == WM_TIMER && r.wParam == SongTracker::FIRST_TIMER_ID) ||
                       (SongTracker::state.startMessage != 0 && r.message == SongTracker::state.startMessage);
        }
        PluginLifecycle::quit();
        loaded = false;
        return wakeUps;
    };
    int old = wakeUpsFor(Host::Winamp2);
    int modern = wakeUpsFor(Host::Winamp59);
    EXPECT_GE(old, 3);
    EXPECT_LE(modern, old);
    EXPECT_GE(modern, 3) << "b, c and d each announced their start and had their volume set";
}

// ---------------------------------------------------------------------------
// Text and names outside the code page

TEST_F(TodaysPlayers, TitlesAndTypedCharactersReachAUnicodeHostIntact) {
    startPlayer(Host::Winamp59, false);
    load();
    SendMessageW(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Σίγουρα – 日本"));
    SendMessageW(host, WM_CHAR, L'ж', 1);
    EXPECT_EQ(player::title(), L"Σίγουρα – 日本");
    EXPECT_EQ(player::typed(), L"ж");
    PluginLifecycle::quit();
    loaded = false;
    SendMessageW(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Ωμέγα"));
    EXPECT_EQ(player::title(), L"Ωμέγα") << "the host's own procedure is back, W as it was";
}

TEST_F(TodaysPlayers, NamesTheCodePageCannotHoldGetARecordEachWithTheirRealSize) {
    startPlayer(Host::Winamp59, true);
    player::setPlaylist({song("Ωμέγα.mp3", 10, 1000), song("Ψυχής.mp3", 10, 2000), song("end.mp3", 10)});
    playAtVolumes({100, 160});
    // Each under its short name, as the host hands the path out, and its real size.
    EXPECT_EQ(sim::readFile(HOST_PLUGINS + "volume.ini"),
              std::string(SECTION) + "\"_____~2.MP3[1000]\"=225\r\n\"_____~1.MP3[2000]\"=285\r\n");

    // Clean builds the same keys as the tracker, so both records stay, while a song that
    // is not on the playlist goes.
    WritePrivateProfileStringA("Tamsel Loudmark", "\"gone.mp3[1000]\"", "300", (PLUGINS + "volume.ini").c_str());
    sim::clearMessageBoxes();
    sim::whileDialogOpen([](HWND dialog) {
        sim::click(dialog, IDC_CLEAN_DATABASE);
        sim::click(dialog, IDOK);
    });
    PluginLifecycle::config();
    EXPECT_EQ(sim::readFile(HOST_PLUGINS + "volume.ini"),
              std::string(SECTION) + "\"_____~2.MP3[1000]\"=225\r\n\"_____~1.MP3[2000]\"=285\r\n");
    ASSERT_EQ(sim::messageBoxes().size(), 1u);
    EXPECT_EQ(sim::messageBoxes()[0].caption, "Done");
    EXPECT_EQ(sim::messageBoxes()[0].text, "Volume database cleaned.");
}

// ---------------------------------------------------------------------------
// A database another program holds

TEST_F(TodaysPlayers, ARecordTheFileRefusesIsWrittenAtTheNextSongChange) {
    for (Host kind : {Host::Winamp2, Host::Winamp59}) {
        startPlayer(kind, false);
        const std::string data = (kind == Host::Winamp2 ? PLUGINS : HOST_PLUGINS) + "volume.ini";
        sim::writeFile(data, SECTION);
        player::setPlaylist(fourSongs());
        player::jumpTo(0);
        load();
        wait(2);
        player::setVolume(100);
        // A virus scanner holds the file across a.mp3's end.
        HANDLE scanner = CreateFileA(data.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(scanner, INVALID_HANDLE_VALUE);
        wait(10);
        EXPECT_EQ(sim::readFile(data), SECTION);
        CloseHandle(scanner);
        wait(10);
        EXPECT_EQ(sim::readFile(data), std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n");
        PluginLifecycle::quit();
        loaded = false;
        EXPECT_TRUE(sim::messageBoxes().empty());
        sim::clearMessageBoxes();
        DeleteFileA(data.c_str());
    }
}

TEST_F(TodaysPlayers, ARecordStillRefusedAtQuitIsReportedAsLost) {
    startPlayer(Host::Winamp59, false);
    sim::writeFile(HOST_PLUGINS + "volume.ini", SECTION);
    player::setPlaylist(fourSongs());
    playAtVolumes({100});
    HANDLE scanner = CreateFileA((HOST_PLUGINS + "volume.ini").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    player::setVolume(90);
    wait(10);
    PluginLifecycle::quit();
    loaded = false;
    CloseHandle(scanner);
    ASSERT_EQ(sim::messageBoxes().size(), 1u);
    EXPECT_EQ(sim::messageBoxes()[0].caption, "Warning");
    EXPECT_EQ(sim::messageBoxes()[0].text.rfind("Loudmark could not save the volume of 1 song", 0), 0u);
    EXPECT_EQ(sim::readFile(HOST_PLUGINS + "volume.ini"), std::string(SECTION) + "\"a.mp3[1000]\"=225\r\n");
}

TEST_F(TodaysPlayers, CleanOfADatabaseItCannotReadWarnsAndLosesNothing) {
    startPlayer(Host::Winamp59, false);
    const std::string database = std::string(SECTION) + "\"gone.mp3[5]\"=200\r\n";
    sim::writeFile(HOST_PLUGINS + "volume.ini", database);
    load();
    HANDLE scanner = CreateFileA((HOST_PLUGINS + "volume.ini").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    sim::whileDialogOpen([](HWND dialog) {
        sim::click(dialog, IDC_CLEAN_DATABASE);
        sim::click(dialog, IDOK);
    });
    PluginLifecycle::config();
    CloseHandle(scanner);

    ASSERT_EQ(sim::messageBoxes().size(), 1u);
    EXPECT_EQ(sim::messageBoxes()[0].caption, "Warning");
    EXPECT_EQ(sim::messageBoxes()[0].text.rfind("The volume database could not be cleaned", 0), 0u);
    EXPECT_EQ(sim::readFile(HOST_PLUGINS + "volume.ini"), database);
}

}  // namespace
