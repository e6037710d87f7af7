// The simulated registry: only which keys under HKEY_LOCAL_MACHINE exist. A key opens
// when it, or a key below it, has been declared present; names match regardless of case.
#include <windows.h>

#include <cstdint>
#include <set>
#include <string>

#include "core_internal.h"
#include "sim/platform.h"

namespace sim {
namespace core {

namespace {

constexpr LONG ERROR_INVALID_HANDLE_ = 6;
constexpr LONG ERROR_INVALID_PARAMETER_ = 87;
constexpr char USUAL_KEY[] = "software\\microsoft\\windows nt\\currentversion";

std::set<std::string> presentKeys;
std::set<HKEY> openKeys;
uintptr_t nextKeyHandle = 0x2000;

std::string normalised(const std::string& path) {
    std::string out = lowerCase(path);
    while (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

bool exists(const std::string& path) {
    if (path.empty()) return true;
    for (const std::string& key : presentKeys) {
        if (key == path) return true;
        if (key.size() > path.size() && key.compare(0, path.size(), path) == 0 && key[path.size()] == '\\') {
            return true;
        }
    }
    return false;
}

bool isPredefined(HKEY key) { return (reinterpret_cast<uintptr_t>(key) & 0x80000000u) != 0 && key != nullptr; }

}  // namespace

void resetRegistry() {
    presentKeys = {USUAL_KEY};
    openKeys.clear();
}

}  // namespace core

void setRegistryKeyPresent(const std::string& localMachinePath, bool present) {
    std::string key = core::normalised(localMachinePath);
    if (present) {
        core::presentKeys.insert(key);
        return;
    }
    // Deleting a key deletes what lies below it, and the key must then not open through
    // a child either.
    for (auto it = core::presentKeys.begin(); it != core::presentKeys.end();) {
        bool below = *it == key || (it->size() > key.size() && it->compare(0, key.size(), key) == 0 &&
                                    (*it)[key.size()] == '\\');
        it = below ? core::presentKeys.erase(it) : std::next(it);
    }
}

int openRegistryKeys() { return static_cast<int>(core::openKeys.size()); }

}  // namespace sim

extern "C" {

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
    using namespace sim::core;
    if (!phkResult) return ERROR_INVALID_PARAMETER_;
    *phkResult = nullptr;
    if (hKey != HKEY_LOCAL_MACHINE) return ERROR_FILE_NOT_FOUND;
    std::string path = normalised(lpSubKey ? lpSubKey : "");
    if (!exists(path)) return ERROR_FILE_NOT_FOUND;
    HKEY opened = reinterpret_cast<HKEY>(nextKeyHandle);
    nextKeyHandle += 4;
    openKeys.insert(opened);
    *phkResult = opened;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
    using namespace sim::core;
    if (isPredefined(hKey)) return ERROR_SUCCESS;
    if (!openKeys.erase(hKey)) return ERROR_INVALID_HANDLE_;
    return ERROR_SUCCESS;
}

}  // extern "C"
