// How a picture is saved at the process's end: the end may come from a
// signal handler (Ctrl+C, a fault), where nothing may allocate or take a lock
// that the interrupted thread could hold. So a saver thread of its own does
// the work, and the process-exit hook only asks it through a pipe and waits
// for its answer, with a limit, using nothing but write, poll and read.
#include "desktop/PictureDesktop.h"

#include "desktop/PngFile.h"
#include "kernel/ProcessExit.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace WinApi {
namespace {

// How long the end of the process waits for the pictures, and how long the
// saver waits for a surface's lock before it copies the pixels regardless
// (the thread holding it may be the one the end interrupted, for good).
constexpr int SaveLimitMilliseconds = 20000;
constexpr auto LockPatience = std::chrono::milliseconds(500);

struct Picture {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;
};

Picture Snapshot(ClientSurface& surface) {
    const auto deadline = std::chrono::steady_clock::now() + LockPatience;
    bool locked = surface.Lock.try_lock();
    while (!locked && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        locked = surface.Lock.try_lock();
    }
    Picture picture{surface.Width, surface.Height, {surface.Pixels.begin(), surface.Pixels.end()}};
    if (locked)
        surface.Lock.unlock();
    return picture;
}

class PictureDesktop;
std::atomic<PictureDesktop*> TheSaver{nullptr};

class PictureDesktop : public Desktop {
public:
    PictureDesktop(std::unique_ptr<Desktop> inner, DesktopEvents& events, std::string path)
        : Inner(std::move(inner)), Path(std::move(path)) {
        Connect(events);
        if (!Inner->Connected())
            Inner->Connect(events);
    }

    bool Available() override { return Inner->Available(); }
    ScreenInfo Screen() override { return Inner->Screen(); }
    void ShowWindow(HWND window, bool visible) override { Inner->ShowWindow(window, visible); }
    void WindowChanged(HWND window, const WindowInfo& info) override {
        Inner->WindowChanged(window, info);
    }
    int MessageBox(HWND owner, const char* text, const char* caption, UINT type) override {
        return Inner->MessageBox(owner, text, caption, type);
    }

    bool AddWindow(HWND window, const WindowInfo& info,
                   std::shared_ptr<ClientSurface> surface) override {
        if (!Inner->AddWindow(window, info, surface))
            return false;
        std::call_once(Started, [this] { StartSaver(); });
        std::lock_guard guard(Lock);
        Shown.emplace_back(window, std::move(surface));
        return true;
    }

    void RemoveWindow(HWND window) override {
        std::shared_ptr<ClientSurface> surface = Take(window);
        Inner->RemoveWindow(window);
        if (surface)
            Save(Snapshot(*surface));
    }

    // The process ends: the windows still there go now. Safe in a signal
    // handler; runs once.
    void End() {
        if (Ended.exchange(true) || Request[1] < 0)
            return;
        char ask = 1;
        if (::write(Request[1], &ask, 1) == 1) {
            pollfd answer{Answer[0], POLLIN, 0};
            if (::poll(&answer, 1, SaveLimitMilliseconds) == 1) {
                char done = 0;
                [[maybe_unused]] ssize_t got = ::read(Answer[0], &done, 1);
            } else {
                const char late[] = "Error: the picture could not be saved in time\n";
                [[maybe_unused]] ssize_t written = ::write(2, late, sizeof late - 1);
                Failed.store(true);
            }
        }
        if (Failed.load())
            ::_exit(1);
    }

private:
    std::shared_ptr<ClientSurface> Take(HWND window) {
        std::lock_guard guard(Lock);
        for (auto it = Shown.begin(); it != Shown.end(); ++it)
            if (it->first == window) {
                auto surface = std::move(it->second);
                Shown.erase(it);
                return surface;
            }
        return nullptr;
    }

    void Save(const Picture& picture) {
        // One file at a time: the end of the process may meet a window's own end.
        std::lock_guard guard(SaveLock);
        const std::string failure =
            WritePngFile(Path, picture.Width, picture.Height, picture.Pixels);
        if (failure.empty())
            return;
        Failed.store(true);
        std::fprintf(stderr, "Error: %s\n", failure.c_str());
        std::fflush(stderr);
    }

    // In the order they appeared, so that the newest window's picture stays.
    void SaveRemaining() {
        for (;;) {
            std::shared_ptr<ClientSurface> surface;
            {
                std::lock_guard guard(Lock);
                if (Shown.empty())
                    return;
                surface = std::move(Shown.front().second);
                Shown.erase(Shown.begin());
            }
            Save(Snapshot(*surface));
        }
    }

    void StartSaver() {
        if (::pipe2(Request, O_CLOEXEC) != 0 || ::pipe2(Answer, O_CLOEXEC) != 0)
            return;
        // Never joined: it waits for the end of the process, and serves it.
        std::thread([this] { Serve(); }).detach();
        TheSaver.store(this);
        AtProcessExit(EndOfProcess);
        std::atexit(EndOfProcess);
        for (int signal : {SIGINT, SIGTERM, SIGHUP})
            HandleIfDefault(signal);
    }

    void Serve() {
        for (;;) {
            char ask = 0;
            const ssize_t got = ::read(Request[0], &ask, 1);
            if (got < 0 && errno == EINTR)
                continue;
            if (got != 1)
                return;
            SaveRemaining();
            char done = 1;
            [[maybe_unused]] ssize_t written = ::write(Answer[1], &done, 1);
        }
    }

    static void EndOfProcess() {
        if (PictureDesktop* saver = TheSaver.load())
            saver->End();
    }

    // A signal that would end the process before anything else handles it
    // (the console takes these over once it uses the terminal, and ends the
    // process through the same hooks).
    static void OnEndingSignal(int signal) {
        RunProcessExitHooks();
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }

    static void HandleIfDefault(int signal) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
            return;
        struct sigaction action {};
        action.sa_handler = OnEndingSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }

    std::unique_ptr<Desktop> Inner;
    const std::string Path;
    std::mutex Lock;
    std::vector<std::pair<HWND, std::shared_ptr<ClientSurface>>> Shown;
    std::mutex SaveLock;
    std::atomic<bool> Failed{false};
    std::atomic<bool> Ended{false};
    std::once_flag Started;
    int Request[2] = {-1, -1};
    int Answer[2] = {-1, -1};
};

} // namespace

std::unique_ptr<Desktop> MakePictureDesktop(std::unique_ptr<Desktop> desktop, DesktopEvents& events,
                                            const std::string& path) {
    return std::make_unique<PictureDesktop>(std::move(desktop), events, path);
}

} // namespace WinApi
