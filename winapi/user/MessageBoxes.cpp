// Message boxes: the desktop shows them; without a display the text goes to
// standard error, which is where a user without a screen will look, and the
// box counts as acknowledged.
#include "desktop/Desktop.h"

#include <cstdio>

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    // Windows' caption when the program gives none.
    const char* caption = lpCaption ? lpCaption : "Error";
    const char* text = lpText ? lpText : "";
    WinApi::Desktop& desktop = WinApi::CurrentDesktop();
    if (!desktop.Available()) {
        std::fprintf(stderr, "%s: %s\n", caption, text);
        std::fflush(stderr);
        return IDOK;
    }
    return desktop.MessageBox(hWnd, text, caption, uType);
}
