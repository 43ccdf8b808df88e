// Prints the client area of a maximised window as the system reports it
// (SM_CXFULLSCREEN and SM_CYFULLSCREEN), which sizes the window driver's
// maximised mode.
#include <windows.h>

#include <cstdio>

int main() {
    std::printf("%d %d\n", GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN));
}
