/* Stands in for a running player during the installer check: a hidden top-level window
 * of the player's main window class ("Winamp v1.x"), which the installer and the
 * uninstaller look for before touching the plug-in.
 *
 *   fake_player_window.exe <ready file> <stop file>
 *
 * Creates <ready file> once the window exists, and exits when <stop file> appears, or
 * after 60 seconds at the latest. Built for x86_64 and run under wine64. */
#include <windows.h>

static const char *stop_file;

static VOID CALLBACK poll_stop(HWND window, UINT message, UINT_PTR id, DWORD now) {
    (void)message;
    (void)id;
    (void)now;
    if (GetFileAttributesA(stop_file) != INVALID_FILE_ATTRIBUTES) DestroyWindow(window);
}

static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int main(int argc, char **argv) {
    if (argc != 3) return 2;
    stop_file = argv[2];

    WNDCLASSA windowClass = {0};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.lpszClassName = "Winamp v1.x";
    if (!RegisterClassA(&windowClass)) return 3;
    HWND window = CreateWindowExA(0, "Winamp v1.x", "fake player", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL,
                                  windowClass.hInstance, NULL);
    if (window == NULL) return 4;
    SetTimer(window, 1, 100, poll_stop);

    HANDLE ready = CreateFileA(argv[1], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (ready == INVALID_HANDLE_VALUE) return 5;
    CloseHandle(ready);

    DWORD started = GetTickCount();
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        DispatchMessageA(&message);
        if (GetTickCount() - started > 60000) DestroyWindow(window);
    }
    return 0;
}
