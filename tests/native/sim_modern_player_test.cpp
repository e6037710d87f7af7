// The simulated Winamp 5.9: the requests it answers differently from 2.x, the wave-output
// volume it leaves alone, and the announcement of every start of an entry, sent through
// whatever procedure is installed on its Unicode window.
#include <gtest/gtest.h>

#include <mmsystem.h>

#include <cstdio>
#include <string>
#include <vector>

#include "player/simulated_player.h"
#include "sim/platform.h"

#include "../common/host_protocol.h"

namespace {

namespace player = sim::player;
using namespace HostProtocol;

LRESULT ask(WPARAM wParam, LPARAM code) { return SendMessageA(player::window(), WM_USER, wParam, code); }

// Each announcement as a subclass sees it: "code:listPos:isPlaying:positionMs text".
std::vector<std::string> notices;
WNDPROC hostProcedure = nullptr;

LRESULT CALLBACK observer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER && (lParam == IPC_PLAYING_FILE || lParam == IPC_PLAYING_FILEW)) {
        std::string text = lParam == IPC_PLAYING_FILE ? reinterpret_cast<const char*>(wParam) : "";
        if (lParam == IPC_PLAYING_FILEW) {
            for (const WCHAR* c = reinterpret_cast<const WCHAR*>(wParam); *c; ++c) text += std::to_string(*c) + ".";
        }
        notices.push_back(std::to_string(lParam) + ":" + std::to_string(ask(0, IPC_GETLISTPOS)) + ":" +
                          std::to_string(ask(0, IPC_ISPLAYING)) + ":" + std::to_string(ask(0, IPC_GETOUTPUTTIME)) + " " +
                          text);
    }
    return CallWindowProcW(hostProcedure, hwnd, message, wParam, lParam);
}

// The announcements so far, cut to "code:listPos", then forgotten.
std::vector<std::string> takeStarts() {
    std::vector<std::string> out;
    for (const std::string& n : notices) out.push_back(n.substr(0, n.find(':', n.find(':') + 1)));
    notices.clear();
    return out;
}

class SimModernPlayer : public ::testing::Test {
protected:
    void SetUp() override { begin(); }
    void begin() {
        sim::reset(::testing::TempDir() + "sim_modern_player");
        notices.clear();
    }
    void startHost() {
        player::startModern();
        player::setPlaylist({{"C:\\M\\\xC3\xB6\xE2\x99\xAA.mp3", 3}, {"C:\\M\\b.mp3", 5}, {"C:\\M\\c.mp3", 2}});
        hostProcedure = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(player::window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(observer)));
    }
};

TEST_F(SimModernPlayer, AnswersAsA59HostAndLeavesTheWaveOutputVolumeAlone) {
    startHost();
    EXPECT_EQ(ask(0, IPC_GETVERSION), 0x5092);
    player::setVolume(97);
    EXPECT_EQ(ask(static_cast<WPARAM>(VOLUME_QUERY), IPC_SETVOLUME), 97);
    EXPECT_STREQ(reinterpret_cast<const char*>(ask(0, IPC_GETINIDIRECTORY)), player::MODERN_INI_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA(player::MODERN_INI_DIRECTORY), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(std::wstring(reinterpret_cast<const WCHAR*>(ask(0, IPC_GETPLAYLISTFILEW))), L"C:\\M\\\u00F6\u266A.mp3");
    EXPECT_STREQ(reinterpret_cast<const char*>(ask(0, IPC_GETPLAYLISTFILE)), "C:\\M\\\xF6?.mp3");
    sim::writeFile("C:\\M\\\xC3\xB6\xE2\x99\xAA.mp3", "x");  // a file there has a short name
    EXPECT_STREQ(reinterpret_cast<const char*>(ask(0, IPC_GETPLAYLISTFILE)), "C:\\M\\__~1.MP3");
    std::remove(sim::linuxPath("C:\\M\\\xC3\xB6\xE2\x99\xAA.mp3").c_str());
    EXPECT_EQ(ask(3, IPC_GETPLAYLISTFILE), 0);
    EXPECT_EQ(ask(3, IPC_GETPLAYLISTFILEW), 0);
    EXPECT_EQ(ask(0, 9999), 1) << "a request it does not know";

    ask(256, IPC_SETVOLUME);
    EXPECT_EQ(player::volume(), 0) << "the host keeps the lowest 8 bits";
    DWORD wave = 0;
    waveOutGetVolume(nullptr, &wave);
    EXPECT_EQ(wave, 0xFFFFFFFFu);
    EXPECT_EQ(player::volumesSet(), std::vector<int>{256});
}

TEST_F(SimModernPlayer, AnnouncesEveryStartOnceTheEntryIsCurrentAndPlaying) {
    startHost();
    player::play();
    EXPECT_EQ(notices, (std::vector<std::string>{"3003:0:1:0 C:\\M\\\xF6?.mp3",
                                                 "13003:0:1:0 67.58.92.77.92.246.9834.46.109.112.51."}));
    notices.clear();
    sim::advance(3000);  // the first song ends
    player::jumpTo(1);   // the entry already playing, from its start
    player::play();      // Play while playing starts it over too
    player::next();
    player::pause();
    player::play();  // resuming is no start
    player::stop();
    player::next();  // stopped: only made current
    player::setRepeat(true);
    player::jumpTo(2);
    sim::advance(2000);  // the last song ends and the list starts over
    EXPECT_EQ(takeStarts(), (std::vector<std::string>{"3003:1", "13003:1", "3003:1", "13003:1", "3003:1", "13003:1",
                                                      "3003:2", "13003:2", "3003:2", "13003:2", "3003:0", "13003:0"}));
}

std::vector<size_t> noticesWhenAnswered;
TEST_F(SimModernPlayer, AStartFoundWhileAnsweringARequestIsAnnouncedOnlyAfterTheAnswer) {
    // A clock listener ahead of the player's asks as the first song ends, so the player
    // finds the new song inside its answer.
    noticesWhenAnswered.clear();
    sim::addClockListener([](uint64_t nowMs) -> uint64_t {
        if (nowMs < 3000) return 3000;
        EXPECT_EQ(ask(0, IPC_GETLISTPOS), 1);
        noticesWhenAnswered.push_back(notices.size());
        return UINT64_MAX;
    });
    startHost();
    player::play();
    notices.clear();
    sim::advance(3000);
    ASSERT_FALSE(noticesWhenAnswered.empty());
    EXPECT_EQ(noticesWhenAnswered[0], 0u);
    EXPECT_EQ(takeStarts(), (std::vector<std::string>{"3003:1", "13003:1"}));

    begin();
    player::start();
    player::setPlaylist({{"C:\\M\\a.mp3", 3}, {"C:\\M\\b.mp3", 5}});
    hostProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(player::window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(observer)));
    player::play();
    sim::advance(3000);
    EXPECT_TRUE(notices.empty()) << "2.x never announces";
}

}  // namespace
