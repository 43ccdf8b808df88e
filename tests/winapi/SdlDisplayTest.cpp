// The SDL desktop on a real X display (Xvfb in CI): windows appear with their
// title, place and size, drawn pixels reach the screen, and what the user
// does there comes back as desktop events. The X side is observed and driven
// with the X tools (xwininfo, xwd, xdotool) and, for the close box, a small
// WM_DELETE_WINDOW sender. Every test here skips without DISPLAY.
#include "desktop/sdl/SdlDesktop.h"
#include "desktop/sdl/SdlEventSink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cfenv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>
#include <xmmintrin.h>

// Last: Xlib's macros (None, Bool, Status) would clash with the test framework's names.
#include <X11/Xlib.h>

namespace {

// Generous: only a broken desktop makes a test wait this long.
constexpr auto Patience = std::chrono::seconds(15);

bool WaitUntil(const std::function<bool()>& done) {
    auto until = std::chrono::steady_clock::now() + Patience;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// The command's standard output. It goes through a file, not a pipe: SDL
// forks to show a message box, and the child would hold a pipe open.
std::string RunCommand(const std::string& command) {
    static const std::string path = "/tmp/SdlDisplayTest." + std::to_string(::getpid());
    std::string output;
    if (std::system((command + " > " + path).c_str()) == -1)
        return output;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            output.append(buffer, got);
        std::fclose(file);
    }
    std::remove(path.c_str());
    return output;
}

std::string Hex(unsigned long value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", value);
    return text;
}

// The top-level X windows whose name is exactly title. (xdotool's search
// misses names that are only UTF-8, as SDL's message box gives them.)
std::vector<unsigned long> WindowsNamed(const std::string& title) {
    std::vector<unsigned long> found;
    std::string tree = RunCommand("xwininfo -root -children 2>/dev/null");
    std::string quoted = " \"" + title + "\":";
    for (size_t at = tree.find(quoted); at != std::string::npos; at = tree.find(quoted, at + 1)) {
        size_t start = tree.rfind("0x", at);
        found.push_back(std::stoul(tree.substr(start, at - start), nullptr, 16));
    }
    return found;
}

unsigned long WaitForWindowNamed(const std::string& title) {
    std::vector<unsigned long> found;
    WaitUntil([&] { return !(found = WindowsNamed(title)).empty(); });
    return found.empty() ? 0 : found.front();
}

// One field of xwininfo's report on a window, such as "Width" or "Map State".
std::string WindowField(unsigned long window, const std::string& field) {
    std::string report = RunCommand("xwininfo -id " + Hex(window) + " 2>/dev/null");
    size_t at = report.find("  " + field + ": ");
    if (at == std::string::npos)
        return {};
    at = report.find_first_not_of(' ', at + field.size() + 4);
    return report.substr(at, report.find('\n', at) - at);
}

int RootField(const std::string& field) {
    std::string report = RunCommand("xwininfo -root 2>/dev/null");
    size_t at = report.find("  " + field + ": ");
    return at == std::string::npos ? -1 : std::atoi(report.c_str() + at + field.size() + 4);
}

// What a window shows on the X screen, read from xwd's dump.
struct Capture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels; // 0x00RRGGBB

    std::uint32_t At(int x, int y) const {
        return Pixels[static_cast<size_t>(y) * static_cast<size_t>(Width) +
                      static_cast<size_t>(x)];
    }
};

std::uint32_t BigEndian(const std::string& data, size_t at) {
    auto byte = [&](size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + i])); };
    return (byte(0) << 24) | (byte(1) << 16) | (byte(2) << 8) | byte(3);
}

std::uint32_t Channel(std::uint32_t value, std::uint32_t mask) {
    if (mask == 0)
        return 0;
    while (!(mask & 1)) {
        mask >>= 1;
        value >>= 1;
    }
    return value & mask;
}

// Reads the 32-bit ZPixmap that xwd writes for a 24-bit screen. SDL may pick
// a DirectColor visual: each channel then goes through the colour map that
// xwd writes along.
Capture CaptureWindow(unsigned long window) {
    Capture capture;
    std::string dump = RunCommand("xwd -silent -id " + Hex(window) + " 2>/dev/null");
    if (dump.size() < 100)
        return capture;
    std::uint32_t field[25];
    for (int i = 0; i < 25; ++i)
        field[i] = BigEndian(dump, static_cast<size_t>(i) * 4);
    const std::uint32_t headerSize = field[0], format = field[2], width = field[4],
                        height = field[5], byteOrder = field[7], bitsPerPixel = field[11],
                        bytesPerLine = field[12], visualClass = field[13], redMask = field[14],
                        greenMask = field[15], blueMask = field[16], colours = field[19];
    const size_t pixelsAt = headerSize + static_cast<size_t>(colours) * 12;
    if (format != 2 || bitsPerPixel != 32 || dump.size() < pixelsAt + bytesPerLine * height)
        return capture;
    const bool directColour = visualClass == 5 && colours >= 256;
    // A colour map entry: pixel, then red, green and blue in 16 bits each.
    auto mapped = [&](std::uint32_t index, int channel) {
        size_t at = headerSize + static_cast<size_t>(index) * 12 + 4 + channel * 2;
        return static_cast<std::uint32_t>(static_cast<unsigned char>(dump[at]));
    };
    capture.Width = static_cast<int>(width);
    capture.Height = static_cast<int>(height);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            std::uint32_t value = BigEndian(dump, pixelsAt + y * bytesPerLine + x * 4);
            if (byteOrder == 0) // LSBFirst
                value = __builtin_bswap32(value);
            std::uint32_t r = Channel(value, redMask), g = Channel(value, greenMask),
                          b = Channel(value, blueMask);
            if (directColour) {
                r = mapped(r, 0);
                g = mapped(g, 1);
                b = mapped(b, 2);
            }
            capture.Pixels.push_back((r << 16) | (g << 8) | b);
        }
    }
    return capture;
}

// The few Xlib functions the tests call. The tests are not linked with Xlib
// (SDL brings it into the process), so they are looked up, once.
struct Xlib {
    decltype(&XOpenDisplay) OpenDisplay = nullptr;
    decltype(&XInternAtom) InternAtom = nullptr;
    decltype(&XSendEvent) SendEvent = nullptr;
    decltype(&XFlush) Flush = nullptr;
    decltype(&XCloseDisplay) CloseDisplay = nullptr;

    static const Xlib& Get() {
        static const Xlib xlib = [] {
            Xlib found;
            if (void* library = ::dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL)) {
                found.OpenDisplay = reinterpret_cast<decltype(&XOpenDisplay)>(
                    ::dlsym(library, "XOpenDisplay"));
                found.InternAtom =
                    reinterpret_cast<decltype(&XInternAtom)>(::dlsym(library, "XInternAtom"));
                found.SendEvent =
                    reinterpret_cast<decltype(&XSendEvent)>(::dlsym(library, "XSendEvent"));
                found.Flush = reinterpret_cast<decltype(&XFlush)>(::dlsym(library, "XFlush"));
                found.CloseDisplay = reinterpret_cast<decltype(&XCloseDisplay)>(
                    ::dlsym(library, "XCloseDisplay"));
            }
            return found;
        }();
        return xlib;
    }
    bool Loaded() const { return OpenDisplay && InternAtom && SendEvent && Flush && CloseDisplay; }
};

// Xvfb starts afresh whenever its last client leaves, and turns connections
// away meanwhile; as on any desktop, a client that stays keeps it up.
bool KeepServerUp() {
    static Display* const stay = Xlib::Get().Loaded() ? Xlib::Get().OpenDisplay(nullptr) : nullptr;
    return stay != nullptr;
}

// Asks a window to close as a window manager's close box does.
bool SendDeleteWindow(unsigned long window) {
    const Xlib& x = Xlib::Get();
    Display* display = x.Loaded() ? x.OpenDisplay(nullptr) : nullptr;
    if (!display)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = x.InternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(x.InternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    bool sent = x.SendEvent(display, window, False, NoEventMask, &event) != 0;
    x.Flush(display);
    x.CloseDisplay(display);
    return sent;
}

// Records every event the desktop reports, as text, and the floating-point
// environment of the thread that reports them.
class Recorder : public WinApi::SdlEventSink {
public:
    void CloseRequest(HWND window) override { Add(window, "Close"); }
    void Resized(HWND window, int width, int height) override {
        Add(window, "Resized " + std::to_string(width) + "x" + std::to_string(height));
    }
    void Key(HWND window, bool down, WORD virtualKey, WORD scanCode, bool extended,
             bool alt) override {
        Add(window, std::string(down ? "KeyDown " : "KeyUp ") + Hex(virtualKey) + " " +
                        Hex(scanCode) + (extended ? " extended" : "") + (alt ? " alt" : ""));
    }
    void Char(HWND window, BYTE character, WORD scanCode, bool alt) override {
        Add(window, "Char " + Hex(character) + " " + Hex(scanCode) + (alt ? " alt" : ""));
    }
    void MouseButton(HWND window, int button, bool down, bool doubleClick, int x, int y,
                     WPARAM keyState) override {
        Add(window, std::string(down ? "ButtonDown " : "ButtonUp ") + std::to_string(button) +
                        " at " + std::to_string(x) + "," + std::to_string(y) + " keys " +
                        Hex(keyState) + (doubleClick ? " double" : ""));
    }

    std::vector<std::string> Events() {
        std::lock_guard<std::mutex> lock(Lock);
        return Seen;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(Lock);
        Seen.clear();
    }
    bool WaitForCount(size_t count) {
        std::unique_lock<std::mutex> lock(Lock);
        return Changed.wait_for(lock, Patience, [&] { return Seen.size() >= count; });
    }
    bool WaitFor(const std::string& event) {
        std::unique_lock<std::mutex> lock(Lock);
        return Changed.wait_for(lock, Patience, [&] {
            for (const std::string& seen : Seen)
                if (seen == event)
                    return true;
            return false;
        });
    }

    std::vector<HWND> Windows() {
        std::lock_guard<std::mutex> lock(Lock);
        return Targets;
    }
    // fegetexcept() and MXCSR as the first report found them.
    std::pair<int, unsigned> FloatingPoint() {
        std::lock_guard<std::mutex> lock(Lock);
        return {ExceptionsEnabled, Mxcsr};
    }

private:
    void Add(HWND window, const std::string& event) {
        {
            std::lock_guard<std::mutex> lock(Lock);
            if (ExceptionsEnabled < 0) {
                ExceptionsEnabled = ::fegetexcept();
                Mxcsr = _mm_getcsr();
            }
            Targets.push_back(window);
            Seen.push_back(event);
        }
        Changed.notify_all();
    }

    std::mutex Lock;
    std::condition_variable Changed;
    std::vector<std::string> Seen;
    std::vector<HWND> Targets;
    int ExceptionsEnabled = -1;
    unsigned Mxcsr = 0;
};

HWND FakeHandle(int n) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1000 + n * 4)); }

std::string UniqueTitle(const std::string& name) {
    return "SdlTest " + name + " " + std::to_string(::getpid());
}

class SdlDisplay : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display (run under xvfb-run)";
        ASSERT_TRUE(KeepServerUp());
        auto recorder = std::make_unique<Recorder>();
        Events = recorder.get();
        Desktop = WinApi::MakeSdlDesktop(std::move(recorder));
        ASSERT_TRUE(Desktop->Available());
    }

    // A shown window with its client area at (left, top), filled with Background.
    unsigned long AddWindow(const std::string& title, int left, int top, int width, int height) {
        Surface = std::make_shared<WinApi::ClientSurface>(width, height, Background);
        Info.Title = title;
        Info.Client = {left, top, left + width, top + height};
        Info.Outer = {left - 4, top - 27, left + width + 4, top + height + 4};
        Info.Visible = true;
        EXPECT_TRUE(Desktop->AddWindow(Window, Info, Surface));
        return WaitForWindowNamed(title);
    }

    // Draws as a device context does: pixels and Dirty under Lock, Wake after.
    void Fill(const RECT& area, std::uint32_t colour) {
        bool wake = false;
        {
            std::lock_guard<std::mutex> lock(Surface->Lock);
            for (LONG y = area.top; y < area.bottom; ++y)
                for (LONG x = area.left; x < area.right; ++x)
                    Surface->At(x, y) = colour;
            wake = Surface->MarkDirty(area);
        }
        if (wake && Surface->Wake)
            Surface->Wake();
    }

    // Waits until the window shows colour at (x, y).
    bool Shows(unsigned long window, int x, int y, std::uint32_t colour) {
        return WaitUntil([&] {
            Capture capture = CaptureWindow(window);
            return x < capture.Width && y < capture.Height && capture.At(x, y) == colour;
        });
    }

    static constexpr std::uint32_t Background = 0x00203040;
    Recorder* Events = nullptr;
    std::unique_ptr<WinApi::Desktop> Desktop;
    std::shared_ptr<WinApi::ClientSurface> Surface;
    WinApi::WindowInfo Info;
    HWND Window = FakeHandle(1);
};

TEST_F(SdlDisplay, WindowAppearsWithItsTitlePlaceAndClientSize) {
    unsigned long window = AddWindow(UniqueTitle("Appears"), 100, 120, 160, 90);
    ASSERT_NE(window, 0u);
    EXPECT_EQ(WindowField(window, "Width"), "160");
    EXPECT_EQ(WindowField(window, "Height"), "90");
    EXPECT_EQ(WindowField(window, "Map State"), "IsViewable");
    // No window manager under Xvfb: the window sits exactly where it was placed.
    EXPECT_EQ(WindowField(window, "Absolute upper-left X"), "100");
    EXPECT_EQ(WindowField(window, "Absolute upper-left Y"), "120");
}

TEST_F(SdlDisplay, ScreenIsTheXScreenAndWithoutAPanelAllOfItIsWorkArea) {
    WinApi::ScreenInfo screen = Desktop->Screen();
    EXPECT_EQ(screen.Width, RootField("Width"));
    EXPECT_EQ(screen.Height, RootField("Height"));
    EXPECT_EQ(screen.WorkArea.left, 0);
    EXPECT_EQ(screen.WorkArea.top, 0);
    EXPECT_EQ(screen.WorkArea.right, screen.Width);
    EXPECT_EQ(screen.WorkArea.bottom, screen.Height);
}

TEST_F(SdlDisplay, DrawnPixelsReachTheScreenAndOnlyThoseChange) {
    unsigned long window = AddWindow(UniqueTitle("Pixels"), 40, 50, 64, 48);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(Shows(window, 0, 0, Background));
    Fill({10, 5, 30, 20}, 0x00FF0000);
    ASSERT_TRUE(Shows(window, 10, 5, 0x00FF0000));
    Capture first = CaptureWindow(window);
    ASSERT_EQ(first.Width, 64);
    EXPECT_EQ(first.At(29, 19), 0x00FF0000u);
    EXPECT_EQ(first.At(30, 19), Background);
    EXPECT_EQ(first.At(29, 20), Background);
    EXPECT_EQ(first.At(9, 5), Background);

    // A second drawing, after the first was presented, wakes the desktop again.
    Fill({40, 30, 64, 48}, 0x000080FF);
    ASSERT_TRUE(Shows(window, 63, 47, 0x000080FF));
    Capture second = CaptureWindow(window);
    EXPECT_EQ(second.At(40, 30), 0x000080FFu);
    EXPECT_EQ(second.At(39, 30), Background);
    EXPECT_EQ(second.At(10, 5), 0x00FF0000u);
}

TEST_F(SdlDisplay, HiddenWindowLeavesTheScreenAndComesBackWithItsPixels) {
    unsigned long window = AddWindow(UniqueTitle("Hidden"), 60, 60, 50, 40);
    ASSERT_NE(window, 0u);
    Desktop->ShowWindow(Window, false);
    EXPECT_TRUE(WaitUntil([&] { return WindowField(window, "Map State") == "IsUnMapped"; }));
    // Drawn while hidden: shown with the window.
    Fill({0, 0, 5, 5}, 0x0000FF00);
    Desktop->ShowWindow(Window, true);
    EXPECT_TRUE(WaitUntil([&] { return WindowField(window, "Map State") == "IsViewable"; }));
    EXPECT_TRUE(Shows(window, 4, 4, 0x0000FF00));
    EXPECT_TRUE(Shows(window, 49, 39, Background));
}

TEST_F(SdlDisplay, ChangedWindowTakesItsNewTitlePlaceAndSizeWithoutReportingIt) {
    unsigned long window = AddWindow(UniqueTitle("Before"), 30, 30, 80, 60);
    ASSERT_NE(window, 0u);
    WinApi::WindowInfo changed = Info;
    changed.Title = UniqueTitle("After");
    changed.Client = {200, 210, 200 + 120, 210 + 70};
    {
        std::lock_guard<std::mutex> lock(Surface->Lock);
        Surface->Resize(120, 70, 0x00FFFFFF);
    }
    Desktop->WindowChanged(Window, changed);
    EXPECT_EQ(WaitForWindowNamed(changed.Title), window);
    EXPECT_TRUE(WaitUntil([&] { return WindowField(window, "Width") == "120"; }));
    EXPECT_EQ(WindowField(window, "Height"), "70");
    EXPECT_TRUE(WaitUntil([&] { return WindowField(window, "Absolute upper-left X") == "200"; }));
    EXPECT_EQ(WindowField(window, "Absolute upper-left Y"), "210");
    EXPECT_TRUE(Shows(window, 119, 69, 0x00FFFFFF));

    // The next size change comes from X, and it is the first one reported.
    RunCommand("xdotool windowsize " + Hex(window) + " 90 50");
    ASSERT_TRUE(Events->WaitForCount(1));
    EXPECT_EQ(Events->Events().front(), "Resized 90x50");
}

TEST_F(SdlDisplay, RemovedWindowIsGoneFromTheScreen) {
    std::string title = UniqueTitle("Removed");
    ASSERT_NE(AddWindow(title, 10, 10, 40, 30), 0u);
    Desktop->RemoveWindow(Window);
    EXPECT_TRUE(WaitUntil([&] { return WindowsNamed(title).empty(); }));
}

TEST_F(SdlDisplay, UserResizeIsReportedAndTheNewSizeIsPresented) {
    unsigned long window = AddWindow(UniqueTitle("Resized"), 20, 20, 100, 80);
    ASSERT_NE(window, 0u);
    RunCommand("xdotool windowsize " + Hex(window) + " 200 150");
    ASSERT_TRUE(Events->WaitFor("Resized 200x150"));
    EXPECT_EQ(Events->Windows().front(), Window);
    // user32 resizes the surface and wakes the desktop, as after DesktopResized.
    std::function<void()> wake;
    {
        std::lock_guard<std::mutex> lock(Surface->Lock);
        Surface->Resize(200, 150, 0x00FF00FF);
        wake = Surface->Wake;
    }
    wake();
    EXPECT_TRUE(Shows(window, 199, 149, 0x00FF00FF));
    EXPECT_TRUE(Shows(window, 0, 0, Background));
}

TEST_F(SdlDisplay, CloseBoxBecomesACloseRequestAndLeavesTheWindowUp) {
    unsigned long window = AddWindow(UniqueTitle("Close"), 10, 10, 60, 40);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(SendDeleteWindow(window));
    ASSERT_TRUE(Events->WaitFor("Close"));
    EXPECT_EQ(Events->Windows().front(), Window);
    EXPECT_EQ(WindowField(window, "Map State"), "IsViewable");
}

TEST_F(SdlDisplay, ReportsComeFromAThreadWithFloatingPointExceptionsMasked) {
    // Program threads unmask these; the desktop thread is started from one.
    Desktop.reset();
    auto recorder = std::make_unique<Recorder>();
    Events = recorder.get();
    ::feenableexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    Desktop = WinApi::MakeSdlDesktop(std::move(recorder));
    bool available = Desktop->Available();
    ::fedisableexcept(FE_ALL_EXCEPT);
    ASSERT_TRUE(available);
    unsigned long window = AddWindow(UniqueTitle("Floating"), 10, 10, 60, 40);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(SendDeleteWindow(window));
    ASSERT_TRUE(Events->WaitFor("Close"));
    auto [enabled, mxcsr] = Events->FloatingPoint();
    EXPECT_EQ(enabled, 0);
    EXPECT_EQ(mxcsr & 0x1F80u, 0x1F80u);
}

// A shown window has the keyboard, as on Windows, even with no window
// manager to give it. SDL takes the focus a moment after X reports it, so
// Shift is pressed until it arrives.
bool WaitForKeyboard(Recorder& events) {
    bool focused = WaitUntil([&] {
        RunCommand("xdotool key shift");
        for (const std::string& event : events.Events())
            if (event == "KeyUp 0x10 0x2a")
                return true;
        return false;
    });
    events.Clear();
    return focused;
}

TEST_F(SdlDisplay, KeysComeWithVirtualKeyScanCodeAndTheirCharacters) {
    unsigned long window = AddWindow(UniqueTitle("Keys"), 10, 10, 60, 40);
    ASSERT_NE(window, 0u);
    ASSERT_TRUE(WaitForKeyboard(*Events));
    // xdotool presses NumLock around keypad 5 when NumLock is off.
    RunCommand("xdotool key a Return keydown ctrl key c keyup ctrl key Left keydown alt key x "
               "keyup alt key KP_5");
    const std::vector<std::string> expected = {
        "KeyDown 0x41 0x1e", "Char 0x61 0x1e", "KeyUp 0x41 0x1e",
        "KeyDown 0xd 0x1c", "Char 0xd 0x1c", "KeyUp 0xd 0x1c",
        "KeyDown 0x11 0x1d", "KeyDown 0x43 0x2e", "Char 0x3 0x2e", "KeyUp 0x43 0x2e",
        "KeyUp 0x11 0x1d",
        "KeyDown 0x25 0x4b extended", "KeyUp 0x25 0x4b extended",
        "KeyDown 0x12 0x38 alt", "KeyDown 0x58 0x2d alt", "Char 0x78 0x2d alt",
        "KeyUp 0x58 0x2d alt", "KeyUp 0x12 0x38 alt",
        "KeyDown 0x90 0x45 extended", "KeyDown 0x65 0x4c", "Char 0x35 0x4c",
        "KeyUp 0x90 0x45 extended", "KeyUp 0x65 0x4c"};
    Events->WaitForCount(expected.size());
    EXPECT_EQ(Events->Events(), expected);
    for (HWND target : Events->Windows())
        EXPECT_EQ(target, Window);
}

TEST_F(SdlDisplay, MouseButtonsComeInClientCoordinatesWithButtonAndKeyState) {
    unsigned long window = AddWindow(UniqueTitle("Mouse"), 100, 100, 80, 60);
    ASSERT_NE(window, 0u);
    RunCommand("xdotool mousemove --window " + Hex(window) + " --sync 30 20");
    RunCommand("xdotool click 1 click 3 keydown shift click 2 keyup shift");
    RunCommand("xdotool mousemove --window " + Hex(window) + " --sync 70 50");
    RunCommand("xdotool click --repeat 2 --delay 60 1");
    const std::vector<std::string> expected = {
        "ButtonDown 1 at 30,20 keys 0x1", "ButtonUp 1 at 30,20 keys 0x0",
        "ButtonDown 3 at 30,20 keys 0x2", "ButtonUp 3 at 30,20 keys 0x0",
        "ButtonDown 2 at 30,20 keys 0x14", "ButtonUp 2 at 30,20 keys 0x4",
        "ButtonDown 1 at 70,50 keys 0x1", "ButtonUp 1 at 70,50 keys 0x0",
        "ButtonDown 1 at 70,50 keys 0x1 double", "ButtonUp 1 at 70,50 keys 0x0"};
    Events->WaitForCount(expected.size());
    std::vector<std::string> buttons;
    for (const std::string& event : Events->Events())
        if (event.rfind("Button", 0) == 0)
            buttons.push_back(event);
    EXPECT_EQ(buttons, expected);
}

TEST_F(SdlDisplay, MessageBoxShowsItsCaptionAndAnswersWithTheButtonChosen) {
    const std::pair<UINT, const char*> boxes[] = {{MB_OK | MB_ICONERROR, "Return"},
                                                  {MB_OKCANCEL, "Escape"},
                                                  {MB_YESNO | MB_ICONQUESTION, "Return"}};
    const int expected[] = {IDOK, IDCANCEL, IDYES};
    ASSERT_NE(AddWindow(UniqueTitle("Owner"), 10, 10, 60, 40), 0u);
    for (int i = 0; i < 3; ++i) {
        std::string caption = UniqueTitle("Box" + std::to_string(i));
        std::atomic<int> answer{-1};
        std::thread asker([&] {
            answer = Desktop->MessageBox(Window, "Text of the box", caption.c_str(), boxes[i].first);
        });
        unsigned long box = WaitForWindowNamed(caption);
        EXPECT_NE(box, 0u);
        // The box is modal on the desktop thread; a key typed into it ends it.
        EXPECT_TRUE(WaitUntil([&] {
            RunCommand("timeout 5 xdotool windowfocus --sync " + Hex(box) + " key " + boxes[i].second);
            return answer != -1;
        }));
        asker.join();
        EXPECT_EQ(answer, expected[i]) << boxes[i].second;
    }
}

} // namespace
