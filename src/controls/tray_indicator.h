// The plug-in's icon in the notification area, its animations and its clicks.
#pragma once

#include <windows.h>

constexpr UINT TRAY_ICON_ID = 3021;
constexpr UINT TRAY_CALLBACK_MESSAGE = WM_USER + 27;

enum class AnimationKind { ReferenceAdjusted, NewSong, VolumeUp, VolumeDown };

namespace TrayIndicator {

constexpr UINT ANIMATION_PERIOD_MS = 250;
constexpr UINT_PTR FIRST_ANIMATION_TIMER_ID = 1999;
// How many identifiers an animation tries before it is skipped.
constexpr UINT ANIMATION_TIMER_SEARCH_LIMIT = 64;
constexpr size_t TIP_COPY_LIMIT = 63;  // 62 characters and the terminating zero

struct State {
    int animationCountdown = 0;       // ticks left in the running animation
    UINT_PTR animationTimerId = 0;    // the identifier last tried
    char restTip[32] = "";            // "Reference Volume is %d"
};
extern State state;

// At the system's small-icon size, which follows the display's scale.
void loadIcons(HINSTANCE module);
void add();
void remove();
bool showRest(DWORD action);  // NIM_ADD or NIM_MODIFY; whether the notification area took it
void startAnimation(AnimationKind kind);
void stopAnimationTimer();
void onTrayCallback(UINT event);
// Lets Explorer's "TaskbarCreated" (registered as `message`) reach `window` even when
// the player runs elevated above Explorer.
void admitTaskbarCreated(HWND window, UINT message);
// Explorer came back, or the display's scale changed: our icon is gone, or is still
// there to be handed over again.
void onTaskbarCreated();

}  // namespace TrayIndicator
