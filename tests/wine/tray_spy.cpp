#include "tray_spy.h"

#include <shellapi.h>

namespace TraySpy {

namespace {

typedef BOOL(WINAPI* NotifyIcon)(DWORD, PNOTIFYICONDATAA);

NotifyIcon realNotifyIcon = nullptr;
std::vector<Call> recorded;

BOOL WINAPI recordingNotifyIcon(DWORD action, PNOTIFYICONDATAA data) {
    BOOL answer = realNotifyIcon(action, data);
    Call call = {GetTickCount(), action, 0, nullptr, 0, 0, 0, nullptr, "", answer};
    if (data != nullptr) {
        call.size = data->cbSize;
        call.window = data->hWnd;
        call.id = data->uID;
        call.flags = data->uFlags;
        if (data->uFlags & NIF_MESSAGE) call.callbackMessage = data->uCallbackMessage;
        if (data->uFlags & NIF_ICON) call.icon = data->hIcon;
        if (data->uFlags & NIF_TIP) {
            // The first version's tip field is 64 characters; never read past it.
            size_t length = 0;
            while (length < 64 && data->szTip[length] != '\0') ++length;
            call.tip.assign(data->szTip, length);
        }
    }
    recorded.push_back(call);
    return answer;
}

// Every import slot of the module that holds `target` is pointed at `replacement`.
int redirectImports(HMODULE module, FARPROC target, FARPROC replacement) {
    BYTE* base = reinterpret_cast<BYTE*>(module);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return 0;
    int redirected = 0;
    for (const IMAGE_IMPORT_DESCRIPTOR* library =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         library->Name != 0; ++library) {
        for (IMAGE_THUNK_DATA* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
             slot->u1.Function != 0; ++slot) {
            if (slot->u1.Function != reinterpret_cast<ULONG_PTR>(target)) continue;
            // The import table may sit in read-only pages once the loader is done.
            DWORD was = 0;
            if (!VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &was)) continue;
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, was, &was);
            ++redirected;
        }
    }
    return redirected;
}

}  // namespace

bool watch(HMODULE module) {
    HMODULE shell = GetModuleHandleA("shell32.dll");
    if (shell == nullptr) shell = LoadLibraryA("shell32.dll");
    FARPROC real = GetProcAddress(shell, "Shell_NotifyIconA");
    if (real == nullptr) return false;
    realNotifyIcon = reinterpret_cast<NotifyIcon>(reinterpret_cast<void (*)()>(real));
    FARPROC recorder = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(recordingNotifyIcon));
    return redirectImports(module, real, recorder) > 0;
}

const std::vector<Call>& calls() { return recorded; }
void clear() { recorded.clear(); }

std::string currentTip() {
    std::string tip;
    for (const Call& call : recorded) {
        if (call.action == NIM_DELETE && call.answer) tip.clear();
        else if (call.answer && (call.flags & NIF_TIP)) tip = call.tip;
    }
    return tip;
}

Image imageOf(HICON icon) {
    Image image = {0, 0};
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info)) return image;
    BITMAP bitmap = {};
    if (info.hbmColor != nullptr && GetObjectA(info.hbmColor, sizeof bitmap, &bitmap) != 0) {
        image = {bitmap.bmWidth, bitmap.bmBitsPixel};
    }
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    return image;
}

}  // namespace TraySpy
