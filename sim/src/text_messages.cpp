// Text messages crossing between an ANSI and a Unicode window procedure go through the
// ANSI code page, as the platform does it: WM_SETTEXT's string and WM_CHAR's character.
// Everything else, the host's WM_USER requests included, passes unchanged.
#include <windows.h>

#include <string>

#include "code_page.h"
#include "core_internal.h"

namespace sim {
namespace core {

LRESULT callProcedure(WNDPROC procedure, bool procedureWide, bool sentWide, HWND window, UINT message,
                      WPARAM wParam, LPARAM lParam) {
    if (!procedure) return 0;
    if (procedureWide == sentWide) return procedure(window, message, wParam, lParam);
    switch (message) {
        case WM_SETTEXT: {
            if (lParam == 0) break;
            // The translated copy lives for the call, as the platform's does.
            if (procedureWide) {
                std::wstring wide = codepage::widenAnsi(reinterpret_cast<const char*>(lParam));
                return procedure(window, message, wParam, reinterpret_cast<LPARAM>(wide.c_str()));
            }
            std::string ansi = codepage::narrowToAnsi(reinterpret_cast<const WCHAR*>(lParam));
            return procedure(window, message, wParam, reinterpret_cast<LPARAM>(ansi.c_str()));
        }
        case WM_CHAR:
            wParam = procedureWide ? codepage::widenAnsiChar(wParam) : codepage::narrowToAnsiChar(wParam);
            break;
        default: break;
    }
    return procedure(window, message, wParam, lParam);
}

}  // namespace core
}  // namespace sim
