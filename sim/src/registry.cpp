// The simulated registry: which keys under HKEY_LOCAL_MACHINE exist, and the string
// values a test puts under either root. A key opens when it, or a key below it, has been
// declared present or holds a value; names match regardless of case.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "core_internal.h"
#include "sim/platform.h"

namespace sim {
namespace core {

namespace {

constexpr char USUAL_KEY[] = "hklm\\software\\microsoft\\windows nt\\currentversion";

// Keys are kept with their root in front ("hklm\..." or "hkcu\..."), lower-cased.
std::set<std::string> presentKeys;
std::map<std::string, std::map<std::string, std::string>> values;  // key -> value name -> data
std::map<HKEY, std::string> openKeys;
uintptr_t nextKeyHandle = 0x2000;

std::string normalised(HKEY root, const std::string& path) {
    std::string out = lowerCase(path);
    while (!out.empty() && out.back() == '\\') out.pop_back();
    std::string prefix = root == HKEY_CURRENT_USER ? "hkcu" : "hklm";
    return out.empty() ? prefix : prefix + "\\" + out;
}

bool exists(const std::string& path) {
    for (const std::string& key : presentKeys) {
        if (atOrBelow(key, path, '\\')) return true;
    }
    return false;
}

bool isPredefined(HKEY key) { return (reinterpret_cast<uintptr_t>(key) & 0x80000000u) != 0 && key != nullptr; }

}  // namespace

void resetRegistry() {
    presentKeys = {USUAL_KEY};
    values.clear();
    openKeys.clear();
}

}  // namespace core

void setRegistryKeyPresent(const std::string& localMachinePath, bool present) {
    std::string key = core::normalised(HKEY_LOCAL_MACHINE, localMachinePath);
    if (present) {
        core::presentKeys.insert(key);
        return;
    }
    // Deleting a key deletes what lies below it, and the key must then not open through
    // a child either.
    for (auto it = core::presentKeys.begin(); it != core::presentKeys.end();) {
        it = core::atOrBelow(*it, key, '\\') ? core::presentKeys.erase(it) : std::next(it);
    }
    for (auto it = core::values.begin(); it != core::values.end();) {
        it = core::atOrBelow(it->first, key, '\\') ? core::values.erase(it) : std::next(it);
    }
}

void setRegistryString(HKEY root, const std::string& keyPath, const std::string& valueName, const std::string& data) {
    std::string key = core::normalised(root, keyPath);
    core::presentKeys.insert(key);
    core::values[key][core::lowerCase(valueName)] = data;
}

int openRegistryKeys() { return static_cast<int>(core::openKeys.size()); }

}  // namespace sim

extern "C" {

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
    using namespace sim::core;
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    if (hKey != HKEY_LOCAL_MACHINE && hKey != HKEY_CURRENT_USER) return ERROR_FILE_NOT_FOUND;
    std::string path = normalised(hKey, lpSubKey ? lpSubKey : "");
    if (!exists(path)) return ERROR_FILE_NOT_FOUND;
    HKEY opened = reinterpret_cast<HKEY>(nextKeyHandle);
    nextKeyHandle += 4;
    openKeys[opened] = path;
    *phkResult = opened;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
    using namespace sim::core;
    if (isPredefined(hKey)) return ERROR_SUCCESS;
    if (!openKeys.erase(hKey)) return ERROR_INVALID_HANDLE;
    return ERROR_SUCCESS;
}

// A string value with its terminator; ERROR_MORE_DATA, and the size it needs, when the
// buffer is too small.
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    using namespace sim::core;
    auto key = openKeys.find(hKey);
    if (key == openKeys.end()) return ERROR_INVALID_HANDLE;
    auto named = values.find(key->second);
    if (named == values.end()) return ERROR_FILE_NOT_FOUND;
    auto value = named->second.find(lowerCase(lpValueName ? lpValueName : ""));
    if (value == named->second.end()) return ERROR_FILE_NOT_FOUND;
    DWORD needed = static_cast<DWORD>(value->second.size() + 1);
    if (lpType != nullptr) *lpType = REG_SZ;
    if (lpData == nullptr) {
        if (lpcbData != nullptr) *lpcbData = needed;
        return ERROR_SUCCESS;
    }
    if (lpcbData == nullptr) return ERROR_INVALID_PARAMETER;
    if (*lpcbData < needed) {
        *lpcbData = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(lpData, value->second.c_str(), needed);
    *lpcbData = needed;
    return ERROR_SUCCESS;
}

}  // extern "C"
