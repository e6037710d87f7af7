// Modules and their resources: the plug-in's module has the path a test gives it, and
// the icons its resource script declares. LoadIconA shares one handle per icon, as the
// platform does for icons loaded from a module.
#include <windows.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "core_internal.h"
#include "resource_script.h"
#include "sim/platform.h"

namespace sim {
namespace core {

namespace {

constexpr DWORD ERROR_MOD_NOT_FOUND_ = 126;
constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND_ = 1813;
constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND_ = 1814;

// The host program, and the plug-in loaded into it.
const HMODULE HOST_MODULE = reinterpret_cast<HMODULE>(0x00400000);
const HINSTANCE PLUGIN_MODULE = reinterpret_cast<HINSTANCE>(0x10000000);
constexpr char HOST_PATH[] = "C:\\Program Files\\Winamp\\winamp.exe";

constexpr uintptr_t NUMBERED_ICONS = 0x30000;  // handle = NUMBERED_ICONS + 4 * number
constexpr uintptr_t NAMED_ICONS = 0x70000;

std::map<HMODULE, std::string> modulePaths;
std::set<HMODULE> pinned;
std::map<std::string, HICON> namedIconHandles;

std::string baseName(const std::string& path) {
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

HMODULE moduleNamed(const char* name) {
    if (!name) return HOST_MODULE;
    std::string wanted = lowerCase(name);
    for (auto& [module, path] : modulePaths) {
        if (lowerCase(path) == wanted || lowerCase(baseName(path)) == wanted) return module;
    }
    if (wanted == lowerCase(baseName(HOST_PATH)) || wanted == lowerCase(HOST_PATH)) return HOST_MODULE;
    return nullptr;
}

}  // namespace

void resetModules() {
    modulePaths.clear();
    pinned.clear();
    namedIconHandles.clear();
    resources::clear();
}

}  // namespace core

void setModulePath(HINSTANCE instance, const std::string& windowsPath) { core::modulePaths[instance] = windowsPath; }

HINSTANCE pluginInstance() { return core::PLUGIN_MODULE; }

int iconResourceNumber(HICON icon) {
    uintptr_t h = reinterpret_cast<uintptr_t>(icon);
    if (h < core::NUMBERED_ICONS || h >= core::NAMED_ICONS || (h - core::NUMBERED_ICONS) % 4 != 0) return 0;
    int number = static_cast<int>((h - core::NUMBERED_ICONS) / 4);
    return resources::current().iconsByNumber.count(number) ? number : 0;
}

bool modulePinned(HINSTANCE instance) { return core::pinned.count(instance) != 0; }

}  // namespace sim

extern "C" {

DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    using namespace sim::core;
    std::string path;
    if (!hModule || hModule == HOST_MODULE) {
        path = HOST_PATH;
    } else {
        auto it = modulePaths.find(hModule);
        if (it == modulePaths.end()) {
            SetLastError(ERROR_MOD_NOT_FOUND_);
            return 0;
        }
        path = it->second;
    }
    if (nSize == 0 || !lpFilename) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // A path that does not fit, terminator included, is cut to nSize - 1 characters and
    // terminated, and the answer is nSize.
    if (path.size() >= nSize) {
        std::memcpy(lpFilename, path.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::memcpy(lpFilename, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

BOOL GetModuleHandleExA(DWORD dwFlags, LPCSTR lpModuleName, HMODULE* phModule) {
    using namespace sim::core;
    if (!phModule) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Asked by an address, the only code that asks is the plug-in's own.
    HMODULE module =
        (dwFlags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) ? PLUGIN_MODULE : moduleNamed(lpModuleName);
    *phModule = module;
    if (!module) {
        SetLastError(ERROR_MOD_NOT_FOUND_);
        return FALSE;
    }
    if (dwFlags & GET_MODULE_HANDLE_EX_FLAG_PIN) pinned.insert(module);
    return TRUE;
}

HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    using namespace sim::core;
    // Only the plug-in's module has resources here; the system's stock icons are not
    // simulated.
    const sim::resources::Script& script = sim::resources::current();
    if (hInstance != PLUGIN_MODULE || !script.loaded) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND_);
        return nullptr;
    }
    if (!lpIconName) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND_);
        return nullptr;
    }
    long number = -1;
    if (IS_INTRESOURCE(lpIconName)) {
        number = static_cast<long>(reinterpret_cast<uintptr_t>(lpIconName));
    } else if (lpIconName[0] == '#') {
        char* end = nullptr;
        number = std::strtol(lpIconName + 1, &end, 10);
        if (*end != '\0') number = -1;
    } else {
        std::string name = lpIconName;
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (!script.iconsByName.count(name)) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND_);
            return nullptr;
        }
        auto [it, fresh] = namedIconHandles.emplace(name, nullptr);
        if (fresh) it->second = reinterpret_cast<HICON>(NAMED_ICONS + 4 * namedIconHandles.size());
        return it->second;
    }
    if (number < 0 || !script.iconsByNumber.count(static_cast<int>(number))) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND_);
        return nullptr;
    }
    return reinterpret_cast<HICON>(NUMBERED_ICONS + 4 * static_cast<uintptr_t>(number));
}

}  // extern "C"
