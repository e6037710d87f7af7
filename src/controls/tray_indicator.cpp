#include "controls/tray_indicator.h"

// Interim: the icon and its animations come with the tray indicator itself.
namespace TrayIndicator {
void loadIcons(HINSTANCE) {}
void add() {}
void remove() {}
void startAnimation(AnimationKind) {}
void stopAnimationTimer() {}
void onTrayCallback(UINT) {}
void onTaskbarCreated() {}
}  // namespace TrayIndicator
