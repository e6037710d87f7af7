// The Wine demo's running account: watches what a listener would notice of the real
// plug-in (the song the host plays, the volumes the plug-in sets, the records it writes,
// the tray icon's tip and animation frames as the plug-in passed them) and prints each
// change once, stamped with the real time since the demo began.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace DemoAccount {

// `songNames` in playlist order; `plugin` is the loaded module, whose icons name the frames.
void begin(const std::vector<std::string>& songNames, const std::string& databasePath, HMODULE plugin);

std::string clock();
void say(const std::string& text);
void listener(const std::string& action);  // what the listener did, marked ">>"
void section(const std::string& title);

// Looks at everything once and reports what changed.
void look();
// Pumps the host's messages, looking as it goes, until `done` or the time is up.
bool waitUntil(const std::function<bool()>& done, DWORD timeoutMs);
void waitFor(DWORD ms);

int volumesSetSoFar();
// The database as last looked at; set after an edit the account should not report.
void forgetDatabase();

}  // namespace DemoAccount
