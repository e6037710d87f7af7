// The process environment: variables by name, regardless of case, as the platform keeps
// them. A fresh machine has the listener's APPDATA and LOCALAPPDATA, and their folders
// exist.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <map>
#include <string>

#include "core_internal.h"
#include "files_internal.h"
#include "sim/platform.h"

namespace sim {
namespace core {

namespace {
constexpr char APPDATA_FOLDER[] = "C:\\Users\\listener\\AppData\\Roaming";
constexpr char LOCAL_APPDATA_FOLDER[] = "C:\\Users\\listener\\AppData\\Local";
std::map<std::string, std::string> variables;  // by lower-cased name
}  // namespace

void resetEnvironment() {
    variables.clear();
    variables["appdata"] = APPDATA_FOLDER;
    variables["localappdata"] = LOCAL_APPDATA_FOLDER;
    files::makeFolders(files::resolve(APPDATA_FOLDER).onDisk);
    files::makeFolders(files::resolve(LOCAL_APPDATA_FOLDER).onDisk);
}

}  // namespace core

void setEnvironmentVariable(const std::string& name, const std::string& value) {
    if (value.empty()) {
        core::variables.erase(core::lowerCase(name));
    } else {
        core::variables[core::lowerCase(name)] = value;
    }
}

std::string virtualStoreFor(const std::string& windowsPath) {
    auto local = core::variables.find("localappdata");
    bool onADrive = windowsPath.size() > 2 && windowsPath[1] == ':';
    if (local == core::variables.end() || !onADrive) return std::string();
    return local->second + "\\VirtualStore" + windowsPath.substr(2);
}

}  // namespace sim

extern "C" {

// The value's length when it fits with its terminator; otherwise the size it needs,
// terminator included, and the buffer is left alone.
DWORD GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize) {
    auto found = lpName == nullptr ? sim::core::variables.end() : sim::core::variables.find(sim::core::lowerCase(lpName));
    if (found == sim::core::variables.end()) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    const std::string& value = found->second;
    if (lpBuffer == nullptr || value.size() + 1 > nSize) return static_cast<DWORD>(value.size() + 1);
    std::memcpy(lpBuffer, value.c_str(), value.size() + 1);
    return static_cast<DWORD>(value.size());
}

// SHGetFolderPath's reference: the path of the folder a CSIDL names, at most MAX_PATH
// characters, S_OK; CSIDL_APPDATA is the user's "Application Data" folder and
// CSIDL_LOCAL_APPDATA its local (non-roaming) one. Here they are the folders APPDATA and
// LOCALAPPDATA name; any other folder is one this machine does not have (E_FAIL).
HRESULT SHGetFolderPathA(HWND, int csidl, HANDLE, DWORD, LPSTR pszPath) {
    const char* variable = csidl == CSIDL_APPDATA ? "appdata" : csidl == CSIDL_LOCAL_APPDATA ? "localappdata" : nullptr;
    auto found = variable == nullptr ? sim::core::variables.end() : sim::core::variables.find(variable);
    if (pszPath == nullptr || found == sim::core::variables.end() || found->second.size() >= MAX_PATH) return E_FAIL;
    std::memcpy(pszPath, found->second.c_str(), found->second.size() + 1);
    return S_OK;
}

}  // extern "C"

// One process, as seen from inside it.
extern "C" DWORD GetCurrentProcessId(void) { return 4242; }
