// The plug-in's icon in the notification area, its animations and its clicks.
#pragma once

#include <windows.h>

constexpr UINT TRAY_ICON_ID = 3021;
constexpr UINT TRAY_CALLBACK_MESSAGE = WM_USER + 27;

enum class AnimationKind { ReferenceAdjusted, NewSong, VolumeUp, VolumeDown };

namespace TrayIndicator {

void loadIcons(HINSTANCE module);
void add();
void remove();
void startAnimation(AnimationKind kind);
void stopAnimationTimer();
void onTrayCallback(UINT event);
// Explorer came back: our icon is gone from the new notification area.
void onTaskbarCreated();

}  // namespace TrayIndicator
