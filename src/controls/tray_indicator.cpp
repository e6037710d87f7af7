#include "controls/tray_indicator.h"

#include <commctrl.h>
#include <shellapi.h>

#include "adapters/bounded_text.h"
#include "controls/hotkey_control.h"
#include "controls/resource_ids.h"
#include "controls/system_functions.h"
#include "adapters/host_link.h"
#include "memory/song_tracker.h"

namespace TrayIndicator {

State state;

namespace {

struct Animation {
    int startingCount;
    int mask;
    const int* frameResources;
    const char* tip;
    TIMERPROC tickRoutine;
};

constexpr int REFERENCE_FRAMES[] = {ICON_DISC, ICON_LOGO};
// Index by countdown AND 7 while the countdown runs down from 16: the logo turns
// clockwise in 45-degree steps, twice.
constexpr int NEW_SONG_FRAMES[] = {ICON_LOGO,     ICON_LOGO_315, ICON_LOGO_270, ICON_LOGO_225,
                                   ICON_LOGO_180, ICON_LOGO_135, ICON_LOGO_90,  ICON_LOGO_45};
constexpr int VOLUME_UP_FRAMES[] = {ICON_UP, ICON_DISC};
constexpr int VOLUME_DOWN_FRAMES[] = {ICON_DOWN, ICON_DISC};

constexpr int FIRST_ICON = ICON_LOGO;
constexpr int LAST_ICON = ICON_DOWN;
HICON icons[LAST_ICON - FIRST_ICON + 1];

HICON icon(int resource) { return icons[resource - FIRST_ICON]; }

void CALLBACK onReferenceAdjustedTick(HWND, UINT, UINT_PTR, DWORD);
void CALLBACK onNewSongTick(HWND, UINT, UINT_PTR, DWORD);
void CALLBACK onVolumeUpTick(HWND, UINT, UINT_PTR, DWORD);
void CALLBACK onVolumeDownTick(HWND, UINT, UINT_PTR, DWORD);

const Animation ANIMATIONS[] = {
    {6, 1, REFERENCE_FRAMES, "Reference Volume Adjusted", onReferenceAdjustedTick},
    {16, 7, NEW_SONG_FRAMES, "New Song Detected", onNewSongTick},
    {4, 1, VOLUME_UP_FRAMES, "Volume Up", onVolumeUpTick},
    {4, 1, VOLUME_DOWN_FRAMES, "Volume Down", onVolumeDownTick},
};

const Animation& animationOf(AnimationKind kind) { return ANIMATIONS[static_cast<int>(kind)]; }

bool notify(DWORD action, HICON image, const char* tip) {
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = HostLink::window();
    record.uID = TRAY_ICON_ID;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = TRAY_CALLBACK_MESSAGE;
    record.hIcon = image;
    BoundedText::copy(record.szTip, TIP_COPY_LIMIT, tip);
    return Shell_NotifyIconA(action, &record) != FALSE;
}

void onAnimationTick(AnimationKind kind) {
    const Animation& animation = animationOf(kind);
    if (state.animationCountdown != 0) {
        notify(NIM_MODIFY, icon(animation.frameResources[state.animationCountdown & animation.mask]), animation.tip);
        --state.animationCountdown;
        return;
    }
    KillTimer(HostLink::window(), state.animationTimerId);
    showRest(NIM_MODIFY);
    if (kind == AnimationKind::VolumeUp || kind == AnimationKind::VolumeDown) {
        HotkeyControl::state.lastDirection = 0;
    }
}

void CALLBACK onReferenceAdjustedTick(HWND, UINT, UINT_PTR, DWORD) { onAnimationTick(AnimationKind::ReferenceAdjusted); }
void CALLBACK onNewSongTick(HWND, UINT, UINT_PTR, DWORD) { onAnimationTick(AnimationKind::NewSong); }
void CALLBACK onVolumeUpTick(HWND, UINT, UINT_PTR, DWORD) { onAnimationTick(AnimationKind::VolumeUp); }
void CALLBACK onVolumeDownTick(HWND, UINT, UINT_PTR, DWORD) { onAnimationTick(AnimationKind::VolumeDown); }

}  // namespace

void loadIcons(HINSTANCE module) {
    using SystemFunctions::find;
    // The notification area shows the small size (16 pixels at 100%, 24 at 150%, 32 at
    // 200%): the image drawn for it, not the large one shrunk. LoadIconMetric (Vista
    // and later) knows that size; before it, the system metric names it.
    auto loadIconMetric = find<decltype(&LoadIconMetric)>(SystemFunctions::COMMON_CONTROLS, "LoadIconMetric");
    auto loadImage = find<decltype(&LoadImageA)>(SystemFunctions::USER32, "LoadImageA");
    auto metric = find<decltype(&GetSystemMetrics)>(SystemFunctions::USER32, "GetSystemMetrics");
    for (int resource = FIRST_ICON; resource <= LAST_ICON; ++resource) {
        HICON& loaded = icons[resource - FIRST_ICON];
        loaded = nullptr;
        if (loadIconMetric != nullptr &&
            !SUCCEEDED(loadIconMetric(module, MAKEINTRESOURCEW(resource), LIM_SMALL, &loaded))) {
            loaded = nullptr;
        }
        if (loaded == nullptr && loadImage != nullptr && metric != nullptr) {
            loaded = static_cast<HICON>(loadImage(module, MAKEINTRESOURCEA(resource), IMAGE_ICON,
                                                  metric(SM_CXSMICON), metric(SM_CYSMICON), LR_DEFAULTCOLOR));
        }
        if (loaded == nullptr) loaded = LoadIconA(module, MAKEINTRESOURCEA(resource));
    }
}

bool showRest(DWORD action) {
    state.restTip[0] = '\0';
    BoundedText::append(state.restTip, sizeof state.restTip, "Reference Volume is ");
    BoundedText::appendInt(state.restTip, sizeof state.restTip, SongTracker::state.referenceVolume);
    return notify(action, icon(ICON_LOGO), state.restTip);
}

void add() { showRest(NIM_ADD); }

void remove() {
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = HostLink::window();
    record.uID = TRAY_ICON_ID;
    Shell_NotifyIconA(NIM_DELETE, &record);
}

void startAnimation(AnimationKind kind) {
    const Animation& animation = animationOf(kind);
    state.animationCountdown = animation.startingCount;
    // Re-arming an identifier that already has a timer replaces it, routine and all, so
    // a running animation simply stops where it is.
    for (UINT_PTR id = FIRST_ANIMATION_TIMER_ID; id < FIRST_ANIMATION_TIMER_ID + ANIMATION_TIMER_SEARCH_LIMIT; ++id) {
        // The main timer may sit on one of our identifiers (its own first one refused):
        // arming that identifier would replace it, and the animation's end would kill it.
        if (id == SongTracker::state.timerId) continue;
        state.animationTimerId = id;
        if (SetTimer(HostLink::window(), id, ANIMATION_PERIOD_MS, animation.tickRoutine) != 0) return;
    }
    // No timer to be had: the animation is skipped and the icon keeps what it shows.
    state.animationCountdown = 0;
}

void stopAnimationTimer() {
    // The main timer may have taken this identifier since the animation last ran.
    if (state.animationTimerId != SongTracker::state.timerId) KillTimer(HostLink::window(), state.animationTimerId);
}

void onTrayCallback(UINT event) {
    switch (event) {
        case WM_LBUTTONDBLCLK: {
            int volume = HostLink::readCurrentVolume();
            if (volume == HostLink::VOLUME_UNKNOWN) return;  // nothing sensible to adopt
            SongTracker::setReferenceVolume(volume);
            startAnimation(AnimationKind::ReferenceAdjusted);
            return;
        }
        case WM_RBUTTONUP:
            SongTracker::resync();
            return;
        default:
            return;
    }
}

void admitTaskbarCreated(HWND window, UINT message) {
    if (message == 0) return;
    // User Interface Privilege Isolation (Vista and later) keeps messages above WM_USER
    // from a process below ours, Explorer's among them, from an elevated player: let this
    // one through, for our window alone where Windows 7 allows it, process-wide on Vista.
    auto forWindow =
        SystemFunctions::find<decltype(&ChangeWindowMessageFilterEx)>(SystemFunctions::USER32, "ChangeWindowMessageFilterEx");
    if (forWindow != nullptr) {
        forWindow(window, message, MSGFLT_ALLOW, nullptr);
        return;
    }
    auto forProcess =
        SystemFunctions::find<decltype(&ChangeWindowMessageFilter)>(SystemFunctions::USER32, "ChangeWindowMessageFilter");
    if (forProcess != nullptr) forProcess(message, MSGFLT_ADD);
}

void onTaskbarCreated() {
    // Windows 10 says so also when the primary display's scale changes, with our icon
    // still there: adding it fails, and handing it over again redraws it at the new scale.
    if (!showRest(NIM_ADD)) showRest(NIM_MODIFY);
}

}  // namespace TrayIndicator
