// Modules and their resources: the plug-in's module has the path a test gives it, and
// the icons its resource script declares. LoadIconA shares one handle per icon, as the
// platform does for icons loaded from a module. An icon resource holds the images of
// its .ico file; a load at a size picks one of them, and the system metrics that name
// the sizes follow the DPI the process sees.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

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
// One image of an icon: SIZED_ICONS + 4 * (number * MAX_IMAGES + index in its file)
constexpr uintptr_t SIZED_ICONS = 0x1000000;
constexpr uintptr_t MAX_IMAGES = 32;
constexpr UINT STANDARD_DPI = 96;

std::map<HMODULE, std::string> modulePaths;
std::set<HMODULE> pinned;
std::map<std::string, HICON> namedIconHandles;
UINT systemDpi = STANDARD_DPI;

struct Image {
    int size;
    int bits;
};

// The images an icon file's directory lists, in its order; none when it cannot be read.
std::vector<Image> imagesOf(int number) {
    const sim::resources::Script& script = sim::resources::current();
    auto file = script.iconsByNumber.find(number);
    if (file == script.iconsByNumber.end()) return {};
    size_t cut = script.path.find_last_of('/');
    std::string folder = cut == std::string::npos ? "." : script.path.substr(0, cut);
    std::ifstream in(folder + "/" + file->second, std::ios::binary);
    std::vector<unsigned char> b{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::vector<Image> images;
    if (b.size() < 6 || b[2] != 1 || b[3] != 0) return images;
    size_t count = b[4] | (b[5] << 8);
    for (size_t i = 0; i < count && i < MAX_IMAGES && b.size() >= 6 + 16 * (i + 1); ++i) {
        const unsigned char* e = &b[6 + 16 * i];
        images.push_back(Image{e[0] == 0 ? 256 : e[0], e[6] | (e[7] << 8)});
    }
    return images;
}

// The image a load at `size` pixels takes on a true-colour display: that size if the
// icon has it, else the next larger one to scale down, else the largest; of those, the
// most colours. LoadIconMetric's reference says it scales a larger image down; how
// LoadImage chooses is not documented, and the plug-in asks only for sizes it has.
int pick(const std::vector<Image>& images, int size) {
    int best = -1;
    auto better = [&](const Image& a, const Image& b) {
        bool aFits = a.size >= size, bFits = b.size >= size;
        if (aFits != bFits) return aFits;
        if (a.size != b.size) return aFits ? a.size < b.size : a.size > b.size;
        return a.bits > b.bits;
    };
    for (size_t i = 0; i < images.size(); ++i) {
        if (best < 0 || better(images[i], images[static_cast<size_t>(best)])) best = static_cast<int>(i);
    }
    return best;
}

int scaled(int pixels) { return static_cast<int>((pixels * systemDpi + STANDARD_DPI / 2) / STANDARD_DPI); }

// An icon's image at `size`, or its plain handle when its file cannot be read.
HICON sizedIcon(long number, int size) {
    int index = pick(imagesOf(static_cast<int>(number)), size);
    if (index < 0) return reinterpret_cast<HICON>(NUMBERED_ICONS + 4 * static_cast<uintptr_t>(number));
    return reinterpret_cast<HICON>(SIZED_ICONS + 4 * (static_cast<uintptr_t>(number) * MAX_IMAGES + index));
}

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
    systemDpi = STANDARD_DPI;
    resources::clear();
}

// Which icon a name given to a load stands for: its resource number, or -1 with the
// handle in *named for an icon named by text. False, with the error set, when the
// module has no such icon.
bool findIcon(HINSTANCE instance, LPCSTR iconName, long* number, HICON* named) {
    // Only the plug-in's module has resources here; the system's stock icons are not
    // simulated.
    const sim::resources::Script& script = sim::resources::current();
    if (instance != PLUGIN_MODULE || !script.loaded) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND_);
        return false;
    }
    if (!iconName) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND_);
        return false;
    }
    *number = -1;
    if (IS_INTRESOURCE(iconName)) {
        *number = static_cast<long>(reinterpret_cast<uintptr_t>(iconName));
    } else if (iconName[0] == '#') {
        char* end = nullptr;
        *number = std::strtol(iconName + 1, &end, 10);
        if (*end != '\0') *number = -2;
    } else {
        std::string name = iconName;
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (!script.iconsByName.count(name)) {
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND_);
            return false;
        }
        auto [it, fresh] = namedIconHandles.emplace(name, nullptr);
        if (fresh) it->second = reinterpret_cast<HICON>(NAMED_ICONS + 4 * namedIconHandles.size());
        *named = it->second;
        return true;
    }
    if (*number < 0 || !script.iconsByNumber.count(static_cast<int>(*number))) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND_);
        return false;
    }
    return true;
}

}  // namespace core

void setModulePath(HINSTANCE instance, const std::string& windowsPath) { core::modulePaths[instance] = windowsPath; }

HINSTANCE pluginInstance() { return core::PLUGIN_MODULE; }

int iconResourceNumber(HICON icon) { return iconImage(icon).resource; }

IconImage iconImage(HICON icon) {
    using namespace core;
    uintptr_t h = reinterpret_cast<uintptr_t>(icon);
    IconImage image{0, 0, 0};
    if (h % 4 != 0) return image;
    if (h >= SIZED_ICONS) {
        uintptr_t slot = (h - SIZED_ICONS) / 4;
        image.resource = static_cast<int>(slot / MAX_IMAGES);
        std::vector<Image> images = imagesOf(image.resource);
        size_t index = slot % MAX_IMAGES;
        if (index >= images.size()) return IconImage{0, 0, 0};
        image.size = images[index].size;
        image.bitsPerPixel = images[index].bits;
        return image;
    }
    if (h < NUMBERED_ICONS || h >= NAMED_ICONS) return image;
    image.resource = static_cast<int>((h - NUMBERED_ICONS) / 4);
    if (!resources::current().iconsByNumber.count(image.resource)) return IconImage{0, 0, 0};
    // LoadIconA's icons are the large size.
    std::vector<Image> images = imagesOf(image.resource);
    int index = pick(images, scaled(32));
    if (index >= 0) image = IconImage{image.resource, images[static_cast<size_t>(index)].size,
                                      images[static_cast<size_t>(index)].bits};
    return image;
}

void setSystemDpi(UINT dpi) { core::systemDpi = dpi; }

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
    long number;
    HICON named = nullptr;
    if (!sim::core::findIcon(hInstance, lpIconName, &number, &named)) return nullptr;
    if (named) return named;
    return reinterpret_cast<HICON>(sim::core::NUMBERED_ICONS + 4 * static_cast<uintptr_t>(number));
}

HANDLE LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad) {
    using namespace sim::core;
    (void)cy;
    if (type != IMAGE_ICON) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    long number;
    HICON named = nullptr;
    if (!findIcon(hInst, name, &number, &named)) return nullptr;
    if (named) return named;
    // A width of 0 means the large icon size with LR_DEFAULTSIZE, else the resource's own.
    if (cx == 0) {
        std::vector<Image> images = imagesOf(static_cast<int>(number));
        cx = (fuLoad & LR_DEFAULTSIZE) || images.empty() ? GetSystemMetrics(SM_CXICON) : images[0].size;
    }
    return sizedIcon(number, cx);
}

// LoadIconMetric's reference: LIM_SMALL is the SM_CXSMICON size, LIM_LARGE SM_CXICON.
HRESULT LoadIconMetric(HINSTANCE hinst, PCWSTR pszName, int lims, HICON* phico) {
    using namespace sim::core;
    if (!phico || (lims != LIM_SMALL && lims != LIM_LARGE) || !IS_INTRESOURCE(pszName)) return E_INVALIDARG;
    long number;
    HICON named = nullptr;
    if (!findIcon(hinst, reinterpret_cast<LPCSTR>(pszName), &number, &named)) {
        return static_cast<HRESULT>(0x80070000u | ERROR_RESOURCE_NAME_NOT_FOUND_);
    }
    *phico = sizedIcon(number, GetSystemMetrics(lims == LIM_SMALL ? SM_CXSMICON : SM_CXICON));
    return S_OK;
}

int GetSystemMetrics(int nIndex) {
    using sim::core::scaled;
    switch (nIndex) {
        case SM_CXICON:
        case SM_CYICON: return scaled(32);
        case SM_CXSMICON:
        case SM_CYSMICON: return scaled(16);
        default: return 0;
    }
}

}  // extern "C"
