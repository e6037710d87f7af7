// The test side of the simulated platform: what a test (or the demo) uses to set the
// scene, drive the virtual clock and the listener's hands, and read back what the
// plug-in did. The plug-in itself only ever sees <windows.h>, <shellapi.h> and
// <mmsystem.h>.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sim {

// ---------------------------------------------------------------------------
// The whole platform

// Back to a fresh machine: no windows, timers, hotkeys, icons, message-box script,
// clock at 0, faults cleared, keyboard released, registry with its usual keys.
// `driveRoot` is the Linux folder that holds the simulated drives: "C:\Music\a.mp3"
// lives at driveRoot + "/C/Music/a.mp3". The folder is created when missing.
void reset(const std::string& driveRoot);

// ---------------------------------------------------------------------------
// Virtual clock and message delivery

uint32_t now();  // milliseconds since reset
// Moves the clock forward by `ms`, delivering every timer that falls due (in order of
// due time, then of arming) and every posted message, each at its own moment.
void advance(uint32_t ms);
// Delivers posted messages that are waiting, without moving the clock.
void pump();

// Something that happens at a moment of the virtual clock besides timers (the player
// uses it to start the next song exactly when one ends). Returns the next moment at
// which the listener wants to be called, or UINT64_MAX for none; called with the clock
// already moved to that moment. It may also be called at other moments on the way (it
// then does whatever is due by the moment given and tells its next moment again), and
// at a moment it shares with a timer it is called before the timer is delivered.
using ClockListener = std::function<uint64_t(uint64_t nowMs)>;
void addClockListener(ClockListener listener);

// ---------------------------------------------------------------------------
// Windows

// A window made by createWindow has an ANSI procedure, one made by createUnicodeWindow a
// Unicode one; the platform translates text messages between the two kinds.
HWND createWindow(WNDPROC procedure, const char* name);
HWND createUnicodeWindow(WNDPROC procedure, const char* name);
void destroyWindow(HWND window);

// ---------------------------------------------------------------------------
// Timers

struct TimerInfo {
    HWND window;
    UINT_PTR id;
    uint32_t periodMs;
    TIMERPROC routine;  // null: delivered as WM_TIMER
    uint64_t dueAtMs;
};
bool findTimer(HWND window, UINT_PTR id, TimerInfo* out = nullptr);
std::vector<TimerInfo> timers();
void refuseTimerId(UINT_PTR id);  // SetTimer with this identifier answers 0
void refuseAllTimers(bool refuse);

// ---------------------------------------------------------------------------
// Message boxes

struct MessageBoxRecord {
    HWND owner;
    std::string text;
    std::string caption;
    UINT style;
    int answer;
    uint32_t atMs;
};
// Answers for the next message boxes, in order. A box with no scripted answer gets its
// first button (IDOK, or IDYES for MB_YESNO).
void answerNextMessageBox(int answer);
// Scripted answers no box has taken yet; the test runner fails a test that leaves one.
size_t messageBoxAnswersWaiting();
// Called while a box is up (before it returns), e.g. to let the clock run meanwhile.
// The action stays in force for every later box until replaced (an empty function
// removes it). A scripted answer that is not one of the box's buttons gives the first
// button.
void whileMessageBoxOpen(std::function<void(const MessageBoxRecord&)> action);
const std::vector<MessageBoxRecord>& messageBoxes();
void clearMessageBoxes();

// ---------------------------------------------------------------------------
// Keyboard and hotkeys

// Keys by virtual-key code; the six sided modifier keys (VK_LCONTROL ... VK_RMENU) also
// make the side-less code (VK_CONTROL, VK_SHIFT, VK_MENU) read as held.
void keyDown(int vk);
void keyUp(int vk);
void releaseAllKeys();
// Presses and releases a key. When the held modifiers (coarsely: Ctrl, Alt, Shift) and
// the key make a registered combination, WM_HOTKEY is posted to its window and
// delivered before this returns.
void pressKey(int vk);

struct HotkeyInfo {
    HWND window;
    int id;
    UINT modifiers;
    UINT vk;
};
bool findHotkey(HWND window, int id, HotkeyInfo* out = nullptr);
// Another program holds this combination: registering it fails with
// ERROR_HOTKEY_ALREADY_REGISTERED.
void holdHotkeyElsewhere(UINT modifiers, UINT vk);
// The keyboard layout of every thread (reset: UnitedStates). German has AltGr: Right
// Alt held also holds a left Ctrl that Windows makes up, as real Windows reports it.
enum class KeyboardLayout { UnitedStates, German };
void useKeyboardLayout(KeyboardLayout layout);

// ---------------------------------------------------------------------------
// Registry: which keys under HKEY_LOCAL_MACHINE open. Reset leaves the usual
// "SOFTWARE\Microsoft\Windows NT\CurrentVersion" in place.
void setRegistryKeyPresent(const std::string& localMachinePath, bool present);
// A string value (REG_SZ) under HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER; an empty name is
// the key's default value. The key, and those on the way, open from then on.
void setRegistryString(HKEY root, const std::string& keyPath, const std::string& valueName, const std::string& data);
int openRegistryKeys();  // keys opened and not yet closed

// ---------------------------------------------------------------------------
// Notification area

struct TrayIcon {
    HWND window;
    UINT id;
    UINT flags;
    UINT callbackMessage;
    HICON icon;
    std::string tip;
    // The display scale changed since the icon was last handed over: Explorer shows its
    // old image stretched.
    bool stretched = false;
};
struct TrayCall {
    DWORD action;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
    DWORD cbSize;
    TrayIcon record;
    BOOL result;
    uint32_t atMs;
};
bool findTrayIcon(HWND window, UINT id, TrayIcon* out = nullptr);
const std::vector<TrayCall>& trayCalls();
void refuseTray(bool refuse);  // no notification area: every call answers FALSE
// The listener's mouse on the icon: sends its callback message with wParam = id and
// lParam = mouseMessage (WM_LBUTTONDBLCLK, WM_RBUTTONUP, ...), delivered at once.
void trayMouse(HWND window, UINT id, UINT mouseMessage);
// Explorer restarts: every icon vanishes and "TaskbarCreated" is sent to every window.
void restartExplorer();
// The primary display's scale changes (Windows 10): the icons stay, stretched, and
// "TaskbarCreated" is sent to every window.
void changePrimaryDisplayScale();
// The plug-in's process runs elevated: Explorer's "TaskbarCreated" reaches its windows
// only where ChangeWindowMessageFilter(Ex) let it through. Cleared by reset().
void runElevated(bool on);

// ---------------------------------------------------------------------------
// Modules and resources

// The plug-in's module: GetModuleFileNameA answers `windowsPath` for `instance`.
void setModulePath(HINSTANCE instance, const std::string& windowsPath);
HINSTANCE pluginInstance();  // a fixed handle that stands for the loaded plug-in
// The resource script the module is built from (icons, dialogs). LoadIconA answers a
// handle for an icon the script declares, and null otherwise. A quoted #include is
// looked for beside the including file, then in `includeFolders`, then in the script's
// parent folder and that folder's subfolders.
void loadResourceScript(const std::string& linuxPath, const std::vector<std::string>& includeFolders = {});
int iconResourceNumber(HICON icon);  // 0 for a null or unknown handle
// The image an icon handle shows: its resource, and the size and colour depth of the
// image taken from the resource's .ico file (0 when unknown).
struct IconImage {
    int resource;
    int size;
    int bitsPerPixel;
};
IconImage iconImage(HICON icon);
// The DPI the process sees (reset: 96): GetSystemMetrics' icon sizes follow it, 16 and 32
// pixels at 96. A DPI-unaware process sees 96 whatever the display's scale.
void setSystemDpi(UINT dpi);
bool modulePinned(HINSTANCE instance);
// Windows 95 as a plug-in meets it: KERNEL32 has no GetFileAttributesExA nor
// GetModuleHandleExA (GetProcAddress answers null), and its MoveFileExA is a stub that
// fails with ERROR_CALL_NOT_IMPLEMENTED; USER32 has no ChangeWindowMessageFilter(Ex),
// COMCTL32 no LoadIconMetric. Cleared by reset().
void runAsWindows95(bool on);
// Every Windows before 7 (95 to Vista): GetPrivateProfileSectionA lists at most 32,767
// characters of a section, and answers the length it listed when the caller's buffer was
// larger. On by itself with runAsWindows95; cleared by reset().
void cutSectionListings(bool on);
// Windows NT 4 as a plug-in meets it: section listings cut as above, no UTF-16 profile
// files, and the profile functions' own ways with a file another program holds open
// (profile_files.cpp). Cleared by reset().
void runAsWindowsNT4(bool on);
// Profile files that begin with a byte-order mark: Windows takes a UTF-8 mark for part of
// the first line and reads the file as ANSI; 2000 and later read a UTF-16LE file. Wine
// reads both marks. Off (Windows) by default; the profile-rules table, which Wine
// confirms, turns it on. Cleared by reset().
void readProfileEncodingsAsWine(bool on);
// CreateThread answers null (no memory for another thread). A thread otherwise runs to
// its end inside CreateThread.
void refuseThreads(bool on);
int threadsStarted();  // since reset()
// GetProcAddress answers null for this function, as on a Windows older than it (e.g.
// "LoadIconMetric" and "ChangeWindowMessageFilterEx" before Vista and 7). Cleared by
// reset().
void hideSystemFunction(const std::string& name);

// ---------------------------------------------------------------------------
// Wave-output volume: device 0 answers what the source gives (the player sets it).
// Without a source waveOutGetVolume fails with MMSYSERR_NOTSUPPORTED.
void setWaveOutVolumeSource(std::function<DWORD()> source);

// ---------------------------------------------------------------------------
// Files: Windows paths to the Linux folder given to reset().

std::string linuxPath(const std::string& windowsPath);
void writeFile(const std::string& windowsPath, const std::string& bytes);  // folders made as needed
std::string readFile(const std::string& windowsPath);  // empty when missing
bool fileExists(const std::string& windowsPath);

// Fault injection, by Windows path (compared regardless of case); cleared by reset().
void refuseDelete(const std::string& windowsPath);
void refuseRename(const std::string& fromWindowsPath);
void allowRename(const std::string& fromWindowsPath);  // the refusal above is over
// Writes into this file stop after `bytesAccepted` bytes in total: WriteFile then
// answers FALSE (ERROR_DISK_FULL) and writes nothing more; profile writes fail too.
void failWritesAfter(const std::string& windowsPath, uint64_t bytesAccepted);
// A folder (and everything under it) the user may read but not change, as a standard
// user sees the player's install folder: every create, change, delete or rename inside
// it fails with ERROR_ACCESS_DENIED.
void refuseWritesIn(const std::string& windowsFolder);
// The refusal above is over, as for a player started elevated.
void allowWritesIn(const std::string& windowsFolder);
// A folder (and every folder under it) that cannot be listed: FindFirstFileW on it fails
// with ERROR_ACCESS_DENIED, as for a folder the user may not read.
void refuseListing(const std::string& windowsFolder);

// ---------------------------------------------------------------------------
// The console: which standard handles (STD_INPUT_HANDLE, STD_OUTPUT_HANDLE,
// STD_ERROR_HANDLE) are a console rather than redirected (reset: none), what the listener
// types into it, and what it shows (wide text, as the console draws it).
void useConsole(DWORD standardHandle, bool console);
void typeIntoConsole(const std::wstring& text);
std::wstring consoleText(DWORD standardHandle);

// ---------------------------------------------------------------------------
// Environment: reset() leaves APPDATA naming "C:\Users\listener\AppData\Roaming" and
// LOCALAPPDATA "C:\Users\listener\AppData\Local" (both folders exist). An empty value
// removes the variable.
void setEnvironmentVariable(const std::string& name, const std::string& value);
// Where Windows (Vista and later) puts what a virtualized program writes at
// `windowsPath`, a path under a folder the listener may not change such as Program Files:
// UAC file virtualization redirects a program that asks for no execution level in its
// manifest (a 2.x player has none) to the listener's %LOCALAPPDATA%\VirtualStore\ and
// the path without its drive, and its reads prefer that copy ("Step 3: Redesign for UAC
// Compatibility", "Virtualization"; "How User Account Control (UAC) Affects Your
// Application"). The simulated file functions do not redirect: a test puts there what
// such a program would have left.
std::string virtualStoreFor(const std::string& windowsPath);

}  // namespace sim
