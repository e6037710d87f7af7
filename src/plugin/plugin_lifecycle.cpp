#include "plugin/plugin_lifecycle.h"

#include "adapters/bounded_text.h"
#include "controls/config_dialog.h"
#include "controls/hotkey_control.h"
#include "controls/tray_indicator.h"
#include "adapters/host_link.h"
#include "plugin/host_window_hook.h"
#include "adapters/later_windows.h"
#include "plugin/plugin_record.h"
#include "adapters/profile_encoding.h"
#include "adapters/profile_file.h"
#include "adapters/settings_store.h"
#include "memory/database_copies.h"
#include "memory/database_index.h"
#include "memory/database_swap.h"
#include "memory/pending_records.h"
#include "memory/song_tracker.h"

namespace PluginLifecycle {

namespace {

constexpr int VERSION_MAJOR = 0;
constexpr int VERSION_MINOR = 5;
constexpr size_t MODULE_PATH_CAPACITY = 512;

char description[512] = "";

// "Tamsel Loudmark Plug-In v0.5 (gen_loudmark.dll)"; a module name too long for the
// buffer is cut, the rest of the text still stands.
void describe() {
    char modulePath[MODULE_PATH_CAPACITY] = "";
    DWORD length = GetModuleFileNameA(pluginRecord.hDllInstance, modulePath, sizeof modulePath);
    // A path that fills the buffer may come back without its terminating zero.
    if (length >= sizeof modulePath) length = sizeof modulePath - 1;
    modulePath[length] = '\0';

    BoundedText::copy(description, sizeof description, SECTION_NAME);
    BoundedText::append(description, sizeof description, " Plug-In v");
    BoundedText::appendInt(description, sizeof description, VERSION_MAJOR);
    BoundedText::append(description, sizeof description, ".");
    BoundedText::appendInt(description, sizeof description, VERSION_MINOR);
    BoundedText::append(description, sizeof description, " (");
    BoundedText::append(description, sizeof description, BoundedText::afterLastBackslash(modulePath));
    BoundedText::append(description, sizeof description, ")");
    pluginRecord.description = description;
}

bool hostTooOld() {
    if (HostLink::getVersion() >= HostLink::REQUIRED_VERSION) return false;
    // No owner: the host's window is not ours to lean on before we are running.
    MessageBoxA(nullptr, "WinAmp Version 2.05 required.\nLoudmark not enabled.", "Warning", MB_OK);
    return true;
}

// Anything module-wide that a pinned module would otherwise carry over from its
// previous load into the next one.
void showNewSong() { TrayIndicator::startAnimation(AnimationKind::NewSong); }

void installHookIfMissing() {
    if (!hookInstalled()) installHook();
}

void startLoadAfresh() {
    SongTracker::state = SongTracker::State();
    DatabaseIndex::release();
    SongTracker::whenNewSong(&showNewSong);
    PendingRecords::reset();
}

// Records that never reached the database are lost once we quit: the last chance to
// write them. Answers how many are lost.
int savePendingRecords() {
    PendingRecords::flush(SettingsStore::databasePath);
    int lost = PendingRecords::count() + PendingRecords::dropped();
    PendingRecords::reset();
    return lost;
}

// A file an editor saved as Unicode text is written back as the plain text the profile
// functions read, and the listener hears of it once.
void makePlain(const char* path) {
    ProfileEncoding::Outcome outcome = ProfileEncoding::makePlain(path, DatabaseSwap::replaceWith);
    if (outcome == ProfileEncoding::Outcome::Plain) return;
    char text[MAX_PATH + 200] = "Loudmark found\n";
    BoundedText::append(text, sizeof text, path);
    if (outcome == ProfileEncoding::Outcome::MadePlain) {
        BoundedText::append(text, sizeof text, "\nsaved as Unicode text, which Windows does not read as settings. "
                                               "It has been written back as plain text; nothing in it was lost.");
    } else {
        BoundedText::append(text, sizeof text, "\nsaved as Unicode text, which Windows does not read as settings, "
                                               "and could not write it back as plain text. Save it as ANSI text.");
    }
    MessageBoxA(pluginRecord.hwndParent, text, "Warning", MB_OK | MB_ICONWARNING);
}

// Our files in the folder chosen at start-up: what earlier folders hold is carried over
// until they have settled there; a database cut short by a crash or a full disk gets
// back the records its last whole copy holds, and the listener is told.
void careForDatabase() {
    const char* database = SettingsStore::databasePath;
    if (SettingsStore::storage == StorageFolder::Kind::NoneWritable || database[0] == '\0') return;
    if (!DatabaseCopies::settled(database)) {
        char folder[MAX_PATH];
        char earlier[StorageFolder::MOST_EARLIER_FOLDERS][MAX_PATH];
        BoundedText::copy(folder, sizeof folder, database);
        folder[BoundedText::afterLastBackslash(folder) - folder] = '\0';
        int count = StorageFolder::earlierFolders(SettingsStore::moduleFolder, folder, earlier);
        // One that failed (a file held open) is tried again at the next start.
        if (DatabaseCopies::carryOver(folder, earlier, count)) DatabaseCopies::refreshWhole(database);
        return;
    }
    int restored = DatabaseCopies::restoreFromWhole(database);
    if (restored != 0) {
        char text[MAX_PATH + 200] = "Loudmark found its volume database cut short (Windows or the player stopped "
                                    "while it was being written):\n";
        BoundedText::append(text, sizeof text, database);
        if (restored > 0) {
            BoundedText::append(text, sizeof text, "\nThe volumes of ");
            BoundedText::appendInt(text, sizeof text, restored);
            BoundedText::append(text, sizeof text, restored == 1 ? " song have" : " songs have");
            BoundedText::append(text, sizeof text, " been brought back from its last whole copy.");
        } else {
            BoundedText::append(text, sizeof text, "\nIts last whole copy could not be put back now; it is kept.");
        }
        MessageBoxA(pluginRecord.hwndParent, text, "Warning", MB_OK | MB_ICONWARNING);
        if (restored < 0) return;  // the copy stays as it is, for the next start
    }
    DatabaseCopies::refreshWhole(database);
}

// Not when start-up has already told the listener that nothing can be written.
void reportLostRecords(int lost) {
    if (lost == 0 || SettingsStore::storage == StorageFolder::Kind::NoneWritable) return;
    char text[MAX_PATH + 160] = "Loudmark could not save the volume of ";
    BoundedText::appendInt(text, sizeof text, lost);
    BoundedText::append(text, sizeof text, lost == 1 ? " song" : " songs");
    BoundedText::append(text, sizeof text, " in\n");
    BoundedText::append(text, sizeof text, SettingsStore::databasePath);
    BoundedText::append(text, sizeof text, "\nAnother program held it open, or it is read-only, or the disk is full.");
    // At shutdown the host's window may be gone already.
    HWND owner = IsWindow(pluginRecord.hwndParent) ? pluginRecord.hwndParent : nullptr;
    MessageBoxA(owner, text, "Warning", MB_OK | MB_ICONWARNING);
}

}  // namespace

int init() {
    HostLink::attach(pluginRecord.hwndParent);
    startLoadAfresh();
    describe();
    bool oldHost = hostTooOld();
    SettingsStore::locateFiles(pluginRecord.hDllInstance);
    DatabaseSwap::recoverInterrupted(SettingsStore::settingsPath);
    DatabaseSwap::recoverInterrupted(SettingsStore::databasePath);
    makePlain(SettingsStore::settingsPath);
    makePlain(SettingsStore::databasePath);
    careForDatabase();
    TrayIndicator::loadIcons(pluginRecord.hDllInstance);
    SettingsStore::load();
    if (oldHost) settings.enabled = 0;
    HotkeyControl::detectWin95Mode();
    HotkeyControl::state.lastDirection = 0;

    if (!settings.enabled) return 0;
    installHook();
    if (settings.hotkey) HotkeyControl::registerHotkeys();
    DatabaseIndex::follow(SettingsStore::databasePath);
    SongTracker::start();
    TrayIndicator::add();
    return 0;
}

void config() { ConfigDialog::run(pluginRecord.hDllInstance, &installHookIfMissing); }

void quit() {
    // The host may unload us as soon as we return, so nothing of ours may be left to be
    // called: the main timer goes also when disabled (a refused re-arm leaves the old
    // timer running), and so does a running animation's timer.
    SongTracker::stop();
    if (settings.enabled) TrayIndicator::remove();
    TrayIndicator::stopAnimationTimer();
    HotkeyControl::unregisterHotkeys();
    SettingsStore::save();
    int lostRecords = savePendingRecords();
    // Nothing of ours may stay in 9x's profile cache once we are gone.
    ProfileFile::flush(SettingsStore::databasePath);
    ProfileFile::flush(SettingsStore::settingsPath);

    if (!HostWindowHook::uninstall()) {
        // Another module has put its procedure over ours and will go on calling ours:
        // keep this module in memory for the rest of the process instead.
        LaterWindows::pinModule(pluginRecord.hDllInstance, reinterpret_cast<const void*>(&HostWindowHook::procedure));
    }
    // Last, with nothing of ours routed any more: the box runs a message loop.
    reportLostRecords(lostRecords);
}

void installHook() { HostWindowHook::install(pluginRecord.hwndParent); }

bool hookInstalled() {
    return HostWindowHook::state.inChain && HostWindowHook::state.routing &&
           HostWindowHook::state.window == pluginRecord.hwndParent;
}

}  // namespace PluginLifecycle
