#include "plugin_traces.h"

#include <shellapi.h>

#include "host_player.h"
#include "message_pump.h"
#include "scenario_kit.h"
#include "tray_spy.h"

namespace PluginTraces {

namespace {

NOTIFYICONDATAA trayRecord() {
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = HostPlayer::window();
    record.uID = TRAY_ICON_ID;
    return record;
}

}  // namespace

// Read the way the window was made: the ANSI read of a Unicode window's procedure gives a
// stand-in that matches nothing.
bool hookInstalled() {
    HWND window = HostPlayer::window();
    LONG_PTR procedure = IsWindowUnicode(window) ? GetWindowLongPtrW(window, GWLP_WNDPROC)
                                                 : GetWindowLongPtrA(window, GWLP_WNDPROC);
    return procedure != reinterpret_cast<LONG_PTR>(HostPlayer::ownProcedure());
}

// A modify that changes nothing succeeds only for an icon that is there.
bool trayIconPresent() {
    NOTIFYICONDATAA record = trayRecord();
    return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

void deleteTrayIcon() {
    NOTIFYICONDATAA record = trayRecord();
    Shell_NotifyIconA(NIM_DELETE, &record);
}

bool tipPassed(const std::string& tip) {
    for (const TraySpy::Call& call : TraySpy::calls()) {
        if (call.answer && call.tip == tip) return true;
    }
    return false;
}

int volumeDownCommands() { return HostPlayer::count(WM_COMMAND, HostProtocol::WINAMP_VOLUMEDOWN, 0); }

void hostGoesOnAfterUnload(DWORD ms) {
    using ScenarioKit::check;
    using ScenarioKit::checkEqual;
    HostPlayer::clearReceived();
    HWND host = HostPlayer::window();
    UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    int rounds = 0;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        PostMessageA(host, WM_TIMER, MAIN_TIMER_ID, 0);
        PostMessageA(host, WM_HOTKEY, HOTKEY_UP, MAKELPARAM(MOD_CONTROL, VK_UP));
        PostMessageA(host, WM_HOTKEY, HOTKEY_DOWN, MAKELPARAM(MOD_CONTROL, VK_DOWN));
        PostMessageA(host, TRAY_CALLBACK, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
        PostMessageA(host, taskbarCreated, 0, 0);
        ++rounds;
        MessagePump::forMs(100);
    }
    // The host's playback timer runs every 20 ms: at least two in five must have come.
    check(HostPlayer::countMessages(WM_TIMER, HostPlayer::PLAYBACK_TIMER_ID) >= static_cast<int>(ms / 50),
          "the host's own timer kept running for " + std::to_string(ms) + " ms after the unload");
    checkEqual(HostPlayer::count(WM_TIMER, MAIN_TIMER_ID, 0), rounds,
               "no timer of the plug-in still fires: the host saw only the posted ticks");
    checkEqual(HostPlayer::countMessages(WM_HOTKEY, HOTKEY_DOWN), rounds, "every hotkey message reached the host");
    check(HostPlayer::countRequests(HostProtocol::IPC_ISPLAYING) == 0 && volumeDownCommands() == 0, "and nothing acted on them");
    check(!trayIconPresent(), "no icon came back");
}

}  // namespace PluginTraces
