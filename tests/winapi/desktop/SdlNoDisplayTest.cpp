// The SDL desktop without a display: unavailable, but never a crash or a
// hang. Runs in a child process with no display in its environment.
#include "desktop/sdl/SdlDesktop.h"
#include "tests/support/ChildProcess.h"
#include "user/DesktopEvents.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

TEST(SdlNoDisplay, CreatesNoWindowAndWritesMessageBoxesToStandardError) {
    TestSupport::ChildResult child = TestSupport::RunInChild([] {
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("SDL_VIDEODRIVER");
        auto desktop = WinApi::MakeSdlDesktop(WinApi::UserDesktopEvents());
        const HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1004));
        WinApi::WindowInfo info;
        info.Title = "Nowhere";
        info.Client = {10, 10, 110, 60};
        info.Visible = true;
        auto surface = std::make_shared<WinApi::ClientSurface>(100, 50);
        bool available = desktop->Available();
        bool added = desktop->AddWindow(window, info, surface);
        // What a window that was never added is told is ignored.
        desktop->ShowWindow(window, true);
        desktop->WindowChanged(window, info);
        desktop->RemoveWindow(window);
        int pressed = desktop->MessageBox(nullptr, "Graphics are not available", "Plotter",
                                          MB_OK | MB_ICONERROR);
        WinApi::ScreenInfo screen = desktop->Screen();
        desktop.reset();
        std::printf("available %d added %d pressed %d screen %dx%d wake %d\n", available, added,
                    pressed, screen.Width, screen.Height, static_cast<bool>(surface->Wake));
        std::fflush(stdout);
    });
    EXPECT_EQ(child.Signal, 0);
    EXPECT_EQ(child.ExitCode, 0);
    EXPECT_EQ(child.StdOut, "available 0 added 0 pressed 1 screen 0x0 wake 0\n");
    EXPECT_EQ(child.StdErr, "Plotter: Graphics are not available\n");
}

} // namespace
