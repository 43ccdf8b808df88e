// The SDL desktop on a real X display (Xvfb in CI): a window appears with its
// title and client size, drawn pixels reach the screen, and closing it on the
// display comes back as a close request. The X side is observed and driven
// with the X tools and, for the close box, a small WM_DELETE_WINDOW sender.
// Every test here skips without DISPLAY.
#include "desktop/sdl/SdlDesktop.h"
#include "gdi/WindowDC.h"
#include "tests/support/Eventually.h"
#include "tests/support/XWindows.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cfenv>
#include <dlfcn.h>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>
#include <xmmintrin.h>

// Last: Xlib's macros (None, Bool, Status) would clash with the test framework's names.
#include <X11/Xlib.h>

namespace {

using TestSupport::CommandOutput;

// Generous, in seconds: only a broken desktop makes a test wait this long.
bool WaitUntil(const std::function<bool()>& done) {
    return TestSupport::Eventually(done, 15, std::chrono::milliseconds(20));
}

// An Xlib function. The tests are not linked with Xlib; SDL brings it in.
template <typename Function>
Function Xlib(const char* name) {
    static void* const library = ::dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    return library ? reinterpret_cast<Function>(::dlsym(library, name)) : nullptr;
}

// The test's own connection to the X server. Xvfb started without -noreset
// starts afresh whenever its last client leaves, turning connections away
// meanwhile; a client that stays keeps it up.
Display* Server() {
    static Display* const display = [] {
        auto open = Xlib<decltype(&XOpenDisplay)>("XOpenDisplay");
        Display* opened = nullptr;
        WaitUntil([&] { return open && (opened = open(nullptr)) != nullptr; });
        return opened;
    }();
    return display;
}

// Asks a window to close as a window manager's close box does.
bool SendDeleteWindow(const std::string& window) {
    auto intern = Xlib<decltype(&XInternAtom)>("XInternAtom");
    auto send = Xlib<decltype(&XSendEvent)>("XSendEvent");
    auto flush = Xlib<decltype(&XFlush)>("XFlush");
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::stoul(window);
    event.xclient.message_type = intern(Server(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(intern(Server(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    return send(Server(), event.xclient.window, False, NoEventMask, &event) && flush(Server());
}

// The window the tests show; reports for any other are marked.
const HWND Window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1004));

// Records every event the desktop reports, as text, and the floating-point
// environment of the thread that reports them: fegetexcept() and MXCSR as the
// first report found them.
class Recorder : public WinApi::DesktopEvents {
public:
    void CloseRequest(HWND window) override { Add(window, "Close"); }
    void Exposed(HWND window, const RECT&) override { Add(window, "Exposed"); }
    void Resized(HWND window, int, int) override { Add(window, "Resized"); }
    void Key(HWND window, bool, WORD, WORD, bool, bool) override { Add(window, "Key"); }
    void Char(HWND window, BYTE, WORD, bool) override { Add(window, "Char"); }
    void MouseButton(HWND window, int, bool, bool, int, int, WPARAM) override {
        Add(window, "Button");
    }

    // All events so far, each followed by "; ", and the environment.
    std::tuple<std::string, int, unsigned> Seen() {
        std::lock_guard<std::mutex> lock(Lock);
        return {Log, ExceptionsEnabled, Mxcsr};
    }

private:
    void Add(HWND window, const std::string& event) {
        std::lock_guard<std::mutex> lock(Lock);
        if (ExceptionsEnabled < 0) {
            ExceptionsEnabled = ::fegetexcept();
            Mxcsr = _mm_getcsr();
        }
        Log += (window == Window ? event : "(another window) " + event) + "; ";
    }

    std::mutex Lock;
    std::string Log;
    int ExceptionsEnabled = -1;
    unsigned Mxcsr = 0;
};

class SdlDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TestSupport::HaveDisplay())
            GTEST_SKIP() << "needs an X display (run under xvfb-run)";
        ASSERT_NE(Server(), nullptr);
        Desktop = WinApi::MakeSdlDesktop(Events);
        ASSERT_TRUE(Desktop->Available());
    }

    // Shows a window with its client area filled with Background and answers
    // its X id, or "" when it does not appear.
    std::string AddWindow(const std::string& name, int width, int height) {
        const std::string title = "SdlTest " + name + " " + std::to_string(::getpid());
        Surface = std::make_shared<WinApi::ClientSurface>(width, height, Background);
        Info.Title = title;
        Info.Client = {100, 120, 100 + width, 120 + height};
        Info.Outer = {96, 93, 104 + width, 124 + height};
        Info.Visible = true;
        EXPECT_TRUE(Desktop->AddWindow(Window, Info, Surface));
        return TestSupport::FindWindow(title);
    }

    // Draws through a device context on the window's surface, which marks
    // the area dirty and wakes the desktop.
    void Fill(const RECT& area, COLORREF colour) {
        HDC dc = WinApi::CreateWindowDC(Window, Surface, nullptr);
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc, &area, brush);
        DeleteObject(brush);
        WinApi::ReleaseWindowDC(Window, dc);
    }

    static constexpr std::uint32_t Background = 0x00203040;
    // The recorder outlives the desktop, which reports into it until it ends.
    Recorder Events;
    std::unique_ptr<WinApi::Desktop> Desktop;
    std::shared_ptr<WinApi::ClientSurface> Surface;
    WinApi::WindowInfo Info;
};

// A second drawing, after the first was presented, wakes the desktop again.
TEST_F(SdlDisplay, WindowAppearsWithItsTitleAndClientSizeAndShowsDrawnPixelsExactly) {
    std::string window = AddWindow("Pixels", 64, 48);
    ASSERT_NE(window, "") << "no window with the title";
    for (const auto& [area, colour] : {std::pair{RECT{0, 0, 0, 0}, RGB(0, 0, 0)},
                                       {RECT{10, 5, 30, 20}, RGB(255, 0, 0)},
                                       {RECT{40, 30, 64, 48}, RGB(0, 128, 255)}}) {
        Fill(area, colour);
        std::vector<std::uint32_t> expected;
        for (int i = 0; i < 64 * 48; ++i)
            expected.push_back(Surface->At(i % 64, i / 64));
        // With the width right, the pixels' count gives the height.
        EXPECT_TRUE(WaitUntil([&] {
            const TestSupport::Screenshot shot = TestSupport::CaptureWindow(window);
            return shot.Width == 64 && shot.Pixels == expected;
        })) << "filled from "
            << area.left << "," << area.top;
    }
    // Resized as user32 does it: the picture stays, and drawing reaches the
    // new window surface.
    {
        std::lock_guard lock(Surface->Lock);
        Surface->Resize(80, 60, Background);
    }
    Info.Client.right += 16;
    Info.Client.bottom += 12;
    Desktop->WindowChanged(Window, Info);
    Fill({64, 48, 80, 60}, RGB(0, 255, 0));
    TestSupport::Screenshot shot;
    ASSERT_TRUE(WaitUntil([&] {
        shot = TestSupport::CaptureWindow(window);
        return shot.Width == 80 && shot.Height == 60 && shot.At(70, 50) == 0x0000FF00u;
    }));
    EXPECT_EQ(shot.At(15, 10), 0x00FF0000u);
    EXPECT_EQ(shot.At(50, 40), 0x000080FFu);
}

// Destroys a window as another X client may, behind its owner's back.
bool DestroyFromOutside(const std::string& window) {
    auto destroy = Xlib<decltype(&XDestroyWindow)>("XDestroyWindow");
    auto sync = Xlib<decltype(&XSync)>("XSync");
    return destroy(Server(), std::stoul(window)) && sync(Server(), False);
}

// The two ways a window is closed on the display: its close box, and another
// client destroying it. Both reach user32 as the close request alone.
struct Closing {
    const char* Name;
    bool (*Close)(const std::string& window);
    bool StaysUp; // SDL leaves a window up whose close box was used
};

class SdlDisplayClose : public SdlDisplay, public ::testing::WithParamInterface<Closing> {};

TEST_P(SdlDisplayClose, IsReportedFromAThreadWithTheDefaultFloatingPointEnvironment) {
    // Program threads unmask these, and the desktop thread is started from one.
    Desktop.reset();
    ::feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    SetUp();
    ::fedisableexcept(FE_ALL_EXCEPT);
    std::string window = AddWindow("Close", 60, 40);
    ASSERT_NE(window, "");
    ASSERT_TRUE(GetParam().Close(window));
    EXPECT_TRUE(WaitUntil([&] { return !std::get<0>(Events.Seen()).empty(); }));
    auto [events, enabled, mxcsr] = Events.Seen();
    EXPECT_EQ(events, "Close; ");
    EXPECT_EQ(CommandOutput("xwininfo -id " + window + " 2>/dev/null").find("IsViewable") !=
                  std::string::npos,
              GetParam().StaysUp);
    EXPECT_EQ(enabled, 0);
    EXPECT_EQ(mxcsr & 0x1F80u, 0x1F80u);
    // Drawing and removing what is gone raise X errors, which end nothing:
    // the desktop still shows a new window.
    Fill({0, 0, 60, 40}, RGB(255, 0, 0));
    Desktop->RemoveWindow(Window);
    EXPECT_NE(AddWindow("AfterClose", 30, 20), "");
}

INSTANTIATE_TEST_SUITE_P(Ways, SdlDisplayClose,
                         ::testing::Values(Closing{"CloseBox", SendDeleteWindow, true},
                                           Closing{"DestroyedByAnotherClient", DestroyFromOutside,
                                                   false}),
                         [](const auto& info) { return std::string(info.param.Name); });

} // namespace
